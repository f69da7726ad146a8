// The MYS player's backward modes on a file of coded pictures - four channels, a key picture every
// fifth cycle, sound between the pictures: the records each mode shows, and that every picture
// shown is the one forward play shows for the same record.
#include "CQXMysPlayer.h"
#include "KWTempDir.h"
#include "MysTestSupport.h"
#include "ShownPictures.h"
#include "VideoTestPictures.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {
using namespace QXPlayMode;

constexpr std::uint32_t kChannels = 4;
constexpr std::uint32_t kCycles = 15;
constexpr std::uint32_t kKeyPeriod = 5; // cycles
constexpr std::uint32_t kRecords = kChannels * kCycles;
constexpr std::uint32_t kSoundEvery = 7; // video records

// Steps the player on the test's own thread; commands are given by the test.
class StepPlayer : public CQXMysPlayer {
public:
    StepPlayer() { SetPacing(false); }
    using CQXMysPlayer::GetEdgeState;
    using CQXMysPlayer::OnProcess;
    using CQXMysPlayer::OpenFile;
    void Command(std::uint32_t mode) {
        const CKWThread::Command command{mode, kNoTarget, 0};
        OnCommand(&command);
    }
};

class CQXMysPlayerBackwardTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<TestRecord> records;
        CQXVideoEncoder encoders[kChannels];
        for (std::uint32_t n = 0; n < kRecords; ++n) {
            const std::uint32_t channel = n % kChannels;
            TestRecord record;
            record.key = n / kChannels % kKeyPeriod == 0;
            record.channels = 0x0F;
            record.timestamp = RecordTime(n);
            record.timeDifference = n ? 40 : 0;
            CQXVideoEncoder::Options options;
            options.channel = static_cast<int>(channel);
            const TestPicture picture =
                MakeScene(320, 112, static_cast<int>(n / kChannels % 12), channel + 1);
            ASSERT_EQ(encoders[channel].Encode(picture.View(), record.key, options, record.body),
                      1);
            records.push_back(record);
            if (n % kSoundEvery == kSoundEvery - 1)
                records.push_back(TestRecord{false, false, 4008, 0, 0, {}, {}});
        }
        WriteMysFile(m_dir / "a.mys", records);

        // The truth: forward play from the first record.
        ASSERT_EQ(m_player.OpenFile(m_dir / "a.mys"), 1);
        m_player.Command(kPlay);
        Process(kRecords);
        m_truth = m_shown;
        m_shown.clear();
        ASSERT_EQ(m_player.GetEdgeState(), CQXMysPlayer::kEdgeLast);
        for (std::uint32_t n = 0; n < kRecords; ++n) {
            ASSERT_EQ(m_truth[n].first, n);
            ASSERT_FALSE(m_truth[n].second.empty()) << n;
        }
    }

    // Runs steps until `frames` more frames were shown.
    void Process(std::size_t frames) {
        const std::size_t goal = m_shown.size() + frames;
        for (int guard = 0; m_shown.size() < goal && guard < 1000; ++guard)
            m_player.OnProcess();
    }
    // The records shown from the `from`-th frame on; each picture must be forward play's.
    std::vector<std::uint32_t> Shown(std::size_t from) {
        std::vector<std::uint32_t> numbers;
        for (std::size_t i = from; i < m_shown.size(); ++i) {
            const std::uint32_t n = m_shown[i].first;
            EXPECT_LT(n, kRecords);
            if (n < kRecords) {
                EXPECT_EQ(m_shown[i].second, m_truth[n].second) << "record " << n;
            }
            numbers.push_back(n);
        }
        return numbers;
    }
    static std::vector<std::uint32_t> Down(std::uint32_t first, std::uint32_t count) {
        std::vector<std::uint32_t> numbers;
        for (std::uint32_t i = 0; i < count; ++i)
            numbers.push_back(first - i);
        return numbers;
    }

    KWTempDir m_dir;
    ShownPictures m_screen;
    std::vector<std::pair<std::uint32_t, std::string>> m_shown, m_truth;
    PlayerListener m_listener{[this](const CQXVideoFrame& frame) {
        m_shown.emplace_back(RecordNumber(frame.GetTimestamp()), m_screen.Show(frame));
    }};
    StepPlayer m_player;
    const bool m_listening = m_player.AddListenerObject(&m_listener) != 0;
};

