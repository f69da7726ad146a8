#include "QXInverseDct.h"

#include "KWScopedSimdLevel.h"
#include "KWSimdLevelTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <random>
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

namespace {

constexpr int kWidestPitch = 21;
constexpr std::uint8_t kUntouched = 0xA5;

// One call of TransformToPixels. `rows` marks at least the rows holding coefficients.
struct PixelCase {
    std::array<std::int32_t, 64> block;
    unsigned rows;
    int lines;
    int pitch;
};

unsigned RowsHolding(const std::array<std::int32_t, 64>& block) {
    unsigned rows = 0;
    for (int i = 0; i < 64; ++i)
        if (block[static_cast<std::size_t>(i)])
            rows |= 1u << (i / 8);
    return rows;
}

// What one call leaves behind: the block and the pixel lines, with the bytes around them.
struct PixelResult {
    std::array<std::int32_t, 64> block;
    std::array<std::uint8_t, kWidestPitch * 8> out;
    bool operator==(const PixelResult&) const = default;
};

PixelResult RunAt(KWSimdLevel level, const PixelCase& c) {
    const KWScopedSimdLevel selected(QXInverseDct::SelectKernels, level);
    EXPECT_TRUE(selected.Selected());
    PixelResult result{c.block, {}};
    result.out.fill(kUntouched);
    QXInverseDct::TransformToPixels(result.block.data(), c.rows, result.out.data(), c.pitch,
                                    c.lines);
    return result;
}

// Random blocks, extreme ones, every single coefficient, every pattern of marked rows, every
// line count and several pitches.
std::vector<PixelCase> PixelCases() {
    std::vector<PixelCase> cases;
    std::mt19937 random(6);
    const int pitches[] = {8, 9, 13, kWidestPitch};
    auto add = [&](const std::array<std::int32_t, 64>& block, unsigned extraRows) {
        const int lines = static_cast<int>(cases.size() % 9);
        const int pitch = pitches[cases.size() % std::size(pitches)];
        cases.push_back({block, RowsHolding(block) | extraRows, lines, pitch});
        cases.push_back({block, RowsHolding(block), 8, 8});
    };
    for (int n = 0; n < 50000; ++n) {
        std::array<std::int32_t, 64> block;
        RandomBlock(random, block.data());
        add(block, n % 5 == 0 ? random() & 0xFF : 0);
    }
    std::array<std::int32_t, 64> block;
    for (const std::int32_t value : {-2048, 2047, 0}) {
        block.fill(value);
        add(block, 0);
    }
    for (int parity = 0; parity < 2; ++parity) {
        for (int i = 0; i < 64; ++i)
            block[static_cast<std::size_t>(i)] = (i + parity) % 2 ? 2047 : -2048;
        add(block, 0);
        for (int i = 0; i < 64; ++i)
            block[static_cast<std::size_t>(i)] = (i / 8 + i + parity) % 2 ? 2047 : -2048;
        add(block, 0);
    }
    for (int i = 0; i < 64; ++i)
        for (const std::int32_t value : {-2048, -100, -1, 1, 7, 100, 2047}) {
            block.fill(0);
            block[static_cast<std::size_t>(i)] = value;
            add(block, 0);
        }
    for (unsigned rows = 0; rows < 256; ++rows)
        for (int round = 0; round < 4; ++round) {
            block.fill(0);
            for (int i = 0; i < 64; ++i)
                if (((rows >> (i / 8)) & 1) != 0 && random() % 3 != 0)
                    block[static_cast<std::size_t>(i)] =
                        static_cast<std::int32_t>(random() % 801) - 400;
            cases.push_back({block, rows | RowsHolding(block), round * 2 + 1, 13});
        }
    return cases;
}

} // namespace

// The portable kernel: the transform's results limited to 0..255, only the lines asked for,
// each in its place, and the block cleared.
TEST(QXInverseDct, PortableKernelWritesTheLimitedTransformIntoTheLinesAskedFor) {
    for (const PixelCase& c : PixelCases()) {
        const PixelResult result = RunAt(KWSimdLevel::kPortable, c);
        std::array<std::int32_t, 64> expected = c.block;
        QXInverseDct::Transform(expected.data());
        ASSERT_TRUE(std::all_of(result.block.begin(), result.block.end(),
                                [](std::int32_t v) { return v == 0; }));
        for (int line = 0; line < 8; ++line)
            for (int i = 0; i < c.pitch; ++i) {
                const int want =
                    line < c.lines && i < 8
                        ? std::clamp(expected[static_cast<std::size_t>(line * 8 + i)], 0, 255)
                        : kUntouched;
                ASSERT_EQ(result.out[static_cast<std::size_t>(line * c.pitch + i)], want)
                    << "line " << line << " byte " << i;
            }
    }
}

using QXInverseDctLevels = KWSimdLevelTest;

TEST_P(QXInverseDctLevels, GiveExactlyThePortableKernelsResults) {
    int n = 0;
    for (const PixelCase& c : PixelCases()) {
        ASSERT_TRUE(RunAt(GetParam(), c) == RunAt(KWSimdLevel::kPortable, c))
            << "case " << n << " rows " << c.rows << " lines " << c.lines << " pitch " << c.pitch;
        ++n;
    }
}

INSTANTIATE_TEST_SUITE_P(Vector, QXInverseDctLevels, testing::ValuesIn(kKWVectorLevels),
                         testing::PrintToStringParamName());

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
