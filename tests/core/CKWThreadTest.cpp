#include "CKWThread.h"
#include "KWMessageBoxRecorder.h"
#include "KWPollUntil.h"
#include "KWRecordingTarget.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace {
constexpr std::int32_t kLongWaitMs = 10000;

// A gate that hooks can be held at until the test opens it.
class Gate {
public:
    void Open() {
        {
            std::lock_guard lock(m_mutex);
            m_open = true;
        }
        m_cv.notify_all();
    }
    void Pass() {
        std::unique_lock lock(m_mutex);
        m_reached = true;
        m_cv.notify_all();
        m_cv.wait(lock, [this] { return m_open; });
    }
    bool WaitReached() {
        std::unique_lock lock(m_mutex);
        return m_cv.wait_for(lock, std::chrono::seconds(10), [this] { return m_reached; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_open = false;
    bool m_reached = false;
};

bool Eventually(const std::function<bool()>& predicate) {
    return KWPollUntil(predicate, std::chrono::seconds(10));
}

// Records the hooks it sees; optional gates hold OnStart or OnStop.
class ProbeThread : public CKWThread {
public:
    ~ProbeThread() override {
        std::int32_t code;
        if (!Stop(code, kLongWaitMs))
            Terminate(1, 0);
    }
    std::vector<std::string> Events() {
        std::lock_guard lock(m_mutex);
        return m_events;
    }
    std::vector<Command> Commands() {
        std::lock_guard lock(m_mutex);
        return m_commands;
    }
    std::atomic<int> processCount{0};
    std::atomic<int> timerCount{0};
    Gate* startGate = nullptr;
    Gate* stopGate = nullptr;
    KWWindowHandle sendOnStop = nullptr;
    bool endOnCommand = false;
    // After this many ticks the worker sleeps until a command, which wakes it to tick again.
    int sleepAfterTicks = 0;

protected:
    void Note(const char* event) {
        std::lock_guard lock(m_mutex);
        m_events.emplace_back(event);
    }
    void OnThreadEnter() override { Note("enter"); }
    void OnStart() override {
        Note("start");
        if (startGate)
            startGate->Pass();
    }
    void OnRun() override { Note("run"); }
    void OnProcess() override {
        if (++processCount == sleepAfterTicks)
            SetWaitTimeout(kWaitForCommand);
    }
    void OnPause() override { Note("pause"); }
    void OnResume() override { Note("resume"); }
    void OnRestart() override { Note("restart"); }
    void OnStop() override {
        Note("stop");
        if (sendOnStop)
            KWSendMessage(sendOnStop, 0x1234, 1, 2);
        if (stopGate)
            stopGate->Pass();
    }
    void OnCommand(const Command* command) override {
        {
            std::lock_guard lock(m_mutex);
            m_commands.push_back(*command);
        }
        if (endOnCommand)
            PushFrontCommand(kCommandStop);
        if (sleepAfterTicks != 0)
            SetWaitTimeout(1);
    }
    void OnThreadExit() override { Note("exit"); }
    void OnTerminate() override { Note("terminate"); }
    void OnTimer(std::uint32_t) override { ++timerCount; }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_events;
    std::vector<Command> m_commands;
};
} // namespace

TEST(CKWThread, RunsThroughItsLifeAndEndsIdle) {
    ProbeThread thread;
    EXPECT_EQ(thread.GetState(), CKWThread::kStateIdle);
    EXPECT_EQ(thread.GetExitCode(), -2);
    ASSERT_EQ(thread.Start(1), 1);
    ASSERT_TRUE(thread.WaitForState(CKWThread::kStateRunning, kLongWaitMs));
    EXPECT_TRUE(Eventually([&] { return thread.processCount > 3; })) << "ticks call OnProcess";
    EXPECT_EQ(thread.GetPriority(), CKWThread::kPriorityNormal);

    std::int32_t code = 99;
    EXPECT_EQ(thread.Stop(code, kLongWaitMs), 1);
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_EQ(thread.GetState(), CKWThread::kStateIdle);
    EXPECT_EQ(thread.GetPriority(), CKWThread::kNoThreadPriority);
    EXPECT_EQ(thread.Events(), (std::vector<std::string>{"enter", "start", "run", "stop", "exit"}));
    // Without a thread, posting succeeds without queuing anything.
    EXPECT_EQ(thread.PostCommand(0x10001), 1);
    EXPECT_EQ(thread.GetQueuedCommandCount(), 0u);
    EXPECT_EQ(thread.PushFrontCommand(0x10001), 0);
}

TEST(CKWThread, StartOnARunningThreadChangesNothing) {
    ProbeThread thread;
    ASSERT_EQ(thread.Start(5), 1);
    ASSERT_TRUE(thread.WaitForState(CKWThread::kStateRunning, kLongWaitMs));
    EXPECT_EQ(thread.Start(5), 0);
    EXPECT_EQ(thread.GetState(), CKWThread::kStateRunning);
    std::int32_t code;
    ASSERT_EQ(thread.Stop(code, kLongWaitMs), 1);
    EXPECT_EQ(thread.Events().size(), 5u) << "exactly one thread ran";
    // An ended thread can be started again.
    ASSERT_EQ(thread.Start(5), 1);
    EXPECT_TRUE(thread.WaitForState(CKWThread::kStateRunning, kLongWaitMs));
}

TEST(CKWThread, ConsecutiveDuplicateCommandsCollapse) {
    Gate gate;
    ProbeThread thread;
    thread.startGate = &gate;
    ASSERT_EQ(thread.Start(1000), 1);
    ASSERT_TRUE(gate.WaitReached());
    // The loop is held inside OnStart, so everything posted now stays queued.
    const std::size_t before = thread.GetQueuedCommandCount();
    EXPECT_EQ(thread.PostCommand(0x10001, 1, 2), 1);
    EXPECT_EQ(thread.PostCommand(0x10001, 1, 2), 1);
    EXPECT_EQ(thread.GetQueuedCommandCount(), before + 1);
    EXPECT_EQ(thread.PostCommand(0x10001, 1, 3), 1);
    EXPECT_EQ(thread.PostCommand(0x10002, 0, 0), 1);
    EXPECT_EQ(thread.PostCommand(0x10001, 1, 2), 1);
    EXPECT_EQ(thread.PostCommand(0, 0, 0), 1) << "code 0 reports success";
    EXPECT_EQ(thread.GetQueuedCommandCount(), before + 4);
    gate.Open();
    ASSERT_TRUE(Eventually([&] { return thread.Commands().size() == 4; }));
    const std::vector<CKWThread::Command> expected{
        {0x10001, 1, 2}, {0x10001, 1, 3}, {0x10002, 0, 0}, {0x10001, 1, 2}};
    EXPECT_EQ(thread.Commands(), expected);
}

TEST(CKWThread, PauseStopsTicksAndResumeRunsAgain) {
    ProbeThread thread;
    ASSERT_EQ(thread.Start(1), 1);
    ASSERT_TRUE(thread.WaitForState(CKWThread::kStateRunning, kLongWaitMs));
    thread.PostCommand(CKWThread::kCommandPause);
    ASSERT_TRUE(thread.WaitForState(CKWThread::kStatePaused, kLongWaitMs));
    // A run command while paused is ignored as well.
    thread.PostCommand(CKWThread::kCommandRun);
    const int processed = thread.processCount;
    // Let many 1 ms tick time-outs pass; none of them may call OnProcess.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(thread.processCount, processed);
    EXPECT_EQ(thread.GetState(), CKWThread::kStatePaused);

    thread.PostCommand(CKWThread::kCommandResume);
    ASSERT_TRUE(thread.WaitForState(CKWThread::kStateRunning, kLongWaitMs));
    EXPECT_TRUE(Eventually([&] { return thread.processCount > processed; }));
    const auto events = thread.Events();
    ASSERT_GE(events.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(events.begin() + 3, events.begin() + 6),
              (std::vector<std::string>{"pause", "resume", "run"}));
}

// A worker with nothing to do sleeps until a command instead of ticking every millisecond.
TEST(CKWThread, AWorkerWaitingForACommandTakesNoTicksUntilOneComes) {
    ProbeThread thread;
    thread.sleepAfterTicks = 5;
    ASSERT_EQ(thread.Start(1), 1);
    ASSERT_TRUE(Eventually([&] { return thread.processCount >= 5; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(thread.processCount, 5);

    thread.PostCommand(CKWThread::kFirstDerivedCommand);
    EXPECT_TRUE(Eventually([&] { return thread.processCount > 10; }));
}

TEST(CKWThread, RestartOnlyFromPauseAndStartsAgain) {
    ProbeThread thread;
    ASSERT_EQ(thread.Start(1), 1);
    ASSERT_TRUE(thread.WaitForState(CKWThread::kStateRunning, kLongWaitMs));
    thread.PostCommand(CKWThread::kCommandRestart); // ignored while running
    thread.PostCommand(CKWThread::kCommandResume);  // ignored while running
    thread.PostCommand(CKWThread::kCommandPause);
    thread.PostCommand(CKWThread::kCommandRestart);
    ASSERT_TRUE(Eventually([&] { return thread.Events().size() >= 7; }));
    EXPECT_TRUE(thread.WaitForState(CKWThread::kStateRunning, kLongWaitMs));
    EXPECT_EQ(thread.Events(), (std::vector<std::string>{"enter", "start", "run", "pause",
                                                         "restart", "start", "run"}));
}

TEST(CKWThread, StopPollsOncePerHundredMillisecondsAndReportsAStillRunningThread) {
    Gate gate;
    ProbeThread thread;
    thread.stopGate = &gate;
    ASSERT_EQ(thread.Start(1), 1);
    ASSERT_TRUE(thread.WaitForState(CKWThread::kStateRunning, kLongWaitMs));

    std::int32_t code = 0;
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(thread.Stop(code, 50), 0) << "50 / 100 + 1 = one poll";
    const auto elapsed = std::chrono::steady_clock::now() - begin;
    EXPECT_GE(elapsed, std::chrono::milliseconds(95));
    EXPECT_EQ(code, CKWThread::kStillActive);
    EXPECT_TRUE(thread.IsRunning());
    EXPECT_EQ(thread.GetPriority(), CKWThread::kPriorityAboveNormal);

    const auto begin3 = std::chrono::steady_clock::now();
    EXPECT_EQ(thread.Stop(code, 250), 0) << "three polls";
    EXPECT_GE(std::chrono::steady_clock::now() - begin3, std::chrono::milliseconds(295));

    gate.Open();
    EXPECT_EQ(thread.Stop(code, kLongWaitMs), 1);
    EXPECT_EQ(code, 0);
}

TEST(CKWThread, StopDeliversAWorkersSendToTheWaitingWindowThread) {
    // The window belongs to this thread; the worker sends to it while this thread waits in Stop.
    KWRecordingTarget window(KWMessageTarget::Delivery::OwnerThread, 7);
    ProbeThread thread;
    thread.sendOnStop = &window;
    ASSERT_EQ(thread.Start(1), 1);
    ASSERT_TRUE(thread.WaitForState(CKWThread::kStateRunning, kLongWaitMs));
    std::int32_t code;
    EXPECT_EQ(thread.Stop(code, CKWThread::kWaitForever), 1);
    EXPECT_EQ(window.Received(), (std::vector<KWRecordingTarget::Message>{{0x1234, 1, 2}}));
}

TEST(CKWThread, WorkerEndsItselfByPushingStop) {
    ProbeThread thread;
    thread.endOnCommand = true;
    ASSERT_EQ(thread.Start(1000), 1);
    thread.PostCommand(0x10005, 9, 9);
    ASSERT_TRUE(Eventually([&] { return !thread.IsRunning(); }));
    EXPECT_EQ(thread.GetState(), CKWThread::kStateIdle);
    EXPECT_EQ(thread.GetExitCode(), 0);
    const auto events = thread.Events();
    EXPECT_EQ(events.back(), "exit");
}

TEST(CKWThread, TerminateEndsTheWorkerWithoutItsStopHooks) {
    Gate gate;
    ProbeThread thread;
    thread.startGate = &gate;
    ASSERT_EQ(thread.Start(1), 1);
    ASSERT_TRUE(gate.WaitReached());
    std::thread opener([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        gate.Open();
    });
    thread.Terminate(5, 1);
    opener.join();
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_EQ(thread.GetExitCode(), 5);
    EXPECT_EQ(thread.GetState(), CKWThread::kStateIdle);
    EXPECT_EQ(thread.Events(), (std::vector<std::string>{"enter", "start", "terminate"}));

    thread.Terminate(8, 0); // no thread: just stores the code
    EXPECT_EQ(thread.GetExitCode(), 8);
}

TEST(CKWThread, WaitForStateGivesUpAfterItsPolls) {
    ProbeThread thread;
    ASSERT_EQ(thread.Start(1), 1);
    ASSERT_TRUE(thread.WaitForState(CKWThread::kStateRunning, kLongWaitMs));
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_FALSE(thread.WaitForState(CKWThread::kStatePaused, 150));
    EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(195));
}

TEST(CKWThread, TimersArriveAtTheirPeriodUntilKilled) {
    ProbeThread thread;
    std::uint32_t timerId = 0;
    const auto begin = std::chrono::steady_clock::now();
    ASSERT_EQ(thread.CreateTimer(timerId, 10, 1), 1);
    EXPECT_NE(timerId, 0u);
    ASSERT_TRUE(Eventually([&] { return thread.timerCount >= 10; }));
    EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(99));
    thread.KillTimer(timerId);
    const int after = thread.timerCount;
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(thread.timerCount, after) << "no callback after KillTimer returned";
}

TEST(CKWThread, ARefusedTimerSaysSo) {
    KWMessageBoxRecorder boxes;
    ProbeThread thread;
    std::uint32_t timerId = 123;
    EXPECT_EQ(thread.CreateTimer(timerId, 0, 1), 0);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].request.text, "Timer creation failed");
}

namespace {
// Waits for a posted command once, in its first tick, for `waitMs`.
class WaitingThread : public CKWThread {
public:
    explicit WaitingThread(std::uint32_t waitMs) : m_waitMs(waitMs) {}
    ~WaitingThread() override {
        std::int32_t code;
        if (!Stop(code, kLongWaitMs))
            Terminate(1, 0);
    }
    std::atomic<bool> waited{false};
    std::atomic<bool> endedEarly{false};
    std::atomic<std::int64_t> waitedMs{0};
    std::atomic<std::uint32_t> commandSeen{0};

protected:
    void OnProcess() override {
        SetWaitTimeout(kWaitForCommand);
        if (waited)
            return;
        const auto start = std::chrono::steady_clock::now();
        endedEarly = WaitForCommandPosted(m_waitMs);
        waitedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::steady_clock::now() - start)
                       .count();
        waited = true;
    }
    void OnCommand(const Command* command) override { commandSeen = command->code; }

private:
    std::uint32_t m_waitMs;
};
} // namespace

// A worker's timed wait (the reader's pacing) sleeps through its time unless a command comes,
// which ends it at once and is still taken by the loop.
TEST(CKWThread, ATimedWaitEndsForAPostedCommandAndLeavesItQueued) {
    WaitingThread quiet(40);
    ASSERT_EQ(quiet.Start(1), 1);
    ASSERT_TRUE(Eventually([&] { return quiet.waited.load(); }));
    EXPECT_FALSE(quiet.endedEarly);
    EXPECT_GE(quiet.waitedMs, 40);

    WaitingThread interrupted(kLongWaitMs);
    ASSERT_EQ(interrupted.Start(1), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    interrupted.PostCommand(CKWThread::kFirstDerivedCommand);
    ASSERT_TRUE(Eventually([&] { return interrupted.waited.load(); }));
    EXPECT_TRUE(interrupted.endedEarly);
    EXPECT_LT(interrupted.waitedMs, kLongWaitMs / 2);
    EXPECT_TRUE(
        Eventually([&] { return interrupted.commandSeen == CKWThread::kFirstDerivedCommand; }));
}
