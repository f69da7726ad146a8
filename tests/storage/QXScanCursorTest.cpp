#include "QXScanCursor.h"

#include <gtest/gtest.h>
#include <vector>

namespace {
using Outcome = QXScanCursor::Outcome;

// The packets a scan tests when the packets below `recorded` are recorded, on a drive of
// `packetCount` packets that grows as the scan asks.
std::vector<std::uint64_t> Visits(std::uint64_t recorded, std::uint32_t packetCount) {
    std::vector<std::uint64_t> visits;
    QXScanCursor cursor;
    for (;;) {
        visits.push_back(cursor.Next());
        if (cursor.Next() >= recorded) {
            if (cursor.Miss() == Outcome::kEnd)
                return visits;
        } else if (cursor.Hit(packetCount) == Outcome::kGrow) {
            packetCount = cursor.length + 1;
        }
    }
}

TEST(QXScanCursor, DoublesTheStepWhileItHitsAndFallsBackToOneAfterAMiss) {
    EXPECT_EQ(Visits(1000, 100000),
              (std::vector<std::uint64_t>{
                  0,   1,   3,    7,   15,  31,   63,   127,  255, 511,  1023, 512, 514,  518,
                  526, 542, 574,  638, 766, 1022, 767,  769,  773, 781,  797,  829, 893,  1021,
                  894, 896, 900,  908, 924, 956,  1020, 957,  959, 963,  971,  987, 1019, 988,
                  990, 994, 1002, 995, 997, 1001, 998,  1000, 999, 1001, 1000}));
}

TEST(QXScanCursor, FallsBackToStepOneNearTheEndOfTheKnownSize) {
    QXScanCursor cursor;
    EXPECT_EQ(cursor.Hit(10), Outcome::kContinue); // 0
    EXPECT_EQ(cursor.Hit(10), Outcome::kContinue); // 1
    EXPECT_EQ(cursor.Hit(10), Outcome::kContinue); // 3, step 4 reaches 7
    EXPECT_EQ(cursor.Hit(10), Outcome::kContinue); // 7, step 8 would pass the end
    EXPECT_EQ(cursor.step, 1u);
    EXPECT_EQ(cursor.Next(), 8u);
    EXPECT_EQ(cursor.Hit(10), Outcome::kContinue); // 8
    EXPECT_EQ(cursor.Hit(10), Outcome::kContinue); // 9, the last packet of the size
    EXPECT_EQ(cursor.Hit(10), Outcome::kGrow);     // 10 lies beyond it
    EXPECT_EQ(cursor.length, 10u);
}

TEST(QXScanCursor, AMissWithStepOneOrBeforeTheFirstHitEnds) {
    QXScanCursor fresh;
    EXPECT_EQ(fresh.Miss(), Outcome::kEnd);
    QXScanCursor cursor;
    cursor.Hit(100);
    EXPECT_EQ(cursor.Miss(), Outcome::kEnd); // step 1
    cursor.Hit(100);
    EXPECT_EQ(cursor.step, 2u);
    EXPECT_EQ(cursor.Miss(), Outcome::kContinue);
    EXPECT_EQ(cursor.Next(), cursor.length + 1);
}
} // namespace
