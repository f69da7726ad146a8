#include "CKWAviConverter.h"
#include "CKWFrameStepper.h"
#include "KWMediaFixture.h"
#include "KWRunProgram.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace {
// What ffprobe, an outside reader, says about a file.
std::string Probe(const std::string& path) {
    return KWRunProgram("ffprobe -v error -show_entries stream=codec_name,codec_type "
                        "-show_entries format=format_name,duration -of "
                        "default=noprint_wrappers=1 \"" +
                        path + "\"")
        .output;
}

double ProbedDuration(const std::string& probe) {
    const auto at = probe.find("duration=");
    return at == std::string::npos ? -1 : std::stod(probe.substr(at + 9));
}

// Decodes the whole file with the ffmpeg tool; returns its complaints.
std::string DecodeErrors(const std::string& path) {
    return KWRunProgram("ffmpeg -v error -i \"" + path + "\" -f null - 2>&1").output;
}

// The frame at two seconds must still be frame 50.
void ExpectFrameAtTwoSeconds(const std::string& path) {
    CKWMediaDecoder decoder;
    ASSERT_TRUE(decoder.Open(path)) << decoder.GetError();
    CKWFrameStepper stepper(decoder);
    stepper.Start(2.0, true, false, 1);
    KWVideoFrame frame;
    ASSERT_EQ(stepper.Next(frame), CKWMediaDecoder::Result::Frame);
    KWPicture picture;
    ASSERT_TRUE(decoder.ConvertPicture(frame, picture));
    EXPECT_NEAR(KWTestMedia::FrameOfShade(*picture.Pixel(80, 60)), 50, 1);
}

class CKWAviConverterTest : public KWMediaFixture {};
} // namespace

TEST_F(CKWAviConverterTest, CopiesStreamsThatFitAvi) {
    const std::string out = TempPath("copied.avi");
    CKWAviConverter converter;
    double last = -1;
    int calls = 0;
    ASSERT_TRUE(converter.Convert(Mpeg4Avi(), out, [&](double done) {
        EXPECT_GE(done, last);
        last = done;
        ++calls;
        return true;
    })) << converter.GetError();
    EXPECT_TRUE(converter.CopiedVideo());
    EXPECT_TRUE(converter.CopiedAudio());
    EXPECT_GT(calls, 10);
    EXPECT_EQ(last, 1.0);
    const std::string probe = Probe(out);
    EXPECT_NE(probe.find("format_name=avi"), std::string::npos) << probe;
    EXPECT_NE(probe.find("codec_name=mpeg4"), std::string::npos) << probe;
    EXPECT_NE(probe.find("codec_name=pcm_mulaw"), std::string::npos) << probe;
    EXPECT_NEAR(ProbedDuration(probe), KWTestMedia::kSeconds, 0.1);
    EXPECT_EQ(DecodeErrors(out), "");
    ExpectFrameAtTwoSeconds(out);
}

TEST_F(CKWAviConverterTest, CopiesH264AndReencodesAacAsPcm) {
    const std::string out = TempPath("h264.avi");
    CKWAviConverter converter;
    ASSERT_TRUE(converter.Convert(H264Mp4(), out)) << converter.GetError();
    EXPECT_TRUE(converter.CopiedVideo());
    EXPECT_FALSE(converter.CopiedAudio());
    const std::string probe = Probe(out);
    EXPECT_NE(probe.find("codec_name=h264"), std::string::npos) << probe;
    EXPECT_NE(probe.find("codec_name=pcm_s16le"), std::string::npos) << probe;
    EXPECT_NEAR(ProbedDuration(probe), KWTestMedia::kSeconds, 0.1);
    EXPECT_EQ(DecodeErrors(out), "");
    ExpectFrameAtTwoSeconds(out);
}

TEST_F(CKWAviConverterTest, ReencodesOtherVideoAsMpeg4) {
    const std::string source = TempPath("ffv1.av");
    ASSERT_EQ(KWRunProgram("ffmpeg -v error -y -i \"" + Mpeg4Avi() +
                           "\" -c:v ffv1 -c:a flac -f matroska \"" + source + "\"")
                  .status,
              0);
    const std::string out = TempPath("reencoded.avi");
    CKWAviConverter converter;
    ASSERT_TRUE(converter.Convert(source, out)) << converter.GetError();
    EXPECT_FALSE(converter.CopiedVideo());
    EXPECT_FALSE(converter.CopiedAudio());
    const std::string probe = Probe(out);
    EXPECT_NE(probe.find("codec_name=mpeg4"), std::string::npos) << probe;
    EXPECT_NE(probe.find("codec_name=pcm_s16le"), std::string::npos) << probe;
    EXPECT_NEAR(ProbedDuration(probe), KWTestMedia::kSeconds, 0.1);
    EXPECT_EQ(DecodeErrors(out), "");
    ExpectFrameAtTwoSeconds(out);
}

