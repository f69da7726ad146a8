#include "KWOsVersionSource.h"

#include <sys/utsname.h>

#include <cstdio>
#include <mutex>

namespace {
const char* const kWorkstation = "WinNT";
constexpr std::uint32_t kBigLbaEnabled = 1;
// Later than the last version the platform check names (5.2).
constexpr std::uint32_t kLowestReportedMajor = 6;

std::mutex s_sourceMutex;
std::shared_ptr<const KWOsVersionSource> s_source;

const std::shared_ptr<const KWOsVersionSource>& SystemSource() {
    static const std::shared_ptr<const KWOsVersionSource> system =
        std::make_shared<KWSystemOsVersionSource>();
    return system;
}
} // namespace

std::string KWSystemOsVersionSource::KernelRelease() {
    utsname names{};
    if (uname(&names) != 0)
        return {};
    return names.release;
}

KWOsVersionRecord KWSystemOsVersionSource::VersionOfRelease(const std::string& release) {
    KWOsVersionRecord record;
    record.platform = KWOsPlatform::kNt;
    unsigned major = 0;
    unsigned minor = 0;
    unsigned build = 0;
    std::sscanf(release.c_str(), "%u.%u.%u", &major, &minor, &build);
    const bool laterThan52 = major > 5 || (major == 5 && minor > 2);
    record.major = laterThan52 ? major : kLowestReportedMajor;
    record.minor = laterThan52 ? minor : 0;
    record.build = laterThan52 ? build : 0;
    return record;
}

std::optional<KWOsVersionRecord> KWSystemOsVersionSource::ReadExtendedVersion() const {
    return VersionOfRelease(KernelRelease());
}

std::optional<KWOsVersionRecord> KWSystemOsVersionSource::ReadBasicVersion() const {
    return ReadExtendedVersion();
}

std::optional<std::string> KWSystemOsVersionSource::ReadProductType() const {
    return std::string(kWorkstation);
}

std::optional<std::uint32_t> KWSystemOsVersionSource::ReadEnableBigLba() const {
    return kBigLbaEnabled;
}

std::shared_ptr<const KWOsVersionSource> KWGetOsVersionSource() {
    std::lock_guard lock(s_sourceMutex);
    return s_source ? s_source : SystemSource();
}

std::shared_ptr<const KWOsVersionSource>
KWSetOsVersionSource(std::shared_ptr<const KWOsVersionSource> source) {
    std::lock_guard lock(s_sourceMutex);
    std::shared_ptr<const KWOsVersionSource> previous = std::move(s_source);
    s_source = std::move(source);
    return previous;
}
