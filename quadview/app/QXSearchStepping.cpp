#include "QXSearchStepping.h"

namespace {
constexpr int kHoursPerDay = 24;
constexpr int kMinutesPerHour = 60;
} // namespace

namespace QXSearchStepping {
QXTimestamp HourBack(QXTimestamp time, int hours) {
    int hour = time.hour - hours;
    if (hour < 0) {
        --time.day;
        hour += kHoursPerDay;
    }
    time.hour = static_cast<std::uint8_t>(hour);
    return time;
}

QXTimestamp HourForward(QXTimestamp time, int hours) {
    int hour = time.hour + hours;
    if (hour >= kHoursPerDay) {
        ++time.day;
        hour -= kHoursPerDay;
    }
    time.hour = static_cast<std::uint8_t>(hour);
    return time;
}

QXTimestamp MinuteForward(QXTimestamp time, int minutes) {
    int minute = time.minute + minutes;
    if (minute >= kMinutesPerHour) {
        minute -= kMinutesPerHour;
        time = HourForward(time, 1);
    }
    time.minute = static_cast<std::uint8_t>(minute);
    return time;
}
} // namespace QXSearchStepping
