#include "CQXMysPlayer.h"
#include "KWMessageBoxRecorder.h"
#include "KWTempDir.h"
#include "MysTestSupport.h"

#include <gtest/gtest.h>

namespace {
// Drives the player's steps on the test's own thread.
class StepPlayer : public CQXMysPlayer {
public:
    StepPlayer() { SetPacing(false); }
    using CQXMysPlayer::GetAudioFrame;
    using CQXMysPlayer::GetChannelCount;
    using CQXMysPlayer::GetCycleCounter;
    using CQXMysPlayer::GetEdgeState;
    using CQXMysPlayer::GetFrame;
    using CQXMysPlayer::GetPosition;
    using CQXMysPlayer::OnProcess;
    using CQXMysPlayer::OpenFile;
    using CQXMysPlayer::ReadRecord;
    using CQXMysPlayer::ReadRecordBefore;
    using CQXMysPlayer::SkipCount;
    void Command(std::uint32_t mode, std::uint32_t parameter = QXPlayMode::kNoTarget) {
        const CKWThread::Command command{mode, parameter, 0};
        OnCommand(&command);
    }
    // The number of the record loaded into the current frame, which is then given back.
    std::uint32_t Loaded() {
        CQXVideoFrame& frame = GetFrame(GetFrameIndex());
        const std::uint32_t n = RecordNumber(frame.GetTimestamp());
        frame.Reset();
        return n;
    }
};

std::vector<TestRecord> VideoRecords(std::uint32_t count, std::vector<std::uint32_t> keys,
                                     std::uint8_t channels = 0x01) {
    std::vector<TestRecord> records(count);
    for (std::uint32_t n = 0; n < count; ++n) {
        records[n].timestamp = RecordTime(n);
        records[n].channels = channels;
        records[n].length = 100 + n;
        records[n].timeDifference = n ? 40 : 0;
        records[n].key = std::find(keys.begin(), keys.end(), n) != keys.end();
    }
    return records;
}
} // namespace

TEST(CQXMysPlayer, FastForwardSkipsByTheChannelCountAtACycleStart) {
    KWTempDir dir;
    WriteMysFile(dir / "a.mys", VideoRecords(4, {0}, 0x0F));
    StepPlayer player;
    ASSERT_EQ(player.OpenFile(dir / "a.mys"), 1);
    player.Command(QXPlayMode::kPlay);
    EXPECT_EQ(player.ReadRecord(0), CQXMysPlayer::kKeyVideo);
    player.Loaded();
    EXPECT_EQ(player.GetChannelCount(), 4);
    EXPECT_EQ(player.GetCycleCounter(), 1);
    EXPECT_EQ(player.SkipCount(QXPlayMode::kFastForward64), 0);
    for (int i = 0; i < 3; ++i) {
        player.ReadRecord(0);
        player.Loaded();
    }
    ASSERT_EQ(player.GetCycleCounter(), 0);
    const std::pair<std::uint32_t, int> expected[] = {{QXPlayMode::kPlay, 0},
                                                      {QXPlayMode::kOneForward, 0},
                                                      {QXPlayMode::kFastForward2, 4},
                                                      {QXPlayMode::kFastForward8, 28},
                                                      {QXPlayMode::kFastForward32, 124},
                                                      {QXPlayMode::kFastForward64, 256},
                                                      {QXPlayMode::kPause, 0}};
    for (const auto& [mode, skip] : expected)
        EXPECT_EQ(player.SkipCount(mode), skip) << QXPlayMode::Name(mode);
}

TEST(CQXMysPlayer, FastForwardPassesRecordsThenLandsOnTheNextKeyRecord) {
    KWTempDir dir;
    WriteMysFile(dir / "a.mys", VideoRecords(60, {0, 31, 32, 40}, 0x0F));
    PlayerListener listener;
    StepPlayer player;
    player.AddListenerObject(&listener);
    ASSERT_EQ(player.OpenFile(dir / "a.mys"), 1);
    player.Command(QXPlayMode::kPlay);
    for (int i = 0; i < 4; ++i)
        player.OnProcess();
    ASSERT_EQ(listener.ShownNumbers(), (std::vector<std::uint32_t>{0, 1, 2, 3}));
    // "ff8" with four channels: 27 video records passed after the next one (4), then the next
    // key record: 32, not 31 (one too few) nor 40 (one too many).
    player.Command(QXPlayMode::kFastForward8);
    player.OnProcess();
    EXPECT_EQ(listener.ShownNumbers().back(), 32u);
    // Between cycle starts the records follow one by one.
    player.OnProcess();
    EXPECT_EQ(listener.ShownNumbers().back(), 33u);
}

