#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

// Periodic and one-shot timers of 1 ms resolution. Every callback runs on the service's own
// thread, one at a time, like the multimedia timers the classes were written for.
class KWTimerService {
public:
    using Callback = std::function<void(std::uint32_t timerId)>;
    static constexpr std::uint32_t kMinPeriodMs = 1;
    static constexpr std::uint32_t kMaxPeriodMs = 1000000;
    static constexpr std::uint32_t kResolutionMs = 1;

    static KWTimerService& Instance();
    ~KWTimerService();

    // Returns the new timer's identifier (never 0), or 0 when the period is out of range.
    std::uint32_t Create(std::uint32_t periodMs, bool periodic, Callback callback);
    // Stops the timer. When its callback is running on the service thread, waits for it to
    // return (unless called from that callback), so nothing runs after Kill returns.
    void Kill(std::uint32_t timerId);

private:
    using Clock = std::chrono::steady_clock;
    struct Timer {
        std::chrono::milliseconds period;
        Clock::time_point due;
        bool periodic;
        Callback callback;
    };

    KWTimerService() = default;
    void Loop();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<std::uint32_t, Timer> m_timers;
    std::uint32_t m_nextId = 1;
    std::uint32_t m_running = 0; // timer whose callback runs now
    bool m_quit = false;
    std::thread m_thread;
};
