#include "KWTextPainter.h"

#include <mutex>
#include <utility>

namespace {
std::mutex g_factoryMutex;
KWTextPainterFactory g_factory;
} // namespace

std::unique_ptr<KWTextPainter> KWCreateTextPainter(const KWLockedSurface& locked) {
    KWTextPainterFactory factory;
    {
        std::lock_guard lock(g_factoryMutex);
        factory = g_factory;
    }
    return factory ? factory(locked) : nullptr;
}

KWTextPainterFactory KWSetTextPainterFactory(KWTextPainterFactory factory) {
    std::lock_guard lock(g_factoryMutex);
    return std::exchange(g_factory, std::move(factory));
}
