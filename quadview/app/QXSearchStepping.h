#pragma once
#include "QXTimestamp.h"

// The time search's steps from the picture on screen (keys 7, 8 and 9): an hour step back or
// forward, a minute step forward. An hour that runs past midnight moves the day by one; the day
// is not kept inside its month (the search takes it as it comes).
namespace QXSearchStepping {
QXTimestamp HourBack(QXTimestamp time, int hours);
QXTimestamp HourForward(QXTimestamp time, int hours);
QXTimestamp MinuteForward(QXTimestamp time, int minutes);
} // namespace QXSearchStepping
