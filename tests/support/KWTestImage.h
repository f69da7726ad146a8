#pragma once
#include <array>
#include <cstdint>
#include <string>

// A disk image file for tests: created sparse (no data is written for its size), with packet
// headers written where a test wants recorded packets. Headers are given as a reader sees them
// and stored with their 16-bit words exchanged, as the recorder stores them.
class KWTestImage {
public:
    static constexpr std::uint64_t kSectorSize = 512;
    static constexpr std::uint64_t kPacketSize = 4096;
    using Header = std::array<std::uint8_t, 8>;

    // 2006-12-27 15:30:45, interval code 0, channel 1 only.
    static constexpr Header kDataHeader = {0x06, 0x0C, 0x1B, 0x0F, 0x1E, 0x2D, 0x00, 0x08};
    // An audio packet whose bytes 1-5 are no valid time.
    static constexpr Header kAudioHeader = {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF1, 0xF0};
    // An audio packet that carries a valid time.
    static constexpr Header kTimedAudioHeader = {0x86, 0x0C, 0x1B, 0x0F, 0x1E, 0x2D, 0xF1, 0xF0};

    // Creates or replaces the file with `bytes` bytes of zeros.
    KWTestImage(std::string path, std::uint64_t bytes);

    const std::string& Path() const { return m_path; }
    void WriteHeader(std::uint64_t packet, const Header& header) const;
    void WriteDataPackets(std::uint64_t first, std::uint64_t count) const;
    // A checksum of the whole content and size.
    std::uint64_t Checksum() const;

    // The size in bytes of an image whose reported geometry is `cylinders` whole cylinders.
    static std::uint64_t CylinderBytes(std::uint64_t cylinders) {
        return cylinders * 255 * 63 * kSectorSize;
    }

private:
    std::string m_path;
};
