// qvtool export and qvtool verify run as programs on synthetic disks with known truth: the
// frames of every channel, their recorded times, their pictures (checked against the frames
// that `qvtool frames` decodes), the sound (against `qvtool audio`), the report's hashes.
#include "DvrRecorder.h"
#include "KWFileFingerprint.h"
#include "KWSha256.h"
#include "KWTempDir.h"
#include "KWWavReader.h"
#include "RunQvTool.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace fs = std::filesystem;

namespace {
constexpr int kWidth = 640; // the 14-slice geometry
constexpr int kHeight = 224;
constexpr std::size_t kPictureBytes = kWidth * kHeight * 3 / 2;

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

QJsonObject ReadJson(const std::string& path) {
    const std::vector<std::uint8_t> bytes = ReadBytes(path);
    return QJsonDocument::fromJson(QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<qsizetype>(bytes.size())))
        .object();
}

// The report's entry of a file, by its name.
QJsonObject FileEntry(const QJsonObject& report, const std::string& name) {
    for (const QJsonValue& file : report.value("files").toArray())
        if (file.toObject().value("name").toString().toStdString() == name)
            return file.toObject();
    return {};
}

// A stream of a file decoded by the ffmpeg program: raw YUV 4:2:0 pictures or 16-bit sound.
std::vector<std::uint8_t> DecodeWithFfmpeg(const std::string& path, const KWTempDir& dir,
                                           bool sound) {
    const std::string out = dir / (sound ? "sound.raw" : "pictures.yuv");
    const KWProgramRun run =
        KWRunProgram("ffmpeg -v error -y -i \"" + path + "\" " +
                     (sound ? "-map 0:a -f s16le"
                            : "-map 0:v -fps_mode passthrough -f rawvideo -pix_fmt yuv420p") +
                     " \"" + out + "\" 2>&1");
    EXPECT_EQ(run.status, 0) << run.output;
    return ReadBytes(out);
}

// What `qvtool frames` says of each frame read from a packet: forward play, one decoder per
// channel, as the export decodes.
struct ListedFrame {
    std::uint32_t packet = 0;
    int channel = 0;
    bool decoded = false;
    std::string timestamp;
    std::string planes; // the three planes' SHA-256, one after the other
};

std::vector<ListedFrame> ListFrames(const std::string& image, std::uint32_t fromPacket) {
    const KWProgramRun run =
        RunQvTool("frames " + image + " --from-packet " + std::to_string(fromPacket));
    EXPECT_EQ(run.status, 0) << run.output;
    std::vector<ListedFrame> frames;
    std::istringstream lines(run.output);
    std::string line;
    while (std::getline(lines, line)) {
        const QJsonObject frame = QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
        frames.push_back({static_cast<std::uint32_t>(frame.value("packet").toInt()),
                          frame.value("channel").toInt(), frame.value("decoded").toBool(),
                          frame.value("timestamp").toString().toStdString(),
                          (frame.value("y_sha256").toString() + frame.value("u_sha256").toString() +
                           frame.value("v_sha256").toString())
                              .toStdString()});
    }
    return frames;
}

// A disk of `seconds` recorded from 2026-12-01 12:00:00 in the 14-slice geometry.
DvrRecorder::Options DiskOptions(const std::string& path, double seconds) {
    DvrRecorder::Options options;
    options.output = path;
    options.slices = 14;
    options.seconds = seconds;
    options.start.tm_year = 126;
    options.start.tm_mon = 11;
    options.start.tm_mday = 1;
    options.start.tm_hour = 12;
    return options;
}

std::string TimeText(const QXTimestamp& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year + 2000, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

std::string PlaneHashes(const std::uint8_t* picture) {
    const std::size_t luma = kWidth * kHeight;
    return KWSha256::Hex(picture, luma) + KWSha256::Hex(picture + luma, luma / 4) +
           KWSha256::Hex(picture + luma + luma / 4, luma / 4);
}

double Psnr(const std::uint8_t* a, const std::uint8_t* b, std::size_t size) {
    double squares = 0;
    for (std::size_t i = 0; i < size; ++i)
        squares += (a[i] - b[i]) * (a[i] - b[i]);
    return squares == 0 ? 99 : 10 * std::log10(255.0 * 255.0 * size / squares);
}

class ExportCommandTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = new KWTempDir;
        s_disk = new DvrRecorder::Result(DvrRecorder(DiskOptions(Disk(), 6)).Record());
    }
    static void TearDownTestSuite() {
        delete s_disk;
        delete s_dir;
    }
    void SetUp() override { ASSERT_TRUE(s_disk->ok) << s_disk->error; }

    static std::string Disk() { return *s_dir / "disk.img"; }
    std::string Out(const std::string& name = "out") const { return m_dir / name; }
    // Runs qvtool export on the disk into Out() and reads its report.
    QJsonObject Export(const std::string& options, const std::string& disk = Disk()) {
        const KWProgramRun run = RunQvTool("export " + disk + " --out " + Out() + " " + options);
        EXPECT_EQ(run.status, 0) << run.output;
        return ReadJson(Out() + "/report.json");
    }

    KWTempDir m_dir;
    static inline KWTempDir* s_dir = nullptr;
    static inline DvrRecorder::Result* s_disk = nullptr;
};
} // namespace

