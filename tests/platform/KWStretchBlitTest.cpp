// The stretching blit against a straightforward per-pixel model of it: random pictures in every
// layout, many scale factors, clipping rectangles and pitches. The blit's filtering is integer
// arithmetic throughout, so the portable kernels must match the model bit for bit, and the
// vector kernels the portable ones.
#include "KWPixelBuffer.h"

#include "KWScopedSimdLevel.h"
#include "KWSimdLevelTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {
constexpr KWPixelLayout kSourceLayouts[] = {KWPixelLayout::kYV12, KWPixelLayout::kRGB565,
                                            KWPixelLayout::kBGR565, KWPixelLayout::kRGB24,
                                            KWPixelLayout::kRGB32};
constexpr KWPixelLayout kTargetLayouts[] = {KWPixelLayout::kRGB565, KWPixelLayout::kBGR565,
                                            KWPixelLayout::kRGB24, KWPixelLayout::kRGB32};

std::uint8_t Clamp(int value) {
    return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

// One pixel as 0x00RRGGBB, read byte by byte from the layout's definition.
std::uint32_t ModelRead(const KWPixelBuffer& buffer, int x, int y) {
    const std::uint8_t* bits = buffer.GetBits();
    const int pitch = buffer.GetPitch();
    const std::uint8_t* p = bits + y * pitch + x * KWBytesPerPixel(buffer.GetLayout());
    auto widen = [](unsigned field, int fieldBits) {
        return fieldBits == 5 ? (field << 3 | field >> 2) : (field << 2 | field >> 4);
    };
    switch (buffer.GetLayout()) {
    case KWPixelLayout::kYV12: {
        const int chromaPitch = pitch / 2;
        const std::uint8_t* v = bits + pitch * buffer.GetHeight();
        const std::uint8_t* u = v + chromaPitch * (buffer.GetHeight() / 2);
        const int c = (y / 2) * chromaPitch + x / 2;
        const int luma = 1024 * p[0];
        const int cu = u[c] - 128;
        const int cv = v[c] - 128;
        return static_cast<std::uint32_t>(Clamp((luma + 1436 * cv) >> 10)) << 16 |
               static_cast<std::uint32_t>(Clamp((luma - 352 * cu - 731 * cv) >> 10)) << 8 |
               Clamp((luma + 1815 * cu) >> 10);
    }
    case KWPixelLayout::kRGB565:
    case KWPixelLayout::kBGR565: {
        const unsigned value = p[0] | p[1] << 8;
        unsigned r = widen(value >> 11, 5);
        const unsigned g = widen((value >> 5) & 0x3F, 6);
        unsigned b = widen(value & 0x1F, 5);
        if (buffer.GetLayout() == KWPixelLayout::kBGR565)
            std::swap(r, b);
        return r << 16 | g << 8 | b;
    }
    default:
        return static_cast<std::uint32_t>(p[2]) << 16 | p[1] << 8 | p[0];
    }
}

void ModelWrite(KWPixelBuffer& buffer, int x, int y, std::uint32_t rgb) {
    std::uint8_t* p =
        buffer.GetBits() + y * buffer.GetPitch() + x * KWBytesPerPixel(buffer.GetLayout());
    const unsigned r = (rgb >> 16) & 0xFF;
    const unsigned g = (rgb >> 8) & 0xFF;
    const unsigned b = rgb & 0xFF;
    switch (buffer.GetLayout()) {
    case KWPixelLayout::kRGB565:
    case KWPixelLayout::kBGR565: {
        const bool redHigh = buffer.GetLayout() == KWPixelLayout::kRGB565;
        const unsigned value = (redHigh ? r : b) >> 3 << 11 | g >> 2 << 5 | (redHigh ? b : r) >> 3;
        p[0] = static_cast<std::uint8_t>(value);
        p[1] = static_cast<std::uint8_t>(value >> 8);
        break;
    }
    case KWPixelLayout::kRGB32:
        p[3] = 0;
        [[fallthrough]];
    default:
        p[0] = static_cast<std::uint8_t>(b);
        p[1] = static_cast<std::uint8_t>(g);
        p[2] = static_cast<std::uint8_t>(r);
        break;
    }
}

// Destination pixel i of n maps its centre onto the source span; the two source pixels around
// that point and the weight of the second, in 256ths (edges repeat the outermost pixel).
struct Tap {
    int first;
    int second;
    unsigned weight;
};

Tap ModelTap(int i, int n, int start, int span) {
    const double position = (2.0 * i + 1) * span / (2.0 * n) - 0.5;
    if (position <= 0)
        return {start, start, 0};
    const int whole = static_cast<int>(position);
    if (whole >= span - 1)
        return {start + span - 1, start + span - 1, 0};
    // The weight is the fraction truncated to 16 then 8 bits, as the blit computes it.
    const std::int64_t fixed = (static_cast<std::int64_t>(2 * i + 1) * span * 65536) / (2 * n);
    return {start + whole, start + whole + 1,
            static_cast<unsigned>(((fixed - 32768) & 0xFFFF) >> 8)};
}

std::uint32_t ModelMix(std::uint32_t a, std::uint32_t b, unsigned weight) {
    std::uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const unsigned ca = (a >> shift) & 0xFF;
        const unsigned cb = (b >> shift) & 0xFF;
        out |= ((ca * (256 - weight) + cb * weight) >> 8) << shift;
    }
    return out;
}

