#include "KWExitHook.h"

#include <cstdlib>
#include <mutex>

namespace {
std::mutex g_mutex;
KWExitHandler g_handler;
} // namespace

void KWExitProcess(int exitCode) {
    KWExitHandler handler;
    {
        std::lock_guard lock(g_mutex);
        handler = g_handler;
    }
    if (handler)
        handler(exitCode);
    std::_Exit(exitCode);
}

KWExitHandler KWSetExitHandler(KWExitHandler handler) {
    std::lock_guard lock(g_mutex);
    auto previous = std::move(g_handler);
    g_handler = std::move(handler);
    return previous;
}