// Every channel's file holds its frames, from its first to its last recorded time; the report
// gives each file's true SHA-256 and that of the raw packets read; the drive is left as it was.
TEST_F(ExportCommandTest, EveryChannelGetsItsFramesTimesAndTrueHashes) {
    const std::uint64_t before = KWFileChecksum(Disk());
    const QJsonObject report = Export("");
    EXPECT_EQ(KWFileChecksum(Disk()), before);
    EXPECT_TRUE(report.value("complete").toBool());
    ASSERT_EQ(report.value("files").toArray().size(), 4);

    const std::uint64_t last = s_disk->streamLength;
    const std::vector<std::uint8_t> image = ReadBytes(Disk());
    EXPECT_EQ(report.value("packets").toObject().value("last").toInt(), static_cast<int>(last));
    EXPECT_EQ(report.value("packets").toObject().value("sha256").toString().toStdString(),
              KWSha256::Hex(image.data(), (last + 1) * 4096));
    EXPECT_EQ(report.value("drive").toObject().value("bytes").toDouble(),
              static_cast<double>(image.size()));

    for (int channel = 0; channel < 4; ++channel) {
        std::vector<DvrRecorder::FrameTruth> truth;
        for (const auto& frame : s_disk->frames)
            if (frame.channel == channel)
                truth.push_back(frame);
        const std::string name = "channel" + std::to_string(channel + 1) + ".mp4";
        const QJsonObject file = FileEntry(report, name);
        const std::vector<std::uint8_t> bytes = ReadBytes(Out() + "/" + name);
        EXPECT_EQ(file.value("sha256").toString().toStdString(),
                  KWSha256::Hex(bytes.data(), bytes.size()));
        EXPECT_EQ(file.value("frames").toInt(), static_cast<int>(truth.size())) << name;
        EXPECT_EQ(file.value("first_time").toString().toStdString(),
                  TimeText(truth.front().timestamp));
        EXPECT_EQ(file.value("last_time").toString().toStdString(),
                  TimeText(truth.back().timestamp));
        EXPECT_EQ(file.value("sound_codec").isString(), channel == 0) << name;
        EXPECT_TRUE(file.value("skipped_frames").toArray().isEmpty());
    }
}

// FFV1 keeps every picture of the decoder exactly; H.264 at its default quality stays within
// 35 dB of it. The frames are shown at their recorded pace (33 ms per frame, four channels), not
// at a fixed rate.
TEST_F(ExportCommandTest, PicturesEqualTheDecodersExactlyInMkvAndCloselyInMp4) {
    Export("--format mkv --channels 2");
    const std::vector<std::uint8_t> lossless =
        DecodeWithFfmpeg(Out() + "/channel2.mkv", m_dir, false);
    std::vector<std::string> listed;
    for (const ListedFrame& frame : ListFrames(Disk(), 0))
        if (frame.channel == 1 && frame.decoded)
            listed.push_back(frame.planes);
    ASSERT_EQ(lossless.size(), listed.size() * kPictureBytes);
    for (std::size_t i = 0; i < listed.size(); ++i)
        ASSERT_EQ(PlaneHashes(lossless.data() + i * kPictureBytes), listed[i]) << "frame " << i;

    fs::remove_all(Out());
    Export("--channels 2");
    const std::vector<std::uint8_t> compressed =
        DecodeWithFfmpeg(Out() + "/channel2.mp4", m_dir, false);
    ASSERT_EQ(compressed.size(), lossless.size());
    for (std::size_t i = 0; i < listed.size(); ++i)
        EXPECT_GE(Psnr(compressed.data() + i * kPictureBytes, lossless.data() + i * kPictureBytes,
                       kWidth * kHeight),
                  35.0)
            << "frame " << i;

    const KWProgramRun times = KWRunProgram("ffprobe -v error -select_streams v -show_entries "
                                            "packet=pts_time -of csv=p=0 \"" +
                                            Out() + "/channel2.mp4\" 2>&1");
    std::istringstream lines(times.output);
    std::vector<double> pts{std::istream_iterator<double>(lines), {}};
    std::sort(pts.begin(), pts.end());
    ASSERT_EQ(pts.size(), listed.size());
    EXPECT_NEAR(pts[1] - pts[0], 4 * 0.033, 0.002);
    EXPECT_NEAR(pts.back(), 6.0, 0.5);
}

