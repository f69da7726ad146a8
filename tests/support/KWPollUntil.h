#pragma once
#include <chrono>
#include <functional>
#include <thread>

// Checks the condition every millisecond until it holds; false when it still does not after
// the time-out. For conditions other threads make true; a test that needs its own thread's
// messages or events delivered meanwhile waits with what delivers them.
inline bool KWPollUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
