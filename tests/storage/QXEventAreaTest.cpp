#include "QXEventArea.h"

#include <gtest/gtest.h>

#include <array>

namespace {
using Area = std::array<std::uint8_t, QXEventArea::kBytes>;

void PutEntry(Area& area, std::size_t offset, std::uint8_t minute, std::uint32_t packet) {
    std::uint8_t* e = area.data() + offset;
    e[0] = 'R';
    // start 2006-12-27 15:<minute>:05, end 2007-01-02 03:04:59
    e[4] = minute, e[5] = 5, e[6] = 27, e[7] = 15, e[8] = 6, e[9] = 12;
    e[20] = 4, e[21] = 59, e[22] = 2, e[23] = 3, e[24] = 7, e[25] = 1;
    e[13] = static_cast<std::uint8_t>(packet >> 24);
    e[12] = static_cast<std::uint8_t>(packet >> 16);
    e[15] = static_cast<std::uint8_t>(packet >> 8);
    e[14] = static_cast<std::uint8_t>(packet);
}
} // namespace

TEST(QXEventArea, ListsEntriesFromFirstToEndIndex) {
    Area area{};
    area[0] = 0;
    area[2] = 4;
    PutEntry(area, 512, 30, 0x01020304);
    PutEntry(area, 544, 31, 77);
    PutEntry(area, 576, 32, 99); // beyond the end index
    const auto entries = QXEventArea::List(area.data());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].packet, 0x01020304u);
    EXPECT_EQ(entries[1].packet, 77u);
    EXPECT_EQ(entries[0].line, "\u300C01\u300D   2006-12-27 15:30:05   ~   2007-01-02 03:04:59");
    EXPECT_EQ(entries[1].line.substr(0, 11), "\u300C02\u300D   ");
    // The list box holds the brackets as their GB2312 bytes.
    EXPECT_EQ(entries[0].lineGb2312, "\xA1\xB8"
                                     "01\xA1\xB9   2006-12-27 15:30:05   ~   2007-01-02 03:04:59");
    EXPECT_EQ(entries[1].number, 2);
    EXPECT_EQ(entries[1].offset, 544u);
}

TEST(QXEventArea, SkipsUnusedEntriesInTheNumbering) {
    Area area{};
    area[2] = 6;
    PutEntry(area, 512, 1, 1);
    PutEntry(area, 576, 2, 3);
    const auto entries = QXEventArea::List(area.data());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].packet, 3u);
    EXPECT_EQ(entries[1].line.substr(0, 8), "\u300C02\u300D");
}

TEST(QXEventArea, AWrappedTableListsNewestFirstThenTheRingEnd) {
    Area area{};
    area[0] = 124; // first entry at 512 + 16 * 124 = 2496
    area[2] = 4;   // end below it: entries at 544 and 512, then 2560 and 2528, 2496
    for (std::size_t offset : {512, 544, 2496, 2528, 2560})
        PutEntry(area, offset, 0, static_cast<std::uint32_t>(offset));
    const auto entries = QXEventArea::List(area.data());
    ASSERT_EQ(entries.size(), 5u);
    const std::uint32_t expected[] = {544, 512, 2560, 2528, 2496};
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_EQ(entries[i].packet, expected[i]);
    EXPECT_EQ(entries[0].line.substr(8, 3), "  2") << "two spaces in the first run";
    EXPECT_EQ(entries[2].line.substr(8, 4), "   2");
}

TEST(QXEventArea, IndicesOutsideTheAreaReadNothingOutsideIt) {
    Area area{};
    area[0] = static_cast<std::uint8_t>(-100); // before the entries
    area[2] = static_cast<std::uint8_t>(-90);
    EXPECT_TRUE(QXEventArea::List(area.data()).empty());
    area[0] = 0;
    area[2] = 127;
    PutEntry(area, 512, 0, 5);
    EXPECT_EQ(QXEventArea::List(area.data()).size(), 1u);
}
