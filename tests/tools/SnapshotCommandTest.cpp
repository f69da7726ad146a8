// qvtool snapshot runs as a program on a synthetic disk of four channels: it holds one channel
// cycle from a packet and saves it as the viewer's capture does.
#include "DvrSuiteDisk.h"
#include "KWJsonField.h"
#include "KWTempDir.h"
#include "RunQvTool.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

namespace {
class SnapshotCommandTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        DvrRecorder::Options options;
        options.seconds = 4;
        options.start.tm_year = 126, options.start.tm_mon = 0, options.start.tm_mday = 2;
        options.start.tm_hour = 13, options.start.tm_min = 45;
        s_disk = std::make_unique<DvrSuiteDisk>(options);
    }
    static void TearDownTestSuite() { s_disk.reset(); }
    void SetUp() override { ASSERT_TRUE(s_disk->Result().ok) << s_disk->Result().error; }

    static std::string Image() { return s_disk->Image(); }
    // A packet in the second half from which the next frame is a key picture: the one in which
    // the frame before it ends. Pictures are decoded from a key picture on.
    static std::uint64_t KeyPacket() {
        for (std::size_t n = s_disk->Result().frames.size() / 2; n < s_disk->Result().frames.size();
             ++n)
            if (s_disk->Result().frames[n].key)
                return s_disk->Result().frames[n - 1].packet;
        return 0;
    }
    // A packet in the second half from which the next cycle holds no key picture.
    static std::uint64_t NonKeyPacket() {
        for (std::size_t n = s_disk->Result().frames.size() / 2;
             n + 8 < s_disk->Result().frames.size(); ++n) {
            bool key = false;
            for (std::size_t k = n; k < n + 8; ++k)
                key = key || s_disk->Result().frames[k].key;
            if (!key)
                return s_disk->Result().frames[n - 1].packet;
        }
        return 0;
    }
    // The times of the frames the step from `packet` may end on.
    static std::vector<std::string> TimesAfter(std::uint64_t packet) {
        std::vector<std::string> times;
        for (const auto& frame : s_disk->Result().frames) {
            if (frame.packet < packet || times.size() == 8)
                continue;
            const QXTimestamp& t = frame.timestamp;
            char text[32];
            std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year + 2000,
                          t.month, t.day, t.hour, t.minute, t.second);
            times.push_back(text);
        }
        return times;
    }
    static std::string Field(const std::string& json, const std::string& name) {
        return KWJsonField(json, name);
    }

    KWTempDir m_out;
    static inline std::unique_ptr<DvrSuiteDisk> s_disk;
};
} // namespace

TEST_F(SnapshotCommandTest, SavesTheHeldCycleAsTheViewersJpegNamedAfterItsTime) {
    const std::uint64_t packet = KeyPacket();
    ASSERT_GT(packet, 0u);
    const std::string directory = m_out / "captures";
    const std::string command =
        "snapshot " + Image() + " --packet " + std::to_string(packet) + " --dir " + directory;
    const KWProgramRun run = RunQvTool(command);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(Field(run.output, "width"), "608");
    EXPECT_EQ(Field(run.output, "height"), "470");
    const std::string time = Field(run.output, "frame_time");
    const std::vector<std::string> times = TimesAfter(packet);
    EXPECT_NE(std::find(times.begin(), times.end(), time), times.end()) << run.output;
    // "2026-01-02 13:45:0S" names the file 2026010213450S.jpg.
    std::string stem = time;
    stem.erase(std::remove_if(stem.begin(), stem.end(), [](char c) { return !std::isdigit(c); }),
               stem.end());
    const std::string file = Field(run.output, "file");
    EXPECT_EQ(file, directory + "/" + stem + ".jpg");
    const QImage image(QString::fromStdString(file), "JPG");
    ASSERT_EQ(image.size(), QSize(608, 470));
    int ink = 0;
    for (int x = 0; x < 300; ++x)
        for (int y = 0; y < 20; ++y)
            ink += qGray(image.pixel(x, y)) > 60;
    EXPECT_GT(ink, 100) << "the caption line";

    // The same cycle again: the next free name.
    const KWProgramRun again = RunQvTool(command);
    ASSERT_EQ(again.status, 0) << again.output;
    EXPECT_EQ(Field(again.output, "file"), directory + "/" + stem + "[01].jpg");
}

TEST_F(SnapshotCommandTest, BmpIsTheUncaptionedFrameAtTheChosenSize) {
    const KWProgramRun run = RunQvTool("snapshot --drive " + Image() + " --packet 0 --dir " +
                                       (m_out / "bmp") + " --size 320x240 --bmp");
    ASSERT_EQ(run.status, 0) << run.output;
    const std::string file = Field(run.output, "file");
    EXPECT_EQ(file.substr(file.size() - 4), ".bmp");
    const QImage image(QString::fromStdString(file), "BMP");
    ASSERT_EQ(image.size(), QSize(320, 260));
    int lit = 0;
    for (int y = 0; y < 260; ++y)
        for (int x = 0; x < 320; x += 4)
            if (image.pixel(x, y) & 0xFFFFFF) {
                ASSERT_LT(y, 240) << "the last 20 lines stay black";
                ++lit;
            }
    EXPECT_GT(lit, 10000);
}

// The process may write only a few blocks: the capture fails, says so and leaves nothing.
TEST_F(SnapshotCommandTest, AFullDiskFailsWithTheMessagesAndLeavesNoFile) {
    const std::string directory = m_out / "full";
    const KWProgramRun run =
        KWRunProgram("trap '' XFSZ; ulimit -f 4; " + KWBuiltProgram("qvtool") + " snapshot " +
                     Image() + " --packet 0 --dir " + directory + " 2>&1");
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("[JPEG Fatal Error] Output file write error"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("Screen Capturing Failed"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("qvtool snapshot: no picture was saved"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(directory));
    EXPECT_TRUE(fs::is_empty(directory));
}

TEST_F(SnapshotCommandTest, ACycleWithoutKeyPictureToStartFromIsAFailure) {
    const std::uint64_t packet = NonKeyPacket();
    ASSERT_GT(packet, 0u);
    const std::string directory = m_out / "none";
    const KWProgramRun run = RunQvTool("snapshot " + Image() + " --packet " +
                                       std::to_string(packet) + " --dir " + directory);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("no picture could be drawn from packet"), std::string::npos)
        << run.output;
    EXPECT_FALSE(fs::exists(directory));
}

TEST_F(SnapshotCommandTest, BadArgumentsAreRefused) {
    const std::string dir = m_out / "x";
    EXPECT_EQ(RunQvTool("snapshot " + Image() + " --dir " + dir).status, 2) << "--packet needed";
    EXPECT_EQ(RunQvTool("snapshot " + Image() + " --packet 0").status, 2) << "--dir needed";
    EXPECT_EQ(RunQvTool("snapshot " + Image() + " --packet 0 --dir " + dir + " --size 0x9").status,
              2);
    EXPECT_EQ(RunQvTool("snapshot " + Image() + " --packet x --dir " + dir).status, 2);
    const KWProgramRun beyond =
        RunQvTool("snapshot " + Image() + " --packet 99999999 --dir " + dir);
    EXPECT_EQ(beyond.status, 1);
    EXPECT_NE(beyond.output.find("lies beyond the stream's last packet"), std::string::npos)
        << beyond.output;
    EXPECT_FALSE(fs::exists(dir));
}
