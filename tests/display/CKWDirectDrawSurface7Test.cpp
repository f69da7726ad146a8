#include "CKWDirectDrawSurface7Memory.h"
#include "CKWDirectDrawSurface7Primary.h"
#include "CQXDirectDrawSurface7Conversion.h"
#include "KWDisplayDevice.h"
#include "KWDisplayDriverOverride.h"
#include "KWDisplaySurface.h"
#include "KWExitRecorder.h"
#include "KWMessageBoxRecorder.h"
#include "QXDecodedPicture.h"
#include "ScreenTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {
const QXTimestamp kTime{5, 3, 7, 14, 9, 2};

// The fatal report a refused display capability ends the program with.
KWMessageBoxRequest RefusalOf(const KWDisplayDriverSettings& settings) {
    KWDisplayDriverOverride driver(settings);
    KWMessageBoxRecorder boxes;
    KWExitRecorder exits;
    bool exited = false;
    try {
        CKWDirectDrawSurface7Primary primary;
    } catch (const KWExitRecorder::Exited& exit) {
        exited = exit.exitCode == 0;
    }
    EXPECT_TRUE(exited);
    const auto shown = boxes.Boxes();
    EXPECT_EQ(shown.size(), 1u);
    return shown.empty() ? KWMessageBoxRequest{} : shown.front().request;
}

std::string Report(const std::string& message) {
    return "Fatal Error Occurred\r\n\t\t\t\t\t \r\n" + message +
           "\r\n\r\nClass : \tCKWDirectDrawSurface7Primary";
}

KWDisplayDriverSettings WithoutCaps(std::uint32_t missing) {
    KWDisplayDriverSettings settings;
    settings.hardware.caps &= ~missing;
    return settings;
}
} // namespace

TEST(CKWDirectDrawSurface7Primary, MissingCapabilitiesEndTheProgramWithTheirReports) {
    KWMessageBoxRequest box = RefusalOf(WithoutCaps(KWDisplayCaps::kOverlay));
    EXPECT_EQ(box.caption, "NO Overlay Support - Corvane Technologies, Inc.");
    EXPECT_EQ(box.text, Report("Your graphic device does not support overlay."));
    box = RefusalOf(WithoutCaps(KWDisplayCaps::kColorKey));
    EXPECT_EQ(box.text, Report("Your graphic device does not support color keying."));
    box = RefusalOf(WithoutCaps(KWDisplayCaps::kOverlayStretch));
    EXPECT_EQ(box.text, Report("Your graphic device does not support overlay stretch."));

    KWDisplayDriverSettings settings;
    settings.present = false;
    box = RefusalOf(settings);
    EXPECT_EQ(box.caption, "NO DirectX - Corvane Technologies, Inc.");
    EXPECT_EQ(box.text, Report("Application could not find DirectX.\r\nPlease, install DirectX 7.0 "
                               "or later\r\nand try again."));
    settings = KWDisplayDriverSettings{};
    settings.hardwareCapsReadable = false;
    EXPECT_EQ(RefusalOf(settings).text, Report("Failed to get graphic device parameters.[HAL]"));
    settings = KWDisplayDriverSettings{};
    settings.emulationCapsReadable = false;
    box = RefusalOf(settings);
    EXPECT_EQ(box.caption, "DirectDraw Error - Corvane Technologies, Inc.");
    EXPECT_EQ(box.text, Report("Failed to get graphic device parameters.[HEL]"));
}

TEST(CKWDirectDrawSurface7Primary, FormatIndexFollowsTheDisplayMode) {
    const std::pair<KWPixelLayout, int> modes[] = {
        {KWPixelLayout::kRGB565, CKWDirectDrawSurface7::kFormatRGB565},
        {KWPixelLayout::kBGR565, CKWDirectDrawSurface7::kFormatBGR565},
        {KWPixelLayout::kRGB24, CKWDirectDrawSurface7::kFormatRGB24},
        {KWPixelLayout::kRGB32, CKWDirectDrawSurface7::kFormatRGB32},
    };
    for (const auto& [layout, index] : modes) {
        KWDisplayDriverSettings settings;
        settings.displayLayout = layout;
        KWDisplayDriverOverride driver(settings);
        KWDisplayWindow window(608, 450);
        CKWDirectDrawSurface7Primary primary;
        ASSERT_EQ(primary.Create(&window, CKWDirectDrawSurface7Primary::kScreenWindowed), 1);
        EXPECT_EQ(primary.GetFormat(), index);
    }
    KWDisplayWindow window(608, 450);
    CKWDirectDrawSurface7Primary primary;
    ASSERT_EQ(primary.Create(&window, CKWDirectDrawSurface7Primary::kScreenWindowed), 1);
    EXPECT_EQ(primary.GetDescription(), "RGB32 - 1920x1080 [608x450]");
    ASSERT_EQ(primary.Create(&window, CKWDirectDrawSurface7Primary::kScreenExclusive), 1);
    EXPECT_EQ(primary.GetViewWidth(), 1920u);
}

