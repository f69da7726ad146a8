#include "QXEventArea.h"

#include <cstdio>

namespace {
// A stored value shown as two digits: "0%d" up to 9, else "%d".
std::string TwoDigits(std::uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, value <= 9 ? "0%d" : "%d", value);
    return text;
}

std::string Line(const std::uint8_t* entry, int number, bool twoSpaces) {
    // Fields: minute 4, second 5, day 6, hour 7, year 8, month 9; the end time 16 bytes later.
    auto time = [entry](std::size_t base) {
        const std::uint8_t* t = entry + base;
        return "20" + TwoDigits(t[8]) + "-" + TwoDigits(t[9]) + "-" + TwoDigits(t[6]) + " " +
               TwoDigits(t[7]) + ":" + TwoDigits(t[4]) + ":" + TwoDigits(t[5]);
    };
    char head[32];
    std::snprintf(head, sizeof head, "\u300C%02d\u300D%s", number, twoSpaces ? "  " : "   ");
    return head + time(0) + "   ~   " + time(16);
}
} // namespace

std::uint32_t QXEventArea::PacketAt(const std::uint8_t* area, std::size_t offset) {
    const std::uint8_t* e = area + offset;
    return static_cast<std::uint32_t>(e[13]) << 24 | static_cast<std::uint32_t>(e[12]) << 16 |
           static_cast<std::uint32_t>(e[15]) << 8 | e[14];
}

std::vector<QXEventArea::Entry> QXEventArea::List(const std::uint8_t* area) {
    const int first = static_cast<std::int8_t>(area[0]);
    const int end = static_cast<std::int8_t>(area[2]);
    const long long firstOffset = static_cast<long long>(kEntriesOffset) + 16LL * first;
    const long long endOffset = static_cast<long long>(kEntriesOffset) + 16LL * end;

    // (offset, two spaces after the bracket)
    std::vector<std::pair<long long, bool>> offsets;
    if (end >= first) {
        for (long long o = firstOffset; o < endOffset; o += kEntryBytes)
            offsets.emplace_back(o, false);
    } else {
        for (long long o = endOffset - static_cast<long long>(kEntryBytes);
             o >= static_cast<long long>(kEntriesOffset); o -= kEntryBytes)
            offsets.emplace_back(o, true);
        for (long long o = kRingEndOffset; o >= firstOffset; o -= kEntryBytes)
            offsets.emplace_back(o, false);
    }

    std::vector<Entry> entries;
    for (const auto& [offset, twoSpaces] : offsets) {
        if (offset < static_cast<long long>(kEntriesOffset) ||
            offset + static_cast<long long>(kEntryBytes) > static_cast<long long>(kBytes))
            continue;
        const std::uint8_t* entry = area + offset;
        if (entry[0] != 'R')
            continue;
        entries.push_back(Entry{Line(entry, static_cast<int>(entries.size()) + 1, twoSpaces),
                                PacketAt(area, static_cast<std::size_t>(offset))});
    }
    return entries;
}
