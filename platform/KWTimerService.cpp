#include "KWTimerService.h"

#include <algorithm>

KWTimerService& KWTimerService::Instance() {
    static KWTimerService service;
    return service;
}

KWTimerService::~KWTimerService() {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

std::uint32_t KWTimerService::Create(std::uint32_t periodMs, bool periodic, Callback callback) {
    if (periodMs < kMinPeriodMs || periodMs > kMaxPeriodMs || !callback)
        return 0;
    std::uint32_t id;
    {
        std::lock_guard lock(m_mutex);
        if (!m_thread.joinable())
            m_thread = std::thread([this] { Loop(); });
        do
            id = m_nextId++;
        while (id == 0 || m_timers.count(id));
        const auto period = std::chrono::milliseconds(periodMs);
        m_timers.emplace(id, Timer{period, Clock::now() + period, periodic, std::move(callback)});
    }
    m_changed.notify_all();
    return id;
}

void KWTimerService::Kill(std::uint32_t timerId) {
    std::unique_lock lock(m_mutex);
    m_timers.erase(timerId);
    if (std::this_thread::get_id() != m_thread.get_id())
        m_changed.wait(lock, [&] { return m_running != timerId; });
    lock.unlock();
    m_changed.notify_all();
}

void KWTimerService::Loop() {
    std::unique_lock lock(m_mutex);
    while (!m_quit) {
        if (m_timers.empty()) {
            m_changed.wait(lock);
            continue;
        }
        auto next = std::min_element(m_timers.begin(), m_timers.end(),
                                     [](auto& a, auto& b) { return a.second.due < b.second.due; });
        const auto now = Clock::now();
        if (next->second.due > now) {
            // A copy: the timer may be killed, and its record freed, while this thread waits.
            const Clock::time_point due = next->second.due;
            m_changed.wait_until(lock, due);
            continue;
        }
        const std::uint32_t id = next->first;
        Timer& timer = next->second;
        Callback callback = timer.callback;
        if (timer.periodic) {
            timer.due += timer.period;
            // A service that fell behind by more than a period skips the missed ticks instead
            // of firing them in a burst.
            if (timer.due + timer.period < now)
                timer.due = now + timer.period;
        } else {
            m_timers.erase(next);
        }
        m_running = id;
        lock.unlock();
        callback(id);
        lock.lock();
        m_running = 0;
        m_changed.notify_all();
    }
}
