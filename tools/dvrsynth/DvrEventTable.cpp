#include "DvrEventTable.h"

#include <algorithm>

std::array<std::uint8_t, DvrEventTable::kAreaBytes>
DvrEventTable::Build(const std::vector<Event>& events, int firstIndex) {
    std::array<std::uint8_t, kAreaBytes> area{};
    const std::size_t count = std::min(events.size(), kMaxEvents);
    auto next = [](int index) { return index == kRingEndIndex ? 0 : index + kIndexStep; };
    int index = firstIndex;
    for (std::size_t i = 0; i < count; ++i, index = next(index)) {
        std::uint8_t* entry =
            area.data() + kEntriesOffset + static_cast<std::size_t>(index) * kIndexUnitBytes;
        const Event& e = events[i];
        entry[0] = 'R';
        entry[4] = e.start.minute;
        entry[5] = e.start.second;
        entry[6] = e.start.day;
        entry[7] = e.start.hour;
        entry[8] = e.start.year;
        entry[9] = e.start.month;
        // The packet index is stored with bytes 13, 12, 15, 14 from most to least significant.
        entry[13] = static_cast<std::uint8_t>(e.packet >> 24);
        entry[12] = static_cast<std::uint8_t>(e.packet >> 16);
        entry[15] = static_cast<std::uint8_t>(e.packet >> 8);
        entry[14] = static_cast<std::uint8_t>(e.packet);
        entry[20] = e.end.minute;
        entry[21] = e.end.second;
        entry[22] = e.end.day;
        entry[23] = e.end.hour;
        entry[24] = e.end.year;
        entry[25] = e.end.month;
    }
    // The indices are stored as signed bytes: an end index of 128 reads as -128.
    area[0] = static_cast<std::uint8_t>(firstIndex);
    area[2] = static_cast<std::uint8_t>(index);
    return area;
}
