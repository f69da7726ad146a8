#include "CQXStreamJumps.h"

#include "CQXStorageDeviceManager.h"
#include "KWMessageBox.h"
#include "KWRawDrive.h"
#include "KWReplaceFile.h"
#include "KWTick.h"
#include "QXPlayMode.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <limits>

namespace {
const char* const kErrorCaption = "Error";
const char* const kNotFoundText = " isn't presence\n";
const char* const kReadErrorText = "OR Read HDD Error";
const char* const kEventReadErrorText = "Read the event list error";
const char* const kInvalidPositionText = "The Position is invalid!";
const char* const kMorning = "AM";
const char* const kAfternoon = "PM";
constexpr int kHoursPerHalfDay = 12;
constexpr int kFirstYear = 2000;
constexpr int kMaxYearOffset = 255;
constexpr int kMaxMinute = 59;

// A handle of the jump's own on the device's drive, read-only, with media removal prevented
// while it is open (whether the drive allows that does not matter).
class DriveSession {
public:
    explicit DriveSession(const CQXStorageDevice& device) {
        if (device.OpenDriveHandle(m_handle))
            static_cast<void>(m_handle.SetMediaRemoval(true));
    }
    ~DriveSession() {
        if (m_handle.IsOpen())
            static_cast<void>(m_handle.SetMediaRemoval(false));
    }
    DriveSession(const DriveSession&) = delete;
    DriveSession& operator=(const DriveSession&) = delete;

    bool IsOpen() const { return m_handle.IsOpen(); }
    KWRawDrive& Handle() { return m_handle; }

private:
    KWRawDrive m_handle;
};

// A field of the search time dialog: one or two digits from 0 to `max`.
bool ParseDialogNumber(const std::string& text, int max, int& value) {
    if (text.empty() || text.size() > 2)
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value >= 0 && value <= max;
}

// The recent position's line as a number: optional blanks, an optional minus sign and digits,
// nothing else; a value beyond 64 bits is no number.
bool ParseRecentLine(const std::string& line, std::int64_t& value) {
    const std::size_t begin = line.find_first_not_of(" \t");
    const std::size_t end = line.find_last_not_of(" \t\r");
    if (begin == std::string::npos || end == std::string::npos)
        return false;
    const char* first = line.data() + begin;
    const char* last = line.data() + end + 1;
    const auto [stop, error] = std::from_chars(first, last, value);
    return error == std::errc() && stop == last;
}
} // namespace

CQXStreamJumps::CQXStreamJumps(CQXStorageDeviceManager& manager) : m_manager(&manager) {}

CQXStreamJumps::CQXStreamJumps(CQXStorageDevice* device, PlayModeSetter setPlayMode)
    : m_device(device), m_setPlayMode(std::move(setPlayMode)) {}

CQXStorageDevice* CQXStreamJumps::Device() const {
    if (!m_manager)
        return m_device;
    const std::uint8_t index = m_manager->GetCurrentDeviceIndex();
    return index == CQXStorageDeviceManager::kNoSelection ? nullptr : m_manager->GetDevice(index);
}

void CQXStreamJumps::SetPlayMode(std::uint32_t mode, std::uint32_t parameter) const {
    if (m_manager)
        m_manager->SetPlayMode(mode, parameter);
    else if (m_setPlayMode)
        m_setPlayMode(mode, parameter);
}

std::int64_t CQXStreamJumps::PositionLimit(std::uint32_t streamLength) {
    return std::int64_t{streamLength} - kPositionLimitMargin;
}

bool CQXStreamJumps::TargetFromDialog(int year, int month, int day, const std::string& amPm,
                                      const std::string& hour, const std::string& minute,
                                      QXTimestamp& target) {
    int hours = 0, minutes = 0;
    const bool afternoon = amPm == kAfternoon;
    if ((!afternoon && amPm != kMorning) || !ParseDialogNumber(hour, kHoursPerHalfDay - 1, hours) ||
        !ParseDialogNumber(minute, kMaxMinute, minutes) || year < kFirstYear ||
        year > kFirstYear + kMaxYearOffset || month < 1 || month > 12 || day < 1 || day > 31)
        return false;
    target = QXTimestamp{static_cast<std::uint8_t>(year - kFirstYear),
                         static_cast<std::uint8_t>(month),
                         static_cast<std::uint8_t>(day),
                         static_cast<std::uint8_t>(hours + (afternoon ? kHoursPerHalfDay : 0)),
                         static_cast<std::uint8_t>(minutes),
                         0};
    return true;
}

