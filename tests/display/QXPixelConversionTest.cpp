#include "QXPixelConversion.h"

#include "KWScopedSimdLevel.h"
#include "KWSimdLevelTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

using namespace QXPixelConversion;

namespace {
// Runs `check` with the portable kernels, whose results the other levels are held to.
template <typename Check> void WithPortableKernels(Check check) {
    const KWScopedSimdLevel portable(SelectKernels, KWSimdLevel::kPortable);
    ASSERT_TRUE(portable.Selected());
    check();
}
} // namespace

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
    WithPortableKernels([&] {
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
                        EXPECT_EQ(value, static_cast<std::uint32_t>((c.r >> 3) << 11 |
                                                                    (c.g >> 2) << 5 | c.b >> 3));
                    else if (format == kBGR565)
                        EXPECT_EQ(value, static_cast<std::uint32_t>((c.b >> 3) << 11 |
                                                                    (c.g >> 2) << 5 | c.r >> 3));
                    else if (format == kRGB24)
                        EXPECT_EQ(value, static_cast<std::uint32_t>(c.r << 16 | c.g << 8 | c.b));
                    else
                        EXPECT_EQ(value, static_cast<std::uint32_t>(c.r << 16 | c.g << 8 | c.b));
                }
            // The bytes between the end of a line and the pitch are untouched.
            EXPECT_EQ(out[static_cast<std::size_t>(4 * bytes)], 0xEE);
        }
    });
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

namespace {

// The documented colour formula, written out once more independently of the code under test.
std::uint32_t ExpectedPixel(Format format, int y, int u, int v) {
    const auto limit = [](int value) { return value >= 256 ? 255 : value < 0 ? 1 : value; };
    const int cu = u - 128, cv = v - 128;
    const int r = limit((1024 * y + 1436 * cv) >> 10);
    const int g = limit((1024 * y - 352 * cu - 731 * cv) >> 10);
    const int b = limit((1024 * y + 1815 * cu) >> 10);
    switch (format) {
    case kRGB565:
        return static_cast<std::uint32_t>((r >> 3) << 11 | (g >> 2) << 5 | b >> 3);
    case kBGR565:
        return static_cast<std::uint32_t>((b >> 3) << 11 | (g >> 2) << 5 | r >> 3);
    default:
        return static_cast<std::uint32_t>(r << 16 | g << 8 | b);
    }
}

std::uint32_t PixelAt(const std::uint8_t* p, int bytes) {
    std::uint32_t value = 0;
    std::memcpy(&value, p, static_cast<std::size_t>(bytes));
    return value;
}

constexpr Format kRgbFormats[] = {kRGB565, kBGR565, kRGB24, kRGB32};

} // namespace

// Every combination of Y, U and V in every RGB format: 512 x 512 pictures whose chroma column is
// U and chroma row V; the four pixels of each 2 x 2 group get four luma values, and 64 pictures
// run them through all 256.
TEST(QXPixelConversion, EveryColourOfEveryFormatFollowsTheFormula) {
    constexpr int kSize = 512;
    constexpr int kHalf = kSize / 2;
    std::vector<std::uint8_t> y(kSize * kSize), u(kHalf * kHalf), v(kHalf * kHalf);
    for (int row = 0; row < kHalf; ++row)
        for (int x = 0; x < kHalf; ++x) {
            u[row * kHalf + x] = static_cast<std::uint8_t>(x);
            v[row * kHalf + x] = static_cast<std::uint8_t>(row);
        }
    const Picture picture{y.data(), u.data(), v.data(), kSize, kSize};
    std::vector<std::uint8_t> out(kSize * kSize * 4);
    WithPortableKernels([&] {
        for (Format format : kRgbFormats) {
            SCOPED_TRACE(format);
            const int bytes = BytesPerPixel(format);
            int mismatches = 0;
            for (int group = 0; group < 64; ++group) {
                for (int row = 0; row < kSize; ++row)
                    for (int x = 0; x < kSize; ++x)
                        y[row * kSize + x] =
                            static_cast<std::uint8_t>(4 * group + 2 * (row & 1) + (x & 1));
                Convert(picture, format, out.data(), kSize * bytes);
                for (int row = 0; row < kSize; ++row)
                    for (int x = 0; x < kSize; ++x) {
                        const std::uint32_t expected =
                            ExpectedPixel(format, y[row * kSize + x], x / 2, row / 2);
                        mismatches +=
                            PixelAt(&out[static_cast<std::size_t>((row * kSize + x) * bytes)],
                                    bytes) != expected;
                    }
            }
            EXPECT_EQ(mismatches, 0);
        }
    });
}

