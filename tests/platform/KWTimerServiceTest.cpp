#include "KWTimerService.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

TEST(KWTimerService, RefusesPeriodsOutOfRange) {
    auto& service = KWTimerService::Instance();
    EXPECT_EQ(service.Create(0, true, [](std::uint32_t) {}), 0u);
    EXPECT_EQ(service.Create(KWTimerService::kMaxPeriodMs + 1, true, [](std::uint32_t) {}), 0u);
}

TEST(KWTimerService, OneShotFiresOnceWithItsIdentifier) {
    auto& service = KWTimerService::Instance();
    std::atomic<int> calls{0};
    std::atomic<std::uint32_t> seen{0};
    const std::uint32_t id = service.Create(5, false, [&](std::uint32_t timerId) {
        seen = timerId;
        ++calls;
    });
    ASSERT_NE(id, 0u);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (calls == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(seen, id);
}

TEST(KWTimerService, KillWaitsForARunningCallback) {
    auto& service = KWTimerService::Instance();
    std::atomic<bool> inside{false};
    std::atomic<bool> finished{false};
    const std::uint32_t id = service.Create(1, true, [&](std::uint32_t) {
        if (finished)
            return;
        inside = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        finished = true;
    });
    while (!inside)
        std::this_thread::yield();
    service.Kill(id);
    EXPECT_TRUE(finished) << "Kill returned while the callback was still running";
}
