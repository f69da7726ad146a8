// qvtool find-time run as a program on a synthetic disk with sound: found, missing, refused, and
// the drive left as it was.
#include "DvrSuiteDisk.h"
#include "KWFileFingerprint.h"
#include "KWTempDir.h"
#include "RunQvTool.h"

#include <gtest/gtest.h>

#include <memory>

namespace {
class FindTimeCommandTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        DvrRecorder::Options options;
        options.seconds = 150;
        options.channels = {0, 1};
        options.intervalCode = 29;
        options.padFrames = true;
        options.motion = false;
        options.start.tm_year = 126, options.start.tm_mon = 2, options.start.tm_mday = 14;
        options.start.tm_hour = 21, options.start.tm_min = 59, options.start.tm_sec = 15;
        s_disk = std::make_unique<DvrSuiteDisk>(options);
    }
    static void TearDownTestSuite() { s_disk.reset(); }
    static std::string Image() { return s_disk->Image(); }
    static inline std::unique_ptr<DvrSuiteDisk> s_disk;
};
} // namespace

TEST_F(FindTimeCommandTest, AFoundTimeGivesItsPacketAndTheConfirmationShown) {
    ASSERT_TRUE(s_disk->Result().ok) << s_disk->Result().error;
    const KWFileFingerprint before = KWFingerprintOf(Image());
    // Each minute the recording holds, and how the viewer shows it on the 12-hour clock.
    for (const auto& [time, pm] : std::vector<std::pair<std::string, std::string>>{
             {"21:59", "09:59"}, {"22:00", "10:00"}, {"22:01", "10:01"}}) {
        SCOPED_TRACE(time);
        const KWProgramRun run =
            RunQvTool("find-time " + Image() + " --time '2026-03-14 " + time + "'");
        ASSERT_EQ(run.status, 0) << run.output;
        EXPECT_EQ(run.output.rfind("{\"target\":\"2026/03/14 " + time +
                                       "\",\"found\":true,"
                                       "\"packet\":",
                                   0),
                  0u)
            << run.output;
        EXPECT_NE(run.output.find(",\"message\":\"2026/03/14 " + pm + " PM\"}\n"),
                  std::string::npos)
            << run.output;
        // The same search through --drive finds the same packet in the same steps.
        EXPECT_EQ(RunQvTool("find-time --time '2026-03-14 " + time + "' --drive " + Image()).output,
                  run.output);
    }
    EXPECT_EQ(KWFingerprintOf(Image()), before);
}

TEST_F(FindTimeCommandTest, AMissingTimeExitsWithOneAfter150Steps) {
    ASSERT_TRUE(s_disk->Result().ok) << s_disk->Result().error;
    const KWProgramRun run = RunQvTool("find-time " + Image() + " --time '2026-03-15 21:59'");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, "{\"target\":\"2026/03/15 21:59\",\"found\":false,\"packet\":null,"
                          "\"steps\":150,\"message\":\"2026/03/15 21:59 isn't presence\\u000aOR "
                          "Read HDD Error\"}\n");
}

TEST_F(FindTimeCommandTest, BadArgumentsAndUnreadableDrivesExitWithTwo) {
    ASSERT_TRUE(s_disk->Result().ok) << s_disk->Result().error;
    for (const std::string& arguments :
         {"find-time " + Image(), "find-time " + Image() + " --time '2026-03-14 24:00'",
          "find-time " + Image() + " --time '2026-02-30'",
          "find-time " + Image() + " --time '1999-03-14 10:00'",
          "find-time " + Image() + " --time '2026-03-14 10:00 extra'",
          "find-time " + Image() + " --time '2026-03-14 10:00' --verbose",
          "find-time " + (s_disk->Dir() / "missing.img") + " --time '2026-03-14 10:00'"}) {
        SCOPED_TRACE(arguments);
        const KWProgramRun run = RunQvTool(arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.output.rfind("qvtool find-time: ", 0), 0u) << run.output;
    }
}
