#pragma once
#include "CQX4KPacket.h"

#include <cstdint>

// A place in a device stream: packet index * 4096 + byte offset within the packet. A frame is
// named by the place of the last byte of its start code (00 00 01 F8), after which its reader
// begins to collect it; a packet's own start (offset 0) lies before every start code that ends in
// it.
namespace QXStreamPlace {
constexpr std::uint64_t Of(std::uint32_t packet, std::uint32_t offset) {
    return std::uint64_t{packet} * CQX4KPacket::kSize + offset;
}
constexpr std::uint32_t Packet(std::uint64_t place) {
    return static_cast<std::uint32_t>(place / CQX4KPacket::kSize);
}
constexpr std::uint32_t Offset(std::uint64_t place) {
    return static_cast<std::uint32_t>(place % CQX4KPacket::kSize);
}
} // namespace QXStreamPlace
