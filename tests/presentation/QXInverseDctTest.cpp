#include "QXInverseDct.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

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

} // namespace

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
