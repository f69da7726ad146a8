#include "KWAviWriter.h"

#include "CKWImageBuffer.h"
#include "KWAviCodecs.h"
#include "KWAviProbe.h"
#include "KWFileSizeLimit.h"
#include "KWTempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {
constexpr std::uint32_t kPeriodMs = 200;

// A picture that tells its frame, its rows and its columns apart: red grows to the right, green
// downwards, blue with the frame number, and a white block moves with the frame.
CKWImageBuffer Picture(int width, int height, int frame = 0) {
    CKWImageBuffer image;
    EXPECT_EQ(image.Create(width, height), 1);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool block = x / 8 == frame % (width / 8) && y < height / 3;
            image.SetPixel(x, y, block ? 255 : static_cast<std::uint8_t>(x * 255 / width),
                           block ? 255 : static_cast<std::uint8_t>(y * 255 / height),
                           block ? 255 : static_cast<std::uint8_t>(40 * frame));
        }
    return image;
}

// The picture as top-down RGB rows without padding, as ffmpeg decodes it.
std::vector<std::uint8_t> TopDownRgb(const CKWImageBuffer& image) {
    std::vector<std::uint8_t> rgb;
    const std::uint8_t* rows = image.GetBitmap() + CKWImageBuffer::kInfoHeaderBytes;
    for (int y = image.GetHeight() - 1; y >= 0; --y)
        for (int x = 0; x < image.GetWidth(); ++x) {
            const std::uint8_t* bgr = rows + y * image.GetRowBytes() + 3 * x;
            rgb.insert(rgb.end(), {bgr[2], bgr[1], bgr[0]});
        }
    return rgb;
}

double MeanDifference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    double sum = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        sum += std::abs(a[i] - b[i]);
    return a.empty() ? 255 : sum / static_cast<double>(a.size());
}

class KWAviWriterTest : public ::testing::Test {
protected:
    // Writes `count` frames of the pictures with the compression options; returns the frames
    // as top-down RGB, one after the other.
    std::vector<std::uint8_t> Write(const KWAviCompressOptions& options, int width, int height,
                                    int count) {
        KWAviWriterState* avi = CreateAvi(m_path, kPeriodMs, nullptr);
        EXPECT_NE(avi, nullptr);
        std::vector<std::uint8_t> expected;
        KWAviCompressOptions chosen = options;
        for (int frame = 0; frame < count; ++frame) {
            const CKWImageBuffer picture = Picture(width, height, frame);
            if (frame == 0) {
                EXPECT_EQ(SetVideoCompression(avi, &picture, &chosen, {}), AVIERR_OK);
            }
            EXPECT_EQ(AddAviFrame(avi, &picture), AVIERR_OK);
            const std::vector<std::uint8_t> rgb = TopDownRgb(picture);
            expected.insert(expected.end(), rgb.begin(), rgb.end());
        }
        EXPECT_EQ(GetAviFrameCount(avi), static_cast<std::uint32_t>(count));
        std::string reason;
        EXPECT_EQ(CloseAvi(avi, &reason), AVIERR_OK) << reason;
        return expected;
    }

    KWTempDir m_dir;
    const std::string m_path = m_dir / "out.avi";
};

class KWAviWriterCodecTest : public KWAviWriterTest,
                             public ::testing::WithParamInterface<KWAviCodec> {};

std::string CodecName(const ::testing::TestParamInfo<KWAviCodec>& info) {
    return KWAviCodecs::Find(info.param)->key;
}
} // namespace

// Every compressor this machine offers writes a file that FFmpeg plays back at 5 frames per
// second with every frame at the bitmap's size, and close to the pictures given; the lossless
// ones give them back exactly. The odd width needs padded rows in the uncompressed format; an
// encoder of even sizes only gets the picture without its last column and row.
TEST_P(KWAviWriterCodecTest, FramesPlayBackInAnOutsideReader) {
    KWAviCompressOptions options;
    options.codec = GetParam();
    const int width = 61, height = 47, count = 7;
    std::vector<std::uint8_t> expected = Write(options, width, height, count);
    const bool even = KWAviCodecs::Find(GetParam())->evenSize;
    if (even) {
        std::vector<std::uint8_t> cut;
        for (int row = 0; row < count * height; ++row)
            if (row % height != height - 1)
                cut.insert(cut.end(), expected.begin() + row * width * 3,
                           expected.begin() + (row * width + width - 1) * 3);
        expected = cut;
    }
    const KWAviProbe probe = KWProbeAvi(m_path);
    ASSERT_TRUE(probe.ok) << probe.report;
    EXPECT_EQ(probe.width, even ? width - 1 : width);
    EXPECT_EQ(probe.height, even ? height - 1 : height);
    EXPECT_EQ(probe.rate, "5/1");
    EXPECT_EQ(probe.frames, count);
    const std::vector<std::uint8_t> decoded = KWAviProbe::DecodeRgb(m_path);
    ASSERT_EQ(decoded.size(), expected.size());
    if (GetParam() == KWAviCodec::kFullFrames || GetParam() == KWAviCodec::kFfv1)
        EXPECT_EQ(decoded, expected);
    else
        EXPECT_LT(MeanDifference(decoded, expected), 12.0);
}

