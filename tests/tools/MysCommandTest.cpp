#include "CQXMysRecorder.h"
#include "KWSha256.h"
#include "KWTempDir.h"
#include "MysTestSupport.h"
#include "RunQvTool.h"
#include "VideoTestPictures.h"

#include <gtest/gtest.h>

namespace {
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(text.substr(at, end - at));
    return lines;
}

// Records encoded pictures of channel 1 (key, then changes) and a sound block between them.
std::string RecordScenes(const KWTempDir& dir, int pictures, CQXVideoEncoder& encoder) {
    CQXMysRecorder recorder;
    EXPECT_EQ(recorder.Open(dir.Path().string(), 0), 1);
    CQXVideoFrame frame;
    CQXAudioFrame audio;
    audio.SetLength(4000);
    for (int n = 0; n < pictures; ++n) {
        std::vector<std::uint8_t> body;
        EXPECT_EQ(encoder.Encode(MakeScene(320, 112, n).View(), n == 0, {}, body), 1);
        AssembleFrame(frame, body, RecordTime(static_cast<std::uint32_t>(n)), 0x08);
        EXPECT_TRUE(WaitFor([&] { return recorder.WriteVideo(frame) == 1; }));
        if (n == 0) {
            EXPECT_TRUE(WaitFor([&] { return recorder.WriteAudio(audio) == 1; }));
        }
    }
    recorder.Close();
    return dir / "20061227150000.mys";
}
} // namespace

TEST(MysCommand, ListsTheHeaderAndEveryRecordWithItsBackLink) {
    KWTempDir dir;
    CQXVideoEncoder encoder;
    const std::string path = RecordScenes(dir, 3, encoder);
    KWProgramRun run = RunQvTool("mys " + path);
    ASSERT_EQ(run.status, 0) << run.output;
    std::vector<std::string> lines = Lines(run.output);
    ASSERT_EQ(lines.size(), 6u) << run.output;
    EXPECT_EQ(lines[0].rfind("{\"magic_ok\":true,\"file_size\":" +
                                 std::to_string(std::filesystem::file_size(path)),
                             0),
              0u)
        << lines[0];
    EXPECT_NE(lines[0].find("\"first\":\"2006-12-27 15:00:00\",\"last\":\"2006-12-27 "
                            "15:00:02\",\"channels\":1,\"pal\":false,\"record_count\":4}"),
              std::string::npos)
        << lines[0];
    EXPECT_EQ(lines[1].rfind("{\"n\":0,\"offset\":28,\"type\":\"video\",\"key\":1,\"sequence\":0,"
                             "\"time_difference\":0,\"previous_length\":0,",
                             0),
              0u)
        << lines[1];
    EXPECT_NE(lines[2].find("\"type\":\"audio\",\"key\":0,\"sequence\":1,"), std::string::npos);
    EXPECT_NE(lines[2].find("\"length\":4008,"), std::string::npos);
    EXPECT_NE(lines[3].find("\"previous_length\":4008,"), std::string::npos);
    for (int n = 1; n <= 4; ++n)
        EXPECT_NE(lines[n].find("\"back_link\":true}"), std::string::npos) << lines[n];
    EXPECT_EQ(lines[5].rfind("{\"records\":4,\"video\":3,\"audio\":1,\"broken_links\":0,"
                             "\"end\":\"end\"",
                             0),
              0u)
        << lines[5];

    // A damaged back link is reported and fails the check.
    std::vector<std::uint8_t> bytes = ReadFile(path);
    const std::size_t third =
        28 + 28 + QXMysRecordHeader::FromBytes(bytes.data() + 28).length + 28 + 4008;
    bytes[third + 12] ^= 1;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    run = RunQvTool("mys " + path);
    EXPECT_EQ(run.status, 1) << run.output;
    lines = Lines(run.output);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_NE(lines[3].find("\"back_link\":false}"), std::string::npos) << lines[3];
    EXPECT_NE(lines[5].find("\"broken_links\":1,"), std::string::npos) << lines[5];
}

TEST(MysCommand, DecodePrintsEveryFrameAsTheScreenShowsIt) {
    KWTempDir dir;
    CQXVideoEncoder encoder;
    const std::string path = RecordScenes(dir, 4, encoder);
    const KWProgramRun run = RunQvTool("mys --decode " + path);
    ASSERT_EQ(run.status, 0) << run.output;
    const std::vector<std::string> lines = Lines(run.output);
    ASSERT_EQ(lines.size(), 4u) << run.output;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        EXPECT_EQ(lines[n].rfind("{\"n\":" + std::to_string(n), 0), 0u);
        EXPECT_NE(lines[n].find("\"channel\":0,\"channel_set\":8,\"timestamp\":\"2006-12-27 "
                                "15:00:0" +
                                std::to_string(n) + "\",\"key\":" + (n == 0 ? "1" : "0") +
                                ",\"slices\":7,"),
                  std::string::npos)
            << lines[n];
    }
    const CQXVideoEncoder::Picture shown = encoder.GetReconstruction();
    EXPECT_NE(lines.back().find("\"decoded\":true,\"width\":320,\"height\":112,\"y_sha256\":\"" +
                                KWSha256::Hex(shown.y, 320 * 112) + "\""),
              std::string::npos)
        << lines.back();
}

TEST(MysCommand, AForeignFileAndBadArgumentsFail) {
    KWTempDir dir;
    std::ofstream(dir / "foreign.mys", std::ios::binary) << std::string(3000, 'x');
    KWProgramRun run = RunQvTool("mys " + (dir / "foreign.mys"));
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("\"magic_ok\":false"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("\"records\":0,"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("\"end\":\"foreign_bytes\""), std::string::npos) << run.output;
    run = RunQvTool("mys --decode " + (dir / "foreign.mys"));
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("Unknown frame type detected."), std::string::npos) << run.output;
    EXPECT_EQ(RunQvTool("mys").status, 2);
    EXPECT_EQ(RunQvTool("mys a b").status, 2);
    EXPECT_EQ(RunQvTool("mys " + (dir / "missing.mys")).status, 1);
}
