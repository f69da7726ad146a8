#include "QXEventArea.h"

#include "CKWStorageDevice.h"
#include "CQX4KPacket.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {
// The brackets around an entry's number: 「 and 」, in UTF-8 and in GB2312.
struct Brackets {
    const char* open;
    const char* close;
};
constexpr Brackets kUtf8Brackets{"\u300C", "\u300D"};
constexpr Brackets kGb2312Brackets{"\xA1\xB8", "\xA1\xB9"};

// A stored value shown as two digits: "0%d" up to 9, else "%d".
std::string TwoDigits(std::uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, value <= 9 ? "0%d" : "%d", value);
    return text;
}

// Fields: minute 4, second 5, day 6, hour 7, year 8, month 9; the end time 16 bytes later.
std::string Time(const std::uint8_t* entry, std::size_t base) {
    const std::uint8_t* t = entry + base;
    return "20" + TwoDigits(t[8]) + "-" + TwoDigits(t[9]) + "-" + TwoDigits(t[6]) + " " +
           TwoDigits(t[7]) + ":" + TwoDigits(t[4]) + ":" + TwoDigits(t[5]);
}

std::string Line(const std::uint8_t* entry, int number, bool twoSpaces, const Brackets& brackets) {
    char head[32];
    std::snprintf(head, sizeof head, "%s%02d%s%s", brackets.open, number, brackets.close,
                  twoSpaces ? "  " : "   ");
    return head + Time(entry, 0) + "   ~   " + Time(entry, 16);
}
} // namespace

int QXEventArea::FirstIndex(const std::uint8_t* area) {
    return static_cast<std::int8_t>(area[kFirstIndexOffset]);
}

int QXEventArea::EndIndex(const std::uint8_t* area) {
    return static_cast<std::int8_t>(area[kEndIndexOffset]);
}

std::uint32_t QXEventArea::PacketAt(const std::uint8_t* area, std::size_t offset) {
    const std::uint8_t* e = area + offset;
    return static_cast<std::uint32_t>(e[13]) << 24 | static_cast<std::uint32_t>(e[12]) << 16 |
           static_cast<std::uint32_t>(e[15]) << 8 | e[14];
}

std::vector<QXEventArea::Entry> QXEventArea::List(const std::uint8_t* area) {
    constexpr long long kTableStart = static_cast<long long>(kEntriesOffset);
    constexpr long long kStep = static_cast<long long>(kEntryBytes);
    const int first = FirstIndex(area);
    const int end = EndIndex(area);
    const long long firstOffset = kTableStart + static_cast<long long>(kIndexUnit) * first;
    const long long endOffset = kTableStart + static_cast<long long>(kIndexUnit) * end;

    // (offset, two spaces after the bracket)
    std::vector<std::pair<long long, bool>> offsets;
    if (end >= first) {
        for (long long o = firstOffset; o < endOffset; o += kStep)
            offsets.emplace_back(o, false);
    } else {
        for (long long o = endOffset - kStep; o >= kTableStart; o -= kStep)
            offsets.emplace_back(o, true);
        for (long long o = kRingEndOffset; o >= firstOffset; o -= kStep)
            offsets.emplace_back(o, false);
    }

    std::vector<Entry> entries;
    for (const auto& [offset, twoSpaces] : offsets) {
        if (offset < kTableStart || offset + kStep > static_cast<long long>(kBytes))
            continue;
        const auto at = static_cast<std::size_t>(offset);
        const std::uint8_t* entry = area + at;
        if (entry[0] != kUsedMark)
            continue;
        const int number = static_cast<int>(entries.size()) + 1;
        entries.push_back(Entry{number, Line(entry, number, twoSpaces, kUtf8Brackets),
                                Line(entry, number, twoSpaces, kGb2312Brackets), PacketAt(area, at),
                                at});
    }
    return entries;
}

QXEventArea::Bytes QXEventArea::Exchanged(const std::uint8_t* area) {
    Bytes exchanged;
    std::copy(area, area + kBytes, exchanged.begin());
    QXExchangeBytes(exchanged.data(), static_cast<std::uint32_t>(kBytes));
    return exchanged;
}

bool QXEventArea::Read(CKWStorageDevice& device, KWRawDrive& handle, Bytes& area) {
    const std::uint64_t sectors = device.GetSectorCount();
    return sectors >= kSectors && device.SeekSector(sectors - kSectors, &handle) &&
           device.ReadSectors(kSectors, area.data(), static_cast<std::uint32_t>(kBytes), &handle) ==
               kBytes;
}
