#include "CQXScreenManager4.h"
#include "KWDisplayDriverOverride.h"
#include "KWMessageBoxRecorder.h"
#include "ScreenTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

namespace {
const QXTimestamp kTime{5, 3, 7, 14, 9, 2};
constexpr int kWidth = 608;
constexpr int kHeight = 450;

struct Colour {
    std::uint8_t y, u, v;
    std::uint32_t Rgb() const { return RgbOf(y, u, v); }
};
constexpr Colour kRed{81, 90, 240};
constexpr Colour kGreen{145, 54, 34};
constexpr Colour kBlue{41, 240, 110};
constexpr Colour kYellow{210, 16, 146};

KWPoint Centre(const KWRect& r) {
    return KWPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

class CQXScreenManager4Test : public ::testing::Test {
protected:
    void TearDown() override { m_manager.Destroy(); }

    void Create() { ASSERT_EQ(m_manager.Create(&m_window, nullptr, &m_request), 1); }

    // Hands a frame to the manager and waits until it has been drawn and released.
    void Show(int channel, std::uint8_t channelSet, const CQXVideoEncoder::Picture& picture,
              bool key = true, const QXTimestamp& time = kTime) {
        CQXVideoFrame& frame = m_frames[static_cast<std::size_t>(channel)];
        ASSERT_TRUE(EncodeFrame(frame, m_encoders[static_cast<std::size_t>(channel)], picture,
                                channel, channelSet, time, key));
        m_manager.SubmitFrame(&frame);
        ASSERT_TRUE(WaitFor([&] { return !frame.IsComplete(); }));
    }
    void ShowFlat(int channel, std::uint8_t channelSet, const Colour& c, int width = 320,
                  int height = 112) {
        const TestPicture picture = MakeFlat(width, height, c.y, c.u, c.v);
        Show(channel, channelSet, picture.View());
    }

    std::uint32_t At(const KWRect& rect) {
        const KWPoint p = Centre(rect);
        return FramePixel(m_window, p.x, p.y);
    }
    const KWRect& Video(int index) { return m_layout.video[static_cast<std::size_t>(index)]; }

    KWDisplayWindow m_window{kWidth, kHeight};
    std::atomic<std::uint8_t> m_request{0};
    CQXScreenManager4 m_manager;
    std::array<CQXVideoFrame, 5> m_frames;
    std::array<CQXVideoEncoder, 5> m_encoders;
    QXScreenLayout m_layout = QXScreenLayout::Compute(kWidth, kHeight);
};
} // namespace

TEST_F(CQXScreenManager4Test, ThirdQueuedFrameIsReleasedAtOnceAndTheRestOnDestroy) {
    const TestPicture picture = MakeFlat(320, 112, 90, 128, 128);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(EncodeFrame(m_frames[static_cast<std::size_t>(i)],
                                m_encoders[static_cast<std::size_t>(i)], picture.View(), i, 0x0F,
                                kTime));
    for (int i = 0; i < 3; ++i)
        m_manager.SubmitFrame(&m_frames[static_cast<std::size_t>(i)]);
    EXPECT_TRUE(m_frames[0].IsComplete());
    EXPECT_TRUE(m_frames[1].IsComplete());
    EXPECT_FALSE(m_frames[2].IsComplete());
    EXPECT_EQ(m_manager.GetFramesTaken(), 0u);
    m_manager.Destroy();
    EXPECT_FALSE(m_frames[0].IsComplete());
    EXPECT_FALSE(m_frames[1].IsComplete());
}

// A producer with two frames can never have more than two queued, so none of its frames may be
// released undrawn, however soon it submits a frame again after its release.
TEST_F(CQXScreenManager4Test, AFrameSubmittedAgainTheMomentItIsReleasedIsNotDropped) {
    Create();
    constexpr std::uint32_t kSubmissions = 2000;
    std::array<CQXVideoFrame, 2> frames;
    for (std::uint32_t i = 0; i < kSubmissions; ++i) {
        CQXVideoFrame& frame = frames[i % frames.size()];
        // Spinning, not polling: the frame goes back the moment it is released.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (frame.IsComplete())
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << i;
        // Channel-less frames are taken and released without drawing: the fastest cycle.
        frame.SetComplete(true);
        m_manager.SubmitFrame(&frame);
    }
    ASSERT_TRUE(WaitFor([&] { return !frames[0].IsComplete() && !frames[1].IsComplete(); }));
    EXPECT_EQ(m_manager.GetFramesTaken(), kSubmissions);
}

TEST_F(CQXScreenManager4Test, SwitchFromTwoToFourRecordedChannelsResetsTheDisplayRequest) {
    Create();
    ShowFlat(0, 0x0C, kRed);
    m_request = 0x02; // the user hides channel 2
    ShowFlat(1, 0x0C, kGreen);
    EXPECT_EQ(m_request, 0x02);
    EXPECT_EQ(m_manager.GetDisplayMask(), 0x08);
    EXPECT_TRUE(Near(At(Video(QXScreenLayout::kSingle)), kRed.Rgb())) << "channel 1 alone";
    ShowFlat(2, 0x0F, kBlue);
    EXPECT_EQ(m_request, 0);
    EXPECT_EQ(m_manager.GetRecordedChannels(), 0x0F);
    EXPECT_EQ(m_manager.GetDisplayMask(), 0x0F);
}

TEST_F(CQXScreenManager4Test, ChannelsOneAndThreeShareTheViewLeftAndRight) {
    Create();
    ShowFlat(0, 0x0A, kRed);
    ShowFlat(2, 0x0A, kBlue);
    EXPECT_EQ(m_manager.GetDisplayMask(), 0x0A);
    EXPECT_TRUE(Near(At(Video(QXScreenLayout::kLeft)), kRed.Rgb()));
    EXPECT_TRUE(Near(At(Video(QXScreenLayout::kRight)), kBlue.Rgb()));
    EXPECT_TRUE(Near(FramePixel(m_window, 20, 425), kRed.Rgb())) << "video reaches the bottom bar";
}

TEST_F(CQXScreenManager4Test, ThreeChannelsUseTheQuadLayoutWithABlankQuadrant) {
    Create();
    ShowFlat(0, 0x0E, kRed);
    ShowFlat(1, 0x0E, kGreen);
    ShowFlat(2, 0x0E, kBlue);
    EXPECT_TRUE(Near(At(Video(QXScreenLayout::kQuad1)), kRed.Rgb()));
    EXPECT_TRUE(Near(At(Video(QXScreenLayout::kQuad2)), kGreen.Rgb()));
    EXPECT_TRUE(Near(At(Video(QXScreenLayout::kQuad3)), kBlue.Rgb()));
    EXPECT_EQ(At(Video(QXScreenLayout::kQuad4)), 0u);
    // Hiding channel 2 leaves its quadrant blank while the layout stays quad.
    m_request = 0xFF & ~(0x01 | 0x04);
    ShowFlat(0, 0x0E, kRed);
    EXPECT_EQ(m_manager.GetDisplayMask(), 0x0A);
    EXPECT_TRUE(Near(At(Video(QXScreenLayout::kLeft)), kRed.Rgb()));
}

TEST_F(CQXScreenManager4Test, CompositePictureFillsTheViewWithItsCaptionBars) {
    Create();
    ShowFlat(4, 0x10, kYellow, 640, 272);
    EXPECT_EQ(m_manager.GetDisplayMask(), 0x10);
    EXPECT_TRUE(Near(At(Video(QXScreenLayout::kSingle)), kYellow.Rgb()));
    EXPECT_TRUE(Near(FramePixel(m_window, 2, 21), kYellow.Rgb()));
    int ink = 0;
    for (int x = 300; x < kWidth; ++x)
        for (int y = kHeight - 20; y < kHeight; ++y)
            ink += (FramePixel(m_window, x, y) & 0xFF) > 160;
    EXPECT_GT(ink, 100) << "the date in the bottom bar";
    EXPECT_EQ(m_manager.GetDateTime(), kTime);
}

// While no frames arrive the view is drawn again when its window's frame buffer was replaced,
// and only then: a view that nothing changed costs no drawing.
TEST_F(CQXScreenManager4Test, TimerRepaintsTheViewWhileNoFramesArriveOnlyWhenItWasLost) {
    Create();
    ShowFlat(0, 0x08, kRed);
    const KWPoint centre = Centre(Video(QXScreenLayout::kSingle));
    const KWSize size = m_window.GetClientSize();
    for (int round = 0; round < 3; ++round) {
        m_window.SetClientSize(size.width + 1, size.height);
        m_window.SetClientSize(size.width, size.height);
        EXPECT_TRUE(WaitFor([&] { return FramePixel(m_window, centre.x, centre.y) != 0; }))
            << "round " << round;
        EXPECT_TRUE(Near(FramePixel(m_window, centre.x, centre.y), kRed.Rgb()));
    }
    EXPECT_TRUE(WaitFor([&] { return m_manager.FormatFrameRate() != "0 [0 : 0 : 0]"; }));

    // A mark in the view stays for many repaint periods: nothing draws over it.
    {
        auto lock = m_window.LockFrameBuffer();
        m_window.GetFrameBuffer().Clear();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(FramePixel(m_window, centre.x, centre.y), 0u);
}

TEST_F(CQXScreenManager4Test, RenderedQuadMatchesEachDecodedPictureScaledToItsQuadrant) {
    Create();
    for (int channel = 0; channel < 4; ++channel) {
        const TestPicture scene = MakeScene(320, 112, channel, static_cast<unsigned>(channel + 3));
        Show(channel, 0x0F, scene.View());
    }
    for (int channel = 0; channel < 4; ++channel) {
        SCOPED_TRACE(channel);
        const CQXVideoEncoder::Picture decoded =
            m_encoders[static_cast<std::size_t>(channel)].GetReconstruction();
        const KWRect& area = Video(channel);
        // Reference: centres mapped onto centres, bilinear in floating point.
        auto sample = [&](double sx, double sy) {
            sx = std::clamp(sx, 0.0, 319.0);
            sy = std::clamp(sy, 0.0, 111.0);
            const int x0 = static_cast<int>(sx), y0 = static_cast<int>(sy);
            const int x1 = std::min(x0 + 1, 319), y1 = std::min(y0 + 1, 111);
            const double fx = sx - x0, fy = sy - y0;
            double out[3] = {};
            const int xs[] = {x0, x1, x0, x1}, ys[] = {y0, y0, y1, y1};
            const double ws[] = {(1 - fx) * (1 - fy), fx * (1 - fy), (1 - fx) * fy, fx * fy};
            for (int k = 0; k < 4; ++k) {
                const auto c = QXPixelConversion::ToRgb(decoded.y[ys[k] * 320 + xs[k]],
                                                        decoded.u[ys[k] / 2 * 160 + xs[k] / 2],
                                                        decoded.v[ys[k] / 2 * 160 + xs[k] / 2]);
                out[0] += ws[k] * c.r;
                out[1] += ws[k] * c.g;
                out[2] += ws[k] * c.b;
            }
            return std::array<double, 3>{out[0], out[1], out[2]};
        };
        double error = 0;
        int far = 0, count = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x) {
                const double sx = (x - area.left + 0.5) * 320.0 / area.Width() - 0.5;
                const double sy = (y - area.top + 0.5) * 112.0 / area.Height() - 0.5;
                const auto expected = sample(sx, sy);
                const std::uint32_t got = FramePixel(m_window, x, y);
                const double channels[3] = {static_cast<double>(got >> 16),
                                            static_cast<double>((got >> 8) & 0xFF),
                                            static_cast<double>(got & 0xFF)};
                for (int k = 0; k < 3; ++k) {
                    const double d = std::abs(channels[k] - expected[static_cast<std::size_t>(k)]);
                    error += d;
                    far += d > 8;
                    ++count;
                }
            }
        EXPECT_LT(error / count, 2.0);
        EXPECT_LT(far, count / 200);
    }
}

TEST_F(CQXScreenManager4Test, CountersDescriptionsAndClearedPictures) {
    Create();
    const TestPicture picture = MakeFlat(320, 112, 90, 128, 128);
    // A non-key picture whose key picture never reached the manager.
    CQXVideoFrame unseenKey;
    ASSERT_TRUE(EncodeFrame(unseenKey, m_encoders[0], picture.View(), 0, 0x0F, kTime));
    Show(0, 0x0F, picture.View(), false);
    EXPECT_EQ(m_manager.GetDecodeFailures(), 1u);
    EXPECT_EQ(m_manager.GetDecoderCounter(CQXVideoDecoder::kNoPicture), 1u);
    EXPECT_EQ(m_manager.GetConversionDescription(0), "YV12 - 32x32 - Not Loaded");
    Show(0, 0x0F, picture.View());
    Show(1, 0x0F, picture.View());
    EXPECT_EQ(m_manager.GetFramesTaken(), 3u);
    EXPECT_EQ(m_manager.GetPrimaryDescription(), "RGB32 - 1920x1080 [608x450]");
    EXPECT_EQ(m_manager.GetBlankDescription(), "RGB32 - 320x240");
    EXPECT_EQ(m_manager.GetCaptureDescription(), "RGB565 - 608x470");
    EXPECT_EQ(m_manager.GetConversionDescription(0), "YV12 - 320x112 - Loaded");
    EXPECT_EQ(m_manager.GetConversionDescription(5), "YV12 - 32x32 - Not Loaded");
    EXPECT_EQ(m_manager.GetInformationDescription(6), "RGB565 - 640x40");
    m_manager.ClearPictures();
    EXPECT_EQ(m_manager.GetConversionDescription(0), "YV12 - 320x112 - Not Loaded");
    // A frame without a channel is taken and released, and changes nothing.
    CQXVideoFrame incomplete;
    incomplete.SetComplete(true);
    m_manager.SubmitFrame(&incomplete);
    EXPECT_TRUE(WaitFor([&] { return !incomplete.IsComplete(); }));
    m_manager.Destroy();
    EXPECT_EQ(m_manager.GetPrimaryDescription(), "NONE - 0x0 [0x0]");
}

TEST_F(CQXScreenManager4Test, SurfaceCreationFailuresAreReported) {
    KWMessageBoxRecorder boxes;
    EXPECT_EQ(m_manager.Create(nullptr, nullptr, &m_request), 0);
    KWDisplayWindow flat(kWidth, 0);
    EXPECT_EQ(m_manager.Create(&flat, nullptr, &m_request), 0);
    {
        KWDisplayDriverSettings settings;
        settings.offscreenLayouts = KWLayoutBit(KWPixelLayout::kYV12);
        KWDisplayDriverOverride driver(settings);
        CQXScreenManager4 refused;
        EXPECT_EQ(refused.Create(&m_window, nullptr, &m_request), 0);
        EXPECT_FALSE(refused.IsRunning());
    }
    const auto shown = boxes.Boxes();
    ASSERT_GE(shown.size(), 3u);
    auto message = [&](std::size_t i) {
        const std::string& text = shown[i].request.text;
        return text.substr(text.rfind('\t') + 1);
    };
    EXPECT_EQ(message(0), "Primary Surface Creation Fail");
    EXPECT_EQ(message(shown.size() - 2), "Capture Surface Creation Fail");
    EXPECT_EQ(message(shown.size() - 1), "Conversion Surface Creation Fail");
}

TEST_F(CQXScreenManager4Test, SetWindowRecomputesTheLayout) {
    Create();
    KWDisplayWindow larger(800, 600);
    m_manager.SetWindow(&larger, nullptr);
    EXPECT_EQ(m_manager.GetLayout().video[QXScreenLayout::kQuad4], (KWRect{400, 300, 800, 580}));
    // The manager draws into its window until it is destroyed: it may not outlive it.
    m_manager.Destroy();
}
