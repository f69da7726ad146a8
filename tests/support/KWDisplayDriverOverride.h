#pragma once
#include "KWDisplayDriver.h"

// Replaces the display driver's settings for its lifetime: a display without a capability, one
// that refuses pixel layouts, or another display mode.
class KWDisplayDriverOverride {
public:
    explicit KWDisplayDriverOverride(const KWDisplayDriverSettings& settings)
        : m_previous(KWSetDisplayDriverSettings(settings)) {}
    ~KWDisplayDriverOverride() { KWSetDisplayDriverSettings(m_previous); }
    KWDisplayDriverOverride(const KWDisplayDriverOverride&) = delete;
    KWDisplayDriverOverride& operator=(const KWDisplayDriverOverride&) = delete;

private:
    KWDisplayDriverSettings m_previous;
};