TEST(CQXMysPlayer, AudioRecordsAreNotCountedWhenSkipping) {
    KWTempDir dir;
    std::vector<TestRecord> records = VideoRecords(12, {0, 3, 6, 7});
    records.insert(records.begin() + 3, TestRecord{false, false, 4008, 0, 0, {}});
    records.insert(records.begin() + 5, TestRecord{false, false, 4008, 0, 0, {}});
    WriteMysFile(dir / "a.mys", records);
    StepPlayer player;
    ASSERT_EQ(player.OpenFile(dir / "a.mys"), 1);
    EXPECT_EQ(player.ReadRecord(0), CQXMysPlayer::kKeyVideo);
    EXPECT_EQ(player.Loaded(), 0u);
    // Records 2 to 6 count down from 6 to 1, the audio records between them not at all;
    // the next key record is 7 (6 if audio counted).
    EXPECT_EQ(player.ReadRecord(6), CQXMysPlayer::kKeyVideo);
    EXPECT_EQ(player.Loaded(), 7u);
    // Back six cycles of one channel from 7: record 1 (3 if audio counted); backward play
    // lands on the exact record, key or not.
    EXPECT_EQ(player.ReadRecordBefore(6), CQXMysPlayer::kVideo);
    EXPECT_EQ(player.Loaded(), 1u);
    EXPECT_EQ(player.GetEdgeState(), CQXMysPlayer::kEdgeInside);
    // Further back than the file goes: the first record.
    EXPECT_EQ(player.ReadRecordBefore(6), CQXMysPlayer::kKeyVideo);
    EXPECT_EQ(player.Loaded(), 0u);
    EXPECT_EQ(player.GetEdgeState(), CQXMysPlayer::kEdgeFirst);
}

TEST(CQXMysPlayer, TheLastRecordPausesAndStaysTheNextToRead) {
    KWTempDir dir;
    const auto offsets = WriteMysFile(dir / "a.mys", VideoRecords(5, {0, 2}));
    StepPlayer player;
    ASSERT_EQ(player.OpenFile(dir / "a.mys"), 1);
    player.Command(QXPlayMode::kPlay);
    for (std::uint32_t n = 0; n < 5; ++n) {
        EXPECT_GE(player.ReadRecord(0), CQXMysPlayer::kVideo);
        EXPECT_EQ(player.Loaded(), n);
    }
    EXPECT_EQ(player.GetEdgeState(), CQXMysPlayer::kEdgeLast);
    EXPECT_EQ(player.GetPosition(), offsets[4]);
    EXPECT_EQ(player.ReadRecord(0), CQXMysPlayer::kVideo);
    EXPECT_EQ(player.Loaded(), 4u);
    // Fast forward at the last record shows the last key record instead.
    EXPECT_EQ(player.ReadRecord(8), CQXMysPlayer::kKeyVideo);
    EXPECT_EQ(player.Loaded(), 2u);
}

TEST(CQXMysPlayer, AnAudioRecordLongerThanTheFrameIsCutAndTheRestPassedOver) {
    KWTempDir dir;
    std::vector<TestRecord> records = VideoRecords(3, {0});
    records.insert(records.begin() + 1, TestRecord{false, false, 6008, 0, 0, {}});
    WriteMysFile(dir / "a.mys", records);
    StepPlayer player;
    ASSERT_EQ(player.OpenFile(dir / "a.mys"), 1);
    EXPECT_EQ(player.ReadRecord(0), CQXMysPlayer::kKeyVideo);
    player.Loaded();
    EXPECT_EQ(player.ReadRecord(0), CQXMysPlayer::kAudio);
    EXPECT_EQ(player.GetAudioFrame().GetLength(), CQXAudioFrame::kSize);
    EXPECT_EQ(player.ReadRecord(0), CQXMysPlayer::kVideo);
    EXPECT_EQ(player.Loaded(), 1u);
}

TEST(CQXMysPlayer, AVideoRecordRunningPastTheFileEndIsNotShown) {
    KWTempDir dir;
    const auto offsets = WriteMysFile(dir / "a.mys", VideoRecords(3, {0}));
    // The last record's length word claims more bytes than the finished file holds.
    SetRecordLength(dir / "a.mys", offsets[2], 4000);
    StepPlayer player;
    ASSERT_EQ(player.OpenFile(dir / "a.mys"), 1);
    EXPECT_EQ(player.ReadRecord(0), CQXMysPlayer::kKeyVideo);
    EXPECT_EQ(player.Loaded(), 0u);
    EXPECT_EQ(player.ReadRecord(0), CQXMysPlayer::kVideo);
    EXPECT_EQ(player.Loaded(), 1u);
    EXPECT_EQ(player.ReadRecord(0), CQXMysPlayer::kFailed);
}

