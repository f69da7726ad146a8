// Playback steps on synthetic disks of small frames (many to a packet) and large ones, with and
// without sound, at several key periods and channel counts: the frames each mode shows, and that
// every picture shown is the one forward play shows for the same frame.
#include "CQXPlaybackStepper.h"
#include "DvrRecorder.h"
#include "KWTempDir.h"
#include "MemoryStream.h"
#include "QXPlayMode.h"
#include "ShownPictures.h"

#include <gtest/gtest.h>

#include <map>
#include <numeric>

namespace {
using namespace QXPlayMode;

struct Disk {
    const char* name;
    int slices;
    int quantiser;
    int keyPeriod;
    bool audio;
    bool motion;
    std::vector<int> channels;
    double seconds;
};

std::ostream& operator<<(std::ostream& out, const Disk& disk) {
    return out << disk.name;
}

// One frame as forward play from packet 0 shows it.
struct Truth {
    std::uint64_t place;
    std::string picture;
};

class CQXPlaybackStepperTest : public ::testing::TestWithParam<Disk> {
protected:
    void SetUp() override {
        const Disk& disk = GetParam();
        DvrRecorder::Options options;
        options.output = m_dir / "disk.img";
        options.slices = disk.slices;
        options.quantiser = disk.quantiser;
        options.keyPeriod = disk.keyPeriod;
        options.audio = disk.audio;
        options.motion = disk.motion;
        options.channels = disk.channels;
        options.seconds = disk.seconds;
        options.start.tm_year = 126;
        options.start.tm_mday = 1;
        const DvrRecorder::Result result = DvrRecorder(options).Record();
        ASSERT_TRUE(result.ok) << result.error;
        ASSERT_TRUE(
            m_stream.LoadImage(options.output, static_cast<std::uint32_t>(result.streamLength)));
        m_channels = static_cast<int>(disk.channels.size());

        // The truth: every frame forward play shows, decoded in stream order.
        CQXPlaybackStepper stepper(m_stream);
        ShownPictures screen;
        while (RunStep(stepper, kPlay, screen) != kOneReverse) {
        }
        for (const auto& shown : m_shown) {
            m_index[shown.place] = m_truth.size();
            m_truth.push_back(shown);
        }
        m_shown.clear();
        ASSERT_EQ(m_truth.size(), result.frames.size());
        ASSERT_GT(m_truth.size(), 24u * m_channels);
        ASSERT_TRUE(std::none_of(m_truth.begin(), m_truth.end(),
                                 [](const Truth& t) { return t.picture.empty(); }));
    }

    // One step; a frame shown is recorded with its picture. Returns the mode the step leads to.
    std::uint32_t RunStep(CQXPlaybackStepper& stepper, std::uint32_t mode, ShownPictures& screen) {
        const int result = stepper.Step(mode);
        if (result == CQXFrameReader::kVideo) {
            CQXVideoFrame& frame = *stepper.GetReader().GetCompletedFrame();
            m_shown.push_back({stepper.GetReader().GetCompletedPlace(), screen.Show(frame)});
            frame.Reset();
        }
        return stepper.GetNextMode(mode, result);
    }
    // Steps until the mode leads elsewhere (or `frames` frames were shown); returns where.
    std::uint32_t Run(CQXPlaybackStepper& stepper, std::uint32_t mode, ShownPictures& screen,
                      std::size_t frames = SIZE_MAX) {
        const std::size_t goal = m_shown.size() + std::min(frames, SIZE_MAX - m_shown.size());
        std::uint32_t next = kNone;
        for (int guard = 0; next == kNone && m_shown.size() < goal && guard < 100000; ++guard)
            next = RunStep(stepper, mode, screen);
        return next;
    }

    // The truth indices of the frames shown, from the `from`-th on; each picture must be the
    // truth's.
    std::vector<std::size_t> ShownIndices(std::size_t from = 0) {
        std::vector<std::size_t> indices;
        for (std::size_t i = from; i < m_shown.size(); ++i) {
            const auto found = m_index.find(m_shown[i].place);
            if (found == m_index.end()) {
                ADD_FAILURE() << "frame " << i << " is no frame of the stream";
                continue;
            }
            EXPECT_EQ(m_shown[i].picture, m_truth[found->second].picture)
                << "picture of frame " << found->second << " (shown " << i << ")";
            indices.push_back(found->second);
        }
        return indices;
    }
    // Truth indices `first`, `first` - 1, ... of `count` frames.
    static std::vector<std::size_t> Down(std::size_t first, std::size_t count) {
        std::vector<std::size_t> indices;
        for (std::size_t i = 0; i < count; ++i)
            indices.push_back(first - i);
        return indices;
    }

