// qvtool's stream commands run as programs on a synthetic disk: frames lists what the recorder
// wrote, audio writes the sound, render draws the view, and all of them refuse bad arguments.
#include "CKWWaveManager.h"
#include "DvrSuiteDisk.h"
#include "KWFileSizeLimit.h"
#include "KWTempDir.h"
#include "KWWavReader.h"
#include "RunQvTool.h"

#include <QImage>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <sys/stat.h>

namespace {
// Room for a part of each output the commands write of the test disk.
constexpr std::uint64_t kFullDiskBytes = 20000;

class StreamCommandsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        DvrRecorder::Options options;
        options.seconds = 2;
        options.channels = {0, 2};
        options.start.tm_year = 126, options.start.tm_mon = 0, options.start.tm_mday = 2;
        s_disk = std::make_unique<DvrSuiteDisk>(options);
    }
    static void TearDownTestSuite() { s_disk.reset(); }
    static std::string Image() { return s_disk->Image(); }
    static inline std::unique_ptr<DvrSuiteDisk> s_disk;
};
} // namespace

TEST_F(StreamCommandsTest, FramesListsEveryFrameDecoded) {
    ASSERT_TRUE(s_disk->Result().ok);
    const KWProgramRun run = RunQvTool("frames " + Image());
    ASSERT_EQ(run.status, 0) << run.output;
    std::istringstream lines(run.output);
    std::string line;
    std::size_t n = 0;
    while (std::getline(lines, line)) {
        ASSERT_LT(n, s_disk->Result().frames.size());
        const auto& truth = s_disk->Result().frames[n];
        EXPECT_EQ(line.rfind("{\"n\":" + std::to_string(n) +
                                 ",\"packet\":" + std::to_string(truth.packet) + ",\"channel\":" +
                                 std::to_string(truth.channel) + ",\"channel_set\":10,",
                             0),
                  0u)
            << line;
        EXPECT_NE(line.find("\"decoded\":true,\"width\":320,\"height\":112,\"y_sha256\":\""),
                  std::string::npos)
            << line;
        ++n;
    }
    EXPECT_EQ(n, s_disk->Result().frames.size());
    // The same walk through --drive gives the same lines.
    EXPECT_EQ(RunQvTool("frames --drive " + Image()).output, run.output);
}

TEST_F(StreamCommandsTest, FramesInReverseListsEveryFrameBackwardsWithItsForwardPicture) {
    // The lines without their running number "n".
    const auto frames = [](const std::string& output) {
        std::vector<std::string> lines;
        std::istringstream in(output);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line.substr(line.find(',')));
        return lines;
    };
    const KWProgramRun forward = RunQvTool("frames " + Image());
    ASSERT_EQ(forward.status, 0) << forward.output;
    EXPECT_EQ(RunQvTool("frames " + Image() + " --mode play").output, forward.output);
    const KWProgramRun reverse = RunQvTool("frames " + Image() + " --mode rev --from-end");
    ASSERT_EQ(reverse.status, 0) << reverse.output;
    std::vector<std::string> expected = frames(forward.output);
    std::reverse(expected.begin(), expected.end());
    EXPECT_EQ(frames(reverse.output), expected);
    EXPECT_EQ(reverse.output.rfind("{\"n\":0,", 0), 0u);

    // One cycle of the two channels before a packet, and a count.
    const std::string middle = std::to_string(s_disk->Result().frames[20].packet);
    const KWProgramRun step =
        RunQvTool("frames " + Image() + " --mode oner --from-packet " + middle);
    EXPECT_EQ(frames(step.output).size(), 2u) << step.output;
    EXPECT_EQ(
        frames(RunQvTool("frames " + Image() + " --mode rew8 --from-end --count 3").output).size(),
        3u);
}