TEST(CKWDirectDrawSurface7Primary, CreateFailuresNameTheStepAndLeaveNoSurface) {
    KWMessageBoxRecorder boxes;
    KWDisplayWindow window(64, 64);
    CKWDirectDrawSurface7Primary primary;
    EXPECT_EQ(primary.Create(&window, 3), 0);
    EXPECT_EQ(primary.Create(nullptr, CKWDirectDrawSurface7Primary::kScreenWindowed), 0);
    EXPECT_EQ(primary.Create(nullptr, CKWDirectDrawSurface7Primary::kScreenExclusive), 0);
    const auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].request.text, "CKWDirectDrawSurface7Primary\r\nInvalid screen type");
    EXPECT_EQ(shown[1].request.text, "CKWDirectDrawSurface7Primary\r\nset clipper HWND fail");
    EXPECT_EQ(shown[2].request.text,
              "CKWDirectDrawSurface7Primary\r\nset cooperative level failed");
    EXPECT_EQ(primary.GetSurface(), nullptr);
    EXPECT_EQ(primary.GetFormat(), CKWDirectDrawSurface7::kFormatNone);
}

TEST(CKWDirectDrawSurface7Primary, LostSurfacesCostOneBlitAndAreRestored) {
    KWDisplayWindow window(32, 32);
    CKWDirectDrawSurface7Primary primary;
    ASSERT_EQ(primary.Create(&window, CKWDirectDrawSurface7Primary::kScreenWindowed), 1);
    CKWDirectDrawSurface7Memory white;
    ASSERT_EQ(white.Create(primary, 8, 8, CKWDirectDrawSurface7::kFormatRGB565), 1);
    white.GetSurface()->ColorFill(nullptr, 0xFFFF);
    primary.GetDevice()->LoseSurfaces();
    EXPECT_EQ(white.Clear(), 0);
    EXPECT_EQ(primary.BlitToView(white), 0);
    EXPECT_EQ(white.GetSurface()->IsLost(), KWDisplayResult::kOk);
    EXPECT_EQ(primary.GetSurface()->IsLost(), KWDisplayResult::kOk);
    white.GetSurface()->ColorFill(nullptr, 0xFFFF);
    EXPECT_EQ(primary.BlitToView(white), 1);
    EXPECT_EQ(FramePixel(window, 31, 31), 0xFFFFFFu);
}

TEST(CKWDirectDrawSurface7Memory, FallsBackAlongTheFormatsAndRefusesBadArguments) {
    KWDisplayDriverSettings settings;
    settings.offscreenLayouts = KWLayoutBit(KWPixelLayout::kRGB24);
    KWDisplayDriverOverride driver(settings);
    KWDisplayWindow window(64, 64);
    CKWDirectDrawSurface7Primary primary;
    CKWDirectDrawSurface7Memory surface;
    EXPECT_EQ(surface.Create(primary, 8, 8, CKWDirectDrawSurface7::kFormatYV12), 0);
    ASSERT_EQ(primary.Create(&window, CKWDirectDrawSurface7Primary::kScreenWindowed), 1);
    EXPECT_EQ(surface.Create(primary, 0, 8, CKWDirectDrawSurface7::kFormatYV12), 0);
    ASSERT_EQ(surface.Create(primary, 8, 8, CKWDirectDrawSurface7::kFormatYV12), 1);
    EXPECT_EQ(surface.GetFormat(), CKWDirectDrawSurface7::kFormatRGB24);
    EXPECT_EQ(surface.GetDescription(), "RGB24 - 8x8");
    EXPECT_EQ(surface.Create(primary, 8, 8, CKWDirectDrawSurface7::kFormatRGB32), 0);
    EXPECT_EQ(surface.GetSurface(), nullptr);
    EXPECT_EQ(surface.GetDescription(), "NONE - 0x0");
}