TEST_F(CQXMysPlayerBackwardTest, ReverseFromTheLastRecordShowsEveryRecordWithItsForwardPicture) {
    m_player.Command(kReverse);
    // The last cycle is on screen; every record before it follows, latest first.
    Process(kRecords - kChannels);
    EXPECT_EQ(m_player.GetEdgeState(), CQXMysPlayer::kEdgeFirst);
    EXPECT_EQ(Shown(0), Down(kRecords - kChannels - 1, kRecords - kChannels));
}

TEST_F(CQXMysPlayerBackwardTest, OneReverseShowsTheWholeCycleBeforeTheOneOnScreen) {
    ASSERT_EQ(m_player.OpenFile(m_dir / "a.mys"), 1);
    m_player.Command(kPlay);
    Process(5 * kChannels);
    m_player.Command(kOneReverse);
    Process(kChannels);
    m_player.Command(kPause);
    m_player.Command(kOneReverse);
    Process(kChannels);
    std::vector<std::uint32_t> expected = Down(4 * kChannels - 1, kChannels);
    const std::vector<std::uint32_t> second = Down(3 * kChannels - 1, kChannels);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(Shown(5 * kChannels), expected);
}

TEST_F(CQXMysPlayerBackwardTest, Rewind4ShowsEveryFourthCycleUpToTheFirstRecord) {
    ASSERT_EQ(m_player.OpenFile(m_dir / "a.mys"), 1);
    m_player.Command(kPlay);
    Process(14 * kChannels);
    m_player.Command(kRewind4);
    Process(3 * kChannels + 1);
    EXPECT_EQ(m_player.GetEdgeState(), CQXMysPlayer::kEdgeFirst);
    std::vector<std::uint32_t> expected;
    for (std::uint32_t cycle : {9, 5, 1}) {
        const std::vector<std::uint32_t> records = Down((cycle + 1) * kChannels - 1, kChannels);
        expected.insert(expected.end(), records.begin(), records.end());
    }
    expected.push_back(0);
    EXPECT_EQ(Shown(14 * kChannels), expected);
}

TEST_F(CQXMysPlayerBackwardTest, ForwardPlayAfterBackwardModesGoesOnAsForwardPlayShowsIt) {
    ASSERT_EQ(m_player.OpenFile(m_dir / "a.mys"), 1);
    m_player.Command(kPlay);
    Process(9 * kChannels + 1);
    m_player.Command(kReverse);
    Process(3 * kChannels - 1);
    m_player.Command(kPlay);
    Process(2 * kChannels);
    m_player.Command(kRewind2);
    Process(kChannels);
    m_player.Command(kPlay);
    Process(3 * kChannels);

    std::vector<std::uint32_t> expected(9 * kChannels + 1);
    std::iota(expected.begin(), expected.end(), 0u);
    const auto add = [&expected](const std::vector<std::uint32_t>& more) {
        expected.insert(expected.end(), more.begin(), more.end());
    };
    const auto up = [](std::uint32_t first, std::uint32_t count) {
        std::vector<std::uint32_t> numbers(count);
        std::iota(numbers.begin(), numbers.end(), first);
        return numbers;
    };
    add(Down(9 * kChannels - 1, 3 * kChannels - 1));
    const std::uint32_t back = 6 * kChannels + 1;
    add(up(back + 1, 2 * kChannels));
    add(Down(back, kChannels));
    add(up(back - kChannels + 2, 3 * kChannels));
    EXPECT_EQ(Shown(0), expected);
}
} // namespace