TEST_F(StreamCommandsTest, AudioWritesTheSourceToneAtTheChosenVolume) {
    const std::string wav = s_disk->Dir() / "sound.wav";
    const KWProgramRun run = RunQvTool("audio " + Image() + " --wav " + wav + " --volume 25");
    ASSERT_EQ(run.status, 0) << run.output;
    const std::size_t audioPackets = s_disk->Result().sound.size() / 4000;
    EXPECT_NE(run.output.find("\"audio_packets\":" + std::to_string(audioPackets)),
              std::string::npos)
        << run.output;
    const KWWavContents contents = KWReadWavFile(wav);
    ASSERT_TRUE(contents.valid);
    EXPECT_EQ(contents.samplesPerSecond, 8000u);
    ASSERT_EQ(contents.samples.size(), s_disk->Result().sound.size());
    // Volume 25 is gain 2; the widest companding gap (176) allows 88 either way before it.
    const double gain = 25 / CKWWaveManager::kPositionsPerGain;
    int worst = 0;
    for (std::size_t i = 0; i < contents.samples.size(); ++i)
        worst = std::max(worst, std::abs(contents.samples[i] -
                                         static_cast<int>(gain * s_disk->Result().sound[i])));
    EXPECT_LE(worst, gain * 88 + 1);
}

TEST_F(StreamCommandsTest, RenderDrawsTheChannelsIntoABitmap) {
    const std::string bmp = s_disk->Dir() / "view.bmp";
    const KWProgramRun run =
        RunQvTool("render " + Image() + " --frames 6 --size 608x450 --out " + bmp);
    ASSERT_EQ(run.status, 0) << run.output;
    QImage image(QString::fromStdString(bmp));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(608, 450));
    // Channels 1 and 3 side by side: the blue scene on the left, the red one on the right.
    const QColor left = image.pixelColor(100, 300), right = image.pixelColor(500, 300);
    EXPECT_GT(left.blue(), left.red());
    EXPECT_GT(right.red(), right.blue());
}

// The recorder's event table in the last sectors holds random bytes: the drive is still found
// and drawn. The device workers, the timer service and the screen manager's thread all run.
TEST_F(StreamCommandsTest, RenderDrawsADiskWhoseEventAreaIsRandomBytes) {
    constexpr std::uintmax_t kEventAreaBytes = 16 * 512;
    for (const unsigned seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(seed);
        const std::string image = s_disk->Dir() / "random-events.img";
        std::filesystem::copy_file(Image(), image,
                                   std::filesystem::copy_options::overwrite_existing);
        std::mt19937 random(seed);
        std::string noise(kEventAreaBytes, '\0');
        for (char& byte : noise)
            byte = static_cast<char>(random());
        {
            std::fstream file(image, std::ios::in | std::ios::out | std::ios::binary);
            file.seekp(
                static_cast<std::streamoff>(std::filesystem::file_size(image) - kEventAreaBytes));
            ASSERT_TRUE(file.write(noise.data(), static_cast<std::streamsize>(noise.size())));
        }
        const std::string bmp = s_disk->Dir() / "random-events.bmp";
        const KWProgramRun run =
            RunQvTool("render " + image + " --frames 6 --size 320x240 --out " + bmp);
        ASSERT_EQ(run.status, 0) << run.output;
        EXPECT_EQ(QImage(QString::fromStdString(bmp)).size(), QSize(320, 240));
    }
}