// Random pictures of many sizes, including widths that leave a remainder after any grouping of
// pixels, with a pitch wider than the line: every pixel as the formula says, nothing written
// between the line's end and the pitch.
TEST(QXPixelConversion, AnySizeAndPitchConvertsEveryPixelAndNothingElse) {
    WithPortableKernels([] {
        std::mt19937 random(17);
        for (int width : {2, 4, 6, 8, 14, 16, 18, 30, 32, 34, 48, 62, 64, 66, 96, 320, 638, 640})
            for (int height : {1, 2, 3, 7, 16}) {
                SCOPED_TRACE(testing::Message() << width << "x" << height);
                std::vector<std::uint8_t> y(static_cast<std::size_t>(width * height));
                std::vector<std::uint8_t> u(
                    static_cast<std::size_t>(width / 2 * ((height + 1) / 2)));
                std::vector<std::uint8_t> v(u.size());
                for (auto* plane : {&y, &u, &v})
                    for (auto& sample : *plane)
                        sample = static_cast<std::uint8_t>(random());
                const Picture picture{y.data(), u.data(), v.data(), width, height};
                for (Format format : kRgbFormats) {
                    const int bytes = BytesPerPixel(format);
                    const int pitch = width * bytes + 5;
                    std::vector<std::uint8_t> out(static_cast<std::size_t>(pitch * height), 0xA5);
                    Convert(picture, format, out.data(), pitch);
                    for (int row = 0; row < height; ++row) {
                        const std::uint8_t* line = out.data() + row * pitch;
                        for (int x = 0; x < width; ++x) {
                            const int c = row / 2 * width / 2 + x / 2;
                            ASSERT_EQ(PixelAt(line + x * bytes, bytes),
                                      ExpectedPixel(format,
                                                    y[static_cast<std::size_t>(row * width + x)],
                                                    u[c], v[c]))
                                << "format " << format << " at " << x << "," << row;
                        }
                        for (int i = width * bytes; i < pitch; ++i)
                            ASSERT_EQ(line[i], 0xA5) << "format " << format << " row " << row;
                    }
                }
                const int pitch = width + 6;
                std::vector<std::uint8_t> out(
                    static_cast<std::size_t>(pitch * height + pitch / 2 * (height / 2) * 2 + 8),
                    0xA5);
                Convert(picture, kYV12, out.data(), pitch);
                for (int row = 0; row < height; ++row)
                    ASSERT_TRUE(std::equal(y.begin() + row * width, y.begin() + (row + 1) * width,
                                           out.begin() + row * pitch));
                const std::uint8_t* vPlane = out.data() + pitch * height;
                const std::uint8_t* uPlane = vPlane + pitch / 2 * (height / 2);
                for (int row = 0; row < height / 2; ++row) {
                    ASSERT_TRUE(std::equal(v.begin() + row * width / 2,
                                           v.begin() + (row + 1) * width / 2,
                                           vPlane + row * (pitch / 2)));
                    ASSERT_TRUE(std::equal(u.begin() + row * width / 2,
                                           u.begin() + (row + 1) * width / 2,
                                           uPlane + row * (pitch / 2)));
                }
            }
    });
}

