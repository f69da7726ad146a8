#include "QXInverseDct.h"

#include "KWCpuFeatures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <utility>
#include <vector>

namespace {

// basis[k][n] = c(k) / 2 x cos((2n + 1) k pi / 16), c(0) = 1 / sqrt(2), else 1.
struct Basis {
    double at[8][8];
    Basis() {
        for (int k = 0; k < 8; ++k)
            for (int n = 0; n < 8; ++n)
                at[k][n] = (k == 0 ? std::numbers::sqrt2 / 2 : 1.0) / 2 *
                           std::cos((2 * n + 1) * k * std::numbers::pi / 16);
    }
};
const Basis kBasis;

// Double-precision transforms, one dimension at a time; coefficient 0 is eight times the
// block's mean. `inverse` selects the direction.
void Reference(const double in[64], double out[64], bool inverse) {
    double middle[64];
    for (int a = 0; a < 8; ++a)
        for (int b = 0; b < 8; ++b) {
            double sum = 0;
            for (int k = 0; k < 8; ++k)
                sum += (inverse ? kBasis.at[k][b] : kBasis.at[b][k]) * in[a * 8 + k];
            middle[a * 8 + b] = sum;
        }
    for (int a = 0; a < 8; ++a)
        for (int b = 0; b < 8; ++b) {
            double sum = 0;
            for (int k = 0; k < 8; ++k)
                sum += (inverse ? kBasis.at[k][a] : kBasis.at[a][k]) * middle[k * 8 + b];
            out[a * 8 + b] = sum;
        }
}

struct Errors {
    int peak = 0;
    double pixelSquared[64] = {};
    double pixelSum[64] = {};
};

// The accuracy procedure for 8x8 inverse transforms (IEEE 1180): random blocks in [-low, high]
// are transformed forward in double precision, rounded and limited to -2048..2047, and the
// integer inverse is compared with the rounded double-precision inverse.
Errors Measure(int low, int high, int sign, int blocks) {
    std::mt19937 random(static_cast<unsigned>(low * 7 + high + sign));
    std::uniform_int_distribution<int> pixel(-low, high);
    Errors errors;
    for (int n = 0; n < blocks; ++n) {
        double pixels[64], coefficients[64], reference[64];
        std::int32_t block[64];
        for (double& p : pixels)
            p = sign * pixel(random);
        Reference(pixels, coefficients, false);
        for (int i = 0; i < 64; ++i) {
            coefficients[i] = std::clamp(std::round(coefficients[i]), -2048.0, 2047.0);
            block[i] = static_cast<std::int32_t>(coefficients[i]);
        }
        Reference(coefficients, reference, true);
        QXInverseDct::Transform(block);
        for (int i = 0; i < 64; ++i) {
            const int expected =
                static_cast<int>(std::clamp(std::round(reference[i]), -256.0, 255.0));
            const int error = block[i] - expected;
            errors.peak = std::max(errors.peak, std::abs(error));
            errors.pixelSquared[i] += error * error;
            errors.pixelSum[i] += error;
        }
    }
    return errors;
}

// The transform as first written, kept here so that faster versions can be held to exactly its
// results: rows, then columns through the clip, with 64-bit products where damaged input needs
// them.
namespace Kept {
constexpr std::int64_t W1 = 2841, W2 = 2676, W3 = 2408, W5 = 1609, W6 = 1108, W7 = 565;

std::int64_t Rotate(std::int64_t v) {
    return (181 * v + 128) >> 8;
}

void Row(std::int64_t* b) {
    std::int64_t x1 = b[4] * 2048, x2 = b[6], x3 = b[2], x4 = b[1], x5 = b[7], x6 = b[5], x7 = b[3];
    if (!(x1 | x2 | x3 | x4 | x5 | x6 | x7)) {
        std::fill(b, b + 8, b[0] * 8);
        return;
    }
    std::int64_t x0 = b[0] * 2048 + 128;
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
    x2 = Rotate(x4 + x5);
    x4 = Rotate(x4 - x5);
    const std::int64_t out[8] = {x7 + x1, x3 + x2, x0 + x4, x8 + x6,
                                 x8 - x6, x0 - x4, x3 - x2, x7 - x1};
    for (int i = 0; i < 8; ++i)
        b[i] = out[i] >> 8;
}

std::int64_t Clip(std::int64_t v) {
    return std::clamp<std::int64_t>(v, -256, 255);
}

void Column(std::int64_t* b) {
    std::int64_t x1 = b[32] * 256, x2 = b[48], x3 = b[16], x4 = b[8], x5 = b[56], x6 = b[40],
                 x7 = b[24];
    if (!(x1 | x2 | x3 | x4 | x5 | x6 | x7)) {
        const std::int64_t value = Clip((b[0] + 32) >> 6);
        for (int i = 0; i < 8; ++i)
            b[8 * i] = value;
        return;
    }
    std::int64_t x0 = b[0] * 256 + 8192;
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
    x2 = Rotate(x4 + x5);
    x4 = Rotate(x4 - x5);
    const std::int64_t out[8] = {x7 + x1, x3 + x2, x0 + x4, x8 + x6,
                                 x8 - x6, x0 - x4, x3 - x2, x7 - x1};
    for (int i = 0; i < 8; ++i)
        b[8 * i] = Clip(out[i] >> 14);
}

void Transform(const std::int32_t in[64], std::int32_t out[64]) {
    std::int64_t b[64];
    std::copy(in, in + 64, b);
    for (int row = 0; row < 8; ++row)
        Row(b + 8 * row);
    for (int column = 0; column < 8; ++column)
        Column(b + column);
    std::copy(b, b + 64, out);
}
} // namespace Kept

// Blocks of every shape the decoder meets: flat, first row or column only, a few coefficients
// anywhere, busy, and damaged ones at the coefficient limits.
void RandomBlock(std::mt19937& random, std::int32_t block[64]) {
    std::fill(block, block + 64, 0);
    const auto value = [&random](int limit) {
        return static_cast<std::int32_t>(random() % (2 * limit + 1)) - limit;
    };
    const auto extreme = [&random] { return (random() & 1) ? 2047 : -2048; };
    switch (random() % 8) {
    case 0:
        block[0] = value(2048);
        break;
    case 1:
        for (int i = 0; i < 8; ++i)
            block[i] = value(300);
        break;
    case 2:
        for (int i = 0; i < 8; ++i)
            block[8 * i] = value(300);
        break;
    case 3:
        for (int n = random() % 6; n >= 0; --n)
            block[random() % 64] = value(random() % 2 ? 40 : 2047);
        break;
    case 4:
        for (int i = 0; i < 64; ++i)
            block[i] = value(2047);
        break;
    case 5:
        for (int i = 0; i < 64; ++i)
            block[i] = extreme();
        break;
    case 6:
        for (int n = random() % 10; n >= 0; --n)
            block[random() % 64] = extreme();
        break;
    default:
        for (int row = 0; row < 8; ++row)
            if (random() % 3 == 0)
                for (int i = 0; i < 8; ++i)
                    block[8 * row + i] = value(random() % 2 ? 20 : 800);
        break;
    }
    block[0] = std::clamp(block[0], -2048, 2047);
}

} // namespace

