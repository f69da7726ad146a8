#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The recorder's table of recording spans in the last 16 sectors of a device, read as stored
// (without the packet word exchange).
namespace QXEventArea {
constexpr std::size_t kBytes = 8192;
constexpr std::uint32_t kSectors = 16;
constexpr std::size_t kEntriesOffset = 512;
constexpr std::size_t kEntryBytes = 32;
// Offset of the last entry of the table's ring: index 128 in 16-byte units.
constexpr std::size_t kRingEndOffset = 2560;

struct Entry {
    std::string line;     // as the event list shows it (UTF-8)
    std::uint32_t packet; // where the span starts in the stream
};

// The used entries in the order the event list shows them, numbered from 1. Offsets outside
// the area (first or end index out of range) are left out.
std::vector<Entry> List(const std::uint8_t* area);

// The packet index of the entry at `offset`: bytes 13, 12, 15, 14 from most significant.
std::uint32_t PacketAt(const std::uint8_t* area, std::size_t offset);
} // namespace QXEventArea
