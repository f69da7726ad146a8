#include "DvrEventTable.h"

#include <algorithm>

std::array<std::uint8_t, DvrEventTable::kAreaBytes>
DvrEventTable::Build(const std::vector<Event>& events) {
    std::array<std::uint8_t, kAreaBytes> area{};
    const std::size_t count = std::min(events.size(), kMaxEvents);
    // First and end index count 16-byte units; each entry takes two.
    area[0] = 0;
    area[2] = static_cast<std::uint8_t>(2 * count);
    for (std::size_t i = 0; i < count; ++i) {
        std::uint8_t* entry = area.data() + kEntriesOffset + i * kEntryBytes;
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
    return area;
}
