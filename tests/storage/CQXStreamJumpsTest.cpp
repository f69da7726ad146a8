// The event list and the recent position on synthetic disks, the jumps through a playing device
// manager, and the drive left untouched by all of them.
#include "JumpTestSupport.h"
#include "KWFileFingerprint.h"
#include "KWMessageBoxRecorder.h"
#include "PlaybackTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {
// The area as the disk holds it, read straight from the image.
QXEventArea::Bytes AreaOnDisk(const RecordedDisk& disk) {
    QXEventArea::Bytes area{};
    std::ifstream image(disk.Image(), std::ios::binary);
    image.seekg(static_cast<std::streamoff>(disk.result.diskBytes - QXEventArea::kBytes));
    image.read(reinterpret_cast<char*>(area.data()), area.size());
    EXPECT_TRUE(image.good());
    return area;
}

std::string Contents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// What a chooser was offered.
struct Offered {
    QXEventArea::Bytes area{};
    std::vector<QXEventArea::Entry> entries;
    int calls = 0;
};

CQXStreamJumps::EventChooser Choose(Offered& offered, int choice) {
    return [&offered, choice](const QXEventArea::Bytes& area,
                              const std::vector<QXEventArea::Entry>& entries) {
        offered.area = area;
        offered.entries = entries;
        ++offered.calls;
        return choice;
    };
}

DvrRecorder::Options WithEvents(int events, int firstIndex) {
    auto options = MinutesOfRecording(2, 2026, 3, 14, 10, 0, 30);
    options.events = events;
    options.eventFirstIndex = firstIndex;
    return options;
}
} // namespace

TEST(CQXStreamJumpsEvents, ATableFromIndexZeroToFourListsTheEntriesAt512And544) {
    RecordedDisk disk(WithEvents(2, 0));
    ASSERT_TRUE(disk.opened) << disk.result.error;
    ASSERT_EQ(disk.result.events.size(), 2u);
    std::vector<PlayModeCall> calls;
    Offered offered;
    const auto list = disk.Jumps(calls)->ShowEventList(Choose(offered, 1));
    EXPECT_TRUE(list.read);
    EXPECT_TRUE(list.dumped);
    EXPECT_EQ(list.selected, 1);

    EXPECT_EQ(offered.area, AreaOnDisk(disk));
    EXPECT_EQ(QXEventArea::FirstIndex(offered.area.data()), 0);
    EXPECT_EQ(QXEventArea::EndIndex(offered.area.data()), 4);
    ASSERT_EQ(offered.entries.size(), 2u);
    EXPECT_EQ(offered.entries[0].offset, 512u);
    EXPECT_EQ(offered.entries[1].offset, 544u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(offered.entries[i].number, static_cast<int>(i) + 1);
        EXPECT_EQ(offered.entries[i].packet, disk.result.events[i].packet);
    }
    EXPECT_EQ(offered.entries[1].line.substr(0, 11), "\u300C02\u300D   ");
    EXPECT_EQ(offered.entries[1].lineGb2312.substr(0, 9), "\xA1\xB8"
                                                          "02\xA1\xB9   ");
    // The stream pauses while the list is up, then shows the chosen entry's place.
    EXPECT_EQ(calls,
              (std::vector<PlayModeCall>{{QXPlayMode::kPause, QXPlayMode::kNoTarget},
                                         {QXPlayMode::kOneForward, disk.result.events[1].packet}}));

    // The dump is the area with every byte pair exchanged.
    const std::string dump = Contents(disk.File(CQXStreamJumps::kEventDumpFileName));
    ASSERT_EQ(dump.size(), QXEventArea::kBytes);
    const QXEventArea::Bytes area = AreaOnDisk(disk);
    for (std::size_t i = 0; i < area.size(); ++i)
        ASSERT_EQ(static_cast<std::uint8_t>(dump[i]), area[i ^ 1]) << "byte " << i;
}

