#include "CKWSystemOsInfo.h"

#include <strings.h>

#include <array>
#include <utility>

namespace {
const std::array<const char*, 16> kOsNames = {"",
                                              "Windows 3.1",
                                              "Windows 95",
                                              "Windows 98",
                                              "Windows ME",
                                              "Windows NT Workstation 3.51",
                                              "Windows NT Server 3.51",
                                              "Windows NT Server 3.51 - Domain Controller",
                                              "Windows NT Workstation 4.0",
                                              "Windows NT Server 4.0",
                                              "Windows NT Server 4.0 - Domain Controller",
                                              "Windows 2000 Professional",
                                              "Windows 2000 Server",
                                              "Windows 2000 Server - Domain Controller",
                                              "Windows XP",
                                              "Windows Server 2003"};
const char* const kWorkstation = "WinNT";
const char* const kServer = "ServerNT";
// The 95 family's minor version from which it is Windows ME.
constexpr std::uint32_t kMeMinor = 90;
constexpr std::uint32_t kBigLbaEnabled = 1;

// The type of a workstation of an NT generation; the server and the domain controller follow.
std::uint32_t NtGenerationType(std::uint32_t workstation, const std::string& productType) {
    if (strcasecmp(productType.c_str(), kWorkstation) == 0)
        return workstation;
    if (strcasecmp(productType.c_str(), kServer) == 0)
        return workstation + 1;
    return workstation + 2;
}
} // namespace

CKWSystemOsInfo::CKWSystemOsInfo(std::shared_ptr<const KWOsVersionSource> source)
    : m_source(source ? std::move(source) : KWGetOsVersionSource()) {
    Detect();
}

const char* CKWSystemOsInfo::OsName(std::uint32_t type) {
    return type < kOsNames.size() ? kOsNames[type] : "";
}

bool CKWSystemOsInfo::Detect() {
    std::optional<KWOsVersionRecord> record = m_source->ReadExtendedVersion();
    if (!record) {
        record = m_source->ReadBasicVersion();
        if (record) {
            record->servicePackMajor = 0;
            record->servicePackMinor = 0;
        }
    }
    if (!record)
        return false;
    m_platform = record->platform;
    m_major = record->major;
    m_minor = record->minor;
    m_servicePackMajor = record->servicePackMajor;
    m_servicePackMinor = record->servicePackMinor;
    switch (m_platform) {
    case KWOsPlatform::kNt:
        if (!ClassifyNt())
            return false;
        break;
    case KWOsPlatform::kWindows9x:
        Classify9x();
        break;
    case KWOsPlatform::kWin32s:
        m_osType = kWindows31;
        break;
    }
    m_build = record->build;
    m_osName = OsName(m_osType);
    m_versionText =
        std::to_string(m_major) + "." + std::to_string(m_minor) + "." + std::to_string(m_build);
    m_servicePackText = record->servicePackText;
    m_detected = true;
    return true;
}

bool CKWSystemOsInfo::ClassifyNt() {
    const std::optional<std::string> productType = m_source->ReadProductType();
    if (!productType)
        return false;
    if (m_major == 3)
        m_osType = NtGenerationType(kNtWorkstation351, *productType);
    else if (m_major == 4)
        m_osType = NtGenerationType(kNtWorkstation40, *productType);
    else if (m_major == 5 && m_minor == 0)
        m_osType = NtGenerationType(kWindows2000Professional, *productType);
    else if (m_major == 5 && m_minor == 1)
        m_osType = kWindowsXp;
    else if (m_major == 5 && m_minor == 2)
        m_osType = kWindowsServer2003;
    else
        m_osType = kUnknown;
    return true;
}

void CKWSystemOsInfo::Classify9x() {
    m_is9x = true;
    if (m_major < 4 || (m_major == 4 && m_minor == 0))
        m_osType = kWindows95;
    else if (m_minor >= kMeMinor)
        m_osType = kWindowsMe;
    else
        m_osType = kWindows98;
}

void CKWSystemOsInfo::DetectIfNeeded() {
    if (!m_detected)
        Detect();
}

std::uint32_t CKWSystemOsInfo::GetMajorVersion() {
    DetectIfNeeded();
    return m_major;
}
std::uint32_t CKWSystemOsInfo::GetMinorVersion() {
    DetectIfNeeded();
    return m_minor;
}
std::uint32_t CKWSystemOsInfo::GetBuildNumber() {
    DetectIfNeeded();
    return m_build;
}
std::string CKWSystemOsInfo::GetVersionText() {
    DetectIfNeeded();
    return m_versionText;
}
bool CKWSystemOsInfo::Is9x() {
    DetectIfNeeded();
    return m_is9x;
}
std::string CKWSystemOsInfo::GetOsName() {
    DetectIfNeeded();
    return m_osName;
}
std::uint32_t CKWSystemOsInfo::GetOsType() {
    DetectIfNeeded();
    return m_osType;
}
std::uint16_t CKWSystemOsInfo::GetServicePackMajor() {
    DetectIfNeeded();
    return m_servicePackMajor;
}
std::uint16_t CKWSystemOsInfo::GetServicePackMinor() {
    DetectIfNeeded();
    return m_servicePackMinor;
}
std::string CKWSystemOsInfo::GetServicePackText() {
    DetectIfNeeded();
    return m_servicePackText;
}
bool CKWSystemOsInfo::IsVersion5AfterFirst() {
    DetectIfNeeded();
    return m_major == 5 && m_minor != 0;
}

bool CKWSystemOsInfo::IsBigLbaEnabled() const {
    const std::optional<std::uint32_t> value = m_source->ReadEnableBigLba();
    return value && *value == kBigLbaEnabled;
}
