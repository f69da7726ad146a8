#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

// The facts the viewer's platform check asks of the operating system, as the classes expect
// them from a Windows system: the version record, the product type and the disk driver's
// 48-bit addressing switch. Each may be unavailable.
enum class KWOsPlatform : std::uint32_t { kWin32s = 0, kWindows9x = 1, kNt = 2 };

struct KWOsVersionRecord {
    KWOsPlatform platform = KWOsPlatform::kNt;
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;
    // Zero in the basic record, which has no service pack numbers.
    std::uint16_t servicePackMajor = 0;
    std::uint16_t servicePackMinor = 0;
    std::string servicePackText;
};

class KWOsVersionSource {
public:
    virtual ~KWOsVersionSource() = default;
    // The extended record (with service pack numbers), else the basic one.
    virtual std::optional<KWOsVersionRecord> ReadExtendedVersion() const = 0;
    virtual std::optional<KWOsVersionRecord> ReadBasicVersion() const = 0;
    // "WinNT", "ServerNT", "LanmanNT" in any case.
    virtual std::optional<std::string> ReadProductType() const = 0;
    // The disk driver's "EnableBigLba" value.
    virtual std::optional<std::uint32_t> ReadEnableBigLba() const = 0;
};

// This system: an NT platform whose version comes from the kernel release and is always later
// than every version the platform check knows, a workstation, no service pack, and 48-bit
// addressing, which every Linux disk driver has.
class KWSystemOsVersionSource : public KWOsVersionSource {
public:
    std::optional<KWOsVersionRecord> ReadExtendedVersion() const override;
    std::optional<KWOsVersionRecord> ReadBasicVersion() const override;
    std::optional<std::string> ReadProductType() const override;
    std::optional<std::uint32_t> ReadEnableBigLba() const override;

    // The kernel's release text ("6.1.0-13-amd64"), empty when it cannot be read.
    static std::string KernelRelease();
    // Major, minor and build of a release text; the version reported is raised to 6.0.0 when
    // the kernel's is not later than 5.2.
    static KWOsVersionRecord VersionOfRelease(const std::string& release);
};

// The source every CKWSystemOsInfo asks: the system's, unless replaced (tests simulate other
// systems). Replacing returns the previous source; null restores the system's.
std::shared_ptr<const KWOsVersionSource> KWGetOsVersionSource();
std::shared_ptr<const KWOsVersionSource>
KWSetOsVersionSource(std::shared_ptr<const KWOsVersionSource> source);
