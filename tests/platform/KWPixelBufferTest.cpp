#include "KWPixelBuffer.h"
#include "KWScopedSimdLevel.h"
#include "KWSimdLevelTest.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <vector>

namespace {
KWPixelBuffer Make(KWPixelLayout layout, int width, int height, int padding = 0) {
    KWPixelBuffer buffer;
    EXPECT_TRUE(buffer.Allocate(layout, width, height, padding));
    return buffer;
}

std::uint32_t PixelAt(const KWPixelBuffer& buffer, int x, int y) {
    std::uint32_t rgb = 0;
    buffer.ReadRow(y, x, 1, &rgb);
    return rgb;
}

void FillRgb(KWPixelBuffer& buffer, std::uint32_t rgb) {
    std::vector<std::uint32_t> row(static_cast<std::size_t>(buffer.GetWidth()), rgb);
    for (int y = 0; y < buffer.GetHeight(); ++y)
        buffer.WriteRow(y, 0, buffer.GetWidth(), row.data());
}
} // namespace

TEST(KWDisplayTypes, PixelFormatsMapToLayoutsAndBack) {
    for (int i = 0; i < kPixelLayoutCount; ++i) {
        const auto layout = static_cast<KWPixelLayout>(i);
        KWPixelLayout found;
        ASSERT_TRUE(KWLayoutFromFormat(KWFormatOfLayout(layout), found));
        EXPECT_EQ(found, layout);
    }
    KWPixelLayout found;
    EXPECT_FALSE(KWLayoutFromFormat({KWPixelFormatFlags::kRGB, 0, 16, 0x7C00, 0x3E0, 0x1F}, found));
    EXPECT_FALSE(
        KWLayoutFromFormat({KWPixelFormatFlags::kFourCC, KWMakeFourCC('Y', 'U', 'Y', '2')}, found));
}

TEST(KWPixelBuffer, PitchIsAlignedAndPaddedAndPlanarSizesMustBeEven) {
    KWPixelBuffer rgb24 = Make(KWPixelLayout::kRGB24, 5, 3, 7);
    EXPECT_EQ(rgb24.GetPitch(), 32); // 15 + 7 rounded up to 16
    EXPECT_EQ(rgb24.GetByteSize(), 96u);
    KWPixelBuffer yv12 = Make(KWPixelLayout::kYV12, 32, 16);
    EXPECT_EQ(yv12.GetByteSize(), 32u * 16 + 2 * 16 * 8);
    KWPixelBuffer odd;
    EXPECT_FALSE(odd.Allocate(KWPixelLayout::kYV12, 31, 16));
    EXPECT_FALSE(odd.Allocate(KWPixelLayout::kRGB32, 0, 16));
    EXPECT_TRUE(odd.IsEmpty());
}

TEST(KWPixelBuffer, FillStaysInsideItsRectangleAndTheRows) {
    KWPixelBuffer buffer = Make(KWPixelLayout::kRGB565, 4, 3, 8);
    buffer.Fill(KWRect{1, 1, 10, 10}, 0xABCD);
    for (int y = 0; y < 3; ++y) {
        const std::uint8_t* row = buffer.GetBits() + y * buffer.GetPitch();
        for (int x = 0; x < 4; ++x) {
            const std::uint16_t value =
                static_cast<std::uint16_t>(row[2 * x] | row[2 * x + 1] << 8);
            EXPECT_EQ(value, (x >= 1 && y >= 1) ? 0xABCD : 0) << x << "," << y;
        }
        for (int i = 8; i < buffer.GetPitch(); ++i)
            EXPECT_EQ(row[i], 0) << "padding of row " << y;
    }
}

TEST(KWPixelBuffer, EveryRgbLayoutKeepsPrimaryColours) {
    const std::array<std::uint32_t, 4> colours = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    for (auto layout : {KWPixelLayout::kRGB565, KWPixelLayout::kBGR565, KWPixelLayout::kRGB24,
                        KWPixelLayout::kRGB32}) {
        KWPixelBuffer buffer = Make(layout, 4, 1);
        buffer.WriteRow(0, 0, 4, colours.data());
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(PixelAt(buffer, x, 0), colours[static_cast<std::size_t>(x)])
                << static_cast<int>(layout) << " pixel " << x;
    }
    KWPixelBuffer bgr = Make(KWPixelLayout::kBGR565, 1, 1);
    const std::uint32_t red = 0xFF0000;
    bgr.WriteRow(0, 0, 1, &red);
    EXPECT_EQ(bgr.GetBits()[0] | bgr.GetBits()[1] << 8, 0x001F); // red in the low bits
}

