#pragma once
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

// The drive geometry as a disk controller reports it. The sector count it implies (cylinders x
// tracks x sectors) may fall short of the real size.
struct KWDriveGeometry {
    std::uint64_t cylinders = 0;
    std::uint32_t mediaType = 0;
    std::uint32_t tracksPerCylinder = 0;
    std::uint32_t sectorsPerTrack = 0;
    std::uint32_t bytesPerSector = 0;
};

// One read-only handle on a raw drive: a whole-disk block device or a disk image file. Nothing is
// ever written through it. Reads behave like a disk's: a read that begins at or past the end
// fails, one that crosses the end is short. One handle serves one thread at a time; only
// IsOpen may be asked from anywhere.
class KWRawDrive {
public:
    static constexpr std::uint32_t kSectorSize = 512;
    static constexpr std::size_t kIdentifySize = 512;
    static constexpr std::uint32_t kMediaRemovable = 11;
    static constexpr std::uint32_t kMediaFixed = 12;
    using IdentifyData = std::array<std::uint8_t, kIdentifySize>;

    KWRawDrive() = default;
    ~KWRawDrive();
    KWRawDrive(const KWRawDrive&) = delete;
    KWRawDrive& operator=(const KWRawDrive&) = delete;

    // Opens an existing block device or regular file for reading; anything else is refused.
    [[nodiscard]] bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return m_fd.load() >= 0; }

    bool GetGeometry(KWDriveGeometry& geometry) const;
    // ATA IDENTIFY DEVICE through SCSI pass-through; image files are never ATA drives.
    bool Identify(IdentifyData& data) const;
    // Prevents (or allows again) removal of the medium; succeeds without effect on image files.
    bool SetMediaRemoval(bool prevent) const;

    // Moves the read position; any offset a disk could address is accepted.
    [[nodiscard]] bool Seek(std::uint64_t byteOffset);
    // Reads at the position and advances it. Returns the bytes read, or -1 with errno set when
    // the read fails or begins at or past the end.
    [[nodiscard]] long long Read(void* buffer, std::size_t bytes);

private:
    bool IsBlockDevice() const;
    std::uint64_t SizeInBytes() const;
    bool SendScsiCommand(const std::uint8_t* command, std::size_t commandLength, void* data,
                         std::size_t dataLength) const;

    std::atomic<int> m_fd{-1};
    std::uint64_t m_position = 0;
};
