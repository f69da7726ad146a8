#pragma once
#include <cstdint>

// The channels a data packet's stream carries: bit 3 channel 1, bit 2 channel 2, bit 1 channel
// 3, bit 0 channel 4, bit 4 one full-size composite picture instead of four channels.
namespace QXChannelSet {
constexpr std::uint8_t kMask = 0x1F;
constexpr std::uint8_t kCompositeBit = 0x10;
constexpr int kCompositeIndex = 4;
constexpr int kChannelIndices = 5; // channels 0-3 and the composite picture

inline std::uint8_t Bits(std::uint8_t set) {
    return set & kMask;
}

// Frames in one channel cycle of the stream: 1 for the composite, else the channels present.
inline int Count(std::uint8_t set) {
    if (set & kCompositeBit)
        return 1;
    return ((set >> 3) & 1) + ((set >> 2) & 1) + ((set >> 1) & 1) + (set & 1);
}

// Channel index 0-3 tests bits 3-0; index 4 tests the composite bit.
inline bool Has(std::uint8_t set, int index) {
    if (index == kCompositeIndex)
        return (set & kCompositeBit) != 0;
    return index >= 0 && index < kCompositeIndex && ((set >> (3 - index)) & 1) != 0;
}

inline bool Equal(std::uint8_t a, std::uint8_t b) {
    return Bits(a) == Bits(b);
}
} // namespace QXChannelSet
