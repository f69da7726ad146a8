#pragma once
#include "KWDisplayTypes.h"

#include <atomic>

class KWDisplayWindow;

// Keeps the primary surface's drawing inside one window's client area.
class KWDisplayClipper {
public:
    KWDisplayResult SetWindow(KWDisplayWindow* window) {
        if (!window)
            return KWDisplayResult::kInvalid;
        m_window = window;
        return KWDisplayResult::kOk;
    }
    KWDisplayWindow* GetWindow() const { return m_window; }

private:
    std::atomic<KWDisplayWindow*> m_window{nullptr};
};
