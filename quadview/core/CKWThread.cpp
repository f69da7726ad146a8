#include "CKWThread.h"

#include "KWMailbox.h"
#include "KWMessageBox.h"
#include "KWTimerService.h"

#include <chrono>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

// The worker's handle. The thread itself is detached at creation: it owns a share of this
// record, so after it has cleared the object's state it touches nothing but the record, and the
// object may be destroyed as soon as the thread is seen to have ended.
struct CKWThread::Handle {
    std::mutex mutex;
    std::condition_variable ended;
    std::int32_t status = kStillActive;
    std::atomic<pid_t> tid{0};
    std::atomic<int> priority{kPriorityNormal};
    std::atomic<bool> terminate{false};
    std::atomic<std::int32_t> terminateCode{0};
    std::thread::id threadId;

    std::int32_t Status() {
        std::lock_guard lock(mutex);
        return status;
    }
    void Finish(std::int32_t result) {
        {
            std::lock_guard lock(mutex);
            status = result;
        }
        ended.notify_all();
    }
    // Maps the Windows priority scale onto nice values; a refusal is not an error.
    void ApplyPriority() {
        const pid_t id = tid.load();
        if (id == 0)
            return;
        const int p = priority.load();
        const int nice = p >= kPriorityTimeCritical ? -10
                         : p >= 2                   ? -5
                         : p == 1                   ? -2
                         : p == 0                   ? 0
                         : p == -1                  ? 2
                         : p == -2                  ? 5
                                                    : 19;
        setpriority(PRIO_PROCESS, static_cast<id_t>(id), nice);
    }
};

CKWThread::CKWThread() : m_timerResolutionMs(KWTimerService::kResolutionMs) {
    m_className = "CKWThread";
    ResetLocked();
}

CKWThread::~CKWThread() {
    Terminate(0, 1);
    std::lock_guard lock(m_lock);
    ResetLocked();
    RemoveAllListeners();
}

void CKWThread::ResetLocked() {
    m_handle.reset();
    m_state = kStateIdle;
    std::deque<Command>().swap(m_queue);
}

int CKWThread::Start(std::uint32_t waitTimeoutMs) {
    std::lock_guard lock(m_lock);
    if (IsRunningLocked())
        return 0;
    // Only while no worker runs: the worker reads it without the lock.
    m_waitTimeoutMs = waitTimeoutMs;
    ResetLocked();
    auto handle = std::make_shared<Handle>();
    try {
        std::thread worker(ThreadProcedure, this, handle);
        handle->threadId = worker.get_id();
        worker.detach();
    } catch (const std::system_error&) {
        return 0;
    }
    m_handle = handle;
    m_commandEvent.Reset();
    PostCommand(kCommandStart);
    m_state = kStateStarted;
    return 1;
}

void CKWThread::ThreadProcedure(CKWThread* self, std::shared_ptr<Handle> handle) {
    handle->tid = gettid();
    handle->ApplyPriority();
    {
        // Start holds the lock until the handle is published; wait for it.
        std::lock_guard lock(self->m_lock);
    }
    std::int32_t result = static_cast<std::int32_t>(self->Run());
    if (handle->terminate)
        result = handle->terminateCode;
    {
        std::lock_guard lock(self->m_lock);
        if (self->m_handle == handle) {
            self->ResetLocked();
            self->m_exitCode = result;
        }
    }
    handle->Finish(result);
}

int CKWThread::PostCommand(std::uint32_t code, std::uint32_t parameter1, std::uint32_t parameter2) {
    std::lock_guard lock(m_lock);
    if (!m_handle || code == kCommandNone)
        return 1;
    const Command command{code, parameter1, parameter2};
    if (!m_queue.empty() && m_queue.back() == command)
        return 1;
    m_queue.push_back(command);
    m_commandEvent.Set();
    return 1;
}

int CKWThread::PushFrontCommand(std::uint32_t code) {
    std::lock_guard lock(m_lock);
    if (!m_handle || code == kCommandNone)
        return 0;
    m_queue.push_front(Command{code, 0, 0});
    return 1;
}

bool CKWThread::IsRunningLocked() {
    if (!m_handle)
        return false;
    m_exitCode = m_handle->Status();
    return m_exitCode == kStillActive;
}

bool CKWThread::IsRunning() {
    std::lock_guard lock(m_lock);
    return IsRunningLocked();
}

bool CKWThread::WaitForCondition(std::int32_t timeoutMs, const std::function<bool()>& done) {
    // Each poll waits at most one interval and ends early once the condition holds.
    const std::int64_t polls = timeoutMs == kWaitForever ? -1 : timeoutMs / kPollIntervalMs + 1;
    for (std::int64_t i = 0; polls < 0 || i < polls; ++i) {
        if (done())
            return true;
        if (KWWaitDeliveringSends(kPollIntervalMs, done))
            return true;
    }
    return done();
}

