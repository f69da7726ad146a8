#include "CKWFrameStepper.h"
#include "KWMediaFixture.h"

#include <cmath>
#include <fstream>
#include <vector>

namespace {
using Result = CKWMediaDecoder::Result;
constexpr double kPeriod = 1.0 / KWTestMedia::kFrameRate;
constexpr double kKeySpacing = KWTestMedia::kKeyInterval * kPeriod;

// Frame numbers of everything a run hands out, read from the pictures themselves.
std::vector<int> ShownFrames(CKWMediaDecoder& decoder, CKWFrameStepper& stepper,
                             std::size_t limit = 1000) {
    std::vector<int> frames;
    KWVideoFrame frame;
    KWPicture picture;
    while (frames.size() < limit && stepper.Next(frame) == Result::Frame) {
        EXPECT_TRUE(decoder.ConvertPicture(frame, picture));
        const int shown = KWTestMedia::FrameOfShade(*picture.Pixel(80, 60));
        EXPECT_NEAR(frame.seconds, shown * kPeriod, kPeriod / 2);
        frames.push_back(shown);
    }
    return frames;
}

bool IsKeyFrameNumber(int frame) {
    return frame % KWTestMedia::kKeyInterval == 0;
}

class CKWFrameStepperTest : public KWMediaFixture,
                            public ::testing::WithParamInterface<const char*> {
protected:
    const std::string& Path() const {
        return std::string(GetParam()) == "mpeg4" ? Mpeg4Avi() : H264Mp4();
    }
};
} // namespace

TEST_P(CKWFrameStepperTest, OpensWithDurationRateAndSound) {
    CKWMediaDecoder decoder;
    ASSERT_TRUE(decoder.Open(Path())) << decoder.GetError();
    EXPECT_NEAR(decoder.GetDuration(), KWTestMedia::kSeconds, 0.1);
    EXPECT_NEAR(decoder.GetFramePeriod(), kPeriod, 1e-6);
    EXPECT_TRUE(decoder.HasAudio());
}

TEST_P(CKWFrameStepperTest, ForwardStepsShowFramesInOrder) {
    CKWMediaDecoder decoder;
    ASSERT_TRUE(decoder.Open(Path()));
    CKWFrameStepper stepper(decoder);
    for (int step = CKWFrameStepper::kMinStep; step <= CKWFrameStepper::kMaxStep; ++step) {
        SCOPED_TRACE(step);
        stepper.Start(0, true, false, step);
        const std::vector<int> frames = ShownFrames(decoder, stepper);
        ASSERT_FALSE(frames.empty());
        EXPECT_EQ(frames.front(), 0);
        for (std::size_t i = 1; i < frames.size(); ++i) {
            EXPECT_LT(frames[i - 1], frames[i]);
        }
        if (stepper.IsKeyOnly()) {
            EXPECT_EQ(frames.size(), std::size_t(KWTestMedia::kFrames / KWTestMedia::kKeyInterval));
            EXPECT_TRUE(std::all_of(frames.begin(), frames.end(), IsKeyFrameNumber));
        } else {
            EXPECT_EQ(frames.size(), std::size_t(KWTestMedia::kFrames));
        }
    }
}

TEST_P(CKWFrameStepperTest, BackwardStepsShowFramesInReverseOrder) {
    CKWMediaDecoder decoder;
    ASSERT_TRUE(decoder.Open(Path()));
    CKWFrameStepper stepper(decoder);
    const double last = (KWTestMedia::kFrames - 1) * kPeriod;
    for (int step = CKWFrameStepper::kMinStep; step <= CKWFrameStepper::kMaxStep; ++step) {
        SCOPED_TRACE(step);
        stepper.Start(last, true, true, step);
        const std::vector<int> frames = ShownFrames(decoder, stepper);
        ASSERT_FALSE(frames.empty());
        EXPECT_EQ(frames.back(), 0);
        for (std::size_t i = 1; i < frames.size(); ++i) {
            EXPECT_GT(frames[i - 1], frames[i]);
        }
        if (stepper.IsKeyOnly()) {
            EXPECT_EQ(frames.front(), 90);
            EXPECT_TRUE(std::all_of(frames.begin(), frames.end(), IsKeyFrameNumber));
        } else {
            EXPECT_EQ(frames.front(), KWTestMedia::kFrames - 1);
            EXPECT_EQ(frames.size(), std::size_t(KWTestMedia::kFrames));
        }
    }
}

