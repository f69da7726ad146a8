#include "CKWRateStatistics.h"

#include <gtest/gtest.h>

TEST(CKWRateStatistics, FreshAndNotReadyTexts) {
    CKWRateStatistics fresh("fps");
    EXPECT_EQ(fresh.Format(), "0 [0 : 0 : 0]");
    CKWRateStatistics windowed("w", 5);
    for (std::uint32_t sample : {4u, 5u, 6u})
        windowed.Add(sample);
    EXPECT_FALSE(windowed.IsReady());
    EXPECT_EQ(windowed.Format(), "Not Ready");
    EXPECT_EQ(windowed.Average(), 0.0f);
}

TEST(CKWRateStatistics, UnlimitedSeriesScalesItsFigures) {
    CKWRateStatistics statistics;
    statistics.Add(1500);
    statistics.Add(2500);
    EXPECT_FLOAT_EQ(statistics.Average(), 2000.0f);
    EXPECT_EQ(statistics.Format(), "2.50 K [1.50 K : 2.00 K : 2.50 K]");
    statistics.Add(3000000);
    statistics.Add(0);
    EXPECT_EQ(statistics.Format(), "0.00  [0.00  : 751.00 K : 3.00 M]");
    statistics.Reset();
    EXPECT_EQ(statistics.Format(), "0 [0 : 0 : 0]");
    statistics.Add(7);
    EXPECT_EQ(statistics.GetMinimum(), 7u) << "a reset starts the minimum over";
}

TEST(CKWRateStatistics, WindowKeepsOnlyTheLastSamples) {
    CKWRateStatistics statistics("w", 3);
    for (std::uint32_t sample : {100u, 1u, 2u, 3u})
        statistics.Add(sample);
    EXPECT_TRUE(statistics.IsReady());
    EXPECT_EQ(statistics.GetMaximum(), 3u);
    EXPECT_EQ(statistics.GetMinimum(), 1u);
    EXPECT_FLOAT_EQ(statistics.Average(), 2.0f);
    EXPECT_EQ(statistics.Format(), "3.00  [1.00  : 2.00  : 3.00 ]");
}
