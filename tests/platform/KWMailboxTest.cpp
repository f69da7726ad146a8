#include "KWMailbox.h"
#include "KWEvent.h"
#include "KWRecordingTarget.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

TEST(KWEvent, ResetsItselfAfterOneWait) {
    KWEvent event;
    EXPECT_FALSE(event.Wait(0));
    event.Set();
    event.Set();
    EXPECT_TRUE(event.Wait(0));
    EXPECT_FALSE(event.Wait(0));
    std::thread setter([&] { event.Set(); });
    EXPECT_TRUE(event.Wait(KWEvent::kInfinite));
    setter.join();
}

TEST(KWMessageTarget, SendFromAnotherThreadRunsOnTheOwnerAndReturnsItsResult) {
    KWRecordingTarget window(KWMessageTarget::Delivery::OwnerThread, 42);
    const auto owner = std::this_thread::get_id();
    std::atomic<KWResult> result{0};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        EXPECT_NE(std::this_thread::get_id(), owner);
        result = window.Send(0x460, 1, 2);
        done = true;
    });
    // The owner thread delivers the send while it waits.
    EXPECT_TRUE(KWWaitDeliveringSends(10000, [&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(result, 42);
    EXPECT_EQ(window.Received(), (std::vector<KWRecordingTarget::Message>{{0x460, 1, 2}}));
}

TEST(KWMessageTarget, PostsWaitForTheOwnersLoopAndKeepTheirOrder) {
    KWRecordingTarget window(KWMessageTarget::Delivery::OwnerThread);
    std::thread worker([&] {
        EXPECT_TRUE(window.Post(1, 0, 0));
        EXPECT_TRUE(window.Post(2, 0, 0));
    });
    worker.join();
    EXPECT_EQ(window.Count(), 0u);
    // Waits deliver sends only; posts wait for the loop.
    KWSleepDeliveringSends(5);
    EXPECT_EQ(window.Count(), 0u);
    EXPECT_EQ(KWMailbox::ForCurrentThread()->DeliverAll(), 2u);
    EXPECT_EQ(window.Received(), (std::vector<KWRecordingTarget::Message>{{1, 0, 0}, {2, 0, 0}}));
    // On the owner thread a send runs at once.
    EXPECT_EQ(window.Send(3, 0, 0), 0);
    EXPECT_EQ(window.Count(), 3u);
}

TEST(KWMessageTarget, ADestroyedTargetReleasesItsWaitingSender) {
    auto window = std::make_unique<KWRecordingTarget>(KWMessageTarget::Delivery::OwnerThread, 5);
    window->Post(9, 0, 0);
    std::atomic<bool> sending{false};
    std::atomic<KWResult> result{-1};
    std::thread worker([&, target = window.get()] {
        sending = true;
        result = target->Send(1, 0, 0);
    });
    while (!sending)
        std::this_thread::yield();
    // Give the send time to be queued, then destroy the window without delivering it.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    window.reset();
    worker.join();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(KWMailbox::ForCurrentThread()->DeliverAll(), 0u) << "nothing left for a dead target";
}

TEST(KWMessageTarget, NullWindowsAreIgnored) {
    EXPECT_EQ(KWSendMessage(nullptr, 1, 0, 0), 0);
    EXPECT_FALSE(KWPostMessage(nullptr, 1, 0, 0));
}
