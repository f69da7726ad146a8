#pragma once
#include "KWOsVersionSource.h"

#include <cstdint>
#include <memory>
#include <string>

// Classifies the running system for the viewer's platform check. Detects once, on
// construction; every getter detects first while no detection has succeeded. Its facts come
// from the version source (KWGetOsVersionSource unless one is given).
class CKWSystemOsInfo {
public:
    enum OsType : std::uint32_t {
        kUnknown = 0,
        kWindows31 = 1,
        kWindows95 = 2,
        kWindows98 = 3,
        kWindowsMe = 4,
        kNtWorkstation351 = 5,
        kNtServer351 = 6,
        kNtDomainController351 = 7,
        kNtWorkstation40 = 8,
        kNtServer40 = 9,
        kNtDomainController40 = 10,
        kWindows2000Professional = 11,
        kWindows2000Server = 12,
        kWindows2000DomainController = 13,
        kWindowsXp = 14,
        kWindowsServer2003 = 15,
    };
    static constexpr const char* kClassName = "CKWSystemOsInfo";

    explicit CKWSystemOsInfo(std::shared_ptr<const KWOsVersionSource> source = nullptr);

    // Reads the facts and classifies them; false when the version or, on NT, the product type
    // cannot be read.
    bool Detect();

    std::uint32_t GetMajorVersion();
    std::uint32_t GetMinorVersion();
    std::uint32_t GetBuildNumber();
    // "major.minor.build".
    std::string GetVersionText();
    bool Is9x();
    std::string GetOsName();
    std::uint32_t GetOsType();
    std::uint16_t GetServicePackMajor();
    std::uint16_t GetServicePackMinor();
    std::string GetServicePackText();
    // A 5.x version after 5.0 (XP, Server 2003), whose windows need 10 more pixels.
    bool IsVersion5AfterFirst();
    // True only when the disk driver's "EnableBigLba" value can be read and is 1.
    bool IsBigLbaEnabled() const;
    // The platform as last read (NT when nothing could be read).
    KWOsPlatform GetPlatform() const { return m_platform; }

    // The name of an OS type; empty for kUnknown and types outside the table.
    static const char* OsName(std::uint32_t type);

private:
    void DetectIfNeeded();
    bool ClassifyNt();
    void Classify9x();

    std::shared_ptr<const KWOsVersionSource> m_source;
    bool m_detected = false;
    bool m_is9x = false;
    std::uint32_t m_build = 0;
    std::uint32_t m_major = 0;
    std::uint32_t m_minor = 0;
    std::uint16_t m_servicePackMajor = 0;
    std::uint16_t m_servicePackMinor = 0;
    std::uint32_t m_osType = kUnknown;
    std::string m_versionText;
    std::string m_osName;
    std::string m_servicePackText;
    KWOsPlatform m_platform = KWOsPlatform::kNt;
};
