#include "KWDisplayDriver.h"

#include <mutex>

namespace {
std::mutex g_mutex;
KWDisplayDriverSettings g_settings;
} // namespace

KWDisplayDriverSettings KWGetDisplayDriverSettings() {
    std::lock_guard lock(g_mutex);
    return g_settings;
}

KWDisplayDriverSettings KWSetDisplayDriverSettings(const KWDisplayDriverSettings& settings) {
    std::lock_guard lock(g_mutex);
    KWDisplayDriverSettings previous = g_settings;
    g_settings = settings;
    if (g_settings.displayLayout == KWPixelLayout::kYV12)
        g_settings.displayLayout = KWPixelLayout::kRGB32;
    return previous;
}
