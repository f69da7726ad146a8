#include "CKWImageBuffer.h"
#include "CQXScreenManager4.h"
#include "KWFileSizeLimit.h"
#include "KWMessageBoxRecorder.h"
#include "KWTempDir.h"
#include "ScreenTestSupport.h"

#include <QImage>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
const QXTimestamp kTime{5, 3, 7, 14, 9, 2};
constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kJpeg = CQXDirectDrawSurface7Capture::kImageJpeg;
const char* const kFailedText =
    "Screen Capturing Failed\r\nAn error occurred while \r\ncapturing the screen.";

class CQXScreenManager4CaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(m_manager.Create(&m_window, nullptr, &m_request), 1);
        // Channel 1 alone, a flat light colour over the whole view.
        const TestPicture picture = MakeFlat(320, 112, 180, 100, 160);
        ASSERT_TRUE(EncodeFrame(m_frame, m_encoder, picture.View(), 0, 0x08, kTime));
        m_manager.SubmitFrame(&m_frame);
        ASSERT_TRUE(WaitFor([&] { return !m_frame.IsComplete(); }));
    }
    void TearDown() override { m_manager.Destroy(); }

    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        if (fs::exists(m_directory))
            for (const auto& entry : fs::directory_iterator(m_directory))
                names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::vector<std::string> Captions() const {
        std::vector<std::string> captions;
        for (const auto& box : m_boxes.Boxes())
            captions.push_back(box.request.caption);
        return captions;
    }
    std::string LastText() const { return m_boxes.Boxes().back().request.text; }

    KWTempDir m_dir;
    const std::string m_directory = m_dir / "case/Capture_MYS";
    KWMessageBoxRecorder m_boxes;
    KWDisplayWindow m_window{kWidth, kHeight};
    std::atomic<std::uint8_t> m_request{0};
    CQXScreenManager4 m_manager;
    CQXVideoFrame m_frame;
    CQXVideoEncoder m_encoder;
};
} // namespace

TEST_F(CQXScreenManager4CaptureTest, TheSameFrameTwiceGivesThePlainNameThenCounterOne) {
    ASSERT_EQ(m_manager.Capture(m_directory, kJpeg), 1);
    EXPECT_EQ(m_manager.GetLastCapturePath(), m_directory + "/20050307140902.jpg");
    ASSERT_EQ(m_boxes.Count(), 1u);
    EXPECT_EQ(m_boxes.Boxes()[0].request.caption, "Screen Capture Message");
    EXPECT_EQ(LastText(), "Screen Capturing Completed\r\n\r\nFile Name:\t20050307140902.jpg\r\n"
                          "Directory:\t" +
                              m_directory);
    ASSERT_EQ(m_manager.Capture(m_directory + "/", kJpeg), 1);
    EXPECT_EQ(m_manager.GetLastCapturePath(), m_directory + "/20050307140902[01].jpg");
    ASSERT_EQ(m_manager.Capture(m_directory, 0), 1);
    EXPECT_EQ(Files(), (std::vector<std::string>{"20050307140902.bmp", "20050307140902.jpg",
                                                 "20050307140902[01].jpg"}));
    EXPECT_FALSE(
        QImage(QString::fromStdString(m_directory + "/20050307140902.bmp"), "BMP").isNull());
}

TEST_F(CQXScreenManager4CaptureTest, A640By480ViewGivesA640By500JpegWithTheCaptionOnTop) {
    ASSERT_EQ(m_manager.Capture(m_directory, kJpeg), 1);
    const QImage image(QString::fromStdString(m_manager.GetLastCapturePath()));
    ASSERT_EQ(image.size(), QSize(640, 500));
    const std::uint32_t video = FramePixel(m_window, 320, 240);
    EXPECT_TRUE(Near(image.pixel(320, 260) & 0xFFFFFF, video, 12)) << "the view 20 lines down";
    // Grey text on black in the first 20 lines: the time on the left, the name on the right.
    auto inkIn = [&](int fromX, int toX) {
        int ink = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = fromX; x < toX; ++x)
                ink += qGray(image.pixel(x, y)) > 60;
        return ink;
    };
    EXPECT_GT(inkIn(0, 200), 100);
    EXPECT_GT(inkIn(440, 640), 100);
    EXPECT_LT(inkIn(360, 400), 5) << "nothing between the two texts";
}