TEST(KWPixelBuffer, PlanarPixelsReadThroughTheColourConversion) {
    KWPixelBuffer yv12 = Make(KWPixelLayout::kYV12, 4, 2);
    yv12.Fill(yv12.GetBounds(), 128);
    const std::size_t luma = static_cast<std::size_t>(yv12.GetPitch()) * 2;
    std::memset(yv12.GetBits(), 0, luma); // Y = 0, U = V = 128
    EXPECT_EQ(PixelAt(yv12, 1, 1), 0x000000u);
    yv12.GetBits()[2] = 255;
    EXPECT_EQ(PixelAt(yv12, 2, 0), 0xFFFFFFu);
    // V = 255 with Y = 128 drives red to its limit: V is the first chroma plane.
    std::memset(yv12.GetBits(), 128, luma);
    yv12.GetBits()[luma] = 255;
    EXPECT_EQ(PixelAt(yv12, 0, 0) >> 16, 255u);
    EXPECT_EQ(PixelAt(yv12, 2, 0) >> 16, 128u);
}

namespace {
// Row y's pixels from column x on, read with the YUV conversion of `level`.
std::vector<std::uint32_t> PlanarRowAt(KWSimdLevel level, const KWPixelBuffer& buffer, int y, int x,
                                       int count) {
    const KWScopedSimdLevel selected(KWSelectYuvRowKernels, level);
    EXPECT_TRUE(selected.Selected());
    // One guard pixel past the span shows a conversion that writes too far.
    std::vector<std::uint32_t> row(static_cast<std::size_t>(count) + 1, 0xDEADBEEF);
    buffer.ReadRow(y, x, count, row.data());
    EXPECT_EQ(row.back(), 0xDEADBEEFu);
    return row;
}
} // namespace

using KWPixelBufferLevels = KWSimdLevelTest;

