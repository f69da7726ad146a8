#pragma once
#include "KWDisplayWindow.h"

#include <cstdint>

// The 0x00RRGGBB colour a display window's frame buffer holds at (x, y).
inline std::uint32_t FramePixel(KWDisplayWindow& window, int x, int y) {
    auto lock = window.LockFrameBuffer();
    std::uint32_t rgb = 0;
    window.GetFrameBuffer().ReadRow(y, x, 1, &rgb);
    return rgb;
}