// The lossless file's sound is what `qvtool audio` plays from the same stream.
TEST_F(ExportCommandTest, MkvSoundEqualsTheAudioCommandsSound) {
    Export("--format mkv --channels 1");
    const KWProgramRun audio = RunQvTool("audio " + Disk() + " --wav " + (m_dir / "a.wav"));
    ASSERT_EQ(audio.status, 0) << audio.output;
    const KWWavContents wav = KWReadWavFile(m_dir / "a.wav");
    const std::vector<std::uint8_t> raw = DecodeWithFfmpeg(Out() + "/channel1.mkv", m_dir, true);
    ASSERT_TRUE(wav.valid);
    ASSERT_FALSE(wav.samples.empty());
    ASSERT_EQ(raw.size(), wav.samples.size() * 2);
    EXPECT_EQ(std::memcmp(raw.data(), wav.samples.data(), raw.size()), 0);
}

// A time range is exported to the second: the files begin and end with the range's seconds,
// and their first frames decode although the range begins between key pictures.
TEST_F(ExportCommandTest, ATimeRangeIsRefinedToTheSecond) {
    const QJsonObject report =
        Export("--from \"2026-12-01 12:00:02\" --to \"2026-12-01 12:00:04\" --channels 3,4");
    ASSERT_EQ(report.value("files").toArray().size(), 2);
    for (const char* name : {"channel3.mp4", "channel4.mp4"}) {
        const QJsonObject file = FileEntry(report, name);
        long truth = 0;
        for (const auto& frame : s_disk->frames)
            truth += frame.channel == name[7] - '1' && frame.timestamp.second >= 2 &&
                     frame.timestamp.second <= 4;
        EXPECT_EQ(file.value("first_time").toString(), "2026-12-01 12:00:02");
        EXPECT_EQ(file.value("last_time").toString(), "2026-12-01 12:00:04");
        EXPECT_EQ(file.value("frames").toInt(), truth) << name;
        EXPECT_TRUE(file.value("skipped_frames").toArray().isEmpty()) << name;
    }
}

// Frames that do not decode are skipped and listed with their packet, and the others are all
// written: what `qvtool frames` decodes from the same packet.
TEST_F(ExportCommandTest, DamagedFramesAreSkippedAndListed) {
    DvrRecorder::Options options = DiskOptions(m_dir / "damaged.img", 3);
    options.damage = {{DvrRecorder::DamageKind::TruncatedFrame, 20},
                      {DvrRecorder::DamageKind::TruncatedFrame, 41}};
    ASSERT_TRUE(DvrRecorder(options).Record().ok);
    const QJsonObject report = Export("", options.output);
    long skipped = 0, written = 0;
    for (const QJsonValue& file : report.value("files").toArray()) {
        skipped += file.toObject().value("skipped_frames").toArray().size();
        written += file.toObject().value("frames").toInt();
    }
    std::set<std::uint32_t> listedPackets, reportedPackets;
    long decoded = 0;
    for (const ListedFrame& frame : ListFrames(options.output, 0)) {
        decoded += frame.decoded;
        if (!frame.decoded)
            listedPackets.insert(frame.packet);
    }
    for (const QJsonValue& file : report.value("files").toArray())
        for (const QJsonValue& frame : file.toObject().value("skipped_frames").toArray())
            reportedPackets.insert(
                static_cast<std::uint32_t>(frame.toObject().value("packet").toInt()));
    EXPECT_GE(skipped, 2);
    EXPECT_EQ(written, decoded);
    EXPECT_EQ(reportedPackets, listedPackets);
    EXPECT_NE(ReadBytes(Out() + "/report.txt").size(), 0u);
}