class CQXDirectDrawSurface7ConversionTest : public ::testing::Test {
protected:
    void Open(std::uint32_t offscreenLayouts, int pitchPadding = 0) {
        KWDisplayDriverSettings settings;
        settings.offscreenLayouts = offscreenLayouts;
        settings.pitchPadding = pitchPadding;
        m_padding = pitchPadding;
        m_driver = std::make_unique<KWDisplayDriverOverride>(settings);
        m_primary = std::make_unique<CKWDirectDrawSurface7Primary>();
        ASSERT_EQ(m_primary->Create(&m_window, CKWDirectDrawSurface7Primary::kScreenWindowed), 1);
        ASSERT_EQ(m_surface.Create(*m_primary, 32, 32, CKWDirectDrawSurface7::kFormatYV12), 1);
    }

    int Decode(const TestPicture& picture, bool key = true) {
        EXPECT_TRUE(EncodeFrame(m_frame, m_encoder, picture.View(), 0, 0x08, kTime, key, 1));
        return m_surface.Decode(&m_frame);
    }

    // The surface's pixel at (x, y) as 0x00RRGGBB, read from a copy of its memory.
    std::uint32_t Pixel(int x, int y) {
        KWLockedSurface locked;
        EXPECT_EQ(m_surface.GetSurface()->Lock(locked, true), KWDisplayResult::kOk);
        KWPixelBuffer copy;
        EXPECT_TRUE(copy.Allocate(locked.layout, locked.width, locked.height, m_padding));
        EXPECT_EQ(copy.GetPitch(), locked.pitch);
        std::memcpy(copy.GetBits(), locked.bits, copy.GetByteSize());
        m_surface.GetSurface()->Unlock();
        std::uint32_t rgb = 0;
        copy.ReadRow(y, x, 1, &rgb);
        return rgb;
    }

    std::unique_ptr<KWDisplayDriverOverride> m_driver;
    int m_padding = 0;
    KWDisplayWindow m_window{64, 64};
    std::unique_ptr<CKWDirectDrawSurface7Primary> m_primary;
    CQXDirectDrawSurface7Conversion m_surface;
    CQXVideoEncoder m_encoder;
    CQXVideoFrame m_frame;
};

TEST_F(CQXDirectDrawSurface7ConversionTest,
       DriverWithoutYV12GivesRgb565SurfacesConvertedInSoftware) {
    Open(kAllPixelLayouts & ~KWLayoutBit(KWPixelLayout::kYV12));
    EXPECT_EQ(m_surface.GetFormat(), CKWDirectDrawSurface7::kFormatRGB565);
    EXPECT_EQ(m_surface.GetDescription(), "RGB565 - 32x32 - Not Loaded");
    ASSERT_EQ(Decode(MakeFlat(320, 112, 81, 90, 240)), 1);
    EXPECT_TRUE(m_surface.HasPicture());
    EXPECT_EQ(m_surface.GetDescription(), "RGB565 - 320x112 - Loaded");
    KWLockedSurface locked;
    ASSERT_EQ(m_surface.GetSurface()->Lock(locked, true), KWDisplayResult::kOk);
    const auto c = QXPixelConversion::ToRgb(81, 90, 240);
    const std::uint16_t expected =
        static_cast<std::uint16_t>((c.r >> 3) << 11 | (c.g >> 2) << 5 | (c.b >> 3));
    const std::uint8_t* last = locked.bits + 111 * locked.pitch + 2 * 319;
    EXPECT_EQ(last[0] | last[1] << 8, expected);
    m_surface.GetSurface()->Unlock();
}

TEST_F(CQXDirectDrawSurface7ConversionTest, RgbRowsAreCopiedAtTheSurfacePitch) {
    Open(KWLayoutBit(KWPixelLayout::kRGB24), 100);
    TestPicture picture = MakeFlat(320, 112, 16, 128, 128);
    std::fill(picture.y.begin() + 320 * 16, picture.y.begin() + 320 * 32, 235); // one white band
    ASSERT_EQ(Decode(picture), 1);
    EXPECT_TRUE(Near(Pixel(5, 8), RgbOf(16, 128, 128)));
    EXPECT_TRUE(Near(Pixel(300, 20), RgbOf(235, 128, 128)));
    EXPECT_TRUE(Near(Pixel(300, 100), RgbOf(16, 128, 128)));
}