TEST(QXInverseDct, GivesExactlyTheResultsOfTheKeptTransform) {
    std::mt19937 random(5);
    for (int n = 0; n < 200000; ++n) {
        std::int32_t block[64], expected[64];
        RandomBlock(random, block);
        Kept::Transform(block, expected);
        QXInverseDct::Transform(block);
        ASSERT_TRUE(std::equal(block, block + 64, expected)) << n;
    }
}

// Every implementation of the transform into pixels: the kept results limited to 0..255, only
// the lines asked for, each in its place.
TEST(QXInverseDct, EveryPixelPathGivesTheKeptResults) {
    std::vector<std::pair<const char*, QXInverseDct::Detail::ToPixels>> paths = {
        {"portable", QXInverseDct::Detail::ToPixelsPortable},
        {"chosen", QXInverseDct::TransformToPixels}};
    if (KWHaveAvx2())
        paths.emplace_back("avx2", QXInverseDct::Detail::ToPixelsAvx2);
    constexpr int kPitch = 13;
    for (const auto& [name, path] : paths) {
        SCOPED_TRACE(name);
        std::mt19937 random(6);
        for (int n = 0; n < 100000; ++n) {
            std::int32_t block[64], expected[64];
            RandomBlock(random, block);
            Kept::Transform(block, expected);
            const int lines = n % 3 == 0 ? static_cast<int>(random() % 9) : 8;
            // The rows holding coefficients, now and then with empty ones marked too.
            unsigned rows = n % 5 == 0 ? random() & 0xFF : 0;
            for (int i = 0; i < 64; ++i)
                if (block[i])
                    rows |= 1u << (i / 8);
            std::uint8_t out[kPitch * 8];
            std::fill(std::begin(out), std::end(out), 0xA5);
            path(block, rows, out, kPitch, lines);
            ASSERT_TRUE(std::all_of(block, block + 64, [](std::int32_t c) { return c == 0; }));
            for (int line = 0; line < 8; ++line)
                for (int i = 0; i < kPitch; ++i) {
                    const int want =
                        line < lines && i < 8 ? std::clamp(expected[line * 8 + i], 0, 255) : 0xA5;
                    ASSERT_EQ(out[line * kPitch + i], want) << n << " line " << line << " " << i;
                }
        }
    }
}

