#pragma once
#include <cstdint>

class CQX4KPacket;

// Where a stream's packets come from: a device, an image file or memory.
class CQXPacketSource {
public:
    virtual ~CQXPacketSource() = default;
    // Reads packet `index` into `packet` with its 16-bit words already exchanged. 1/0.
    [[nodiscard]] virtual int ReadPacket(std::uint32_t index, CQX4KPacket& packet) = 0;
    // The index of the stream's last valid packet (the stream length).
    virtual std::uint32_t GetStreamLength() const = 0;
};