TEST_F(CQXScreenManager4CaptureTest, NinetyNineTakenNamesFailWithANullFileHandle) {
    fs::create_directories(m_directory);
    std::ofstream(m_directory + "/20050307140902.jpg");
    for (int n = 1; n <= 98; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "/20050307140902[%02d].jpg", n);
        std::ofstream(m_directory + name);
    }
    EXPECT_EQ(m_manager.Capture(m_directory, kJpeg), 0);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Fatal Error", "Screen Capture Error"}));
    EXPECT_NE(m_boxes.Boxes()[0].request.text.find("Message:\tNULL File Handle"),
              std::string::npos);
    EXPECT_EQ(LastText(), kFailedText);
    EXPECT_EQ(Files().size(), 99u);
    for (const auto& name : Files())
        EXPECT_EQ(fs::file_size(m_directory + "/" + name), 0u) << "never overwritten: " << name;
}

TEST_F(CQXScreenManager4CaptureTest, AFullDiskFailsAndLeavesNoFile) {
    {
        KWFileSizeLimit fullDisk(3000);
        ASSERT_TRUE(fullDisk.IsApplied());
        EXPECT_EQ(m_manager.Capture(m_directory, kJpeg), 0);
        EXPECT_EQ(m_manager.CaptureFrame(m_directory), 0);
    }
    EXPECT_EQ(Captions(),
              (std::vector<std::string>{"JPEG Fatal Error", "JPEG Capture Error",
                                        "Screen Capture Error", "Screen Capture Error"}));
    EXPECT_EQ(m_boxes.Boxes()[1].request.text, "JPEG File Write Error");
    EXPECT_EQ(LastText(), kFailedText);
    EXPECT_TRUE(fs::is_directory(m_directory));
    EXPECT_TRUE(Files().empty());
    EXPECT_EQ(m_manager.GetLastCapturePath(), "");
}

TEST_F(CQXScreenManager4CaptureTest, ADirectoryThatCannotBeMadeIsReportedAsAFailure) {
    std::ofstream(m_dir / "case");
    EXPECT_EQ(m_manager.Capture(m_directory, kJpeg), 0);
    EXPECT_EQ(Captions(), std::vector<std::string>{"Screen Capture Error"});
    EXPECT_EQ(m_manager.Capture("relative/dir", kJpeg), 0);
    EXPECT_EQ(m_boxes.Count(), 2u);
}

// The file holds the same bitmap as the capture into memory that exports without a file use.
TEST_F(CQXScreenManager4CaptureTest, TheFrameCaptureIsAnUncaptionedBmpOfTheView) {
    const std::string path = m_dir / "frame.bmp";
    const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    ASSERT_EQ(m_manager.CaptureFrameToFile(file), 1);
    const QImage image(QString::fromStdString(path), "BMP");
    ASSERT_EQ(image.size(), QSize(640, 500));
    EXPECT_TRUE(Near(image.pixel(320, 240) & 0xFFFFFF, FramePixel(m_window, 320, 240), 8));
    EXPECT_EQ(image.pixel(320, 490) & 0xFFFFFF, 0u);
    EXPECT_EQ(m_boxes.Count(), 0u);

    CKWImageBuffer memory;
    ASSERT_EQ(m_manager.CaptureFrameToImage(memory), 1);
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bmp(std::istreambuf_iterator<char>(in), {});
    ASSERT_EQ(bmp.size(), 14 + 40 + memory.GetImageBytes());
    EXPECT_TRUE(
        std::equal(bmp.begin() + 14, bmp.end(), reinterpret_cast<const char*>(memory.GetBitmap())));
}

TEST_F(CQXScreenManager4CaptureTest, TheCaptureFollowsTheWindowWhenItIsResized) {
    m_window.SetClientSize(400, 300);
    m_manager.SetWindow(&m_window, nullptr);
    m_manager.SubmitFrame(&m_frame);
    ASSERT_TRUE(WaitFor([&] { return !m_frame.IsComplete(); }));
    ASSERT_EQ(m_manager.Capture(m_directory, kJpeg), 1);
    EXPECT_EQ(QImage(QString::fromStdString(m_manager.GetLastCapturePath())).size(),
              QSize(400, 320));
}
