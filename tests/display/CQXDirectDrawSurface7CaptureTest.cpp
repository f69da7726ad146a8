#include "CQXDirectDrawSurface7Capture.h"
#include "CKWDirectDrawSurface7Primary.h"
#include "KWDisplayDriverOverride.h"
#include "KWDisplaySurface.h"
#include "KWDisplayWindow.h"
#include "KWMessageBoxRecorder.h"
#include "KWTempDir.h"

#include <QImage>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr int kWidth = 160;
constexpr int kHeight = 120;
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kRed = 0xFF0000;
constexpr std::uint32_t kBlue = 0x0000FF;

KWDisplayDriverSettings AcceptingOnly(std::uint32_t layouts) {
    KWDisplayDriverSettings settings;
    settings.offscreenLayouts = layouts;
    return settings;
}

class CQXDirectDrawSurface7CaptureTest : public ::testing::Test {
protected:
    // Makes the primary on the window and the canvas from RGB565 on, as the screen manager
    // does, and paints the view: white, with a red left half of the top row and a blue bottom
    // right corner.
    // The display driver's settings are taken when the primary is made.
    void Make() {
        m_capture.reset();
        m_primary = std::make_unique<CKWDirectDrawSurface7Primary>();
        m_capture = std::make_unique<CQXDirectDrawSurface7Capture>(m_viewMutex);
        ASSERT_EQ(m_primary->Create(&m_window, CKWDirectDrawSurface7Primary::kScreenWindowed), 1);
        static_cast<void>(m_capture->Create(*m_primary, kWidth, kHeight + 20,
                                            CKWDirectDrawSurface7::kFormatRGB565));
        auto lock = m_window.LockFrameBuffer();
        KWPixelBuffer& view = m_window.GetFrameBuffer();
        std::vector<std::uint32_t> row(kWidth, kWhite);
        for (int y = 0; y < kHeight; ++y)
            view.WriteRow(y, 0, kWidth, row.data());
        std::vector<std::uint32_t> red(kWidth / 2, kRed);
        view.WriteRow(0, 0, kWidth / 2, red.data());
        const std::uint32_t blue = kBlue;
        view.WriteRow(kHeight - 1, kWidth - 1, 1, &blue);
    }
    int NewFile(const std::string& name) {
        return open((m_dir / name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    }
    QImage Read(const std::string& name) { return QImage(QString::fromStdString(m_dir / name)); }
    static std::uint32_t Rgb(const QImage& image, int x, int y) {
        return image.pixel(x, y) & 0xFFFFFF;
    }
    // Pixels of the caption's grey in a strip of columns of the first 20 lines.
    static int GreyInk(const QImage& image, int fromX, int toX) {
        int ink = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = fromX; x < toX; ++x)
                ink += qRed(image.pixel(x, y)) > 40;
        return ink;
    }
    std::vector<std::string> FatalMessages() {
        std::vector<std::string> messages;
        for (const auto& box : m_boxes.Boxes())
            messages.push_back(box.request.text.substr(box.request.text.rfind('\t') + 1));
        return messages;
    }

    KWTempDir m_dir;
    KWMessageBoxRecorder m_boxes;
    KWDisplayWindow m_window{kWidth, kHeight};
    std::mutex m_viewMutex;
    std::unique_ptr<CKWDirectDrawSurface7Primary> m_primary;
    std::unique_ptr<CQXDirectDrawSurface7Capture> m_capture;
};
} // namespace

TEST(CQXDirectDrawSurface7Capture, CaptionNamesTheLocalTimeToTheMinute) {
    std::tm time{};
    time.tm_year = 105, time.tm_mon = 2, time.tm_mday = 7, time.tm_hour = 14, time.tm_min = 9;
    EXPECT_EQ(CQXDirectDrawSurface7Capture::CaptionText(time),
              "QX Screen Capture [Captured at 200503071409]");
}