TEST(QXInverseDct, MeetsTheAccuracyBoundsOfIeee1180) {
    constexpr int kBlocks = 10000;
    const int ranges[][2] = {{256, 255}, {5, 5}, {300, 300}};
    for (const auto& range : ranges)
        for (int sign : {1, -1}) {
            SCOPED_TRACE(testing::Message()
                         << "-" << range[0] << ".." << range[1] << " sign " << sign);
            const Errors e = Measure(range[0], range[1], sign, kBlocks);
            EXPECT_LE(e.peak, 1);
            double totalSquared = 0, totalSum = 0;
            for (int i = 0; i < 64; ++i) {
                EXPECT_LE(e.pixelSquared[i] / kBlocks, 0.06) << i;
                EXPECT_LE(std::abs(e.pixelSum[i]) / kBlocks, 0.015) << i;
                totalSquared += e.pixelSquared[i];
                totalSum += e.pixelSum[i];
            }
            EXPECT_LE(totalSquared / (64.0 * kBlocks), 0.02);
            EXPECT_LE(std::abs(totalSum) / (64.0 * kBlocks), 0.0015);
        }
}

TEST(QXInverseDct, ZeroBlockStaysZeroAndDcOnlyIsFlat) {
    std::int32_t block[64] = {};
    QXInverseDct::Transform(block);
    EXPECT_TRUE(std::all_of(block, block + 64, [](std::int32_t v) { return v == 0; }));
    std::fill(block, block + 64, 0);
    block[0] = 100 * 8;
    QXInverseDct::Transform(block);
    EXPECT_TRUE(std::all_of(block, block + 64, [](std::int32_t v) { return v == 100; }));
}

// Coefficients from a damaged stream at the limits must saturate, not overflow or index the
// clip table out of range (this runs under the sanitizers).
TEST(QXInverseDct, ExtremeCoefficientsSaturate) {
    std::mt19937 random(11);
    for (int n = 0; n < 2000; ++n) {
        std::int32_t block[64];
        for (std::int32_t& c : block)
            c = (random() & 1) ? 2047 : -2048;
        if (n % 3 == 0)
            for (int i = 0; i < 64; ++i)
                block[i] = (i % 2 ? 2047 : -2048);
        QXInverseDct::Transform(block);
        for (std::int32_t v : block) {
            ASSERT_GE(v, -256);
            ASSERT_LE(v, 255);
        }
    }
    for (int i = 0; i < QXInverseDct::kClipSize; ++i)
        EXPECT_EQ(QXInverseDct::kClip.entries[i],
                  std::clamp(i + QXInverseDct::kClipLow, -256, 255));
}