TEST_F(StreamCommandsTest, CaptureCopiesTheStreamIntoAMysFileThatPlaysBack) {
    const std::string folder = s_disk->Dir() / "capture";
    const KWProgramRun run = RunQvTool("capture " + Image() + " --dir " + folder + " --seconds 30");
    ASSERT_EQ(run.status, 0) << run.output;
    const std::size_t quote = run.output.find("\"files\":[\"");
    ASSERT_NE(quote, std::string::npos) << run.output;
    const std::size_t begin = quote + 10;
    const std::string file = run.output.substr(begin, run.output.find('"', begin) - begin);
    EXPECT_EQ(file.rfind(folder + "/2026", 0), 0u) << file;

    const KWProgramRun listing = RunQvTool("mys " + file);
    ASSERT_EQ(listing.status, 0) << listing.output;
    EXPECT_NE(listing.output.find("\"broken_links\":0"), std::string::npos) << listing.output;
    // The file starts with a key picture, which decodes exactly as on the disk.
    const KWProgramRun decoded = RunQvTool("mys " + file + " --decode");
    const KWProgramRun disk = RunQvTool("frames " + Image());
    const auto firstDigest = [](const std::string& text) {
        const std::size_t at = text.find("\"y_sha256\":\"");
        return at == std::string::npos ? std::string() : text.substr(at, 80);
    };
    EXPECT_FALSE(firstDigest(decoded.output).empty()) << decoded.output;
    EXPECT_NE(disk.output.find(firstDigest(decoded.output)), std::string::npos);

    EXPECT_EQ(RunQvTool("capture " + Image()).status, 2) << "--dir is required";
    EXPECT_EQ(RunQvTool("capture " + Image() + " --dir " + folder + " --from 999999").status, 1);
}

TEST_F(StreamCommandsTest, BadArgumentsAndForeignDrivesAreRefused) {
    EXPECT_EQ(RunQvTool("frames").status, 2);
    EXPECT_EQ(RunQvTool("frames " + Image() + " --bogus").status, 2);
    EXPECT_EQ(RunQvTool("frames " + Image() + " --mode pause").status, 2);
    EXPECT_EQ(RunQvTool("frames " + Image() + " --mode backwards").status, 2);
    EXPECT_EQ(RunQvTool("frames " + Image() + " --mode rev --from-packet 3 --from-end").status, 2);
    EXPECT_EQ(RunQvTool("frames " + Image() + " --count 0").status, 2);
    EXPECT_EQ(RunQvTool("frames " + Image() + " --from-packet 99999999").status, 1);
    EXPECT_EQ(RunQvTool("audio " + Image()).status, 2) << "--wav is required";
    EXPECT_EQ(RunQvTool("audio " + Image() + " --wav x.wav --volume 101").status, 2);
    EXPECT_EQ(RunQvTool("render " + Image() + " --frames 0 --size 10x10 --out x.bmp").status, 2);
    EXPECT_EQ(RunQvTool("render " + Image() + " --frames 1 --size 10 --out x.bmp").status, 2);

    const std::string foreign = s_disk->Dir() / "foreign.img";
    std::ofstream(foreign) << std::string(1 << 20, 'x');
    const KWProgramRun run = RunQvTool("frames " + foreign);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("holds no recorded stream"), std::string::npos) << run.output;
    EXPECT_EQ(RunQvTool("frames " + (s_disk->Dir() / "missing.img")).status, 1);
}

TEST_F(StreamCommandsTest, AFifoIsRefusedAtOnceAsADriveOrAMysFile) {
    const std::string fifo = s_disk->Dir() / "drive.fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string out = s_disk->Dir() / "from-fifo";
    // `timeout` turns a wait for a writer that never comes into status 124.
    for (const std::string& command :
         {"scan --drive " + fifo, "frames --drive " + fifo, "audio " + fifo + " --wav " + out,
          "render --drive " + fifo + " --frames 1 --size 10x10 --out " + out, "mys " + fifo,
          "mys " + fifo + " --decode"}) {
        const KWProgramRun run =
            KWRunProgram("timeout 20 " + KWBuiltProgram("qvtool") + " " + command + " 2>&1");
        EXPECT_EQ(run.status, 1) << command << ": " << run.output;
        EXPECT_NE(run.output.find(fifo), std::string::npos) << command << ": " << run.output;
    }
    EXPECT_FALSE(std::filesystem::exists(out));
}

namespace {
std::string FirstListedFile(const std::string& output) {
    const std::size_t quote = output.find("\"files\":[\"");
    if (quote == std::string::npos)
        return {};
    const std::size_t begin = quote + 10;
    return output.substr(begin, output.find('"', begin) - begin);
}
} // namespace

