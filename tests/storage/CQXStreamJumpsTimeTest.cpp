// The time search on synthetic disks: ordered, with sound between the pictures, across midnight,
// wrapped round the disk, and on a drive that stops reading.
#include "JumpTestSupport.h"
#include "KWMessageBoxRecorder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {
QXTimestamp Minute(int year, int month, int day, int hour, int minute) {
    return QXTimestamp{static_cast<std::uint8_t>(year - 2000), static_cast<std::uint8_t>(month),
                       static_cast<std::uint8_t>(day),         static_cast<std::uint8_t>(hour),
                       static_cast<std::uint8_t>(minute),      0};
}

// Searches every minute of the recording (but `skip`): each must be found at a packet from
// which the stream shows that minute, and the jump must go there.
void ExpectEveryMinuteFound(RecordedDisk& disk, const std::vector<QXTimestamp>& skip = {}) {
    std::vector<PlayModeCall> calls;
    auto jumps = disk.Jumps(calls);
    KWMessageBoxRecorder boxes;
    for (const QXTimestamp& minute : disk.Minutes()) {
        if (std::find(skip.begin(), skip.end(), minute) != skip.end())
            continue;
        SCOPED_TRACE(minute.Format());
        calls.clear();
        const auto search = jumps->SeekToTime(minute);
        ASSERT_EQ(search.result.outcome, CQXTimeSearch::Outcome::kFound);
        EXPECT_LT(search.result.steps, CQXTimeSearch::kStepsPerMinute) << "not a minute later";
        EXPECT_TRUE(disk.DataTimeFrom(search.result.packet).IsEqual(minute));
        EXPECT_EQ(calls,
                  (std::vector<PlayModeCall>{{QXPlayMode::kOneForward, search.result.packet}}));
    }
    for (const auto& box : boxes.Boxes())
        EXPECT_NE(box.request.caption, "Error") << box.request.text;
}
} // namespace

TEST(CQXStreamJumpsTime, ATargetAtTheMiddlePacketOfAnOrderedStreamIsFoundInTheFirstStep) {
    RecordedDisk disk(MinutesOfRecording(4, 2026, 3, 14, 10, 0, 30));
    ASSERT_TRUE(disk.opened) << disk.result.error;
    const std::uint32_t middle = disk.device.GetStreamLength() / 2;
    QXTimestamp target = disk.DataTimeFrom(middle);
    target.second = 0; // seconds are not compared

    std::vector<PlayModeCall> calls;
    KWMessageBoxRecorder boxes;
    const auto search = disk.Jumps(calls)->SeekToTime(target);
    EXPECT_EQ(search.result.outcome, CQXTimeSearch::Outcome::kFound);
    EXPECT_EQ(search.result.steps, 1u);
    EXPECT_EQ(search.result.packet, middle);
    EXPECT_EQ(calls, (std::vector<PlayModeCall>{{QXPlayMode::kOneForward, middle}}));
    // Only the chosen time was shown, on the 12-hour clock.
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].request.text, CQXStreamJumps::ConfirmationText(target));
    EXPECT_EQ(search.message, CQXStreamJumps::ConfirmationText(target));
}

TEST(CQXStreamJumpsTime, EveryMinuteIsFoundThoughMostProbesLandOnSound) {
    for (bool timedSound : {true, false}) {
        SCOPED_TRACE(timedSound ? "sound packets carry the time" : "sound packets carry no time");
        auto options = MinutesOfRecording(6, 2026, 3, 14, 10, 0, 30);
        options.audioTime = timedSound;
        RecordedDisk disk(options);
        ASSERT_TRUE(disk.opened) << disk.result.error;
        ASSERT_GE(disk.Minutes().size(), 7u);
        // Most packets are sound: the probes do land on it.
        std::size_t sound = 0;
        CQX4KPacket packet;
        for (std::uint32_t p = 0; p <= disk.device.GetStreamLength(); ++p) {
            disk.ReadPacket(p, packet);
            sound += packet.GetType() == CQX4KPacket::kTypeAudio;
        }
        EXPECT_GT(2 * sound, disk.device.GetStreamLength());
        ExpectEveryMinuteFound(disk);
    }
}