std::string CQXStreamJumps::ConfirmationText(const QXTimestamp& target) {
    const bool afternoon = target.hour >= kHoursPerHalfDay;
    char text[48];
    std::snprintf(text, sizeof text, "2%03d/%02d/%02d %02d:%02d %s", target.year, target.month,
                  target.day, afternoon ? target.hour - kHoursPerHalfDay : target.hour,
                  target.minute, afternoon ? kAfternoon : kMorning);
    return text;
}

std::string CQXStreamJumps::NotFoundText(const QXTimestamp& target) {
    return target.Format() + kNotFoundText + kReadErrorText;
}

CQXStreamJumps::TimeSearch CQXStreamJumps::SeekToTime(const QXTimestamp& target) {
    TimeSearch search;
    CQXStorageDevice* device = Device();
    if (!device)
        return search;
    search.searched = true;
    search.message = ConfirmationText(target);
    KWMessageBox(search.message, "", KWMessageBoxFlags::kOk);
    {
        DriveSession session(*device);
        // A drive that cannot be opened again reads no better than one that fails a read.
        if (session.IsOpen())
            search.result = CQXTimeSearch(*device, session.Handle()).Search(target);
        if (search.result.outcome == CQXTimeSearch::Outcome::kFound) {
            SetPlayMode(QXPlayMode::kOneForward, search.result.packet);
        } else {
            search.message = NotFoundText(target);
            KWMessageBox(search.message, kErrorCaption, KWMessageBoxFlags::kOk);
        }
    }
    KWSleep(kSearchSettleMs);
    return search;
}

CQXStreamJumps::EventList CQXStreamJumps::ShowEventList(const EventChooser& choose) {
    EventList list;
    CQXStorageDevice* device = Device();
    if (!device)
        return list;
    SetPlayMode(QXPlayMode::kPause, QXPlayMode::kNoTarget);
    DriveSession session(*device);
    QXEventArea::Bytes area{};
    if (!session.IsOpen() || !QXEventArea::Read(*device, session.Handle(), area)) {
        KWMessageBox(kEventReadErrorText, kErrorCaption, KWMessageBoxFlags::kOk);
        return list;
    }
    list.read = true;
    const std::vector<QXEventArea::Entry> entries = QXEventArea::List(area.data());
    list.selected = choose(area, entries);

    const QXEventArea::Bytes dump = QXEventArea::Exchanged(area.data());
    list.dumped =
        m_eventDumpFile.empty() || KWReplaceFile(m_eventDumpFile, dump.data(), dump.size());
    if (list.selected >= 0 && static_cast<std::size_t>(list.selected) < entries.size())
        SetPlayMode(QXPlayMode::kOneForward,
                    entries[static_cast<std::size_t>(list.selected)].packet);
    return list;
}

int CQXStreamJumps::GoToRecentPosition() {
    CQXStorageDevice* device = Device();
    if (!device)
        return 0;
    std::ifstream file(m_recentFile);
    if (!file) {
        SetPlayMode(QXPlayMode::kPlay, QXPlayMode::kNoTarget);
        return 0;
    }
    // A longer line is not a position the viewer wrote: cut short it would read as another one.
    std::string line;
    for (char c; line.size() <= kRecentLineLength && file.get(c) && c != '\n';)
        line += c;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    std::int64_t position = -1;
    const bool valid = line.size() <= kRecentLineLength && ParseRecentLine(line, position) &&
                       position >= 0 &&
                       position <= std::int64_t{std::numeric_limits<std::uint32_t>::max()} &&
                       position <= PositionLimit(device->GetStreamLength());
    file.close();
    if (valid)
        SetPlayMode(QXPlayMode::kOneForward, static_cast<std::uint32_t>(position));
    else
        KWMessageBox(kInvalidPositionText, "", KWMessageBoxFlags::kOk);
    KWSleep(kRecentSettleMs);
    SetPlayMode(QXPlayMode::kPlay, QXPlayMode::kNoTarget);
    return valid ? 1 : 0;
}