TEST_F(CQXDirectDrawSurface7CaptureTest, Rgb565CanvasTurnsWhiteInto248And252) {
    Make();
    ASSERT_EQ(m_capture->GetFormat(), CKWDirectDrawSurface7::kFormatRGB565);
    ASSERT_EQ(m_capture->CaptureFrameToFile(NewFile("frame.bmp")), 1);
    const QImage image = Read("frame.bmp");
    ASSERT_EQ(image.size(), QSize(kWidth, kHeight + 20));
    EXPECT_EQ(Rgb(image, 100, 60), 0xF8FCF8u);
    EXPECT_EQ(Rgb(image, 5, 0), 0xF80000u);
    EXPECT_EQ(Rgb(image, kWidth - 1, kHeight - 1), 0x0000F8u);
    for (int x : {0, 80, kWidth - 1})
        EXPECT_EQ(Rgb(image, x, kHeight + 10), 0u) << "the last 20 lines stay black";
    EXPECT_EQ(m_boxes.Count(), 0u);
}

TEST_F(CQXDirectDrawSurface7CaptureTest, EachCanvasFormatKeepsRedAndBlueApart) {
    struct Case {
        KWPixelLayout layout;
        std::uint32_t red, blue;
    };
    const Case cases[] = {
        {KWPixelLayout::kBGR565, 0xF80000u, 0x0000F8u},
        {KWPixelLayout::kRGB24, 0xFF0000u, 0x0000FFu},
        {KWPixelLayout::kRGB32, 0xFF0000u, 0x0000FFu},
    };
    int round = 0;
    for (const auto& [layout, red, blue] : cases) {
        SCOPED_TRACE(static_cast<int>(layout));
        KWDisplayDriverOverride driver(AcceptingOnly(KWLayoutBit(layout)));
        Make();
        ASSERT_EQ(m_capture->GetFormat(), static_cast<int>(layout));
        const std::string name = "frame" + std::to_string(round++) + ".bmp";
        ASSERT_EQ(m_capture->CaptureFrameToFile(NewFile(name)), 1);
        const QImage image = Read(name);
        EXPECT_EQ(Rgb(image, 5, 0), red);
        EXPECT_EQ(Rgb(image, kWidth - 1, kHeight - 1), blue);
    }
}

TEST_F(CQXDirectDrawSurface7CaptureTest, CaptionedCaptureHasTheViewBelowAGreyCaption) {
    Make();
    ASSERT_EQ(m_capture->CaptureToFile(NewFile("view.bmp"), "20050307140902.bmp",
                                       CQXDirectDrawSurface7Capture::kImageBmp),
              1);
    const QImage image = Read("view.bmp");
    ASSERT_EQ(image.size(), QSize(kWidth, kHeight + 20));
    EXPECT_EQ(Rgb(image, 5, 20), 0xF80000u) << "the view's top row at y = 20";
    EXPECT_EQ(Rgb(image, kWidth - 1, kHeight + 19), 0x0000F8u);
    // Text on the left (the capture time) and on the right (the file name); the name's text
    // ends before the last column.
    EXPECT_GT(GreyInk(image, 0, 40), 20);
    EXPECT_GT(GreyInk(image, kWidth - 40, kWidth - 1), 20);
    EXPECT_EQ(GreyInk(image, kWidth - 1, kWidth), 0);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const int r = qRed(image.pixel(x, y));
            ASSERT_TRUE(qGreen(image.pixel(x, y)) >= r && r <= 0x80 + 8)
                << "grey 0x808080 on black at " << x << "," << y;
        }
}

TEST_F(CQXDirectDrawSurface7CaptureTest, ACanvasWithoutRgbFormatIsAnIncompatibleColorMode) {
    KWDisplayDriverOverride driver(AcceptingOnly(KWLayoutBit(KWPixelLayout::kYV12)));
    Make();
    ASSERT_EQ(m_capture->GetFormat(), CKWDirectDrawSurface7::kFormatNone);
    const int file = NewFile("none.bmp");
    EXPECT_EQ(m_capture->CaptureFrameToFile(file), 0);
    EXPECT_EQ(FatalMessages(), std::vector<std::string>{"Incompatible Color Mode"});
    EXPECT_EQ(close(file), -1) << "the file was closed";
}

TEST_F(CQXDirectDrawSurface7CaptureTest, ALostCanvasIsRestoredBeforeTheViewIsRead) {
    Make();
    m_capture->GetSurface()->MarkLost();
    ASSERT_EQ(m_capture->CaptureFrameToFile(NewFile("frame.bmp")), 1);
    EXPECT_EQ(Rgb(Read("frame.bmp"), 100, 60), 0xF8FCF8u);
    EXPECT_EQ(m_boxes.Count(), 0u);
}
