#include "KWSnapshotName.h"

#include <cstdio>
#include <ctime>

std::string KWMakeSnapshotName(const std::string& folder, std::uint32_t start,
                               std::int32_t position) {
    const auto sum = static_cast<std::int32_t>(start + static_cast<std::uint32_t>(position));
    const std::time_t time = sum;
    std::tm local{};
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = -1;
    int minute = -1;
    int second = -1;
    if (localtime_r(&time, &local) != nullptr) {
        year = local.tm_year + 1900;
        month = local.tm_mon + 1;
        day = local.tm_mday;
        hour = local.tm_hour;
        minute = local.tm_min;
        second = local.tm_sec;
    }
    char rest[96];
    std::snprintf(rest, sizeof rest, "images-%d-%d-%d-%d-%d-%d", year, month, day, hour, minute,
                  second);
    return folder + rest;
}