TEST(CQXStreamJumpsTime, EveryMinuteIsFoundOnBothSidesOfMidnight) {
    RecordedDisk disk(MinutesOfRecording(5, 2026, 3, 14, 23, 57, 30));
    ASSERT_TRUE(disk.opened) << disk.result.error;
    const auto minutes = disk.Minutes();
    ASSERT_EQ(minutes.size(), 6u);
    EXPECT_EQ(minutes.front(), Minute(2026, 3, 14, 23, 57));
    EXPECT_EQ(minutes.back(), Minute(2026, 3, 15, 0, 2));
    ExpectEveryMinuteFound(disk);
}

TEST(CQXStreamJumpsTime, AWrappedRecordingIsSearchedOnBothSidesOfItsWrapPoint) {
    // 15 minutes on a disk that holds about 11: the newest 4 minutes lie in front of the rest.
    auto options = MinutesOfRecording(15, 2026, 3, 14, 10, 0, 30);
    options.channels = {0};
    options.shape = DvrRecorder::Shape::Wrapped;
    options.diskBytes = 1; // one cylinder
    RecordedDisk disk(options);
    ASSERT_TRUE(disk.opened) << disk.result.error;
    // The frames in disk order: the first is the newest recording's start, the last the end
    // of the oldest recording left.
    const QXTimestamp first = disk.result.frames.front().timestamp;
    const QXTimestamp last = disk.result.frames.back().timestamp;
    ASSERT_FALSE(first.IsEarlier(last)) << "the stream has wrapped";
    // A minute shared by the disk's end and its start has its halves at both ends of the search
    // range, away from where the bisection goes; the search finds only the minute after it.
    std::vector<QXTimestamp> split;
    if (first.IsEqual(last)) {
        split.push_back(first);
        split.back().second = 0;
    }
    // Minutes on both sides of the wrap point: from the oldest left (10:04, behind it) to the
    // last written (10:15, in front of it).
    const auto minutes = disk.Minutes();
    EXPECT_EQ(minutes.front(), Minute(2026, 3, 14, 10, 4));
    EXPECT_EQ(minutes.back(), Minute(2026, 3, 14, 10, 15));
    ExpectEveryMinuteFound(disk, split);
}

TEST(CQXStreamJumpsTime, AMissingTimeGivesUpAfter150StepsAndLeavesThePlayModeAlone) {
    RecordedDisk disk(MinutesOfRecording(3, 2026, 3, 14, 10, 0, 30));
    ASSERT_TRUE(disk.opened) << disk.result.error;
    std::vector<PlayModeCall> calls;
    KWMessageBoxRecorder boxes;
    const QXTimestamp target = Minute(2026, 3, 14, 13, 30);
    const auto search = disk.Jumps(calls)->SeekToTime(target);
    EXPECT_EQ(search.result.outcome, CQXTimeSearch::Outcome::kNotFound);
    EXPECT_EQ(search.result.steps, CQXTimeSearch::kMaxSteps);
    EXPECT_TRUE(calls.empty());
    const auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].request.text, "2026/03/14 01:30 PM");
    EXPECT_EQ(shown[1].request.text, "2026/03/14 13:30 isn't presence\nOR Read HDD Error");
    EXPECT_EQ(shown[1].request.caption, "Error");
    EXPECT_EQ(search.message, shown[1].request.text);
}

TEST(CQXStreamJumpsTime, TheMinuteAfterTheTargetIsFoundAfterFiftySteps) {
    // The recording starts at 10:01:30, so 10:00 is not there; the search then looks for 10:01.
    RecordedDisk disk(MinutesOfRecording(3, 2026, 3, 14, 10, 1, 30));
    ASSERT_TRUE(disk.opened) << disk.result.error;
    std::vector<PlayModeCall> calls;
    KWMessageBoxRecorder boxes;
    const auto search = disk.Jumps(calls)->SeekToTime(Minute(2026, 3, 14, 10, 0));
    ASSERT_EQ(search.result.outcome, CQXTimeSearch::Outcome::kFound);
    EXPECT_GT(search.result.steps, CQXTimeSearch::kStepsPerMinute - 1);
    EXPECT_LT(search.result.steps, 2 * CQXTimeSearch::kStepsPerMinute);
    EXPECT_TRUE(disk.DataTimeFrom(search.result.packet).IsEqual(Minute(2026, 3, 14, 10, 1)));
    EXPECT_EQ(boxes.Count(), 1u);
}