TEST_P(CKWFrameStepperTest, ContinuingAfterAShownFrameNeitherRepeatsNorSkipsIt) {
    CKWMediaDecoder decoder;
    ASSERT_TRUE(decoder.Open(Path()));
    CKWFrameStepper stepper(decoder);
    stepper.Start(37 * kPeriod, false, false, 1);
    EXPECT_EQ(ShownFrames(decoder, stepper, 2), (std::vector<int>{38, 39}));
    stepper.Start(37 * kPeriod, false, true, 1);
    EXPECT_EQ(ShownFrames(decoder, stepper, 2), (std::vector<int>{36, 35}));
    // A key frame itself: reversing must cross into the previous group.
    stepper.Start(40 * kPeriod, false, true, 1);
    EXPECT_EQ(ShownFrames(decoder, stepper, 2), (std::vector<int>{39, 38}));
    stepper.Start(40 * kPeriod, false, true, CKWFrameStepper::kFirstKeyOnlyStep);
    EXPECT_EQ(ShownFrames(decoder, stepper, 2), (std::vector<int>{30, 20}));
}

TEST_P(CKWFrameStepperTest, SeeksWithinOneFramePeriod) {
    CKWMediaDecoder decoder;
    ASSERT_TRUE(decoder.Open(Path()));
    CKWFrameStepper stepper(decoder);
    for (double target : {0.0, 0.5, 1.23, 2.0, 3.3, 3.96}) {
        SCOPED_TRACE(target);
        stepper.Start(target, true, false, 1);
        KWVideoFrame frame;
        ASSERT_EQ(stepper.Next(frame), Result::Frame);
        EXPECT_LE(std::abs(frame.seconds - target), kPeriod);
        KWPicture picture;
        ASSERT_TRUE(decoder.ConvertPicture(frame, picture));
        EXPECT_EQ(KWTestMedia::FrameOfShade(*picture.Pixel(10, 10)),
                  static_cast<int>(std::lround(frame.seconds / kPeriod)));
    }
}

TEST_P(CKWFrameStepperTest, HandsOverAllTheSoundWhenAsked) {
    CKWMediaDecoder decoder;
    ASSERT_TRUE(decoder.Open(Path()));
    long long samples = 0;
    decoder.SetAudioHandler([&](const std::int16_t*, int frames) { samples += frames; });
    KWVideoFrame frame;
    while (decoder.ReadFrame(frame, false) == Result::Frame) {
    }
    // All but what is still in the resampler and what lies after the last video frame.
    EXPECT_NEAR(static_cast<double>(samples) / CKWMediaDecoder::kAudioRate, KWTestMedia::kSeconds,
                0.2);
}

INSTANTIATE_TEST_SUITE_P(Codecs, CKWFrameStepperTest, ::testing::Values("mpeg4", "h264"));

namespace {
class CKWMediaDecoderFailureTest : public KWMediaFixture {};
} // namespace

TEST_F(CKWMediaDecoderFailureTest, RefusesForeignAndMissingFiles) {
    const std::string text = TempPath("notes.av");
    std::ofstream(text) << "this is not a recording\n";
    CKWMediaDecoder decoder;
    EXPECT_FALSE(decoder.Open(text));
    EXPECT_FALSE(decoder.GetError().empty());
    EXPECT_FALSE(decoder.IsOpen());
    EXPECT_FALSE(decoder.Open(TempPath("missing.av")));
    KWVideoFrame frame;
    EXPECT_EQ(decoder.ReadFrame(frame, false), Result::Error);
}

TEST_F(CKWMediaDecoderFailureTest, DamagedFileEndsWithoutCrashing) {
    // Garbage over the middle of the file: whatever still decodes comes out in order.
    std::ifstream in(Mpeg4Avi(), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (std::size_t i = bytes.size() / 3; i < bytes.size() * 2 / 3; ++i) {
        bytes[i] = static_cast<char>(i * 7919 >> 3);
    }
    const std::string damaged = TempPath("damaged.av");
    std::ofstream(damaged, std::ios::binary) << bytes;
    CKWMediaDecoder decoder;
    ASSERT_TRUE(decoder.Open(damaged)) << decoder.GetError();
    CKWFrameStepper stepper(decoder);
    for (bool backward : {false, true}) {
        stepper.Start(backward ? KWTestMedia::kSeconds : 0, true, backward, 1);
        KWVideoFrame frame;
        int count = 0;
        double previous = backward ? 1e9 : -1e9;
        while (stepper.Next(frame) == Result::Frame && count < 1000) {
            EXPECT_TRUE(backward ? frame.seconds < previous : frame.seconds > previous);
            previous = frame.seconds;
            ++count;
        }
        EXPECT_GT(count, 10);
    }
}