TEST_F(CKWAviConverterTest, FailuresLeaveNoOutputAndNeverHarmTheSource) {
    CKWAviConverter converter;
    const std::string foreign = TempPath("foreign.av");
    std::ofstream(foreign) << "plain text, not a recording";
    const std::string out = TempPath("never.avi");
    EXPECT_FALSE(converter.Convert(foreign, out));
    EXPECT_FALSE(converter.GetError().empty());
    EXPECT_FALSE(std::filesystem::exists(out));

    EXPECT_FALSE(converter.Convert(TempPath("missing.av"), out));
    EXPECT_FALSE(converter.Convert(Mpeg4Avi(), ""));
    const auto size = std::filesystem::file_size(Mpeg4Avi());
    EXPECT_FALSE(converter.Convert(Mpeg4Avi(), Mpeg4Avi()));
    EXPECT_EQ(std::filesystem::file_size(Mpeg4Avi()), size);
    EXPECT_FALSE(converter.Convert(Mpeg4Avi(), TempPath("no/such/folder/out.avi")));

    EXPECT_FALSE(converter.Convert(Mpeg4Avi(), out, [](double done) { return done < 0.5; }));
    EXPECT_EQ(converter.GetError(), "cancelled");
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(CKWAviConverterTest, TheDestinationIsReplacedOnlyBySuccessAndNeverWhenItIsNoRegularFile) {
    const std::string folder = TempPath("destinations");
    std::filesystem::create_directory(folder);
    const std::string kept = folder + "/kept.avi";
    std::ofstream(kept) << "the user's file";
    const std::string target = folder + "/target.txt";
    std::ofstream(target) << "the link's target";
    const std::string link = folder + "/link.avi";
    std::filesystem::create_symlink(target, link);
    const std::string fifo = folder + "/fifo.avi";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const auto contents = [](const std::string& path) {
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };

    CKWAviConverter converter;
    EXPECT_FALSE(converter.Convert(Mpeg4Avi(), kept, [](double done) { return done < 0.5; }));
    EXPECT_EQ(contents(kept), "the user's file");
    EXPECT_FALSE(converter.Convert(Mpeg4Avi(), link));
    EXPECT_NE(converter.GetError().find("symbolic link"), std::string::npos)
        << converter.GetError();
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(contents(target), "the link's target");
    EXPECT_FALSE(converter.Convert(Mpeg4Avi(), fifo));
    EXPECT_NE(converter.GetError().find("not a regular file"), std::string::npos)
        << converter.GetError();
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    // Nothing of the failed conversions stays behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 4);

    ASSERT_TRUE(converter.Convert(Mpeg4Avi(), kept)) << converter.GetError();
    EXPECT_NE(Probe(kept).find("format_name=avi"), std::string::npos);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 4);
}

TEST_F(CKWAviConverterTest, ARecordingWithoutAFrameIsAFailure) {
    const std::string empty = TempPath("no-frame.av");
    ASSERT_EQ(KWRunProgram("ffmpeg -v error -y -f lavfi -i color=size=160x120:rate=25 -frames:v 0 "
                           "-c:v mpeg4 -f avi \"" +
                           empty + "\"")
                  .status,
              0);
    const std::string out = TempPath("no-frame.avi");
    CKWAviConverter converter;
    EXPECT_FALSE(converter.Convert(empty, out));
    EXPECT_EQ(converter.GetError(), "no video frame could be converted");
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(CKWAviConverterTest, ConvertingFromAFifoIsRefusedAtOnce) {
    const std::string fifo = TempPath("input.fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string out = TempPath("from-fifo.avi");
    // `timeout` turns a wait for a writer that never comes into status 124.
    const KWProgramRun run = KWRunProgram("timeout 20 " + KWBuiltProgram("reelback") +
                                          " --convert \"" + fifo + "\" \"" + out + "\" 2>&1");
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("neither a regular file nor a block device"), std::string::npos)
        << run.output;
    EXPECT_FALSE(std::filesystem::exists(out));
}