// Across the wrap point of a circular recording the recorded time goes back: the frames are
// all exported in disk order and the report lists the jump as a gap of negative length.
TEST_F(ExportCommandTest, ARangeAcrossTheWrapPointKeepsItsFramesAndListsTheJump) {
    DvrRecorder::Options options = DiskOptions(m_dir / "wrapped.img", 15);
    options.shape = DvrRecorder::Shape::Wrapped;
    options.diskBytes = 1; // one cylinder: about 2000 packets, a third of the recording
    options.quantiser = 2;
    options.keyPeriod = 1;
    const DvrRecorder::Result disk = DvrRecorder(options).Record();
    ASSERT_TRUE(disk.ok) << disk.error;
    const std::uint64_t wrap = disk.packetsWritten % (disk.streamLength + 1);
    const std::uint32_t first = static_cast<std::uint32_t>(wrap - 40);
    const std::uint32_t last = static_cast<std::uint32_t>(wrap + 40);
    const QJsonObject report = Export("--from-packet " + std::to_string(first) + " --to-packet " +
                                          std::to_string(last) + " --channels 1",
                                      options.output);
    long decoded = 0;
    for (const ListedFrame& frame : ListFrames(options.output, first))
        decoded += frame.channel == 0 && frame.decoded && frame.packet <= last;
    const QJsonObject file = FileEntry(report, "channel1.mp4");
    EXPECT_EQ(file.value("frames").toInt(), decoded);
    ASSERT_FALSE(file.value("gaps").toArray().isEmpty());
    EXPECT_LT(file.value("gaps").toArray()[0].toObject().value("seconds").toInt(), 0);
}

// verify finds a file with one byte changed, and a drive whose exported packets changed.
TEST_F(ExportCommandTest, VerifyNamesTheFileWithAFlippedByteAndAChangedDrive) {
    const std::string copy = m_dir / "copy.img";
    fs::copy_file(Disk(), copy);
    Export("--channels 1,2", copy);
    const KWProgramRun clean = RunQvTool("verify " + Out() + " --drive " + copy);
    EXPECT_EQ(clean.status, 0) << clean.output;

    std::fstream file(Out() + "/channel2.mp4", std::ios::in | std::ios::out | std::ios::binary);
    file.seekg(1000);
    const char byte = static_cast<char>(file.get() ^ 1);
    file.seekp(1000);
    file.put(byte);
    file.close();
    const KWProgramRun changed = RunQvTool("verify " + Out());
    EXPECT_EQ(changed.status, 1);
    EXPECT_NE(changed.output.find("channel2.mp4 is changed since the export"), std::string::npos)
        << changed.output;
    EXPECT_NE(changed.output.find("{\"name\":\"channel1.mp4\",\"status\":\"unchanged\"}"),
              std::string::npos)
        << changed.output;

    std::fstream drive(copy, std::ios::in | std::ios::out | std::ios::binary);
    drive.seekp(4096 * 3 + 100);
    drive.put('\x5a');
    drive.close();
    const KWProgramRun driveChanged = RunQvTool("verify " + Out() + " --drive " + copy);
    EXPECT_EQ(driveChanged.status, 1);
    EXPECT_NE(
        driveChanged.output.find("\"drive\":{\"path\":\"" + copy + "\",\"status\":\"changed\"}"),
        std::string::npos)
        << driveChanged.output;
}

// An export never writes into a folder that holds something, and bad ranges are refused.
TEST_F(ExportCommandTest, RefusesAFullFolderAndBadRanges) {
    fs::create_directories(Out());
    std::ofstream(Out() + "/keep.txt") << "x";
    const KWProgramRun full = RunQvTool("export " + Disk() + " --out " + Out());
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.output.find("is not empty"), std::string::npos) << full.output;
    EXPECT_EQ(RunQvTool("export " + Disk() + " --out " + Out("b") + " --from-packet 9").status, 2);
    EXPECT_EQ(
        RunQvTool("export " + Disk() + " --out " + Out("b") + " --from-packet 9 --to-packet 3")
            .status,
        2);
    const KWProgramRun beyond = RunQvTool("export " + Disk() + " --out " + Out("b") +
                                          " --from-packet 0 --to-packet 99999999");
    EXPECT_EQ(beyond.status, 1);
    EXPECT_FALSE(fs::exists(Out("b")));
}

