#pragma once
#include <array>
#include <cstdint>

// The DVR's 8-bit companded audio samples. Bit 7 is the sign (set = negative); the seven low
// bits, with their even bits inverted, pick a magnitude on a segmented scale from 0 to 4016.
// The expansion is fixed by the recorder's stored sound; Compress is its closest inverse, for
// writing synthetic recordings.
namespace QXCompanding {
constexpr std::uint8_t kSignBit = 0x80;
constexpr std::uint8_t kInversionMask = 0x55;
constexpr int kCodes = 128;
constexpr int kMaxMagnitude = 4016;

// Magnitude of a code's seven low bits after the inversion (x = 0..127), before gain and sign.
// The top segment starts at 2096, not 2048, as the recorder's players always expanded it.
constexpr int SegmentMagnitude(int x) {
    if (x <= 32)
        return 2 * x;
    if (x <= 48)
        return 4 * x - 64;
    if (x <= 64)
        return 8 * x - 256;
    if (x <= 80)
        return 16 * (x - 64) + 256;
    if (x <= 96)
        return 32 * (x - 80) + 512;
    if (x <= 112)
        return 64 * (x - 96) + 1024;
    return 128 * (x - 112) + 2096;
}

// kMagnitudes[b & 0x7F] is the magnitude of companded byte b.
constexpr std::array<std::uint16_t, kCodes> MakeMagnitudeTable() {
    std::array<std::uint16_t, kCodes> table{};
    for (int t = 0; t < kCodes; ++t)
        table[t] = static_cast<std::uint16_t>(SegmentMagnitude(t ^ kInversionMask));
    return table;
}
inline constexpr std::array<std::uint16_t, kCodes> kMagnitudes = MakeMagnitudeTable();

// One 16-bit linear sample: magnitude times gain, truncated toward zero, negated for a set sign
// bit. Products beyond the 16-bit range saturate instead of wrapping round.
inline std::int16_t Expand(std::uint8_t code, float gain) {
    const float scaled = static_cast<float>(kMagnitudes[code & 0x7F]) * gain;
    const auto sample = static_cast<std::int16_t>(scaled < 32767.0f ? scaled : 32767.0f);
    return (code & kSignBit) ? static_cast<std::int16_t>(-sample) : sample;
}

// The code whose expansion at gain 1 lies closest to a linear value in -4016..4016 (values
// beyond are clamped); ties go to the smaller magnitude. Zero compresses to 0x55.
std::uint8_t Compress(int linear);
} // namespace QXCompanding
