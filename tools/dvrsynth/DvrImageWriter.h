#pragma once
#include <cstdint>
#include <string>

// Writes a disk image the way the recorder lays out its disk: 4 KB packets from sector 0 with
// their 16-bit words byte-exchanged, and the event area in the last 16 sectors. The image is
// sparse: only written packets take space. Its size is rounded up to a whole cylinder of the
// geometry a disk image reports (255 heads x 63 sectors), so the geometry gives its exact size.
class DvrImageWriter {
public:
    static constexpr std::uint64_t kCylinderBytes = 255ull * 63 * 512;
    static constexpr std::uint64_t kEventAreaBytes = 16 * 512;

    ~DvrImageWriter();
    // A size of 0 leaves the size open until Resize: the image then takes any number of packets.
    bool Open(const std::string& path, std::uint64_t minimumBytes);
    bool Resize(std::uint64_t minimumBytes);
    bool Close();

    std::uint64_t SizeBytes() const { return m_size; }
    // Packets that fit in front of the event area.
    std::uint64_t CapacityPackets() const;
    static std::uint64_t BytesForPackets(std::uint64_t packets);

    // `packet` holds 4096 bytes in logical order; they are written exchanged.
    bool WritePacket(std::uint64_t index, const std::uint8_t* packet);
    // The 8192-byte event area, written as it is.
    bool WriteEventArea(const std::uint8_t* area);

    const std::string& Error() const { return m_error; }

private:
    bool Fail(const std::string& what);
    int m_fd = -1;
    std::uint64_t m_size = 0;
    std::string m_path;
    std::string m_error;
};
