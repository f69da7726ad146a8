#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

class CKWStorageDevice;
class KWRawDrive;

// The recorder's table of recording spans in the last 16 sectors of a device, read as stored
// (without the packet word exchange): the first and the end entry index (signed, in 16-byte
// units from offset 512) at offsets 0 and 2, and 32-byte entries from offset 512.
namespace QXEventArea {
constexpr std::size_t kBytes = 8192;
constexpr std::uint32_t kSectors = 16;
constexpr std::size_t kFirstIndexOffset = 0;
constexpr std::size_t kEndIndexOffset = 2;
constexpr std::size_t kEntriesOffset = 512;
constexpr std::size_t kIndexUnit = 16;
constexpr std::size_t kEntryBytes = 32;
// Offset of the last entry of the table's ring: index 128 in 16-byte units.
constexpr std::size_t kRingEndOffset = 2560;
constexpr std::uint8_t kUsedMark = 'R';

using Bytes = std::array<std::uint8_t, kBytes>;

struct Entry {
    int number = 0;           // from 1, in listing order
    std::string line;         // as the event list shows it (UTF-8)
    std::string lineGb2312;   // the same line as the list box holds it: the brackets in GB2312
    std::uint32_t packet = 0; // where the span starts in the stream
    std::size_t offset = 0;   // of the entry in the area
};

int FirstIndex(const std::uint8_t* area);
int EndIndex(const std::uint8_t* area);

// The used entries in the order the event list shows them, numbered from 1: from the first
// index up to the end index, or, when the table has wrapped (end below first), from the newest
// entry down to the start of the table and then from the ring's end down to the first index.
// Entries that would lie before the table (negative indices) are left out and never read.
std::vector<Entry> List(const std::uint8_t* area);

// The packet index of the entry at `offset`: bytes 13, 12, 15, 14 from most significant.
std::uint32_t PacketAt(const std::uint8_t* area, std::size_t offset);

// The area with the two bytes of every 16-bit word exchanged, as the event list dumps it.
Bytes Exchanged(const std::uint8_t* area);

// Reads the area of `device` - its last kSectors sectors - through `handle`, a handle of its
// own on the device's drive. False when the device is smaller or the read fails or is short.
bool Read(CKWStorageDevice& device, KWRawDrive& handle, Bytes& area);
} // namespace QXEventArea