    KWTempDir m_dir;
    MemoryStream m_stream;
    int m_channels = 0;
    std::vector<Truth> m_truth;
    std::map<std::uint64_t, std::size_t> m_index;
    std::vector<Truth> m_shown;
};

TEST_P(CQXPlaybackStepperTest, ReverseFromTheEndShowsEveryFrameInReverseWithItsForwardPicture) {
    CQXPlaybackStepper stepper(m_stream);
    ShownPictures screen;
    stepper.SeekToEnd();
    EXPECT_EQ(Run(stepper, kReverse, screen), kOneForward);
    EXPECT_TRUE(stepper.GetReader().IsAtStart());
    EXPECT_EQ(ShownIndices(), Down(m_truth.size() - 1, m_truth.size()));
}

TEST_P(CQXPlaybackStepperTest, OneReverseShowsTheWholeCycleBeforeTheOneOnScreen) {
    CQXPlaybackStepper stepper(m_stream);
    ShownPictures screen;
    stepper.Seek(0);
    const std::size_t c = static_cast<std::size_t>(m_channels);
    ASSERT_EQ(Run(stepper, kPlay, screen, 5 * c), kNone);
    EXPECT_EQ(Run(stepper, kOneReverse, screen), kPause);
    stepper.EndCycle();
    EXPECT_EQ(Run(stepper, kOneReverse, screen), kPause);
    // Cycles 0-4 shown forward; then cycle 3 and cycle 2, each latest frame first.
    std::vector<std::size_t> expected = Down(4 * c - 1, c);
    const std::vector<std::size_t> second = Down(3 * c - 1, c);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(ShownIndices(5 * c), expected);
}

TEST_P(CQXPlaybackStepperTest, Rewind4ShowsEveryFourthCycleAndEndsAtTheStart) {
    CQXPlaybackStepper stepper(m_stream);
    ShownPictures screen;
    stepper.Seek(0);
    const std::size_t c = static_cast<std::size_t>(m_channels);
    ASSERT_EQ(Run(stepper, kPlay, screen, 24 * c), kNone);
    EXPECT_EQ(Run(stepper, kRewind4, screen), kOneForward);
    std::vector<std::size_t> expected;
    for (std::size_t cycle : {19, 15, 11, 7, 3}) {
        const std::vector<std::size_t> frames = Down((cycle + 1) * c - 1, c);
        expected.insert(expected.end(), frames.begin(), frames.end());
    }
    EXPECT_EQ(ShownIndices(24 * c), expected);
}

TEST_P(CQXPlaybackStepperTest, ForwardPlayAfterBackwardModesGoesOnAsForwardPlayShowsIt) {
    CQXPlaybackStepper stepper(m_stream);
    ShownPictures screen;
    stepper.Seek(0);
    const std::size_t c = static_cast<std::size_t>(m_channels);
    // Into a cycle and back from there, forward again, a rewind, forward once more.
    ASSERT_EQ(Run(stepper, kPlay, screen, 14 * c + 1), kNone);
    ASSERT_EQ(Run(stepper, kReverse, screen, 3 * c - 1), kNone);
    ASSERT_EQ(Run(stepper, kPlay, screen, 2 * c), kNone);
    ASSERT_EQ(Run(stepper, kRewind2, screen, c), kNone);
    ASSERT_EQ(Run(stepper, kPlay, screen, 3 * c), kNone);

    std::vector<std::size_t> expected(14 * c + 1);
    std::iota(expected.begin(), expected.end(), 0);
    const auto add = [&expected](const std::vector<std::size_t>& more) {
        expected.insert(expected.end(), more.begin(), more.end());
    };
    const auto up = [](std::size_t first, std::size_t count) {
        std::vector<std::size_t> indices(count);
        std::iota(indices.begin(), indices.end(), first);
        return indices;
    };
    // Reverse goes on from the frame before the last one played.
    add(Down(14 * c - 1, 3 * c - 1));
    const std::size_t back = 11 * c + 1;
    add(up(back + 1, 2 * c));
    // "rew2" starts a cycle: the cycle two before the one just played, latest frame first.
    add(Down(back, c));
    add(up(back - c + 2, 3 * c));
    EXPECT_EQ(ShownIndices(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Disks, CQXPlaybackStepperTest,
    ::testing::Values(
        Disk{"SmallStillFramesWithSoundKeyPeriod30", 7, 4, 30, true, false, {0, 1, 2, 3}, 8},
        Disk{"SmallMovingFramesKeyPeriod5", 7, 4, 5, false, true, {0, 1, 2, 3}, 4},
        Disk{"LargeFramesWithSoundKeyPeriod1", 17, 1, 1, true, true, {0, 1, 2, 3}, 3},
        Disk{"LargeFramesKeyPeriod5", 17, 1, 5, false, true, {0, 1, 2, 3}, 4},
        Disk{"TwoChannelsWithSoundKeyPeriod30", 14, 4, 30, true, true, {0, 2}, 5},
        Disk{"CompositeKeyPeriod5", 17, 2, 5, false, true, {4}, 2}),
    [](const ::testing::TestParamInfo<Disk>& disk) { return std::string(disk.param.name); });
} // namespace
