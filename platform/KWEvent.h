#pragma once
#include <condition_variable>
#include <cstdint>
#include <mutex>

// An auto-reset event: Set wakes one waiter (or the next one to wait) and clears itself.
class KWEvent {
public:
    static constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;

    void Set();
    void Reset();
    // True when signalled within the time-out, false on time-out.
    bool Wait(std::uint32_t timeoutMs);

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_signalled = false;
};