// scan --deep lists an older recording left beyond the stream's end, and export reads it by its
// packets as it reads the main stream.
TEST_F(ExportCommandTest, ADeepScanFindsAnOlderRunThatExportsLikeTheMainStream) {
    DvrRecorder::Options options = DiskOptions(m_dir / "older.img", 2);
    options.keyPeriod = 1;
    options.diskBytes = 64ull << 20;
    options.olderRunPacket = 3000;
    options.olderRunSeconds = 3;
    const DvrRecorder::Result disk = DvrRecorder(options).Record();
    ASSERT_TRUE(disk.ok) << disk.error;
    const std::uint64_t before = KWFileChecksum(options.output);

    const KWProgramRun scan = RunQvTool("scan --deep --drive " + options.output);
    ASSERT_EQ(scan.status, 0) << scan.output;
    const QJsonObject run = QJsonDocument::fromJson(QByteArray::fromStdString(scan.output))
                                .object()
                                .value("deep")
                                .toArray()[0]
                                .toObject()
                                .value("runs")
                                .toArray()[0]
                                .toObject();
    EXPECT_EQ(run.value("first_packet").toInt(), 3000);
    EXPECT_EQ(run.value("last_packet").toInt(), static_cast<int>(disk.olderRunLast));
    EXPECT_EQ(run.value("first_time").toString(), "2026-11-30 12:00:00");

    const QJsonObject report = Export("--from-packet 3000 --to-packet " +
                                          std::to_string(disk.olderRunLast) + " --channels 4",
                                      options.output);
    long truth = 0;
    for (const auto& frame : disk.olderFrames)
        truth += frame.channel == 3;
    const QJsonObject file = FileEntry(report, "channel4.mp4");
    EXPECT_EQ(file.value("frames").toInt(), truth);
    EXPECT_EQ(file.value("first_time").toString(), "2026-11-30 12:00:00");
    EXPECT_EQ(KWFileChecksum(options.output), before);
}

// --burn-in draws the recorded time in the top left corner, white on black, and leaves the rest
// of the picture as the decoder gave it.
TEST_F(ExportCommandTest, BurnInDrawsTheTimeInTheCornerOnly) {
    Export("--format mkv --channels 1");
    const std::vector<std::uint8_t> plain = DecodeWithFfmpeg(Out() + "/channel1.mkv", m_dir, false);
    fs::remove_all(Out());
    Export("--format mkv --channels 1 --burn-in");
    const std::vector<std::uint8_t> burnt = DecodeWithFfmpeg(Out() + "/channel1.mkv", m_dir, false);
    ASSERT_EQ(burnt.size(), plain.size());
    ASSERT_GE(plain.size(), kPictureBytes);
    // The box: 19 characters of the 8-pixel caption font and its padding, 20 lines.
    constexpr int kBoxRight = 4 + 19 * 8 + 4, kBoxBottom = 4 + 16 + 4;
    int bright = 0, changedOutside = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const std::size_t at = static_cast<std::size_t>(y) * kWidth + x;
            if (x < kBoxRight && y < kBoxBottom)
                bright += burnt[at] > 200;
            else
                changedOutside += burnt[at] != plain[at];
        }
    }
    EXPECT_GT(bright, 50);
    EXPECT_EQ(changedOutside, 0);
}

// Ctrl+C ends an export early: its files stay playable but are named ".partial", and the
// report says the export did not finish.
TEST_F(ExportCommandTest, AnInterruptedExportLeavesPartialFilesAndSaysSo) {
    const std::string image = m_dir / "long.img";
    ASSERT_TRUE(DvrRecorder(DiskOptions(image, 90)).Record().ok);
    KWProgram program("exec " + KWBuiltProgram("qvtool") + " export " + image + " --out " + Out() +
                      " --format mkv 2>&1");
    ASSERT_TRUE(program.IsStarted());
    bool exited = false;
    while (!exited && program.Output().find("frames written") == std::string::npos)
        exited = program.WaitForExit(50);
    ASSERT_FALSE(exited) << "the export ended before it could be interrupted: " << program.Output();
    kill(program.Id(), SIGINT);
    ASSERT_TRUE(program.WaitForExit(30000));
    EXPECT_EQ(program.Status(), 1) << program.Output();
    const QJsonObject report = ReadJson(Out() + "/report.json");
    EXPECT_FALSE(report.value("complete").toBool());
    EXPECT_NE(report.value("note").toString().indexOf("interrupted"), -1);
    ASSERT_FALSE(report.value("files").toArray().isEmpty());
    for (const auto& entry : fs::directory_iterator(Out())) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name.starts_with("report.") || name.ends_with(".mkv.partial")) << name;
    }
    const KWProgramRun verify = RunQvTool("verify " + Out());
    EXPECT_EQ(verify.status, 0) << verify.output;
    EXPECT_NE(verify.output.find("did not finish"), std::string::npos) << verify.output;
}
