#pragma once
#include "KWOsVersionSource.h"

#include <memory>
#include <optional>
#include <string>

// A simulated system for the platform check: each fact as the test sets it, unavailable when
// left empty.
struct KWFakeOsVersionSource : KWOsVersionSource {
    std::optional<KWOsVersionRecord> extended;
    std::optional<KWOsVersionRecord> basic;
    std::optional<std::string> productType;
    std::optional<std::uint32_t> enableBigLba;

    std::optional<KWOsVersionRecord> ReadExtendedVersion() const override { return extended; }
    std::optional<KWOsVersionRecord> ReadBasicVersion() const override { return basic; }
    std::optional<std::string> ReadProductType() const override { return productType; }
    std::optional<std::uint32_t> ReadEnableBigLba() const override { return enableBigLba; }

    // A system of `platform` and version that reports everything, with service pack `sp`.
    static std::shared_ptr<KWFakeOsVersionSource> Make(KWOsPlatform platform, std::uint32_t major,
                                                       std::uint32_t minor, std::uint16_t sp = 0,
                                                       std::optional<std::string> type = "WinNT") {
        auto source = std::make_shared<KWFakeOsVersionSource>();
        KWOsVersionRecord record;
        record.platform = platform;
        record.major = major;
        record.minor = minor;
        record.build = 2195;
        record.servicePackMajor = sp;
        record.servicePackText = sp == 0 ? "" : "Service Pack " + std::to_string(sp);
        source->extended = record;
        source->basic = record;
        source->productType = std::move(type);
        return source;
    }
};

// Replaces the system's version source for its lifetime.
class KWScopedOsVersionSource {
public:
    explicit KWScopedOsVersionSource(std::shared_ptr<const KWOsVersionSource> source)
        : m_previous(KWSetOsVersionSource(std::move(source))) {}
    ~KWScopedOsVersionSource() { KWSetOsVersionSource(std::move(m_previous)); }
    KWScopedOsVersionSource(const KWScopedOsVersionSource&) = delete;
    KWScopedOsVersionSource& operator=(const KWScopedOsVersionSource&) = delete;

private:
    std::shared_ptr<const KWOsVersionSource> m_previous;
};
