#pragma once
#include "QXTimestamp.h"

#include <array>
#include <cstdint>
#include <vector>

// The recorder's table of recording spans, kept in the last 16 sectors of the disk: entry
// indices at offsets 0 and 2, 32-byte entries from offset 512.
class DvrEventTable {
public:
    static constexpr std::size_t kAreaBytes = 8192;
    static constexpr std::size_t kEntriesOffset = 512;
    static constexpr std::size_t kEntryBytes = 32;
    static constexpr std::size_t kMaxEvents = 63;

    struct Event {
        QXTimestamp start;
        QXTimestamp end;
        std::uint32_t packet = 0;
    };

    // Lays out the events from index 0 (at most kMaxEvents; later ones are left out).
    static std::array<std::uint8_t, kAreaBytes> Build(const std::vector<Event>& events);
};
