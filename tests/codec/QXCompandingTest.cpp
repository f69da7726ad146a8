#include "QXCompanding.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {
constexpr float kGainAtSlider50 = 4.0f;
constexpr float kGainAtSlider100 = 8.0f;

// The code whose seven low bits, once inverted, are x.
std::uint8_t CodeFor(int x, bool negative = false) {
    const auto code = static_cast<std::uint8_t>(x ^ QXCompanding::kInversionMask);
    return negative ? static_cast<std::uint8_t>(code | QXCompanding::kSignBit) : code;
}
} // namespace

TEST(QXCompanding, ExpandsTheRecordersExamples) {
    EXPECT_EQ(QXCompanding::Expand(0x55, kGainAtSlider50), 0);
    EXPECT_EQ(QXCompanding::Expand(0xD5, kGainAtSlider50), 0); // minus zero
    EXPECT_EQ(QXCompanding::Expand(0x2A, 1.0f), 4016);
    EXPECT_EQ(QXCompanding::Expand(0x2A, kGainAtSlider50), 16064);
    EXPECT_EQ(QXCompanding::Expand(0xAA, kGainAtSlider50), -16064);
    EXPECT_EQ(QXCompanding::Expand(0x2A, kGainAtSlider100), 32128);
    EXPECT_EQ(QXCompanding::Expand(0xAA, kGainAtSlider100), -32128);
}

TEST(QXCompanding, SliderZeroSilencesEveryCode) {
    for (int code = 0; code < 256; ++code)
        EXPECT_EQ(QXCompanding::Expand(static_cast<std::uint8_t>(code), 0.0f), 0) << code;
}

TEST(QXCompanding, SegmentEdgesKeepTheRecordersScale) {
    const struct {
        int x;
        int magnitude;
    } edges[] = {{1, 2},     {32, 64},    {33, 68},    {48, 128},  {49, 136},
                 {64, 256},  {65, 272},   {80, 512},   {81, 544},  {96, 1024},
                 {97, 1088}, {112, 2048}, {113, 2224}, {127, 4016}};
    for (const auto& edge : edges) {
        EXPECT_EQ(QXCompanding::Expand(CodeFor(edge.x), 1.0f), edge.magnitude) << edge.x;
        EXPECT_EQ(QXCompanding::Expand(CodeFor(edge.x, true), 1.0f), -edge.magnitude) << edge.x;
    }
}

TEST(QXCompanding, ScalingTruncatesTowardZero) {
    // Magnitude 2 at gain 0.25 is 0.5: both signs give 0, not -1 for the negative one.
    EXPECT_EQ(QXCompanding::Expand(CodeFor(1), 0.25f), 0);
    EXPECT_EQ(QXCompanding::Expand(CodeFor(1, true), 0.25f), 0);
    // 2224 * 0.3 = 667.2
    EXPECT_EQ(QXCompanding::Expand(CodeFor(113), 0.3f), 667);
    EXPECT_EQ(QXCompanding::Expand(CodeFor(113, true), 0.3f), -667);
}

TEST(QXCompanding, GainsBeyondTheSliderSaturateInsteadOfWrapping) {
    const float gain = 65535.0f / 12.5f;
    EXPECT_EQ(QXCompanding::Expand(0x2A, gain), 32767);
    EXPECT_EQ(QXCompanding::Expand(0xAA, gain), -32767);
    EXPECT_GT(QXCompanding::Expand(CodeFor(64), gain), 0);
}

TEST(QXCompanding, CompressPicksTheClosestExpansion) {
    for (int linear = -QXCompanding::kMaxMagnitude; linear <= QXCompanding::kMaxMagnitude;
         ++linear) {
        const int chosen = QXCompanding::Expand(QXCompanding::Compress(linear), 1.0f);
        int best = 1 << 30;
        for (int code = 0; code < 256; ++code)
            best = std::min(
                best,
                std::abs(QXCompanding::Expand(static_cast<std::uint8_t>(code), 1.0f) - linear));
        ASSERT_EQ(std::abs(chosen - linear), best) << linear;
    }
}

TEST(QXCompanding, CompressKeepsSignZeroAndClampsOutOfRange) {
    EXPECT_EQ(QXCompanding::Compress(0), 0x55);
    EXPECT_EQ(QXCompanding::Compress(100000), 0x2A);
    EXPECT_EQ(QXCompanding::Compress(-100000), 0xAA);
    EXPECT_EQ(QXCompanding::Compress(-32768), 0xAA);
    EXPECT_EQ(QXCompanding::Compress(2225), CodeFor(113));
    EXPECT_EQ(QXCompanding::Compress(-2225), CodeFor(113, true));
}

TEST(QXCompanding, EveryExpansionCompressesBackToItself) {
    for (int code = 0; code < 256; ++code) {
        const int linear = QXCompanding::Expand(static_cast<std::uint8_t>(code), 1.0f);
        EXPECT_EQ(QXCompanding::Expand(QXCompanding::Compress(linear), 1.0f), linear) << code;
    }
}
