#include "QXPixelConversion.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace QXPixelConversion;

TEST(QXPixelConversion, ColourFormulaLimitsAndTheBlackOfOne) {
    const Rgb grey = ToRgb(0, 128, 128);
    EXPECT_EQ(grey.r, 0);
    EXPECT_EQ(grey.g, 0);
    EXPECT_EQ(grey.b, 0);
    EXPECT_EQ(ToRgb(0, 128, 0).r, 1); // negative red becomes 1, not 0
    const Rgb white = ToRgb(255, 255, 255);
    EXPECT_EQ(white.r, 255);
    EXPECT_EQ(white.b, 255);
    // R = (1024 x 100 + 1436 x 20) >> 10 = 128; G = (102400 - 352 x -10 - 731 x 20) >> 10 = 89;
    // B = (102400 + 1815 x -10) >> 10 = 82.
    const Rgb c = ToRgb(100, 118, 148);
    EXPECT_EQ(c.r, 128);
    EXPECT_EQ(c.g, 89);
    EXPECT_EQ(c.b, 82);
}

namespace {
// A 4x2 picture: luma 10, 20, 30, 40 / 50, 60, 70, 80; chroma (118, 148) and (128, 128).
struct SmallPicture {
    std::uint8_t y[8] = {10, 20, 30, 40, 50, 60, 70, 80};
    std::uint8_t u[2] = {118, 128};
    std::uint8_t v[2] = {148, 128};
    Picture View() const { return {y, u, v, 4, 2}; }
};
} // namespace

TEST(QXPixelConversion, RgbFormatsPackPixelsAndRespectThePitch) {
    SmallPicture p;
    for (Format format : {kRGB565, kBGR565, kRGB24, kRGB32}) {
        SCOPED_TRACE(format);
        const int bytes = BytesPerPixel(format);
        const int pitch = 4 * bytes + 7;
        std::vector<std::uint8_t> out(static_cast<std::size_t>(pitch * 2), 0xEE);
        Convert(p.View(), format, out.data(), pitch);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x) {
                const Rgb c = ToRgb(p.y[y * 4 + x], p.u[x / 2], p.v[x / 2]);
                const std::uint8_t* px = out.data() + y * pitch + x * bytes;
                std::uint32_t value = 0;
                std::memcpy(&value, px, static_cast<std::size_t>(std::min(bytes, 4)));
                if (format == kRGB565)
                    EXPECT_EQ(value, static_cast<std::uint32_t>((c.r >> 3) << 11 | (c.g >> 2) << 5 |
                                                                c.b >> 3));
                else if (format == kBGR565)
                    EXPECT_EQ(value, static_cast<std::uint32_t>((c.b >> 3) << 11 | (c.g >> 2) << 5 |
                                                                c.r >> 3));
                else if (format == kRGB24)
                    EXPECT_EQ(value, static_cast<std::uint32_t>(c.r << 16 | c.g << 8 | c.b));
                else
                    EXPECT_EQ(value, static_cast<std::uint32_t>(c.r << 16 | c.g << 8 | c.b));
            }
        // The bytes between the end of a line and the pitch are untouched.
        EXPECT_EQ(out[static_cast<std::size_t>(4 * bytes)], 0xEE);
    }
}

TEST(QXPixelConversion, Yv12WritesLumaThenVThenU) {
    SmallPicture p;
    const int pitch = 6;
    std::vector<std::uint8_t> out(static_cast<std::size_t>(pitch * 2 + (pitch / 2) * 2), 0xEE);
    Convert(p.View(), kYV12, out.data(), pitch);
    const std::vector<std::uint8_t> expected = {10, 20,   30,   40,  0xEE, 0xEE, 50,  60,  70,
                                                80, 0xEE, 0xEE, 148, 128,  0xEE, 118, 128, 0xEE};
    EXPECT_EQ(out, expected);
}
