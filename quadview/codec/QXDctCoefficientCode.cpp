#include "QXDctCoefficientCode.h"

#include <iterator>

namespace QXDctCoefficientCode {

constexpr Code kCodes[kCodeCount] = {
    {0, 1, "11"},
    {1, 1, "011"},
    {0, 2, "0100"},
    {2, 1, "0101"},
    {0, 3, "00101"},
    {3, 1, "00111"},
    {4, 1, "00110"},
    {1, 2, "000110"},
    {5, 1, "000111"},
    {6, 1, "000101"},
    {7, 1, "000100"},
    {0, 4, "0000110"},
    {2, 2, "0000100"},
    {8, 1, "0000111"},
    {9, 1, "0000101"},
    {0, 5, "00100110"},
    {0, 6, "00100001"},
    {1, 3, "00100101"},
    {3, 2, "00100100"},
    {10, 1, "00100111"},
    {11, 1, "00100011"},
    {12, 1, "00100010"},
    {13, 1, "00100000"},
    {0, 7, "0000001010"},
    {1, 4, "0000001100"},
    {2, 3, "0000001011"},
    {4, 2, "0000001111"},
    {5, 2, "0000001001"},
    {14, 1, "0000001110"},
    {15, 1, "0000001101"},
    {16, 1, "0000001000"},
    {0, 8, "000000011101"},
    {0, 9, "000000011000"},
    {0, 10, "000000010011"},
    {0, 11, "000000010000"},
    {1, 5, "000000011011"},
    {2, 4, "000000010100"},
    {3, 3, "000000011100"},
    {4, 3, "000000010010"},
    {6, 2, "000000011110"},
    {7, 2, "000000010101"},
    {8, 2, "000000010001"},
    {17, 1, "000000011111"},
    {18, 1, "000000011010"},
    {19, 1, "000000011001"},
    {20, 1, "000000010111"},
    {21, 1, "000000010110"},
    {0, 12, "0000000011010"},
    {0, 13, "0000000011001"},
    {0, 14, "0000000011000"},
    {0, 15, "0000000010111"},
    {1, 6, "0000000010110"},
    {1, 7, "0000000010101"},
    {2, 5, "0000000010100"},
    {3, 4, "0000000010011"},
    {5, 3, "0000000010010"},
    {9, 2, "0000000010001"},
    {10, 2, "0000000010000"},
    {22, 1, "0000000011111"},
    {23, 1, "0000000011110"},
    {24, 1, "0000000011101"},
    {25, 1, "0000000011100"},
    {26, 1, "0000000011011"},
    {0, 16, "00000000011111"},
    {0, 17, "00000000011110"},
    {0, 18, "00000000011101"},
    {0, 19, "00000000011100"},
    {0, 20, "00000000011011"},
    {0, 21, "00000000011010"},
    {0, 22, "00000000011001"},
    {0, 23, "00000000011000"},
    {0, 24, "00000000010111"},
    {0, 25, "00000000010110"},
    {0, 26, "00000000010101"},
    {0, 27, "00000000010100"},
    {0, 28, "00000000010011"},
    {0, 29, "00000000010010"},
    {0, 30, "00000000010001"},
    {0, 31, "00000000010000"},
    {0, 32, "000000000011000"},
    {0, 33, "000000000010111"},
    {0, 34, "000000000010110"},
    {0, 35, "000000000010101"},
    {0, 36, "000000000010100"},
    {0, 37, "000000000010011"},
    {0, 38, "000000000010010"},
    {0, 39, "000000000010001"},
    {0, 40, "000000000010000"},
    {1, 8, "000000000011111"},
    {1, 9, "000000000011110"},
    {1, 10, "000000000011101"},
    {1, 11, "000000000011100"},
    {1, 12, "000000000011011"},
    {1, 13, "000000000011010"},
    {1, 14, "000000000011001"},
    {1, 15, "0000000000010011"},
    {1, 16, "0000000000010010"},
    {1, 17, "0000000000010001"},
    {1, 18, "0000000000010000"},
    {6, 3, "0000000000010100"},
    {11, 2, "0000000000011010"},
    {12, 2, "0000000000011001"},
    {13, 2, "0000000000011000"},
    {14, 2, "0000000000010111"},
    {15, 2, "0000000000010110"},
    {16, 2, "0000000000010101"},
    {27, 1, "0000000000011111"},
    {28, 1, "0000000000011110"},
    {29, 1, "0000000000011101"},
    {30, 1, "0000000000011100"},
    {31, 1, "0000000000011011"},
};

namespace {

constexpr int Length(const char* bits) {
    int n = 0;
    while (bits[n])
        ++n;
    return n;
}

// True when the code's bits are the leading bits of the 16-bit value.
constexpr bool Begins(const char* bits, std::uint32_t value) {
    for (int i = 0; bits[i]; ++i)
        if (((value >> (15 - i)) & 1) != static_cast<std::uint32_t>(bits[i] - '0'))
            return false;
    return true;
}

constexpr Entry Find(std::uint32_t value) {
    if (Begins(kEndOfBlockBits, value))
        return {kEndOfBlock, 0, 0, static_cast<std::uint8_t>(Length(kEndOfBlockBits))};
    if (Begins(kEscapeBits, value))
        return {kEscape, 0, 0, static_cast<std::uint8_t>(Length(kEscapeBits))};
    for (const Code& code : kCodes)
        if (Begins(code.bits, value))
            return {kRunLevel, code.run, code.level, static_cast<std::uint8_t>(Length(code.bits))};
    return {};
}

// Every entry of a range covers 2^shift values that share their leading bits; the codes that end
// within those bits are what the range tells apart.
constexpr LookupTable Build() {
    LookupTable table;
    std::uint32_t end = kLookupSize;
    for (int r = static_cast<int>(std::size(kRanges)) - 1; r >= 0; --r) {
        for (std::uint32_t i = kRanges[r].first; i < end; ++i)
            table.entries[i] = Find((i - kRanges[r].first + kRanges[r].offset) << kRanges[r].shift);
        end = kRanges[r].first;
    }
    return table;
}

constexpr std::uint32_t Value(const char* bits) {
    std::uint32_t value = 0;
    for (int i = 0; bits[i]; ++i)
        value = (value << 1) | static_cast<std::uint32_t>(bits[i] - '0');
    return value;
}

// Fills every entry whose index begins with the `length` bits of `prefix`.
constexpr void FillShort(ShortTable& table, std::uint32_t prefix, int length, ShortEntry entry) {
    const int rest = kShortBits - length;
    for (std::uint32_t tail = 0; tail < (1u << rest); ++tail)
        table.entries[(prefix << rest) | tail] = entry;
}

constexpr ShortTable BuildShort() {
    ShortTable table;
    const int endLength = Length(kEndOfBlockBits);
    FillShort(table, Value(kEndOfBlockBits), endLength,
              {0, 0, static_cast<std::uint8_t>(endLength)});
    for (const Code& code : kCodes) {
        const int length = Length(code.bits) + 1;
        if (length > kShortBits)
            continue;
        const auto advance = static_cast<std::uint8_t>(code.run + 1);
        const auto level = static_cast<std::int8_t>(code.level);
        const std::uint32_t prefix = Value(code.bits) << 1;
        FillShort(table, prefix, length, {level, advance, static_cast<std::uint8_t>(length)});
        FillShort(table, prefix | 1, length,
                  {static_cast<std::int8_t>(-level), advance, static_cast<std::uint8_t>(length)});
    }
    return table;
}

} // namespace

constexpr LookupTable kLookupTable = Build();
constexpr ShortTable kShortTable = BuildShort();
constexpr Entry kNoCode{};

} // namespace QXDctCoefficientCode
