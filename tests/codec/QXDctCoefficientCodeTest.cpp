#include "QXDctCoefficientCode.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <set>
#include <string>
#include <utility>

using namespace QXDctCoefficientCode;

namespace {
std::uint32_t Pad16(const std::string& bits, std::uint32_t tail) {
    std::uint32_t value = 0;
    for (char c : bits)
        value = (value << 1) | static_cast<std::uint32_t>(c - '0');
    const int rest = 16 - static_cast<int>(bits.size());
    return (value << rest) | (tail & ((1u << rest) - 1));
}
} // namespace

// A few entries transcribed separately from the standard's table, including the longest codes.
TEST(QXDctCoefficientCode, SampleEntriesMatchTheStandard) {
    const struct {
        int run, level;
        const char* bits;
    } samples[] = {{0, 1, "11"},
                   {1, 1, "011"},
                   {0, 2, "0100"},
                   {0, 3, "00101"},
                   {4, 1, "00110"},
                   {0, 4, "0000110"},
                   {0, 5, "00100110"},
                   {13, 1, "00100000"},
                   {16, 1, "0000001000"},
                   {0, 11, "000000010000"},
                   {26, 1, "0000000011011"},
                   {0, 31, "00000000010000"},
                   {0, 40, "000000000010000"},
                   {1, 18, "0000000000010000"},
                   {31, 1, "0000000000011011"},
                   {6, 3, "0000000000010100"}};
    for (const auto& s : samples) {
        SCOPED_TRACE(s.bits);
        const Entry& entry = Lookup(Pad16(s.bits, 0));
        EXPECT_EQ(entry.kind, kRunLevel);
        EXPECT_EQ(entry.run, s.run);
        EXPECT_EQ(entry.level, s.level);
        EXPECT_EQ(entry.length, std::strlen(s.bits));
    }
}

// Every code of the table is found through the eight ranges whatever bits follow it.
TEST(QXDctCoefficientCode, EveryCodeIsFoundWithAnyFollowingBits) {
    std::mt19937 random(5);
    std::set<std::pair<int, int>> pairs;
    for (const Code& code : kCodes) {
        SCOPED_TRACE(code.bits);
        pairs.insert({code.run, code.level});
        for (int trial = 0; trial < 64; ++trial) {
            const Entry& entry = Lookup(Pad16(code.bits, random()));
            ASSERT_EQ(entry.kind, kRunLevel);
            EXPECT_EQ(entry.run, code.run);
            EXPECT_EQ(entry.level, code.level);
            EXPECT_EQ(entry.length, std::strlen(code.bits));
        }
    }
    EXPECT_EQ(pairs.size(), static_cast<std::size_t>(kCodeCount));
    EXPECT_EQ(Lookup(Pad16(kEndOfBlockBits, 0x3FFF)).kind, kEndOfBlock);
    EXPECT_EQ(Lookup(Pad16(kEscapeBits, 0x3FF)).kind, kEscape);
    EXPECT_EQ(Lookup(Pad16(kEscapeBits, 0)).length, 6);
}

// The code is complete and prefix-free: every 16-bit value from 0x10 on starts exactly one
// code, and the codes together with their sign bits fill the space but for values below 0x10.
TEST(QXDctCoefficientCode, CodeFillsTheSpaceExceptTwelveLeadingZeros) {
    double kraft = 1.0 / 4 + 1.0 / 64; // end of block and escape
    for (const Code& code : kCodes)
        kraft += 1.0 / static_cast<double>(1u << std::strlen(code.bits));
    EXPECT_DOUBLE_EQ(kraft, 1.0 - 1.0 / 4096);

    for (std::uint32_t v = 0; v < 0x10000; ++v) {
        const Entry& entry = Lookup(v);
        if (v < 0x10) {
            EXPECT_EQ(entry.kind, kInvalid);
            continue;
        }
        ASSERT_NE(entry.kind, kInvalid) << v;
        int matches = 0;
        for (const Code& code : kCodes)
            matches += Pad16(code.bits, v) == v;
        matches += Pad16(kEndOfBlockBits, v) == v;
        matches += Pad16(kEscapeBits, v) == v;
        ASSERT_EQ(matches, 1) << v;
    }
}

// The short table agrees with the ranged lookup for every index: a code that fits the index
// with its sign bit has its run, signed level and length there; the end of block has its length;
// every other index (longer codes, the escape, no code) is empty and leaves the lookup to the
// ranges.
TEST(QXDctCoefficientCode, ShortTableHoldsExactlyTheCodesThatFitWithTheirSign) {
    for (std::uint32_t v = 0; v < (1u << kShortBits); ++v) {
        SCOPED_TRACE(v);
        const ShortEntry& entry = kShortTable.entries[v];
        const Entry& code = Lookup(v << (16 - kShortBits));
        if (code.kind == kEndOfBlock) {
            EXPECT_EQ(entry.level, 0);
            EXPECT_EQ(entry.length, std::strlen(kEndOfBlockBits));
        } else if (code.kind == kRunLevel && code.length + 1 <= kShortBits) {
            const bool negative = (v >> (kShortBits - 1 - code.length)) & 1;
            EXPECT_EQ(entry.level, negative ? -code.level : code.level);
            EXPECT_EQ(entry.advance, code.run + 1);
            EXPECT_EQ(entry.length, code.length + 1);
        } else {
            EXPECT_EQ(entry.level, 0);
            EXPECT_EQ(entry.length, 0);
        }
    }
}
