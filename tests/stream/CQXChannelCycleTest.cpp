#include "CQXChannelCycle.h"

#include <gtest/gtest.h>

namespace {
constexpr std::uint8_t kFourChannels = 0x0F;

// Where a backward mode moving `cycles` cycles goes next, as {anchor, frames}.
std::pair<std::uint64_t, int> Target(const CQXChannelCycle& cycle, int cycles) {
    std::pair<std::uint64_t, int> target;
    cycle.BackwardTarget(cycles, target.first, target.second);
    return target;
}
} // namespace

TEST(CQXChannelCycle, BackwardModesGoBelowTheCycleShownInWholeCycles) {
    CQXChannelCycle cycle;
    cycle.Restart(1000);
    EXPECT_FALSE(cycle.KnowsChannels());
    EXPECT_EQ(Target(cycle, 1), std::make_pair(std::uint64_t{1000}, 1));
    cycle.LearnChannels(kFourChannels);
    EXPECT_EQ(Target(cycle, 4), std::make_pair(std::uint64_t{1000}, 13));

    // A cycle shown forwards: backward modes start below its lowest frame.
    for (std::uint64_t place : {100, 110, 120, 130})
        cycle.Count(place, kFourChannels);
    EXPECT_TRUE(cycle.IsCycleStart());
    EXPECT_EQ(Target(cycle, 1), std::make_pair(std::uint64_t{100}, 1));
    EXPECT_EQ(Target(cycle, 4), std::make_pair(std::uint64_t{100}, 13));
    EXPECT_EQ(Target(cycle, 64), std::make_pair(std::uint64_t{100}, 253));
    // Within a cycle: the frame before the one shown last.
    cycle.Count(90, kFourChannels);
    EXPECT_EQ(cycle.GetCounter(), 1);
    EXPECT_EQ(Target(cycle, 4), std::make_pair(std::uint64_t{90}, 1));
    // A pause ends the cycle; its lowest frame so far is where the next one starts below.
    cycle.Count(80, kFourChannels);
    cycle.EndCycle();
    EXPECT_EQ(Target(cycle, 2), std::make_pair(std::uint64_t{80}, 5));
    // A landing that showed nothing is passed by one frame, also at a cycle's start.
    cycle.Pass(40);
    EXPECT_EQ(Target(cycle, 2), std::make_pair(std::uint64_t{40}, 1));
    cycle.Count(30, kFourChannels);
    EXPECT_EQ(Target(cycle, 2), std::make_pair(std::uint64_t{30}, 1));
}

TEST(CQXChannelCycle, TheChannelSetSetsTheCycleLength) {
    CQXChannelCycle cycle;
    cycle.Count(1, 0x1F); // the composite picture: one frame a cycle
    EXPECT_EQ(cycle.GetChannelCount(), 1);
    EXPECT_TRUE(cycle.IsCycleStart());
    cycle.Count(2, 0x00); // no channel bits: still one
    EXPECT_EQ(cycle.GetChannelCount(), 1);
    cycle.Count(3, 0x0A); // channels 1 and 3
    EXPECT_EQ(cycle.GetChannelCount(), 2);
    EXPECT_EQ(cycle.GetCounter(), 1);
    // Learning does not override what frames told.
    cycle.LearnChannels(kFourChannels);
    EXPECT_EQ(cycle.GetChannelCount(), 2);
}
