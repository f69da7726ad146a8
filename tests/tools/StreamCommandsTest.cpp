// qvtool's stream commands run as programs on a synthetic disk: frames lists what the recorder
// wrote, audio writes the sound, render draws the view, and all of them refuse bad arguments.
#include "CKWWaveManager.h"
#include "DvrSuiteDisk.h"
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
#include <sstream>

namespace {
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
