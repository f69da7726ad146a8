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
    // Entry indices count 16-byte units; the ring's entries lie at the even indices 0 to 128.
    static constexpr std::size_t kIndexUnitBytes = 16;
    static constexpr int kIndexStep = 2;
    static constexpr int kRingEndIndex = 128;

    struct Event {
        QXTimestamp start;
        QXTimestamp end;
        std::uint32_t packet = 0;
    };

    // Lays out the events in the ring from the even entry index `firstIndex` on, continuing at
    // index 0 after the ring's end as a recorder that has gone round it does (at most
    // kMaxEvents; later ones are left out).
    static std::array<std::uint8_t, kAreaBytes> Build(const std::vector<Event>& events,
                                                      int firstIndex = 0);
};
