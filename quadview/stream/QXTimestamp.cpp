#include "QXTimestamp.h"

#include <cstdio>
#include <tuple>

QXTimestamp QXTimestamp::FromBytes(const std::uint8_t* b) {
    return QXTimestamp{b[0], b[1], b[2], b[3], b[4], b[5]};
}

void QXTimestamp::ToBytes(std::uint8_t* b) const {
    b[0] = year;
    b[1] = month;
    b[2] = day;
    b[3] = hour;
    b[4] = minute;
    b[5] = second;
}

bool QXTimestamp::IsValid() const {
    return month >= 1 && month <= 12 && day >= 1 && day <= 31 && hour <= 23 && minute <= 59 &&
           second <= 59;
}

bool QXTimestamp::IsEqual(const QXTimestamp& o) const {
    return std::tie(year, month, day, hour, minute) ==
           std::tie(o.year, o.month, o.day, o.hour, o.minute);
}

bool QXTimestamp::IsLater(const QXTimestamp& o) const {
    return std::tie(month, day, hour, minute) > std::tie(o.month, o.day, o.hour, o.minute);
}

bool QXTimestamp::IsEarlier(const QXTimestamp& o) const {
    return std::tie(month, day, hour, minute) < std::tie(o.month, o.day, o.hour, o.minute);
}

std::string QXTimestamp::Format() const {
    char text[40];
    std::snprintf(text, sizeof text, "2%03d/%02d/%02d %02d:%02d", year, month, day, hour, minute);
    return text;
}
