#include "KWTempDir.h"
#include "KWTestImage.h"
#include "RunQvTool.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>

namespace {
TEST(ScanCommand, PrintsEveryDriveThatOpenedAndTheFormattedOnes) {
    KWTempDir dir;
    KWTestImage recorded(dir / "recorded.img", KWTestImage::CylinderBytes(1));
    KWTestImage blank(dir / "blank.img", KWTestImage::CylinderBytes(1));
    recorded.WriteDataPackets(0, 100);
    const std::uint64_t before = recorded.Checksum();

    const KWProgramRun run =
        RunQvTool("scan --drive " + recorded.Path() + " --drive " + blank.Path());
    ASSERT_EQ(run.status, 0) << run.output;
    const std::string device = ",\"ide\":false,\"media_type\":12,\"media_type_name\":\"Fixed hard "
                               "disk media\",\"sectors\":16065,\"packets\":2008,\"formatted\":";
    EXPECT_EQ(run.output, "{\"devices\":[{\"index\":0,\"drive\":0,\"path\":\"" + recorded.Path() +
                              "\"" + device +
                              "true,\"stream_length\":99},{\"index\":1,\"drive\":1," +
                              "\"path\":\"" + blank.Path() + "\"" + device +
                              "false,\"stream_length\":0}],\"formatted\":[0]}\n");
    EXPECT_EQ(recorded.Checksum(), before);
}

// A drive the user names must be read: one that cannot be is a failure, not an empty answer.
TEST(ScanCommand, ANamedDriveThatCannotBeOpenedFailsNamingIt) {
    KWTempDir dir;
    KWTestImage recorded(dir / "recorded.img", KWTestImage::CylinderBytes(1));
    recorded.WriteDataPackets(0, 100);

    KWProgramRun run =
        RunQvTool("scan --drive " + recorded.Path() + " --drive " + (dir / "missing.img"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, "qvtool scan: " + (dir / "missing.img") +
                              " cannot be opened: No such file or directory\n");

    run = RunQvTool("scan --drive " + dir.Path().string());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(
        run.output.find(dir.Path().string() + " is neither a block device nor a disk image file"),
        std::string::npos)
        << run.output;
}

TEST(ScanCommand, EscapesPathsInTheJson) {
    KWTempDir dir;
    KWTestImage image(dir / "a\"b.img", KWTestImage::CylinderBytes(1));
    const KWProgramRun run = RunQvTool("scan --drive '" + image.Path() + "'");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("a\\\"b.img"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("\"formatted\":[]}"), std::string::npos) << run.output;
}

TEST(ScanCommand, UsageErrorsExitWithTwoAndAMessage) {
    KWProgramRun run = RunQvTool("scan --verbose");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.output.find("qvtool scan: unknown argument '--verbose'"), std::string::npos)
        << run.output;
    run = RunQvTool("scan --drive");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.output.find("--drive needs a path"), std::string::npos) << run.output;
}
} // namespace