TEST(CQXMysPlayer, AVideoRecordLoadsAsTheDeviceFrameWithItsChannelsInStreamOrder) {
    KWTempDir dir;
    std::vector<TestRecord> records = VideoRecords(2, {0}, 0x03); // channels 1 and 2
    records[1].channels = 0x10;                                   // the composite picture
    WriteMysFile(dir / "a.mys", records);
    StepPlayer player;
    ASSERT_EQ(player.OpenFile(dir / "a.mys"), 1);
    EXPECT_EQ(player.ReadRecord(0), CQXMysPlayer::kKeyVideo);
    const CQXVideoFrame& frame = player.GetFrame(0);
    EXPECT_EQ(frame.GetLength(), 100u);
    EXPECT_EQ(frame.GetChannelSet(), 0x0C);
    EXPECT_EQ(frame.GetData()[0], 0x80);
    EXPECT_EQ(frame.GetData()[97], 0);
    EXPECT_EQ(frame.GetData()[98], 0);
    EXPECT_EQ(frame.GetData()[99], 1);
    EXPECT_EQ(frame.GetData()[100], 0xF8);
    EXPECT_EQ(frame.GetSliceCount(), 0) << "the trailing start code is no slice";
    player.Loaded();
    EXPECT_EQ(player.ReadRecord(0), CQXMysPlayer::kVideo);
    EXPECT_EQ(frame.GetChannelSet(), 0x1F);
    EXPECT_EQ(frame.GetChannel(), 4);
    EXPECT_EQ(player.GetChannelCount(), 1);
}

TEST(CQXMysPlayer, OpeningPlaysAtOnceAndBackwardPlayAtTheFirstRecordRestartsFromTheStart) {
    KWTempDir dir;
    const auto offsets = WriteMysFile(dir / "a.mys", VideoRecords(12, {0, 5, 9}));
    PlayerListener listener; // outlives the player, which reports its end
    CQXMysPlayer player;
    player.SetPacing(false);
    player.AddListenerObject(&listener);
    ASSERT_EQ(player.Open(dir / "a.mys"), 1);
    ASSERT_TRUE(WaitFor([&] { return player.GetPlayMode() == QXPlayMode::kPause; }));
    EXPECT_EQ(listener.Modes(),
              (std::vector<std::uint32_t>{QXPlayMode::kPlay, QXPlayMode::kPause}));
    EXPECT_EQ(listener.ShownNumbers().size(), 12u);
    EXPECT_EQ(player.GetFileLength(),
              QXMysFileHeader::FromBytes(ReadFile(dir / "a.mys").data()).fileSize);

    player.SetPlayMode(QXPlayMode::kReverse, QXPlayMode::kNoTarget);
    ASSERT_TRUE(WaitFor([&] { return listener.Modes().size() == 5; }));
    EXPECT_EQ(listener.Modes(), (std::vector<std::uint32_t>{
                                    QXPlayMode::kPlay, QXPlayMode::kPause, QXPlayMode::kReverse,
                                    QXPlayMode::kOneForward, QXPlayMode::kPause}));
    // Backwards through every record to the first; "onef" then reads from offset 0, finds the
    // file header and lands on the first key record again.
    const std::vector<std::uint32_t> shown = listener.ShownNumbers();
    EXPECT_EQ(std::vector<std::uint32_t>(shown.begin() + 12, shown.end()),
              (std::vector<std::uint32_t>{10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 0}));
    EXPECT_EQ(listener.Frames().back().position, offsets[1]);
    player.Close();
    EXPECT_EQ(listener.Modes().back(), QXPlayMode::kNone);
    EXPECT_EQ(player.GetFileName(), "");
}

TEST(CQXMysPlayer, RecordsAreShownTheirTimeDifferenceLessSixMillisecondsApart) {
    KWTempDir dir;
    WriteMysFile(dir / "a.mys", VideoRecords(6, {0}));
    PlayerListener listener;
    CQXMysPlayer player;
    player.AddListenerObject(&listener);
    ASSERT_EQ(player.Open(dir / "a.mys"), 1);
    ASSERT_TRUE(WaitFor([&] { return player.GetPlayMode() == QXPlayMode::kPause; }));
    const auto frames = listener.Frames();
    ASSERT_EQ(frames.size(), 6u);
    // Record n waits until 34 ms after record n - 1 was loaded, and that load came after
    // record n - 2 was handed out: so deliveries two apart are at least 34 ms apart, and the
    // deliveries of records 0 and 5 at least the four waits of records 2 to 5.
    for (std::size_t n = 2; n < frames.size(); ++n)
        EXPECT_GE(KWTicksSince(frames[n - 2].tick, frames[n].tick), 34u) << n;
    EXPECT_GE(KWTicksSince(frames[0].tick, frames[5].tick), 4 * 34u);
}

