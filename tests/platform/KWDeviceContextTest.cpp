#include "KWDeviceContext.h"
#include "KWDisplaySurface.h"
#include "KWQtTextPainter.h"
#include "KWTestApplication.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
// Puts a text painter factory in place for one test and restores the previous one.
class ScopedPainterFactory {
public:
    explicit ScopedPainterFactory(KWTextPainterFactory factory)
        : m_previous(KWSetTextPainterFactory(std::move(factory))) {}
    ~ScopedPainterFactory() { KWSetTextPainterFactory(std::move(m_previous)); }

private:
    KWTextPainterFactory m_previous;
};

// Writes what it is asked to draw into a log instead of pixels.
class LoggingPainter : public KWTextPainter {
public:
    explicit LoggingPainter(std::vector<std::string>& log) : m_log(log) {}
    ~LoggingPainter() override { m_log.push_back("end"); }
    void SetFont(const KWFontSpec& font) override {
        m_log.push_back(std::string("font ") + font.face);
    }
    void SetTextColor(std::uint32_t colorRef) override {
        m_log.push_back("color " + std::to_string(colorRef));
    }
    void TextOut(int x, int y, const std::string& text) override {
        m_log.push_back("text " + std::to_string(x) + "," + std::to_string(y) + " " + text);
    }
    KWSize GetTextExtent(const std::string& text) const override {
        return KWSize{static_cast<std::int32_t>(text.size()) * 7, 13};
    }

private:
    std::vector<std::string>& m_log;
};

bool IsLockable(KWDisplaySurface& surface) {
    KWLockedSurface locked;
    if (surface.Lock(locked, false) != KWDisplayResult::kOk)
        return false;
    return surface.Unlock() == KWDisplayResult::kOk;
}

std::shared_ptr<KWDisplaySurface> MakeSurface(KWPixelLayout layout) {
    return KWDisplaySurface::CreateOffscreen(layout, 64, 24, 0);
}
} // namespace

TEST(KWDeviceContext, WithoutAPainterDrawsNothingAndLeavesTheSurfaceUnlocked) {
    ScopedPainterFactory none{KWTextPainterFactory{}};
    auto surface = MakeSurface(KWPixelLayout::kRGB32);
    {
        KWDeviceContext dc(*surface);
        EXPECT_FALSE(dc.IsValid());
        dc.TextOut(0, 0, "x");
        EXPECT_EQ(dc.GetTextExtent("abc").width, 0);
        EXPECT_TRUE(IsLockable(*surface));
    }
    EXPECT_TRUE(IsLockable(*surface));
}

TEST(KWDeviceContext, HoldsTheSurfaceLockedForThePainterAndForwardsItsCalls) {
    std::vector<std::string> log;
    std::vector<KWLockedSurface> seen;
    ScopedPainterFactory logging{[&](const KWLockedSurface& locked) {
        seen.push_back(locked);
        return std::make_unique<LoggingPainter>(log);
    }};
    auto surface = MakeSurface(KWPixelLayout::kRGB565);
    {
        KWDeviceContext dc(*surface);
        ASSERT_TRUE(dc.IsValid());
        EXPECT_FALSE(IsLockable(*surface));
        dc.SetFont(KWFontSpec{"courier new", 16, 8, 300});
        dc.SetTextColor(0x00FF00);
        dc.TextOut(3, 4, "CH1");
        EXPECT_EQ(dc.GetTextExtent("CH1").width, 21);
    }
    EXPECT_TRUE(IsLockable(*surface));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].layout, KWPixelLayout::kRGB565);
    EXPECT_EQ(seen[0].width, 64);
    EXPECT_EQ(seen[0].height, 24);
    EXPECT_NE(seen[0].bits, nullptr);
    const std::vector<std::string> expected = {"font courier new", "color 65280", "text 3,4 CH1",
                                               "end"};
    EXPECT_EQ(log, expected);
}

TEST(KWDeviceContext, PlanarAndLostSurfacesGetNoPainter) {
    int made = 0;
    ScopedPainterFactory counting{[&](const KWLockedSurface&) -> std::unique_ptr<KWTextPainter> {
        ++made;
        return nullptr;
    }};
    auto planar = MakeSurface(KWPixelLayout::kYV12);
    EXPECT_FALSE(KWDeviceContext(*planar).IsValid());
    auto lost = MakeSurface(KWPixelLayout::kRGB32);
    lost->MarkLost();
    EXPECT_FALSE(KWDeviceContext(*lost).IsValid());
    EXPECT_EQ(made, 0);
    // A factory that declines leaves the surface free.
    auto rgb = MakeSurface(KWPixelLayout::kRGB24);
    EXPECT_FALSE(KWDeviceContext(*rgb).IsValid());
    EXPECT_EQ(made, 1);
    EXPECT_TRUE(IsLockable(*rgb));
}

TEST(KWDeviceContextQtPainter, DrawsTextInTheColourAskedForInEveryRgbLayout) {
    KWTestApplication();
    ScopedPainterFactory qt{KWQtTextPainterFactory()};
    struct Case {
        KWPixelLayout layout;
        std::uint32_t red; // the raw pixel of pure red text
        std::uint32_t mask;
    };
    for (const Case& c : {Case{KWPixelLayout::kRGB565, 0xF800, 0xFFFF},
                          Case{KWPixelLayout::kBGR565, 0x001F, 0xFFFF},
                          Case{KWPixelLayout::kRGB24, 0xFF0000, 0xFFFFFF},
                          Case{KWPixelLayout::kRGB32, 0xFF0000, 0xFFFFFF}}) {
        auto surface = MakeSurface(c.layout);
        ASSERT_EQ(surface->ColorFill(nullptr, 0), KWDisplayResult::kOk);
        {
            KWDeviceContext dc(*surface);
            ASSERT_TRUE(dc.IsValid());
            dc.SetFont(KWFontSpec{"courier new", 16, 8, 700});
            dc.SetTextColor(0x0000FF); // 0x00BBGGRR: red
            dc.TextOut(2, 2, "8888");
            const KWSize extent = dc.GetTextExtent("8888");
            EXPECT_GT(extent.width, 16);
            EXPECT_GT(extent.height, 8);
        }
        KWLockedSurface locked;
        ASSERT_EQ(surface->Lock(locked, true), KWDisplayResult::kOk);
        const int bytes = KWBytesPerPixel(c.layout);
        int red = 0;
        for (int y = 0; y < locked.height; ++y) {
            for (int x = 0; x < locked.width; ++x) {
                std::uint32_t pixel = 0;
                for (int b = 0; b < bytes; ++b)
                    pixel |= std::uint32_t{locked.bits[y * locked.pitch + x * bytes + b]}
                             << (8 * b);
                red += (pixel & c.mask) == c.red;
            }
        }
        ASSERT_EQ(surface->Unlock(), KWDisplayResult::kOk);
        EXPECT_GT(red, 20) << "layout " << static_cast<int>(c.layout);
    }
}