// The programs run under the test's file size limit, which they inherit: a disk that fills up.
TEST_F(StreamCommandsTest, AFullDiskFailsCaptureAudioAndRenderAndLeavesOnlyWhatIsWhole) {
    // Key pictures often enough that a capture soon outgrows the room.
    DvrRecorder::Options options;
    options.seconds = 2;
    options.channels = {0, 2};
    options.keyPeriod = 5;
    const DvrSuiteDisk disk(options);
    ASSERT_TRUE(disk.Result().ok);
    const std::string image = disk.Image();
    const std::string folder = disk.Dir() / "full";
    std::filesystem::create_directory(folder);
    const std::string wav = folder + "/sound.wav";
    const std::string bmp = folder + "/view.bmp";
    KWProgramRun capture, audio, render;
    {
        KWFileSizeLimit full(kFullDiskBytes);
        ASSERT_TRUE(full.IsApplied());
        capture = RunQvTool("capture " + image + " --dir " + folder + " --seconds 30");
        audio = RunQvTool("audio " + image + " --wav " + wav);
        render = RunQvTool("render " + image + " --frames 6 --size 608x450 --out " + bmp);
    }
    // The capture reports the error, and its file is closed like a stopped capture: the header
    // counts exactly the whole records the file holds.
    EXPECT_EQ(capture.status, 1) << capture.output;
    EXPECT_NE(capture.output.find("Error occurred while capturing"), std::string::npos)
        << capture.output;
    const std::string mys = FirstListedFile(capture.output);
    ASSERT_FALSE(mys.empty()) << capture.output;
    const KWProgramRun listing = RunQvTool("mys " + mys);
    EXPECT_EQ(listing.status, 0) << listing.output;
    EXPECT_NE(
        listing.output.find("\"file_size\":" + std::to_string(std::filesystem::file_size(mys))),
        std::string::npos)
        << listing.output;

    // The sound: what the file holds, said in the seconds and counted by the header.
    EXPECT_EQ(audio.status, 1) << audio.output;
    const KWWavContents contents = KWReadWavFile(wav);
    ASSERT_TRUE(contents.valid);
    EXPECT_EQ(44 + 2 * contents.samples.size(), std::filesystem::file_size(wav));
    EXPECT_LT(contents.samples.size(), disk.Result().sound.size());
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "\"seconds\":%.3f", contents.samples.size() / 8000.0);
    EXPECT_NE(audio.output.find(seconds), std::string::npos) << audio.output;

    // No picture rather than a cut one.
    EXPECT_EQ(render.status, 1) << render.output;
    EXPECT_FALSE(std::filesystem::exists(bmp));
    std::set<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        left.insert(entry.path().string());
    EXPECT_EQ(left, (std::set<std::string>{mys, wav}));
}

TEST_F(StreamCommandsTest, PathsWithQuotesAndBackslashesAreEscapedInTheJson) {
    const std::string folder = s_disk->Dir() / "say \"cheese\" \\ here";
    std::filesystem::create_directory(folder);
    const std::string escaped = "say \\\"cheese\\\" \\\\ here";
    const auto quoted = [](const std::string& path) { return "'" + path + "'"; };
    const KWProgramRun audio =
        RunQvTool("audio " + Image() + " --wav " + quoted(folder + "/sound.wav"));
    EXPECT_EQ(audio.status, 0) << audio.output;
    EXPECT_NE(audio.output.find(escaped + "/sound.wav\","), std::string::npos) << audio.output;
    const KWProgramRun render = RunQvTool("render " + Image() + " --frames 1 --size 64x48 --out " +
                                          quoted(folder + "/view.bmp"));
    EXPECT_EQ(render.status, 0) << render.output;
    EXPECT_NE(render.output.find(escaped + "/view.bmp\","), std::string::npos) << render.output;
    const KWProgramRun capture =
        RunQvTool("capture " + Image() + " --dir " + quoted(folder) + " --seconds 30");
    EXPECT_EQ(capture.status, 0) << capture.output;
    EXPECT_NE(capture.output.find(escaped + "\",\"files\":[\""), std::string::npos)
        << capture.output;
}