INSTANTIATE_TEST_SUITE_P(Offered, KWAviWriterCodecTest, ::testing::ValuesIn(KWAviCodecs::Offered()),
                         CodecName);

TEST(KWAviCodecs, OfferedAreAtLeastTheFourThatFfmpegAlwaysHas) {
    const std::vector<KWAviCodec> offered = KWAviCodecs::Offered();
    for (const KWAviCodec codec :
         {KWAviCodec::kFullFrames, KWAviCodec::kMotionJpeg, KWAviCodec::kMpeg4, KWAviCodec::kFfv1})
        EXPECT_NE(std::find(offered.begin(), offered.end(), codec), offered.end())
            << KWAviCodecs::Find(codec)->name;
    EXPECT_EQ(KWAviCodecs::Find(KWAviCodec::kFullFrames)->name,
              std::string("Full Frames (Uncompressed)"));
    EXPECT_EQ(KWAviCodecs::FindKey("mpeg4")->codec, KWAviCodec::kMpeg4);
    EXPECT_EQ(KWAviCodecs::FindKey("divx"), nullptr);
}

// Without a compression set, the first frame makes a stream of full frames; a later bitmap of
// another size is scaled to the stream's size.
TEST_F(KWAviWriterTest, FirstFrameMakesFullFramesAndOtherSizesAreScaled) {
    KWAviWriterState* avi = CreateAvi(m_path, kPeriodMs, nullptr);
    ASSERT_NE(avi, nullptr);
    const CKWImageBuffer first = Picture(64, 48);
    const CKWImageBuffer larger = Picture(128, 96);
    EXPECT_EQ(AddAviFrame(avi, &first), AVIERR_OK);
    EXPECT_EQ(AddAviFrame(avi, &larger), AVIERR_OK);
    EXPECT_EQ(SetVideoCompression(avi, &first, nullptr, {}), AVIERR_COMPRESSOR);
    EXPECT_EQ(CloseAvi(avi), AVIERR_OK);
    const KWAviProbe probe = KWProbeAvi(m_path);
    ASSERT_TRUE(probe.ok) << probe.report;
    EXPECT_EQ(probe.codec, "rawvideo");
    EXPECT_EQ(probe.width, 64);
    EXPECT_EQ(probe.height, 48);
    EXPECT_EQ(probe.frames, 2);
    const std::vector<std::uint8_t> decoded = KWAviProbe::DecodeRgb(m_path);
    const std::vector<std::uint8_t> expected = TopDownRgb(first);
    ASSERT_EQ(decoded.size(), 2 * expected.size());
    EXPECT_LT(
        MeanDifference(std::vector<std::uint8_t>(decoded.begin() + expected.size(), decoded.end()),
                       expected),
        6.0);
}

TEST_F(KWAviWriterTest, EachResultCodeComesFromItsSituation) {
    const CKWImageBuffer picture = Picture(32, 24);
    const CKWImageBuffer empty;
    EXPECT_EQ(SetVideoCompression(nullptr, &picture, nullptr, {}), AVIERR_BADHANDLE);
    EXPECT_EQ(AddAviFrame(nullptr, &picture), AVIERR_BADHANDLE);
    EXPECT_EQ(CloseAvi(nullptr), AVIERR_BADHANDLE);
    EXPECT_EQ(GetAviFrameCount(nullptr), 0u);

    KWAviWriterState* avi = CreateAvi(m_path, kPeriodMs, nullptr);
    ASSERT_NE(avi, nullptr);
    EXPECT_EQ(SetVideoCompression(avi, nullptr, nullptr, {}), AVIERR_BADPARAM);
    EXPECT_EQ(AddAviFrame(avi, nullptr), AVIERR_BADPARAM);
    EXPECT_EQ(AddAviFrame(avi, &empty), AVIERR_BADPARAM);
    EXPECT_EQ(SetVideoCompression(avi, &picture, nullptr, {}), AVIERR_OK);
    EXPECT_EQ(SetVideoCompression(avi, &picture, nullptr, {}), AVIERR_COMPRESSOR);
    EXPECT_EQ(AddAviFrame(avi, &picture), AVIERR_OK);
    EXPECT_EQ(CloseAvi(avi), AVIERR_OK);

    // A compressor that cannot be made sets the error flag: every later call fails with the
    // general error, and the file is still closed.
    avi = CreateAvi(m_path, kPeriodMs, nullptr);
    ASSERT_NE(avi, nullptr);
    KWAviCompressOptions unknown;
    unknown.codec = static_cast<KWAviCodec>(99);
    EXPECT_EQ(SetVideoCompression(avi, &picture, &unknown, {}), AVIERR_ERROR);
    EXPECT_EQ(AddAviFrame(avi, &picture), AVIERR_ERROR);
    EXPECT_EQ(SetVideoCompression(avi, &picture, nullptr, {}), AVIERR_ERROR);
    EXPECT_EQ(AddAviFrame(avi, nullptr), AVIERR_BADPARAM);
    std::string reason;
    EXPECT_EQ(CloseAvi(avi, &reason), AVIERR_ERROR);
    EXPECT_NE(reason.find("no encoder"), std::string::npos) << reason;
}

