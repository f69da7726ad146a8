#pragma once
// Colours and waits for the display surface and screen manager tests.
#include "KWFramePixel.h"
#include "KWPollUntil.h"
#include "QXPixelConversion.h"
#include "VideoTestPictures.h"

#include <cstdint>

inline bool WaitFor(const std::function<bool()>& done) {
    return KWPollUntil(done, std::chrono::seconds(10));
}

inline std::uint32_t RgbOf(std::uint8_t y, std::uint8_t u, std::uint8_t v) {
    const auto c = QXPixelConversion::ToRgb(y, u, v);
    return static_cast<std::uint32_t>(c.r << 16 | c.g << 8 | c.b);
}

// True when each channel of two 0x00RRGGBB colours differs by at most `tolerance`.
inline bool Near(std::uint32_t a, std::uint32_t b, int tolerance = 4) {
    for (int shift = 0; shift <= 16; shift += 8) {
        const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (d > tolerance || d < -tolerance)
            return false;
    }
    return true;
}
