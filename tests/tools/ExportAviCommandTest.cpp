// qvtool export-avi runs as a program on synthetic disks: it plays the stream without waiting
// and writes one frame of the view for every 200 ms of played stream time.
#include "DvrRecorder.h"
#include "KWAviCodecs.h"
#include "KWAviProbe.h"
#include "KWJsonField.h"
#include "KWTempDir.h"
#include "RunQvTool.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {
class ExportAviCommandTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = new KWTempDir;
        s_ntsc = new DvrRecorder::Result(Record("ntsc.img", 14, 0));
        s_pal = new DvrRecorder::Result(Record("pal.img", 17, 2));
    }
    static void TearDownTestSuite() {
        delete s_ntsc;
        delete s_pal;
        delete s_dir;
    }
    static DvrRecorder::Result Record(const std::string& name, int slices, int intervalCode) {
        DvrRecorder::Options options;
        options.output = *s_dir / name;
        options.slices = slices;
        options.intervalCode = intervalCode;
        options.seconds = 3;
        options.audio = false;
        return DvrRecorder(options).Record();
    }
    void SetUp() override {
        ASSERT_TRUE(s_ntsc->ok) << s_ntsc->error;
        ASSERT_TRUE(s_pal->ok) << s_pal->error;
    }

    static std::string Disk(const std::string& name) { return *s_dir / name; }
    static std::string Field(const std::string& json, const std::string& name) {
        return KWJsonField(json, name);
    }
    std::vector<std::string> OutputFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_out.Path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    KWTempDir m_out;
    static inline KWTempDir* s_dir = nullptr;
    static inline DvrRecorder::Result* s_ntsc = nullptr;
    static inline DvrRecorder::Result* s_pal = nullptr;
};
} // namespace

// Two seconds of stream time are ten frames at 5 frames per second, in every compressor this
// machine offers, of the view with the 20 black lines below it.
TEST_F(ExportAviCommandTest, EveryOfferedCompressorWritesTenFramesForTwoSeconds) {
    const std::map<std::string, std::string> ffmpegNames = {{"raw", "rawvideo"},
                                                            {"mjpeg", "mjpeg"},
                                                            {"mpeg4", "mpeg4"},
                                                            {"ffv1", "ffv1"},
                                                            {"h264", "h264"}};
    for (const KWAviCodec codec : KWAviCodecs::Offered()) {
        const std::string key = KWAviCodecs::Find(codec)->key;
        const std::string out = m_out / (key + ".avi");
        const KWProgramRun run =
            RunQvTool("export-avi " + Disk("ntsc.img") + " --from 0 --seconds 2 --codec " + key +
                      " --out " + out);
        ASSERT_EQ(run.status, 0) << run.output;
        EXPECT_EQ(Field(run.output, "file"), out);
        EXPECT_EQ(Field(run.output, "codec"), key);
        EXPECT_EQ(Field(run.output, "frames"), "10");
        EXPECT_EQ(Field(run.output, "width"), "608");
        EXPECT_EQ(Field(run.output, "height"), "470");
        const KWAviProbe probe = KWProbeAvi(out);
        ASSERT_TRUE(probe.ok) << key << ": " << probe.report;
        EXPECT_EQ(probe.codec, ffmpegNames.at(key));
        EXPECT_EQ(probe.frames, 10) << key;
        EXPECT_EQ(probe.width, 608);
        EXPECT_EQ(probe.height, 470);
        EXPECT_EQ(probe.rate, "5/1");
    }
}

