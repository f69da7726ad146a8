#include "QXInverseDct.h"

#include <algorithm>

namespace QXInverseDct {
namespace {

// 2048 x sqrt(2) x cos(k x pi / 16)
constexpr std::int64_t W1 = 2841;
constexpr std::int64_t W2 = 2676;
constexpr std::int64_t W3 = 2408;
constexpr std::int64_t W5 = 1609;
constexpr std::int64_t W6 = 1108;
constexpr std::int64_t W7 = 565;
constexpr std::int64_t kHalfSqrt2 = 181; // 256 / sqrt(2)

constexpr ClipTable BuildClip() {
    ClipTable table;
    for (int i = 0; i < kClipSize; ++i)
        table.entries[i] = static_cast<std::int16_t>(std::clamp(i + kClipLow, -256, 255));
    return table;
}

// Damaged streams can carry coefficients whose transform leaves the table's index range; such
// results saturate instead of reading beyond it.
inline std::int32_t Clip(std::int64_t value) {
    const std::int64_t index = std::clamp<std::int64_t>(value, kClipLow, kClipLow + kClipSize - 1);
    return kClip.entries[index - kClipLow];
}

// Intermediate sums are 64-bit: coefficients from a damaged stream may reach values whose
// products overflow 32 bits, while valid pictures give the same results either way.
void Row(std::int32_t* b) {
    std::int64_t x1 = std::int64_t{b[4]} * 2048, x2 = b[6], x3 = b[2], x4 = b[1], x5 = b[7],
                 x6 = b[5], x7 = b[3];
    if (!(x1 | x2 | x3 | x4 | x5 | x6 | x7)) {
        const std::int32_t dc = b[0] * 8;
        std::fill(b, b + 8, dc);
        return;
    }
    std::int64_t x0 = std::int64_t{b[0]} * 2048 + 128;

    std::int64_t x8 = W7 * (x4 + x5);
    x4 = x8 + (W1 - W7) * x4;
    x5 = x8 - (W1 + W7) * x5;
    x8 = W3 * (x6 + x7);
    x6 = x8 - (W3 - W5) * x6;
    x7 = x8 - (W3 + W5) * x7;

    x8 = x0 + x1;
    x0 -= x1;
    x1 = W6 * (x3 + x2);
    x2 = x1 - (W2 + W6) * x2;
    x3 = x1 + (W2 - W6) * x3;
    x1 = x4 + x6;
    x4 -= x6;
    x6 = x5 + x7;
    x5 -= x7;

    x7 = x8 + x3;
    x8 -= x3;
    x3 = x0 + x2;
    x0 -= x2;
    x2 = (kHalfSqrt2 * (x4 + x5) + 128) >> 8;
    x4 = (kHalfSqrt2 * (x4 - x5) + 128) >> 8;

    b[0] = static_cast<std::int32_t>((x7 + x1) >> 8);
    b[1] = static_cast<std::int32_t>((x3 + x2) >> 8);
    b[2] = static_cast<std::int32_t>((x0 + x4) >> 8);
    b[3] = static_cast<std::int32_t>((x8 + x6) >> 8);
    b[4] = static_cast<std::int32_t>((x8 - x6) >> 8);
    b[5] = static_cast<std::int32_t>((x0 - x4) >> 8);
    b[6] = static_cast<std::int32_t>((x3 - x2) >> 8);
    b[7] = static_cast<std::int32_t>((x7 - x1) >> 8);
}

void Column(std::int32_t* b) {
    std::int64_t x1 = std::int64_t{b[8 * 4]} * 256, x2 = b[8 * 6], x3 = b[8 * 2], x4 = b[8 * 1],
                 x5 = b[8 * 7], x6 = b[8 * 5], x7 = b[8 * 3];
    if (!(x1 | x2 | x3 | x4 | x5 | x6 | x7)) {
        const std::int32_t value = Clip((std::int64_t{b[0]} + 32) >> 6);
        for (int i = 0; i < 8; ++i)
            b[8 * i] = value;
        return;
    }
    std::int64_t x0 = std::int64_t{b[0]} * 256 + 8192;

    std::int64_t x8 = W7 * (x4 + x5) + 4;
    x4 = (x8 + (W1 - W7) * x4) >> 3;
    x5 = (x8 - (W1 + W7) * x5) >> 3;
    x8 = W3 * (x6 + x7) + 4;
    x6 = (x8 - (W3 - W5) * x6) >> 3;
    x7 = (x8 - (W3 + W5) * x7) >> 3;

    x8 = x0 + x1;
    x0 -= x1;
    x1 = W6 * (x3 + x2) + 4;
    x2 = (x1 - (W2 + W6) * x2) >> 3;
    x3 = (x1 + (W2 - W6) * x3) >> 3;
    x1 = x4 + x6;
    x4 -= x6;
    x6 = x5 + x7;
    x5 -= x7;

    x7 = x8 + x3;
    x8 -= x3;
    x3 = x0 + x2;
    x0 -= x2;
    x2 = (kHalfSqrt2 * (x4 + x5) + 128) >> 8;
    x4 = (kHalfSqrt2 * (x4 - x5) + 128) >> 8;

    b[8 * 0] = Clip((x7 + x1) >> 14);
    b[8 * 1] = Clip((x3 + x2) >> 14);
    b[8 * 2] = Clip((x0 + x4) >> 14);
    b[8 * 3] = Clip((x8 + x6) >> 14);
    b[8 * 4] = Clip((x8 - x6) >> 14);
    b[8 * 5] = Clip((x0 - x4) >> 14);
    b[8 * 6] = Clip((x3 - x2) >> 14);
    b[8 * 7] = Clip((x7 - x1) >> 14);
}

} // namespace

constexpr ClipTable kClip = BuildClip();

void Transform(std::int32_t block[64]) {
    for (int row = 0; row < 8; ++row)
        Row(block + 8 * row);
    for (int column = 0; column < 8; ++column)
        Column(block + column);
}

} // namespace QXInverseDct