TEST_F(CQXDirectDrawSurface7ConversionTest, PictureSizeChangeRecreatesTheSurfaceInTheSameFormat) {
    Open(kAllPixelLayouts);
    ASSERT_EQ(Decode(MakeFlat(320, 112, 200, 100, 150)), 1);
    EXPECT_EQ(m_surface.GetFormat(), CKWDirectDrawSurface7::kFormatYV12);
    KWDisplaySurface* first = m_surface.GetSurface();
    ASSERT_EQ(Decode(MakeFlat(320, 112, 60, 100, 150)), 1);
    EXPECT_EQ(m_surface.GetSurface(), first) << "same size keeps the surface";
    CQXVideoEncoder larger;
    ASSERT_TRUE(EncodeFrame(m_frame, larger, MakeFlat(640, 224, 60, 100, 150).View(), 0, 0x08,
                            kTime, true, 1));
    ASSERT_EQ(m_surface.Decode(&m_frame), 1);
    EXPECT_EQ(m_surface.GetWidth(), 640u);
    EXPECT_EQ(m_surface.GetHeight(), 224u);
    EXPECT_EQ(m_surface.GetFormat(), CKWDirectDrawSurface7::kFormatYV12);
    EXPECT_TRUE(Near(Pixel(639, 223), RgbOf(60, 100, 150)));
}

TEST_F(CQXDirectDrawSurface7ConversionTest, FailedDecodeKeepsNoPictureAndCountsTheCause) {
    Open(kAllPixelLayouts);
    EXPECT_EQ(Decode(MakeFlat(320, 112, 60, 100, 150)), 1);
    m_surface.ClearPicture();
    EXPECT_FALSE(m_surface.HasPicture());
    CQXDirectDrawSurface7Conversion fresh;
    ASSERT_EQ(fresh.Create(*m_primary, 32, 32, CKWDirectDrawSurface7::kFormatYV12), 1);
    CQXVideoEncoder encoder;
    CQXVideoFrame key, delta;
    ASSERT_TRUE(EncodeFrame(key, encoder, MakeFlat(320, 112, 60, 100, 150).View(), 0, 8, kTime));
    ASSERT_TRUE(
        EncodeFrame(delta, encoder, MakeFlat(320, 112, 90, 100, 150).View(), 0, 8, kTime, false));
    EXPECT_EQ(fresh.Decode(&delta), 0);
    EXPECT_EQ(fresh.Decode(nullptr), 0);
    EXPECT_FALSE(fresh.HasPicture());
    EXPECT_EQ(fresh.GetCounter(CQXVideoDecoder::kNoPicture), 1u);
    EXPECT_EQ(fresh.GetCounter(CQXVideoDecoder::kNullFrame), 1u);
    EXPECT_EQ(fresh.GetWidth(), 32u);
}

TEST_F(CQXDirectDrawSurface7ConversionTest, AFrameCarryingItsPictureShowsItAndTheChannelGoesOn) {
    Open(kAllPixelLayouts);
    CQXVideoEncoder encoder;
    CQXVideoFrame key, delta, next;
    ASSERT_TRUE(EncodeFrame(key, encoder, MakeFlat(320, 112, 60, 100, 150).View(), 0, 8, kTime));
    ASSERT_TRUE(
        EncodeFrame(delta, encoder, MakeFlat(320, 112, 90, 100, 150).View(), 0, 8, kTime, false));
    ASSERT_TRUE(
        EncodeFrame(next, encoder, MakeFlat(320, 112, 120, 100, 150).View(), 0, 8, kTime, false));
    // The non-key frame's picture decoded ahead, as a reader going backwards gives it.
    CQXVideoDecoder ahead;
    ASSERT_EQ(ahead.Initialize(), 1);
    ASSERT_NE(ahead.Decode(&key), nullptr);
    ASSERT_NE(ahead.Decode(&delta), nullptr);
    auto picture = std::make_shared<QXDecodedPicture>();
    ahead.SavePicture(*picture);
    delta.SetDecodedPicture(picture);

    // The surface has seen no key picture, yet shows it; the channel's next picture goes on
    // from it.
    ASSERT_EQ(m_surface.Decode(&delta), 1);
    EXPECT_TRUE(Near(Pixel(10, 10), RgbOf(90, 100, 150)));
    ASSERT_EQ(m_surface.Decode(&next), 1);
    EXPECT_TRUE(Near(Pixel(10, 10), RgbOf(120, 100, 150)));
    delta.Reset();
    EXPECT_EQ(delta.GetDecodedPicture(), nullptr);
}

TEST_F(CQXDirectDrawSurface7ConversionTest, LostSurfaceIsRestoredBeforeDecodingIntoIt) {
    Open(kAllPixelLayouts);
    ASSERT_EQ(Decode(MakeFlat(320, 112, 60, 100, 150)), 1);
    m_primary->GetDevice()->LoseSurfaces();
    ASSERT_EQ(Decode(MakeFlat(320, 112, 60, 100, 150)), 1);
    EXPECT_EQ(m_surface.GetSurface()->IsLost(), KWDisplayResult::kOk);
    EXPECT_TRUE(Near(Pixel(10, 10), RgbOf(60, 100, 150)));
}
