#pragma once
#include <bit>
#include <cstdint>
#include <iterator>

// The variable-length code of the DCT coefficients after the first of a block (ISO/IEC 13818-2
// Table B.14, the same code as MPEG-1): "10" ends the block, "000001" escapes to a run and level
// in fixed-length fields, every other code is a run of zeros and a level, followed by a sign bit.
namespace QXDctCoefficientCode {

struct Code {
    std::uint8_t run;
    std::uint8_t level;
    const char* bits; // without the sign bit
};

constexpr int kCodeCount = 111;
extern const Code kCodes[kCodeCount];

constexpr const char* kEndOfBlockBits = "10";
constexpr const char* kEscapeBits = "000001";
constexpr int kEscapeRunBits = 6;
constexpr int kEscapeLevelBits = 8;
constexpr int kLongestCode = 16;

enum Kind : std::uint8_t { kInvalid = 0, kRunLevel, kEndOfBlock, kEscape };

struct Entry {
    Kind kind;
    std::uint8_t run;
    std::uint8_t level;
    std::uint8_t length; // bits of the code, without the sign bit
};

// One lookup range: values v >= `floor` index their table with (v >> shift) - offset.
struct Range {
    std::uint32_t floor;
    int shift;
    std::uint32_t offset;
    std::uint32_t first; // index of the range's first entry in kLookupTable
};

constexpr Range kRanges[] = {
    {0x4000, 12, 4, 0}, {0x400, 8, 4, 12},  {0x200, 6, 8, 72},  {0x100, 4, 16, 80},
    {0x80, 3, 16, 96},  {0x40, 2, 16, 112}, {0x20, 1, 16, 128}, {0x10, 0, 16, 144},
};
constexpr std::uint32_t kLookupSize = 160;
struct LookupTable {
    Entry entries[kLookupSize] = {};
};
extern const LookupTable kLookupTable; // built from kCodes at compile time
extern const Entry kNoCode;

// The range of kRanges that holds values with that many leading zeros in 16 bits; kNoRange for
// values below 0x10, which start no code.
constexpr int kNoRange = static_cast<int>(std::size(kRanges));
constexpr std::uint8_t kRangeOfZeros[17] = {
    0, 0, 1, 1, 1, 1, 2, 3, 4, 5, 6, 7, kNoRange, kNoRange, kNoRange, kNoRange, kNoRange};

// The first stage of the lookup: the codes that are short enough to be known, with their sign
// bit, from the next kShortBits bits alone, indexed by those bits. Most coefficients are such
// codes, so one table access ends their lookup; the entries of all other codes stay empty.
constexpr int kShortBits = 11;
struct ShortEntry {
    std::int8_t level;    // with its sign; 0 for the end of block and an empty entry
    std::uint8_t advance; // the run + 1: positions from the last coefficient to this one
    std::uint8_t length;  // bits of the code and its sign; 0 for an empty entry
};
struct ShortTable {
    ShortEntry entries[1u << kShortBits] = {};
};
extern const ShortTable kShortTable; // built from kCodes at compile time

// Finds the code that begins the 16 bits `next16` (most significant bit first) through eight
// ranges of leading zeros, each with its own table. Values below 0x10 start no code.
inline const Entry& Lookup(std::uint32_t next16) {
    const int r = kRangeOfZeros[std::countl_zero(static_cast<std::uint16_t>(next16))];
    if (r == kNoRange)
        return kNoCode;
    const Range& range = kRanges[r];
    return kLookupTable.entries[range.first + (next16 >> range.shift) - range.offset];
}

} // namespace QXDctCoefficientCode