TEST(CQXStreamJumpsEvents, AWrappedTableListsTheNewestEntriesFirstWithTwoSpaces) {
    // Six entries from index 124 on: 124, 126, 128, then 0, 2, 4 after the ring's end.
    RecordedDisk disk(WithEvents(6, 124));
    ASSERT_TRUE(disk.opened) << disk.result.error;
    ASSERT_EQ(disk.result.events.size(), 6u);
    std::vector<PlayModeCall> calls;
    Offered offered;
    disk.Jumps(calls)->ShowEventList(Choose(offered, 3));
    EXPECT_EQ(QXEventArea::FirstIndex(offered.area.data()), 124);
    EXPECT_EQ(QXEventArea::EndIndex(offered.area.data()), 6);

    const std::size_t offsets[] = {576, 544, 512, 2560, 2528, 2496};
    const std::size_t events[] = {5, 4, 3, 2, 1, 0};
    ASSERT_EQ(offered.entries.size(), 6u);
    for (std::size_t i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(offered.entries[i].offset, offsets[i]);
        EXPECT_EQ(offered.entries[i].packet, disk.result.events[events[i]].packet);
        // Two spaces after the bracket in the run before the ring's end, three after it.
        const std::string gap = i < 3 ? "\u300D  2" : "\u300D   2";
        EXPECT_EQ(offered.entries[i].line.substr(5, gap.size()), gap);
    }
    EXPECT_EQ(calls.back(), (PlayModeCall{QXPlayMode::kOneForward, disk.result.events[2].packet}));
}

TEST(CQXStreamJumpsEvents, WithoutAChoiceTheAreaIsStillDumpedOverTheOldDumpAndNothingJumps) {
    RecordedDisk disk(WithEvents(3, 0));
    ASSERT_TRUE(disk.opened) << disk.result.error;
    const std::string dumpFile = disk.File(CQXStreamJumps::kEventDumpFileName);
    WriteFile(dumpFile, std::string(3 * QXEventArea::kBytes, 'x'));
    for (int choice : {-1, 3}) { // none, and one past the list
        SCOPED_TRACE(choice);
        std::vector<PlayModeCall> calls;
        Offered offered;
        const auto list = disk.Jumps(calls)->ShowEventList(Choose(offered, choice));
        EXPECT_EQ(offered.entries.size(), 3u);
        EXPECT_TRUE(list.dumped);
        EXPECT_EQ(calls, (std::vector<PlayModeCall>{{QXPlayMode::kPause, QXPlayMode::kNoTarget}}));
        EXPECT_EQ(Contents(dumpFile).size(), QXEventArea::kBytes);
    }
    // Nothing but the dump was left in the folder.
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(disk.dir.Path()))
        files += entry.path().filename() != "disk.img";
    EXPECT_EQ(files, 1u);
}

TEST(CQXStreamJumpsEvents, AnAreaThatCannotBeReadIsReportedAndNothingIsOfferedOrWritten) {
    RecordedDisk disk(WithEvents(3, 0));
    ASSERT_TRUE(disk.opened) << disk.result.error;
    // The disk loses its last sectors once detection is over.
    std::filesystem::resize_file(disk.Image(), disk.result.diskBytes - QXEventArea::kBytes);
    std::vector<PlayModeCall> calls;
    Offered offered;
    KWMessageBoxRecorder boxes;
    const auto list = disk.Jumps(calls)->ShowEventList(Choose(offered, 0));
    EXPECT_FALSE(list.read);
    EXPECT_EQ(offered.calls, 0);
    EXPECT_FALSE(std::filesystem::exists(disk.File(CQXStreamJumps::kEventDumpFileName)));
    EXPECT_EQ(calls, (std::vector<PlayModeCall>{{QXPlayMode::kPause, QXPlayMode::kNoTarget}}));
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].request.text, "Read the event list error");
    EXPECT_EQ(boxes.Boxes()[0].request.caption, "Error");
}

TEST(CQXStreamJumpsEvents, ADumpThatCannotBeWrittenIsReported) {
    RecordedDisk disk(WithEvents(1, 0));
    ASSERT_TRUE(disk.opened) << disk.result.error;
    std::vector<PlayModeCall> calls;
    Offered offered;
    auto jumps = disk.Jumps(calls);
    jumps->SetEventDumpFile(disk.File("no-such-folder/text.txt"));
    const auto list = jumps->ShowEventList(Choose(offered, 0));
    EXPECT_TRUE(list.read);
    EXPECT_FALSE(list.dumped);
    // The choice is still honoured.
    EXPECT_EQ(calls.back(), (PlayModeCall{QXPlayMode::kOneForward, disk.result.events[0].packet}));
}

