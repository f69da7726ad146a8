#include "KWEvent.h"

#include <chrono>

void KWEvent::Set() {
    {
        std::lock_guard lock(m_mutex);
        m_signalled = true;
    }
    m_cv.notify_one();
}

void KWEvent::Reset() {
    std::lock_guard lock(m_mutex);
    m_signalled = false;
}

bool KWEvent::Wait(std::uint32_t timeoutMs) {
    std::unique_lock lock(m_mutex);
    const auto signalled = [this] { return m_signalled; };
    if (timeoutMs == kInfinite)
        m_cv.wait(lock, signalled);
    else if (!m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), signalled))
        return false;
    m_signalled = false;
    return true;
}