namespace {

constexpr Format kFormats[] = {kYV12, kRGB565, kBGR565, kRGB24, kRGB32};

struct Planes {
    int width, height;
    std::vector<std::uint8_t> y, u, v;
    Picture View() const { return {y.data(), u.data(), v.data(), width, height}; }
};

// Samples drawn from `values`, or any byte when it is empty.
Planes MakePlanes(std::mt19937& random, int width, int height,
                  const std::vector<std::uint8_t>& values) {
    const auto chroma = static_cast<std::size_t>(width / 2 * ((height + 1) / 2));
    Planes planes{width, height,
                  std::vector<std::uint8_t>(static_cast<std::size_t>(width * height)),
                  std::vector<std::uint8_t>(chroma), std::vector<std::uint8_t>(chroma)};
    for (auto* plane : {&planes.y, &planes.u, &planes.v})
        for (auto& sample : *plane)
            sample = values.empty() ? static_cast<std::uint8_t>(random())
                                    : values[random() % values.size()];
    return planes;
}

// The whole destination after converting at `level`, with the bytes between the lines.
std::vector<std::uint8_t> ConvertAt(KWSimdLevel level, const Picture& picture, Format format,
                                    int pitch) {
    const KWScopedSimdLevel selected(SelectKernels, level);
    EXPECT_TRUE(selected.Selected());
    const std::size_t chroma = static_cast<std::size_t>(pitch / 2) * (picture.height / 2) * 2;
    std::vector<std::uint8_t> out(static_cast<std::size_t>(pitch) * picture.height + chroma, 0xA5);
    Convert(picture, format, out.data(), pitch);
    return out;
}

void ExpectSameAsPortable(KWSimdLevel level, const Picture& picture) {
    for (const Format format : kFormats) {
        const int line = picture.width * BytesPerPixel(format);
        for (const int pitch : {line, line + 1, line + 3, line + 13}) {
            ASSERT_EQ(ConvertAt(level, picture, format, pitch),
                      ConvertAt(KWSimdLevel::kPortable, picture, format, pitch))
                << "format " << format << " size " << picture.width << "x" << picture.height
                << " pitch " << pitch;
        }
    }
}

} // namespace

using QXPixelConversionLevels = KWSimdLevelTest;

// Widths on both sides of every multiple of the vector groups, so that each path of the
// conversion ends at every possible place; random samples and the extremes of each component.
TEST_P(QXPixelConversionLevels, GiveExactlyThePortableKernelsPixels) {
    std::mt19937 random(23);
    const std::vector<std::uint8_t> extremes = {0, 1, 2, 126, 127, 128, 129, 253, 254, 255};
    for (int width = 2; width <= 100; width += 2)
        for (const int height : {1, 2, 3, 6}) {
            ExpectSameAsPortable(GetParam(), MakePlanes(random, width, height, {}).View());
            ExpectSameAsPortable(GetParam(), MakePlanes(random, width, height, extremes).View());
        }
    for (const int width : {318, 320, 322, 350, 352, 638, 640})
        ExpectSameAsPortable(GetParam(), MakePlanes(random, width, 9, extremes).View());
}

// Every combination of U and V, each with luma running through all values.
TEST_P(QXPixelConversionLevels, GiveThePortableKernelsPixelsForEveryColour) {
    constexpr int kSize = 512;
    constexpr int kHalf = kSize / 2;
    Planes planes{kSize, kSize, std::vector<std::uint8_t>(kSize * kSize),
                  std::vector<std::uint8_t>(kHalf * kHalf),
                  std::vector<std::uint8_t>(kHalf * kHalf)};
    for (int row = 0; row < kHalf; ++row)
        for (int x = 0; x < kHalf; ++x) {
            planes.u[static_cast<std::size_t>(row * kHalf + x)] = static_cast<std::uint8_t>(x);
            planes.v[static_cast<std::size_t>(row * kHalf + x)] = static_cast<std::uint8_t>(row);
        }
    for (int group = 0; group < 64; ++group) {
        for (int row = 0; row < kSize; ++row)
            for (int x = 0; x < kSize; ++x)
                planes.y[static_cast<std::size_t>(row * kSize + x)] =
                    static_cast<std::uint8_t>(4 * group + 2 * (row & 1) + (x & 1));
        for (const Format format : kRgbFormats) {
            const int pitch = kSize * BytesPerPixel(format);
            ASSERT_EQ(ConvertAt(GetParam(), planes.View(), format, pitch),
                      ConvertAt(KWSimdLevel::kPortable, planes.View(), format, pitch))
                << "format " << format << " luma group " << group;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Vector, QXPixelConversionLevels, testing::ValuesIn(kKWVectorLevels),
                         testing::PrintToStringParamName());