TEST_F(KWAviWriterTest, AFileThatCannotBeCreatedLeavesNoState) {
    EXPECT_EQ(CreateAvi(m_dir / "missing/out.avi", kPeriodMs, nullptr), nullptr);
    EXPECT_FALSE(std::filesystem::exists(m_dir / "missing"));
    const KWWaveFormat sound = KWWaveFormat::Pcm(1, 8000, 16);
    EXPECT_EQ(CreateAvi(m_path, kPeriodMs, &sound), nullptr) << "pictures only";
    EXPECT_EQ(CreateAvi(m_path, 0, nullptr), nullptr);
}

// A file closed without a frame is no AVI file the user can use: it is reported incomplete.
TEST_F(KWAviWriterTest, AFileWithoutFramesIsIncomplete) {
    std::string reason;
    EXPECT_EQ(CloseAvi(CreateAvi(m_path, kPeriodMs, nullptr), &reason), AVIERR_ERROR);
    EXPECT_EQ(reason, "no frame was written");
}

// The dialog edits the options record; zeroed options (no record, or a cancelled dialog that
// kept them) mean full frames.
TEST_F(KWAviWriterTest, TheDialogsChoiceIsUsedAndKeptInTheRecord) {
    const CKWImageBuffer picture = Picture(32, 24);
    KWAviCompressOptions options;
    KWAviWriterState* avi = CreateAvi(m_path, kPeriodMs, nullptr);
    EXPECT_EQ(SetVideoCompression(avi, &picture, &options,
                                  [](KWAviCompressOptions& shown) {
                                      EXPECT_EQ(shown, KWAviCompressOptions{});
                                      shown.codec = KWAviCodec::kMotionJpeg;
                                      shown.quality = 90;
                                      return true;
                                  }),
              AVIERR_OK);
    EXPECT_EQ(options.codec, KWAviCodec::kMotionJpeg);
    EXPECT_EQ(options.quality, 90u);
    EXPECT_EQ(AddAviFrame(avi, &picture), AVIERR_OK);
    EXPECT_EQ(CloseAvi(avi), AVIERR_OK);
    EXPECT_EQ(KWProbeAvi(m_path).codec, "mjpeg");

    avi = CreateAvi(m_path, kPeriodMs, nullptr);
    EXPECT_EQ(
        SetVideoCompression(avi, &picture, nullptr, [](KWAviCompressOptions&) { return false; }),
        AVIERR_OK);
    EXPECT_EQ(AddAviFrame(avi, &picture), AVIERR_OK);
    EXPECT_EQ(CloseAvi(avi), AVIERR_OK);
    EXPECT_EQ(KWProbeAvi(m_path).codec, "rawvideo");
}

// A disk that fills up during the export: the write that fails sets the error flag, the frames
// after it are refused, and closing reports the file incomplete with the system's reason. What
// reached the disk is still readable.
TEST_F(KWAviWriterTest, AFullDiskSetsTheErrorFlagAndTheFileIsReportedIncomplete) {
    const CKWImageBuffer picture = Picture(64, 48);
    KWAviWriterState* avi = CreateAvi(m_path, kPeriodMs, nullptr);
    ASSERT_NE(avi, nullptr);
    std::string reason;
    {
        KWFileSizeLimit limit(200 * 1024);
        ASSERT_TRUE(limit.IsApplied());
        KWAviResult result = AVIERR_OK;
        for (int frame = 0; frame < 100 && result == AVIERR_OK; ++frame)
            result = AddAviFrame(avi, &picture);
        EXPECT_EQ(result, AVIERR_ERROR);
        const std::uint32_t written = GetAviFrameCount(avi);
        EXPECT_GT(written, 5u);
        EXPECT_LT(written, 30u);
        EXPECT_EQ(AddAviFrame(avi, &picture), AVIERR_ERROR);
        EXPECT_EQ(GetAviFrameCount(avi), written);
        EXPECT_EQ(CloseAvi(avi, &reason), AVIERR_ERROR);
    }
    EXPECT_NE(reason.find("cannot write the AVI file"), std::string::npos) << reason;
    EXPECT_LE(std::filesystem::file_size(m_path), 200u * 1024);
    EXPECT_GE(KWAviProbe::DecodeRgb(m_path, true).size(), 5 * TopDownRgb(picture).size());
}
