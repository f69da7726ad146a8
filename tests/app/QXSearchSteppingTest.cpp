#include "QXSearchStepping.h"

#include <gtest/gtest.h>

namespace {
QXTimestamp At(int day, int hour, int minute) {
    return QXTimestamp{26,
                       3,
                       static_cast<std::uint8_t>(day),
                       static_cast<std::uint8_t>(hour),
                       static_cast<std::uint8_t>(minute),
                       42};
}
} // namespace

TEST(QXSearchStepping, HoursCrossMidnightIntoTheNeighbouringDay) {
    EXPECT_EQ(QXSearchStepping::HourBack(At(14, 1, 20), 6), At(13, 19, 20));
    EXPECT_EQ(QXSearchStepping::HourBack(At(14, 6, 20), 6), At(14, 0, 20));
    EXPECT_EQ(QXSearchStepping::HourForward(At(14, 23, 5), 1), At(15, 0, 5));
    EXPECT_EQ(QXSearchStepping::HourForward(At(14, 11, 5), 12), At(14, 23, 5));
    // The day is passed on as computed, also outside its month.
    EXPECT_EQ(QXSearchStepping::HourBack(At(1, 0, 0), 1), At(0, 23, 0));
    EXPECT_EQ(QXSearchStepping::HourForward(At(31, 18, 0), 6), At(32, 0, 0));
}

TEST(QXSearchStepping, MinutesCarryIntoTheHour) {
    EXPECT_EQ(QXSearchStepping::MinuteForward(At(14, 10, 55), 10), At(14, 11, 5));
    EXPECT_EQ(QXSearchStepping::MinuteForward(At(14, 10, 25), 30), At(14, 10, 55));
    EXPECT_EQ(QXSearchStepping::MinuteForward(At(14, 23, 30), 30), At(15, 0, 0));
}
