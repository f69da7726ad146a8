#pragma once
#include <chrono>
#include <functional>

// Delivers the calling thread's Qt events until the condition holds; false after the time-out.
bool KWProcessEventsUntil(const std::function<bool()>& done,
                          std::chrono::milliseconds timeout = std::chrono::seconds(20));
