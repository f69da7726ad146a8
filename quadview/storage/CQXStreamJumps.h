#pragma once
#include "CQXTimeSearch.h"
#include "QXEventArea.h"
#include "QXTimestamp.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CQXStorageDevice;
class CQXStorageDeviceManager;

// The three ways of jumping to a place in a device's stream: to a recording time, to an entry
// of the recorder's event table, and to the position saved when the viewer last closed. Each
// jump ends in the play mode "onef" at the packet found, so that one channel cycle is shown and
// the stream pauses. Runs on the caller's (the window's) thread and reads the drive through a
// read-only handle of its own, with media removal prevented while it is open. Tells the user
// through the message box service.
class CQXStreamJumps {
public:
    static constexpr const char* kRecentFileName = "recent.txt";
    static constexpr const char* kEventDumpFileName = "text.txt";
    static constexpr std::uint32_t kSearchSettleMs = 100;
    static constexpr std::uint32_t kRecentSettleMs = 120;
    // The recent position's line is read up to this many characters.
    static constexpr std::size_t kRecentLineLength = 19;
    // The main window's device slider ends this many packets before the stream's end.
    static constexpr std::int64_t kPositionLimitMargin = 10;

    using PlayModeSetter = std::function<void(std::uint32_t mode, std::uint32_t parameter)>;

    // Jumps in the stream `manager` plays: its current device, its play mode, both looked up
    // at each command.
    explicit CQXStreamJumps(CQXStorageDeviceManager& manager);
    // Jumps in `device`'s stream through `setPlayMode`; with no device every command does
    // nothing.
    CQXStreamJumps(CQXStorageDevice* device, PlayModeSetter setPlayMode);

    // Where the recent position is read; "recent.txt" in the current directory by default.
    void SetRecentFile(std::string path) { m_recentFile = std::move(path); }
    // Where the event list leaves its dump of the area; "text.txt" in the current directory by
    // default, nowhere when empty.
    void SetEventDumpFile(std::string path) { m_eventDumpFile = std::move(path); }

    struct TimeSearch {
        CQXTimeSearch::Result result;
        bool searched = false; // false when there is no device
        std::string message;   // the last text shown to the user
    };
    // Shows the target ("2026/03/14 11:55 PM"), searches it and jumps there. A time not found in
    // 150 steps, or a drive that does not read, is reported as "<target> isn't presence" /
    // "OR Read HDD Error" and leaves the play mode as it was. Seconds are not looked at.
    TimeSearch SeekToTime(const QXTimestamp& target);

    // Lets the user choose a line of the event list: returns its index, or -1 for none.
    using EventChooser = std::function<int(const QXEventArea::Bytes& area,
                                           const std::vector<QXEventArea::Entry>& entries)>;
    struct EventList {
        bool read = false;   // the area was read and offered to the chooser
        bool dumped = false; // the dump was written (or none was asked for)
        int selected = -1;
    };
    // Pauses the stream, reads the event area (failure: "Read the event list error"), offers its
    // entries to `choose`, writes the area with its byte pairs exchanged to the dump file and
    // jumps to the chosen entry's packet.
    EventList ShowEventList(const EventChooser& choose);

    // Jumps to the packet saved in the recent file when it is a number from 0 up to the
    // position limit ("The Position is invalid!" otherwise), then plays. Without the file it
    // just plays. 1 when it jumped.
    int GoToRecentPosition();

    // The last packet the main window lets the user go to (its device slider's maximum).
    static std::int64_t PositionLimit(std::uint32_t streamLength);

    // The search target from the search time dialog's fields: the date, "AM" or "PM", an hour
    // "00"-"11" and a minute "00"-"59". False when a field is out of range.
    static bool TargetFromDialog(int year, int month, int day, const std::string& amPm,
                                 const std::string& hour, const std::string& minute,
                                 QXTimestamp& target);
    // "2%03d/%02d/%02d %02d:%02d %s" with the hour on the 12-hour clock and "AM" or "PM".
    static std::string ConfirmationText(const QXTimestamp& target);
    // "<target> isn't presence\nOR Read HDD Error".
    static std::string NotFoundText(const QXTimestamp& target);

private:
    CQXStorageDevice* Device() const;
    void SetPlayMode(std::uint32_t mode, std::uint32_t parameter) const;

    CQXStorageDeviceManager* m_manager = nullptr;
    CQXStorageDevice* m_device = nullptr;
    PlayModeSetter m_setPlayMode;
    std::string m_recentFile = kRecentFileName;
    std::string m_eventDumpFile = kEventDumpFileName;
};