void ModelBlit(KWPixelBuffer& dst, const KWRect& dstRect, const KWRect& clip,
               const KWPixelBuffer& src, const KWRect& srcRect) {
    const KWRect area = dstRect.Intersect(clip).Intersect(dst.GetBounds());
    for (int y = area.top; y < area.bottom; ++y) {
        const Tap row = ModelTap(y - dstRect.top, dstRect.Height(), srcRect.top, srcRect.Height());
        for (int x = area.left; x < area.right; ++x) {
            const Tap col =
                ModelTap(x - dstRect.left, dstRect.Width(), srcRect.left, srcRect.Width());
            const std::uint32_t top = ModelMix(ModelRead(src, col.first, row.first),
                                               ModelRead(src, col.second, row.first), col.weight);
            const std::uint32_t bottom =
                ModelMix(ModelRead(src, col.first, row.second),
                         ModelRead(src, col.second, row.second), col.weight);
            ModelWrite(dst, x, y, ModelMix(top, bottom, row.weight));
        }
    }
}

KWPixelBuffer RandomBuffer(std::mt19937& random, KWPixelLayout layout, int width, int height) {
    KWPixelBuffer buffer;
    EXPECT_TRUE(
        buffer.Allocate(layout, width, height, std::uniform_int_distribution<int>(0, 40)(random)));
    for (std::size_t i = 0; i < buffer.GetByteSize(); ++i)
        buffer.GetBits()[i] = static_cast<std::uint8_t>(random());
    return buffer;
}

// A buffer with the same pitch and bytes.
KWPixelBuffer CopyOf(const KWPixelBuffer& buffer) {
    KWPixelBuffer copy;
    const int padding = buffer.GetPitch() - buffer.GetWidth() * KWBytesPerPixel(buffer.GetLayout());
    EXPECT_TRUE(copy.Allocate(buffer.GetLayout(), buffer.GetWidth(), buffer.GetHeight(), padding));
    EXPECT_EQ(copy.GetByteSize(), buffer.GetByteSize());
    std::memcpy(copy.GetBits(), buffer.GetBits(), buffer.GetByteSize());
    return copy;
}

bool SameBytes(const KWPixelBuffer& a, const KWPixelBuffer& b) {
    return a.GetByteSize() == b.GetByteSize() &&
           std::memcmp(a.GetBits(), b.GetBits(), a.GetByteSize()) == 0;
}

int Even(int value) {
    return std::max(2, value & ~1);
}

// Runs `check` with the portable kernels, whose results the other levels are held to.
template <typename Check> void WithPortableKernels(Check check) {
    const KWScopedSimdLevel portable(KWSelectBlitKernels, KWSimdLevel::kPortable);
    ASSERT_TRUE(portable.Selected());
    check();
}

// Random source and destination rectangles: sizes from a tenth to four times, equal sizes on
// one or both axes, and clips that cut any side.
struct Case {
    int srcWidth, srcHeight, dstWidth, dstHeight;
    KWRect srcRect, dstRect, clip;
};

