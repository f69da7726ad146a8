#pragma once
#include <cstdint>

// Milliseconds since an arbitrary start on a steady clock, wrapping at 2^32 like a tick count.
std::uint32_t KWGetTickCount();

// Elapsed milliseconds between two tick counts, correct across one wrap.
inline std::uint32_t KWTicksSince(std::uint32_t earlier, std::uint32_t now) {
    return now - earlier;
}

// Sleeps the calling thread; 0 yields.
void KWSleep(std::uint32_t milliseconds);