// Random samples reach both limits of every channel. The width has no pitch padding and the
// last row's chroma ends the buffer, so a vector reading past the span would leave the memory.
TEST_P(KWPixelBufferLevels, PlanarRowsOfEveryStartAndLengthMatchThePortableConversion) {
    constexpr int kWidth = 96;
    constexpr int kHeight = 6;
    KWPixelBuffer yv12 = Make(KWPixelLayout::kYV12, kWidth, kHeight);
    ASSERT_EQ(yv12.GetPitch(), kWidth);
    std::mt19937 random(20261208);
    for (std::size_t i = 0; i < yv12.GetByteSize(); ++i)
        yv12.GetBits()[i] = static_cast<std::uint8_t>(random());
    for (const int y : {0, kHeight - 1}) {
        for (int x = 0; x < 6; ++x) {
            for (int count = 0; count <= kWidth - x; ++count)
                ASSERT_EQ(PlanarRowAt(GetParam(), yv12, y, x, count),
                          PlanarRowAt(KWSimdLevel::kPortable, yv12, y, x, count))
                    << "row " << y << " from " << x << ", " << count << " pixels";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Vector, KWPixelBufferLevels, testing::ValuesIn(kKWVectorLevels),
                         testing::PrintToStringParamName());

TEST(KWStretchBlit, SameSizeCopiesExactlyAcrossLayouts) {
    KWPixelBuffer source = Make(KWPixelLayout::kRGB32, 3, 2);
    const std::uint32_t pixels[] = {0x102030, 0x405060, 0x708090};
    source.WriteRow(0, 0, 3, pixels);
    source.WriteRow(1, 0, 3, pixels);
    KWPixelBuffer target = Make(KWPixelLayout::kRGB24, 5, 4, 3);
    ASSERT_EQ(KWStretchBlit(target, {2, 1, 5, 3}, target.GetBounds(), source, source.GetBounds()),
              KWDisplayResult::kOk);
    EXPECT_EQ(PixelAt(target, 2, 1), 0x102030u);
    EXPECT_EQ(PixelAt(target, 4, 2), 0x708090u);
    EXPECT_EQ(PixelAt(target, 1, 1), 0u);
    EXPECT_EQ(PixelAt(target, 2, 0), 0u);
}

TEST(KWStretchBlit, EnlargingFiltersSmoothlyBetweenSourcePixels) {
    KWPixelBuffer source = Make(KWPixelLayout::kRGB32, 2, 1);
    const std::uint32_t pixels[] = {0x000000, 0xC8C8C8};
    source.WriteRow(0, 0, 2, pixels);
    KWPixelBuffer target = Make(KWPixelLayout::kRGB32, 8, 1);
    ASSERT_EQ(
        KWStretchBlit(target, target.GetBounds(), target.GetBounds(), source, source.GetBounds()),
        KWDisplayResult::kOk);
    std::uint32_t previous = 0;
    for (int x = 0; x < 8; ++x) {
        const std::uint32_t value = PixelAt(target, x, 0) & 0xFF;
        EXPECT_GE(value, previous);
        previous = value;
    }
    EXPECT_EQ(PixelAt(target, 0, 0), 0u);
    EXPECT_EQ(PixelAt(target, 7, 0), 0xC8C8C8u);
    const std::uint32_t middle = PixelAt(target, 4, 0) & 0xFF;
    EXPECT_GT(middle, 60u);
    EXPECT_LT(middle, 160u);
}

TEST(KWStretchBlit, ShrinkingAveragesAndClipsToTheDestination) {
    KWPixelBuffer source = Make(KWPixelLayout::kRGB565, 64, 64);
    FillRgb(source, 0xFFFFFF);
    KWPixelBuffer target = Make(KWPixelLayout::kRGB32, 10, 10);
    // Most of the destination rectangle lies outside the buffer and outside the clip.
    ASSERT_EQ(KWStretchBlit(target, {-20, -20, 8, 8}, {0, 0, 6, 10}, source, source.GetBounds()),
              KWDisplayResult::kOk);
    EXPECT_EQ(PixelAt(target, 5, 5), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(target, 6, 5), 0u);
    EXPECT_EQ(PixelAt(target, 5, 8), 0u);
}

TEST(KWStretchBlit, RefusesBadRectanglesAndPlanarDestinations) {
    KWPixelBuffer source = Make(KWPixelLayout::kRGB32, 4, 4);
    KWPixelBuffer target = Make(KWPixelLayout::kRGB32, 4, 4);
    KWPixelBuffer planar = Make(KWPixelLayout::kYV12, 4, 4);
    const KWRect all = target.GetBounds();
    EXPECT_EQ(KWStretchBlit(target, all, all, source, {0, 0, 5, 4}), KWDisplayResult::kInvalid);
    EXPECT_EQ(KWStretchBlit(target, all, all, source, {2, 2, 2, 3}), KWDisplayResult::kInvalid);
    EXPECT_EQ(KWStretchBlit(target, {3, 3, 1, 1}, all, source, all), KWDisplayResult::kInvalid);
    EXPECT_EQ(KWStretchBlit(planar, all, all, source, all), KWDisplayResult::kUnsupported);
    EXPECT_EQ(KWStretchBlit(target, {10, 10, 20, 20}, all, source, all), KWDisplayResult::kOk);
}

TEST(KWStretchBlit, BlitWithinOneBufferReadsTheOriginalPixels) {
    KWPixelBuffer buffer = Make(KWPixelLayout::kRGB32, 4, 1);
    const std::uint32_t pixels[] = {1, 2, 3, 4};
    buffer.WriteRow(0, 0, 4, pixels);
    ASSERT_EQ(KWStretchBlit(buffer, {1, 0, 4, 1}, buffer.GetBounds(), buffer, {0, 0, 3, 1}),
              KWDisplayResult::kOk);
    EXPECT_EQ(PixelAt(buffer, 1, 0), 1u);
    EXPECT_EQ(PixelAt(buffer, 2, 0), 2u);
    EXPECT_EQ(PixelAt(buffer, 3, 0), 3u);
}
