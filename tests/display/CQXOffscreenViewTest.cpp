#include "CQXOffscreenView.h"
#include "KWTempDir.h"
#include "ScreenTestSupport.h"

#include <gtest/gtest.h>

#include <QImage>

#include <filesystem>
#include <memory>

TEST(CQXOffscreenView, WritesTheComposedViewAsA24BitBmp) {
    CQXOffscreenView view(301, 202); // odd width: rows are padded to 4 bytes
    ASSERT_EQ(view.Open(), 1);
    std::array<CQXVideoEncoder, 4> encoders;
    CQXVideoFrame frame;
    for (int channel = 0; channel < 4; ++channel) {
        const auto picture = MakeFlat(320, 112, static_cast<std::uint8_t>(40 + 50 * channel),
                                      static_cast<std::uint8_t>(100 + 20 * channel), 150);
        ASSERT_TRUE(EncodeFrame(frame, encoders[static_cast<std::size_t>(channel)], picture.View(),
                                channel, 0x0F, QXTimestamp{5, 3, 7, 14, 9, 2}));
        ASSERT_EQ(view.Show(frame), 1);
    }
    KWTempDir directory;
    const std::string path = directory / "view.bmp";
    ASSERT_EQ(view.WriteBmp(path), 1);
    EXPECT_EQ(std::filesystem::file_size(path), 14u + 40 + 904u * 202);

    QImage image(QString::fromStdString(path));
    ASSERT_FALSE(image.isNull());
    ASSERT_EQ(image.width(), 301);
    ASSERT_EQ(image.height(), 202);
    for (const auto& [x, y] : {std::pair{75, 60}, {225, 60}, {75, 150}, {225, 150}, {5, 5}}) {
        const QRgb pixel = image.pixel(x, y);
        EXPECT_EQ(static_cast<std::uint32_t>(pixel & 0xFFFFFF), FramePixel(view.GetWindow(), x, y))
            << x << "," << y;
    }
    EXPECT_TRUE(Near(FramePixel(view.GetWindow(), 225, 150), RgbOf(190, 160, 150)));
    EXPECT_EQ(view.WriteBmp((directory / "missing") + "/view.bmp"), 0);
}

// A screen manager that does not take the frame in time (here: paused) lets go of it when Show
// gives up, so the caller may free the frame at once.
TEST(CQXOffscreenView, AFrameNotDrawnInTimeIsReleasedBeforeShowReturns) {
    CQXOffscreenView view(320, 240);
    ASSERT_EQ(view.Open(), 1);
    CQXScreenManager4& manager = view.GetScreenManager();
    ASSERT_EQ(manager.PostCommand(CKWThread::kCommandPause), 1);
    ASSERT_TRUE(manager.WaitForState(CKWThread::kStatePaused, CQXOffscreenView::kFrameTimeoutMs));
    CQXVideoEncoder encoder;
    auto frame = std::make_unique<CQXVideoFrame>();
    ASSERT_TRUE(EncodeFrame(*frame, encoder, MakeFlat(320, 112, 90, 120, 150).View(), 0, 0x0F,
                            QXTimestamp{5, 3, 7, 14, 9, 2}));
    EXPECT_EQ(view.Show(*frame), 0);
    EXPECT_FALSE(frame->IsComplete());
    EXPECT_EQ(manager.GetQueuedFrameCount(), 0u);
    EXPECT_FALSE(manager.IsRunning());
    frame.reset();
}