TEST(CQXStreamJumpsRecent, APositionUpToTheLimitIsJumpedToAndThenPlayed) {
    RecordedDisk disk(WithEvents(1, 0));
    ASSERT_TRUE(disk.opened) << disk.result.error;
    const std::uint32_t limit = disk.device.GetStreamLength() - 10;
    EXPECT_EQ(CQXStreamJumps::PositionLimit(disk.device.GetStreamLength()), limit);
    const std::string recent = disk.File(CQXStreamJumps::kRecentFileName);
    KWMessageBoxRecorder boxes;
    for (const auto& [text, position] : std::vector<std::pair<std::string, std::uint32_t>>{
             {"123", 123}, {"0", 0}, {std::to_string(limit) + "\r\n", limit}, {" 77 ", 77}}) {
        SCOPED_TRACE(text);
        WriteFile(recent, text);
        std::vector<PlayModeCall> calls;
        EXPECT_EQ(disk.Jumps(calls)->GoToRecentPosition(), 1);
        EXPECT_EQ(calls, (std::vector<PlayModeCall>{{QXPlayMode::kOneForward, position},
                                                    {QXPlayMode::kPlay, QXPlayMode::kNoTarget}}));
    }
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST(CQXStreamJumpsRecent, NegativeTooLargeOrNonNumericPositionsAreRefusedAndPlayGoesOn) {
    RecordedDisk disk(WithEvents(1, 0));
    ASSERT_TRUE(disk.opened) << disk.result.error;
    const std::uint32_t limit = disk.device.GetStreamLength() - 10;
    const std::string recent = disk.File(CQXStreamJumps::kRecentFileName);
    for (const std::string& text :
         {std::string("-1"), std::string("4294967296"), std::string("abc"), std::string("12abc"),
          std::string(""), std::to_string(limit + 1), std::string("99999999999999999999"),
          // A twenty-character line that a reader of 19 characters would take for 1.
          std::string("00000000000000000001")}) {
        SCOPED_TRACE(text);
        WriteFile(recent, text);
        std::vector<PlayModeCall> calls;
        KWMessageBoxRecorder boxes;
        EXPECT_EQ(disk.Jumps(calls)->GoToRecentPosition(), 0);
        EXPECT_EQ(calls, (std::vector<PlayModeCall>{{QXPlayMode::kPlay, QXPlayMode::kNoTarget}}));
        ASSERT_EQ(boxes.Count(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].request.text, "The Position is invalid!");
    }
}

TEST(CQXStreamJumpsRecent, WithoutTheFilePlayJustGoesOn) {
    RecordedDisk disk(WithEvents(1, 0));
    ASSERT_TRUE(disk.opened) << disk.result.error;
    std::vector<PlayModeCall> calls;
    KWMessageBoxRecorder boxes;
    EXPECT_EQ(disk.Jumps(calls)->GoToRecentPosition(), 0);
    EXPECT_EQ(calls, (std::vector<PlayModeCall>{{QXPlayMode::kPlay, QXPlayMode::kNoTarget}}));
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST(CQXStreamJumps, NoJumpChangesTheDrive) {
    RecordedDisk disk(WithEvents(3, 0));
    ASSERT_TRUE(disk.opened) << disk.result.error;
    const KWFileFingerprint before = KWFingerprintOf(disk.Image());
    std::vector<PlayModeCall> calls;
    KWMessageBoxRecorder boxes;
    auto jumps = disk.Jumps(calls);
    Offered offered;
    jumps->ShowEventList(Choose(offered, 0));
    jumps->SeekToTime(disk.result.events[1].start);
    WriteFile(disk.File(CQXStreamJumps::kRecentFileName), "5");
    jumps->GoToRecentPosition();
    EXPECT_EQ(calls.size(), 5u);
    EXPECT_EQ(KWFingerprintOf(disk.Image()), before);
}

TEST(CQXStreamJumps, JumpsThroughTheDeviceManagerMoveThePlayingStream) {
    KWTempDir dir;
    auto options = WithEvents(3, 0);
    options.output = dir / "disk.img";
    const DvrRecorder::Result truth = DvrRecorder(options).Record();
    ASSERT_TRUE(truth.ok) << truth.error;
    RecordingManager manager(KWDriveList{options.output});
    ASSERT_TRUE(manager.OpenAllDevices(nullptr, nullptr, nullptr));
    ASSERT_TRUE(WaitFor([&manager] { return !manager.IsAnyDeviceBusy(); }));
    ASSERT_EQ(manager.StartStreaming(0), 1);
    ASSERT_TRUE(WaitForMode(manager, QXPlayMode::kPlay));

    // Played at its pace the stream is far from the last event; only the jump gets there.
    CQXStreamJumps jumps(manager);
    jumps.SetEventDumpFile("");
    Offered offered;
    ASSERT_TRUE(jumps.ShowEventList(Choose(offered, 2)).read);
    const std::uint32_t target = truth.events[2].packet;
    ASSERT_TRUE(WaitFor([&manager, target] {
        for (const auto& frame : manager.Frames())
            if (frame.packet >= target)
                return true;
        return false;
    }));
    EXPECT_TRUE(WaitForMode(manager, QXPlayMode::kPause));
    manager.StopStreaming();
}