// "play" shows each frame (interval code + 1) x 33 ms (NTSC) or x 25 ms (PAL) after the one
// before; a frame is taken at every 200 ms of that time up to the stream's end.
TEST_F(ExportAviCommandTest, FramesFollowThePlayedStreamTimeToTheStreamsEnd) {
    struct Case {
        const char* disk;
        const DvrRecorder::Result* result;
        std::uint64_t unitMs;
    };
    for (const Case& disk : {Case{"ntsc.img", s_ntsc, 33}, Case{"pal.img", s_pal, 3 * 25}}) {
        const std::uint64_t playedMs = (disk.result->frames.size() - 1) * disk.unitMs;
        const std::string out = m_out / "all.avi";
        const KWProgramRun run = RunQvTool("export-avi --drive " + Disk(disk.disk) +
                                           " --from 0 --seconds 3600 --size 320x240 --out " + out);
        ASSERT_EQ(run.status, 0) << run.output;
        EXPECT_EQ(Field(run.output, "frames"), std::to_string(playedMs / 200 + 1)) << disk.disk;
        EXPECT_EQ(Field(run.output, "height"), "260");
        EXPECT_EQ(KWProbeAvi(out).frames, static_cast<int>(playedMs / 200 + 1));
    }
}

TEST_F(ExportAviCommandTest, AnExistingFileIsReplacedAndNoTemporaryFileStays) {
    const std::string out = m_out / "out.avi";
    std::ofstream(out) << "older";
    const KWProgramRun run =
        RunQvTool("export-avi " + Disk("ntsc.img") + " --from 0 --seconds 1 --out " + out);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(KWProbeAvi(out).ok);
    EXPECT_EQ(OutputFiles(), std::vector<std::string>{"out.avi"});
}

// The process may write only a few blocks: the export fails, says why and leaves nothing, not
// even an older file of the name.
TEST_F(ExportAviCommandTest, AFullDiskFailsAndLeavesNothing) {
    const std::string out = m_out / "full.avi";
    std::ofstream(out) << "older";
    const KWProgramRun run =
        KWRunProgram("trap '' XFSZ; ulimit -f 600; " + KWBuiltProgram("qvtool") + " export-avi " +
                     Disk("ntsc.img") + " --from 0 --seconds 2 --out " + out + " 2>&1");
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("qvtool export-avi: no AVI file was written: cannot write the AVI "
                              "file: File too large"),
              std::string::npos)
        << run.output;
    EXPECT_EQ(OutputFiles(), std::vector<std::string>{"full.avi"});
    std::ifstream older(out);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(older), {}), "older");
}

TEST_F(ExportAviCommandTest, AnOutputThatIsALinkOrNoRegularFileIsRefusedAndKept) {
    const std::string fifo = m_out / "out.fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string link = m_out / "link.avi";
    std::filesystem::create_symlink(m_out / "elsewhere.avi", link);
    for (const std::string& out : {fifo, link}) {
        const KWProgramRun run =
            RunQvTool("export-avi " + Disk("ntsc.img") + " --from 0 --seconds 1 --out " + out);
        EXPECT_EQ(run.status, 1) << run.output;
        EXPECT_NE(run.output.find(out), std::string::npos) << run.output;
    }
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(OutputFiles(), (std::vector<std::string>{"link.avi", "out.fifo"}));
}

TEST_F(ExportAviCommandTest, BadArgumentsAreRefused) {
    const std::string out = m_out / "x.avi";
    const std::string disk = Disk("ntsc.img");
    for (const std::string& arguments :
         std::vector<std::string>{" --seconds 1 --out " + out, " --from 0 --out " + out,
                                  " --from 0 --seconds 1", " --from 0 --seconds 0 --out " + out,
                                  " --from 0 --seconds 1 --out " + out + " --codec divx",
                                  " --from x --seconds 1 --out " + out,
                                  " --from 0 --seconds 1 --out " + out + " --size 9"})
        EXPECT_EQ(RunQvTool("export-avi " + disk + arguments).status, 2) << arguments;
    const KWProgramRun beyond =
        RunQvTool("export-avi " + disk + " --from 99999999 --seconds 1 --out " + out);
    EXPECT_EQ(beyond.status, 1);
    EXPECT_NE(beyond.output.find("lies beyond the stream's last packet"), std::string::npos)
        << beyond.output;
    const KWProgramRun unwritable =
        RunQvTool("export-avi " + disk + " --from 0 --seconds 1 --out " + (m_out / "no/x.avi"));
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.output.find("cannot create"), std::string::npos) << unwritable.output;
    EXPECT_TRUE(OutputFiles().empty());
}