Case RandomCase(std::mt19937& random) {
    auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    Case c;
    c.srcWidth = Even(pick(2, 90));
    c.srcHeight = Even(pick(2, 60));
    const int sw = pick(1, c.srcWidth);
    const int sh = pick(1, c.srcHeight);
    const int sx = pick(0, c.srcWidth - sw);
    const int sy = pick(0, c.srcHeight - sh);
    c.srcRect = {sx, sy, sx + sw, sy + sh};
    auto scaled = [&](int size) {
        switch (pick(0, 3)) {
        case 0:
            return size;
        case 1:
            return std::max(1, size * pick(1, 40) / 10);
        default:
            return pick(1, 160);
        }
    };
    const int dw = scaled(sw);
    const int dh = scaled(sh);
    c.dstWidth = pick(1, 180);
    c.dstHeight = pick(1, 120);
    const int dx = pick(-dw / 2, c.dstWidth);
    const int dy = pick(-dh / 2, c.dstHeight);
    c.dstRect = {dx, dy, dx + dw, dy + dh};
    const int cx = pick(-5, c.dstWidth);
    const int cy = pick(-5, c.dstHeight);
    c.clip = pick(0, 2) == 0
                 ? KWRect{0, 0, c.dstWidth, c.dstHeight}
                 : KWRect{cx, cy, cx + pick(1, c.dstWidth + 5), cy + pick(1, c.dstHeight + 5)};
    return c;
}
// The sizes the screen manager draws: pictures and caption strips into quarters and the whole
// of a 608x450 view, and pictures shown at their own size.
struct ViewerSize {
    KWPixelLayout layout;
    int width, height;
    KWRect target;
};
const ViewerSize kViewerSizes[] = {
    {KWPixelLayout::kYV12, 320, 112, {304, 20, 608, 225}},
    {KWPixelLayout::kYV12, 640, 272, {0, 20, 608, 430}},
    {KWPixelLayout::kYV12, 352, 240, {0, 0, 352, 240}},
    {KWPixelLayout::kRGB565, 320, 20, {0, 430, 304, 450}},
    {KWPixelLayout::kRGB565, 640, 20, {0, 0, 608, 20}},
    {KWPixelLayout::kRGB32, 608, 450, {0, 0, 608, 450}},
};
} // namespace

TEST(KWStretchBlit, EveryLayoutPairAndScaleMatchesThePerPixelModelExactly) {
    WithPortableKernels([] {
        std::mt19937 random(20260101);
        for (const KWPixelLayout from : kSourceLayouts) {
            for (const KWPixelLayout to : kTargetLayouts) {
                for (int round = 0; round < 60; ++round) {
                    const Case c = RandomCase(random);
                    const KWPixelBuffer source =
                        RandomBuffer(random, from, c.srcWidth, c.srcHeight);
                    KWPixelBuffer target = RandomBuffer(random, to, c.dstWidth, c.dstHeight);
                    KWPixelBuffer expected = CopyOf(target);
                    ModelBlit(expected, c.dstRect, c.clip, source, c.srcRect);
                    ASSERT_EQ(KWStretchBlit(target, c.dstRect, c.clip, source, c.srcRect),
                              KWDisplayResult::kOk);
                    ASSERT_TRUE(SameBytes(target, expected))
                        << "layouts " << static_cast<int>(from) << "->" << static_cast<int>(to)
                        << " source " << c.srcWidth << "x" << c.srcHeight << " rect "
                        << c.srcRect.left << "," << c.srcRect.top << "," << c.srcRect.right << ","
                        << c.srcRect.bottom << " target " << c.dstWidth << "x" << c.dstHeight
                        << " rect " << c.dstRect.left << "," << c.dstRect.top << ","
                        << c.dstRect.right << "," << c.dstRect.bottom << " clip " << c.clip.left
                        << "," << c.clip.top << "," << c.clip.right << "," << c.clip.bottom;
                }
            }
        }
    });
}

TEST(KWStretchBlit, ViewerSizesMatchThePerPixelModelExactly) {
    WithPortableKernels([&] {
        std::mt19937 random(7);
        for (const ViewerSize& size : kViewerSizes) {
            for (const KWPixelLayout to : kTargetLayouts) {
                const KWPixelBuffer source =
                    RandomBuffer(random, size.layout, size.width, size.height);
                KWPixelBuffer target = RandomBuffer(random, to, 608, 450);
                KWPixelBuffer expected = CopyOf(target);
                ModelBlit(expected, size.target, target.GetBounds(), source, source.GetBounds());
                ASSERT_EQ(KWStretchBlit(target, size.target, target.GetBounds(), source,
                                        source.GetBounds()),
                          KWDisplayResult::kOk);
                EXPECT_TRUE(SameBytes(target, expected))
                    << size.width << "x" << size.height << " into layout " << static_cast<int>(to);
            }
        }
    });
}

