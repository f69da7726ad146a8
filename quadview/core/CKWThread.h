#pragma once
#include "CKWObject.h"
#include "KWEvent.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

// One worker thread running a command loop: commands wake it, a wait time-out becomes a tick,
// virtual hooks do the work. Derived workers add their own command codes from 0x10001 up.
class CKWThread : public CKWObject {
public:
    struct Command {
        std::uint32_t code = 0;
        std::uint32_t parameter1 = 0;
        std::uint32_t parameter2 = 0;
        bool operator==(const Command&) const = default;
    };

    enum State : std::int32_t {
        kStateStarted = 0,
        kStateIdle = 1,
        kStateRunning = 3,
        kStatePaused = 4,
        kStateResuming = 5,
        kStateRestarting = 6,
    };

    enum CommandCode : std::uint32_t {
        kCommandNone = 0,
        kCommandStart = 1,
        kCommandTick = 2,
        kCommandRun = 3,
        kCommandPause = 4,
        kCommandResume = 5,
        kCommandRestart = 6,
        kCommandStop = 7,
        kFirstDerivedCommand = 0x10001,
    };

    static constexpr std::int32_t kStillActive = 259;
    static constexpr std::int32_t kWaitForever = -1;
    static constexpr std::int32_t kPollIntervalMs = 100;

    // Windows-style thread priorities; best effort on this platform.
    static constexpr int kPriorityNormal = 0;
    static constexpr int kPriorityAboveNormal = 1;
    static constexpr int kPriorityTimeCritical = 15;
    static constexpr int kNoThreadPriority = 0x7FFFFFFF;

    CKWThread();
    ~CKWThread() override;

    [[nodiscard]] int Start(std::uint32_t waitTimeoutMs);
    int PostCommand(std::uint32_t code, std::uint32_t parameter1 = 0, std::uint32_t parameter2 = 0);
    int PushFrontCommand(std::uint32_t code);
    bool IsRunning();
    int Stop(std::int32_t& exitCode, std::int32_t timeoutMs);
    void Terminate(std::int32_t exitCode, int force);
    int SetPriority(int priority);
    int GetPriority();
    std::int32_t GetState() const { return m_state.load(); }
    bool WaitForState(std::int32_t state, std::int32_t timeoutMs);
    [[nodiscard]] int CreateTimer(std::uint32_t& timerId, std::uint32_t periodMs,
                                  std::uint32_t kind);
    void KillTimer(std::uint32_t timerId);

    std::int32_t GetExitCode() const;
    std::size_t GetQueuedCommandCount() const;

protected:
    virtual std::uint32_t Run();
    virtual void OnThreadEnter() {}
    virtual void OnStart() {}
    virtual void OnProcess() {}
    virtual void OnRun() {}
    virtual void OnPause() {}
    virtual void OnResume() {}
    virtual void OnRestart() {}
    virtual void OnStop() {}
    virtual void OnCommand(const Command* command) { (void)command; }
    virtual void OnThreadExit() {}
    virtual void OnTerminate() {}
    virtual void OnTimer(std::uint32_t timerId) { (void)timerId; }

    // True once Terminate asked the worker to end; long hooks check it to keep their waits
    // bounded, since a thread is never killed from outside.
    bool IsTerminateRequested() const;

    // How long the worker waits for a command before its next tick; kWaitForCommand sleeps
    // until a command comes, so a worker with nothing to do costs nothing. Any thread may
    // change it; a worker already waiting keeps its wait until the next command.
    static constexpr std::uint32_t kWaitForCommand = KWEvent::kInfinite;
    void SetWaitTimeout(std::uint32_t timeoutMs) { m_waitTimeoutMs = timeoutMs; }

    // On the worker: sleeps up to `timeoutMs`, ending early when a command is queued or
    // Terminate is asked for, and leaves the command queued for the loop. True when it ended
    // early.
    bool WaitForCommandPosted(std::uint32_t timeoutMs);

private:
    struct Handle;

    static void ThreadProcedure(CKWThread* self, std::shared_ptr<Handle> handle);
    Command WaitForCommand(Handle& handle);
    void ResetLocked();
    bool IsRunningLocked();
    bool WaitForCondition(std::int32_t timeoutMs, const std::function<bool()>& done);

    mutable std::recursive_mutex m_lock;
    std::shared_ptr<Handle> m_handle;
    std::int32_t m_exitCode = -2;
    std::atomic<std::int32_t> m_state{kStateIdle};
    std::atomic<std::uint32_t> m_waitTimeoutMs{0};
    KWEvent m_commandEvent;
    std::deque<Command> m_queue;
    std::uint32_t m_timerResolutionMs;
};
