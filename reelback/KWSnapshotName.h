#pragma once
#include <cstdint>
#include <string>

// The name of a snapshot: the folder text directly followed by "images-" and the local calendar
// time of the shown picture (year-month-day-hour-minute-second, no leading zeros, no extension).
// The time is the recording's start (seconds since 1970-01-01 UTC) plus the position, added in
// 32-bit arithmetic and taken as a signed number. A time the calendar cannot hold gives the
// numbers 0-0-0--1--1--1.
std::string KWMakeSnapshotName(const std::string& folder, std::uint32_t start,
                               std::int32_t position);