TEST(KWStretchBlit, OverlappingBlitWithinOneBufferMatchesTheModelOnTheOriginal) {
    std::mt19937 random(99);
    for (const KWPixelLayout layout : kTargetLayouts) {
        for (int round = 0; round < 20; ++round) {
            KWPixelBuffer buffer = RandomBuffer(random, layout, 64, 48);
            const KWPixelBuffer original = CopyOf(buffer);
            KWPixelBuffer expected = CopyOf(buffer);
            const KWRect from{static_cast<int>(random() % 20), static_cast<int>(random() % 20),
                              40 + static_cast<int>(random() % 24),
                              30 + static_cast<int>(random() % 18)};
            const KWRect to =
                from.Offset(static_cast<int>(random() % 9) - 4, static_cast<int>(random() % 9) - 4);
            ModelBlit(expected, to, buffer.GetBounds(), original, from);
            ASSERT_EQ(KWStretchBlit(buffer, to, buffer.GetBounds(), buffer, from),
                      KWDisplayResult::kOk);
            EXPECT_TRUE(SameBytes(buffer, expected));
        }
    }
}

namespace {
// The target's bytes after blitting at `level` into a copy of it.
KWPixelBuffer BlitAt(KWSimdLevel level, const KWPixelBuffer& target, const KWRect& dstRect,
                     const KWRect& clip, const KWPixelBuffer& source, const KWRect& srcRect) {
    const KWScopedSimdLevel selected(KWSelectBlitKernels, level);
    EXPECT_TRUE(selected.Selected());
    KWPixelBuffer result = CopyOf(target);
    EXPECT_EQ(KWStretchBlit(result, dstRect, clip, source, srcRect), KWDisplayResult::kOk);
    return result;
}
} // namespace

using KWStretchBlitLevels = KWSimdLevelTest;

TEST_P(KWStretchBlitLevels, EveryLayoutPairAndScaleGivesThePortableKernelsPixels) {
    std::mt19937 random(20260102);
    for (const KWPixelLayout from : kSourceLayouts) {
        for (const KWPixelLayout to : kTargetLayouts) {
            for (int round = 0; round < 60; ++round) {
                const Case c = RandomCase(random);
                const KWPixelBuffer source = RandomBuffer(random, from, c.srcWidth, c.srcHeight);
                const KWPixelBuffer target = RandomBuffer(random, to, c.dstWidth, c.dstHeight);
                ASSERT_TRUE(SameBytes(
                    BlitAt(GetParam(), target, c.dstRect, c.clip, source, c.srcRect),
                    BlitAt(KWSimdLevel::kPortable, target, c.dstRect, c.clip, source, c.srcRect)))
                    << "layouts " << static_cast<int>(from) << "->" << static_cast<int>(to)
                    << " round " << round;
            }
        }
    }
}

// The viewer's sizes, and each picture size doubled, in every target layout.
TEST_P(KWStretchBlitLevels, ViewerSizesGiveThePortableKernelsPixels) {
    std::mt19937 random(8);
    for (const ViewerSize& size : kViewerSizes) {
        const KWRect doubled{0, 0, 2 * size.width, 2 * size.height};
        for (const KWRect& rect : {size.target, doubled}) {
            for (const KWPixelLayout to : kTargetLayouts) {
                const KWPixelBuffer source =
                    RandomBuffer(random, size.layout, size.width, size.height);
                const KWPixelBuffer target = RandomBuffer(random, to, rect.right, rect.bottom);
                const KWRect all = target.GetBounds();
                EXPECT_TRUE(SameBytes(
                    BlitAt(GetParam(), target, rect, all, source, source.GetBounds()),
                    BlitAt(KWSimdLevel::kPortable, target, rect, all, source, source.GetBounds())))
                    << size.width << "x" << size.height << " into layout " << static_cast<int>(to);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Vector, KWStretchBlitLevels, testing::ValuesIn(kKWVectorLevels),
                         testing::PrintToStringParamName());