TEST(CQXStreamJumpsTime, ADriveThatNoLongerReadsIsReportedWithoutASearch) {
    RecordedDisk disk(MinutesOfRecording(2, 2026, 3, 14, 10, 0, 30));
    ASSERT_TRUE(disk.opened) << disk.result.error;
    // The disk loses everything after its first packets once detection is over.
    std::filesystem::resize_file(disk.Image(), 16 * CQX4KPacket::kSize);
    std::vector<PlayModeCall> calls;
    KWMessageBoxRecorder boxes;
    const auto search = disk.Jumps(calls)->SeekToTime(Minute(2026, 3, 14, 10, 0));
    EXPECT_EQ(search.result.outcome, CQXTimeSearch::Outcome::kReadError);
    EXPECT_EQ(search.result.steps, 0u);
    EXPECT_TRUE(calls.empty());
    ASSERT_EQ(boxes.Count(), 2u);
    EXPECT_EQ(boxes.Boxes()[1].request.text, "2026/03/14 10:00 isn't presence\nOR Read HDD Error");

    // A drive that is gone altogether is reported the same way.
    std::filesystem::remove(disk.Image());
    EXPECT_EQ(disk.Jumps(calls)->SeekToTime(Minute(2026, 3, 14, 10, 0)).result.outcome,
              CQXTimeSearch::Outcome::kReadError);
    EXPECT_EQ(boxes.Count(), 4u);
    EXPECT_TRUE(calls.empty());
}

TEST(CQXStreamJumps, WithoutADeviceNothingHappens) {
    std::vector<PlayModeCall> calls;
    KWMessageBoxRecorder boxes;
    CQXStreamJumps jumps(nullptr, [&calls](std::uint32_t mode, std::uint32_t parameter) {
        calls.push_back({mode, parameter});
    });
    EXPECT_FALSE(jumps.SeekToTime(Minute(2026, 3, 14, 10, 0)).searched);
    EXPECT_FALSE(jumps.ShowEventList([](const auto&, const auto&) { return 0; }).read);
    EXPECT_EQ(jumps.GoToRecentPosition(), 0);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST(CQXStreamJumpsTime, TheSearchTimeDialogsFieldsBecomeATwentyFourHourTarget) {
    QXTimestamp target;
    ASSERT_TRUE(CQXStreamJumps::TargetFromDialog(2026, 3, 14, "PM", "11", "59", target));
    EXPECT_EQ(target, Minute(2026, 3, 14, 23, 59));
    EXPECT_EQ(CQXStreamJumps::ConfirmationText(target), "2026/03/14 11:59 PM");
    ASSERT_TRUE(CQXStreamJumps::TargetFromDialog(2026, 3, 14, "AM", "00", "00", target));
    EXPECT_EQ(target, Minute(2026, 3, 14, 0, 0));
    EXPECT_EQ(CQXStreamJumps::ConfirmationText(target), "2026/03/14 00:00 AM");
    ASSERT_TRUE(CQXStreamJumps::TargetFromDialog(2026, 3, 14, "PM", "00", "05", target));
    EXPECT_EQ(CQXStreamJumps::ConfirmationText(target), "2026/03/14 00:05 PM");
    EXPECT_EQ(target.hour, 12);

    EXPECT_FALSE(CQXStreamJumps::TargetFromDialog(2026, 3, 14, "NOON", "06", "30", target));
    EXPECT_FALSE(CQXStreamJumps::TargetFromDialog(2026, 3, 14, "AM", "12", "30", target));
    EXPECT_FALSE(CQXStreamJumps::TargetFromDialog(2026, 3, 14, "AM", "06", "60", target));
    EXPECT_FALSE(CQXStreamJumps::TargetFromDialog(2026, 3, 14, "AM", "6x", "30", target));
    EXPECT_FALSE(CQXStreamJumps::TargetFromDialog(2026, 3, 14, "AM", "", "30", target));
    EXPECT_FALSE(CQXStreamJumps::TargetFromDialog(1999, 3, 14, "AM", "06", "30", target));
    EXPECT_FALSE(CQXStreamJumps::TargetFromDialog(2256, 3, 14, "AM", "06", "30", target));
}