TEST(CQXMysPlayer, AForeignFileShowsThePlaybackErrorAndStops) {
    KWTempDir dir;
    std::ofstream(dir / "foreign.mys", std::ios::binary) << std::string(5000, 'x');
    KWMessageBoxRecorder boxes;
    PlayerListener listener;
    CQXMysPlayer player;
    player.AddListenerObject(&listener);
    ASSERT_EQ(player.Open(dir / "foreign.mys"), 1);
    ASSERT_TRUE(WaitFor([&] { return !player.IsRunning(); }));
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].request.text,
              "Unknown frame type detected.\r\nPlayback will be stopped.\r\n");
    EXPECT_EQ(boxes.Boxes()[0].request.caption, "MYS Playback Error");
    EXPECT_EQ(listener.Modes().back(), QXPlayMode::kNone);
    EXPECT_EQ(player.Open(dir / "missing.mys"), 0);
}

TEST(CQXMysPlayer, AnUnfinishedCapturePlaysUpToItsLastWholeRecord) {
    KWTempDir dir;
    // The header of a capture that never ended says size 0; the last record was cut short.
    WriteMysFile(dir / "a.mys", VideoRecords(8, {0, 4}), false);
    std::filesystem::resize_file(dir / "a.mys", std::filesystem::file_size(dir / "a.mys") - 50);
    KWMessageBoxRecorder boxes;
    PlayerListener listener; // outlives the player, which reports its end
    CQXMysPlayer player;
    player.SetPacing(false);
    player.AddListenerObject(&listener);
    ASSERT_EQ(player.Open(dir / "a.mys"), 1);
    ASSERT_TRUE(WaitFor([&] { return player.GetPlayMode() == QXPlayMode::kPause; }));
    EXPECT_EQ(listener.ShownNumbers(), (std::vector<std::uint32_t>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(boxes.Count(), 0u);
    player.SetPlayMode(QXPlayMode::kRewind2, QXPlayMode::kNoTarget);
    ASSERT_TRUE(WaitFor([&] { return listener.Modes().size() == 5; }));
    EXPECT_EQ(listener.Modes().back(), QXPlayMode::kPause);
    EXPECT_EQ(listener.ShownNumbers().back(), 0u);
}

namespace {
// Plays a file in which one record's length word was changed so that it ends inside its own
// data, and returns the records shown until the player paused (or more than a file's worth).
std::vector<std::uint32_t> PlayWithShortenedRecord(const std::string& path,
                                                   std::vector<std::uint32_t> keys,
                                                   std::uint32_t damaged) {
    constexpr std::uint32_t kRecords = 30;
    const auto offsets = WriteMysFile(path, VideoRecords(kRecords, std::move(keys)));
    SetRecordLength(path, offsets[damaged], 29);
    PlayerListener listener;
    CQXMysPlayer player;
    player.SetPacing(false);
    player.AddListenerObject(&listener);
    if (player.Open(path) != 1)
        return {};
    WaitFor([&] {
        return player.GetPlayMode() == QXPlayMode::kPause ||
               listener.ShownNumbers().size() > 2 * kRecords;
    });
    player.Close();
    return listener.ShownNumbers();
}

std::vector<std::uint32_t> Numbers(std::uint32_t from, std::uint32_t to) {
    std::vector<std::uint32_t> numbers;
    for (std::uint32_t n = from; n <= to; ++n)
        numbers.push_back(n);
    return numbers;
}
} // namespace

TEST(CQXMysPlayer, ARecordLengthEndingInsideItsDataGoesOnAtTheNextKeyRecordOrPausesThere) {
    KWTempDir dir;
    KWMessageBoxRecorder boxes;
    // A key record follows the damage: play goes on there.
    std::vector<std::uint32_t> expected = Numbers(0, 15);
    const std::vector<std::uint32_t> rest = Numbers(20, 29);
    expected.insert(expected.end(), rest.begin(), rest.end());
    EXPECT_EQ(PlayWithShortenedRecord(dir / "ahead.mys", {0, 10, 20}, 15), expected);
    // None follows: the damaged record was the last one shown, never the key record before it
    // and its followers again.
    EXPECT_EQ(PlayWithShortenedRecord(dir / "behind.mys", {0, 10}, 25), Numbers(0, 25));
    EXPECT_EQ(boxes.Count(), 0u);
}