int CKWThread::Stop(std::int32_t& exitCode, std::int32_t timeoutMs) {
    {
        std::lock_guard lock(m_lock);
        if (!IsRunningLocked()) {
            exitCode = m_exitCode;
            ResetLocked();
            return 1;
        }
        SetPriority(kPriorityAboveNormal);
        PostCommand(kCommandStop);
    }
    WaitForCondition(timeoutMs, [this] { return !IsRunning(); });
    std::lock_guard lock(m_lock);
    const bool running = IsRunningLocked();
    exitCode = m_exitCode;
    if (running)
        return 0;
    ResetLocked();
    return 1;
}

void CKWThread::Terminate(std::int32_t exitCode, int force) {
    std::shared_ptr<Handle> handle;
    {
        std::lock_guard lock(m_lock);
        if (!m_handle) {
            m_exitCode = exitCode;
            ResetLocked();
            return;
        }
        handle = m_handle;
        handle->terminateCode = exitCode;
        handle->terminate = true;
        m_commandEvent.Set();
    }
    // The worker's own thread cannot wait for itself: its loop ends at the next command.
    if (std::this_thread::get_id() == handle->threadId)
        return;
    KWWaitDeliveringSends(KWEvent::kInfinite,
                          [&handle] { return handle->Status() != kStillActive; });
    {
        std::lock_guard lock(m_lock);
        m_exitCode = force == 1 ? exitCode : handle->Status();
        if (m_handle == handle)
            ResetLocked();
    }
    OnTerminate();
}

bool CKWThread::IsTerminateRequested() const {
    std::lock_guard lock(m_lock);
    return m_handle && m_handle->terminate;
}

int CKWThread::SetPriority(int priority) {
    std::lock_guard lock(m_lock);
    if (!m_handle)
        return 0;
    m_handle->priority = priority;
    m_handle->ApplyPriority();
    return 1;
}

int CKWThread::GetPriority() {
    std::lock_guard lock(m_lock);
    return m_handle ? m_handle->priority.load() : kNoThreadPriority;
}

bool CKWThread::WaitForState(std::int32_t state, std::int32_t timeoutMs) {
    WaitForCondition(timeoutMs, [this, state] {
        std::lock_guard lock(m_lock);
        return m_state == state || !m_handle;
    });
    return m_state == state;
}

int CKWThread::CreateTimer(std::uint32_t& timerId, std::uint32_t periodMs, std::uint32_t kind) {
    timerId = KWTimerService::Instance().Create(periodMs, kind == 1,
                                                [this](std::uint32_t id) { OnTimer(id); });
    if (timerId == 0) {
        KWMessageBox("Timer creation failed", "", KWMessageBoxFlags::kOk);
        return 0;
    }
    return 1;
}

void CKWThread::KillTimer(std::uint32_t timerId) {
    KWTimerService::Instance().Kill(timerId);
}

std::int32_t CKWThread::GetExitCode() const {
    std::lock_guard lock(m_lock);
    return m_exitCode;
}

std::size_t CKWThread::GetQueuedCommandCount() const {
    std::lock_guard lock(m_lock);
    return m_queue.size();
}

// The event may be taken here: the loop looks at the queue and the terminate flag before it
// waits for the event.
bool CKWThread::WaitForCommandPosted(std::uint32_t timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        {
            std::lock_guard lock(m_lock);
            if (!m_queue.empty() || (m_handle && m_handle->terminate))
                return true;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !m_commandEvent.Wait(static_cast<std::uint32_t>(left.count())))
            return false;
    }
}

CKWThread::Command CKWThread::WaitForCommand(Handle& handle) {
    for (;;) {
        {
            std::lock_guard lock(m_lock);
            if (handle.terminate)
                return Command{kCommandStop, 0, 0};
            if (!m_queue.empty()) {
                Command command = m_queue.front();
                m_queue.pop_front();
                return command;
            }
        }
        if (!m_commandEvent.Wait(m_waitTimeoutMs))
            return Command{kCommandTick, 0, 0};
    }
}

std::uint32_t CKWThread::Run() {
    std::shared_ptr<Handle> handle;
    {
        std::lock_guard lock(m_lock);
        handle = m_handle;
    }
    if (!handle)
        return 0;
    OnThreadEnter();
    for (;;) {
        const Command command = WaitForCommand(*handle);
        // A terminated worker ends at once, running none of its remaining hooks.
        if (handle->terminate)
            return 0;
        switch (command.code) {
        case kCommandStart:
            OnStart();
            PushFrontCommand(kCommandRun);
            break;
        case kCommandTick:
            if (m_state != kStatePaused)
                OnProcess();
            break;
        case kCommandRun:
            if (m_state != kStatePaused) {
                m_state = kStateRunning;
                OnRun();
                OnProcess();
            }
            break;
        case kCommandPause:
            if (m_state != kStatePaused) {
                m_state = kStatePaused;
                OnPause();
            }
            break;
        case kCommandResume:
            if (m_state == kStatePaused) {
                m_state = kStateResuming;
                OnResume();
                PushFrontCommand(kCommandRun);
            }
            break;
        case kCommandRestart:
            if (m_state == kStatePaused) {
                m_state = kStateRestarting;
                OnRestart();
                PushFrontCommand(kCommandStart);
            }
            break;
        case kCommandStop:
            OnStop();
            OnThreadExit();
            return 0;
        default:
            OnCommand(&command);
            break;
        }
    }
}
