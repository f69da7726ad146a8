#pragma once
#include "DvrPicture.h"

#include <string>

// Draws the pictures of the synthetic cameras. Every channel has its own scene - a background
// colour, a large channel label, a running clock and a square that moves with time - so that a
// wrong channel, a frozen picture or a swapped order shows at a glance. A still scene (no
// motion) keeps everything but the clock unchanged between frames.
class DvrSceneRenderer {
public:
    struct Scene {
        int channelCode = 0;  // 0-3 cameras 1-4, 4 the composite picture
        long long timeMs = 0; // recording time since the start
        std::string clock;    // text printed under the label, e.g. "12:30:05"
        int frameNumber = 0;  // printed after the clock
        bool motion = true;
    };

    static void Render(const Scene& scene, DvrPicture& picture);

    // Draws text in the Y plane with the given scale and luma; used for labels.
    static void DrawText(DvrPicture& picture, int x, int y, int scale, const std::string& text,
                         std::uint8_t luma);
    static void FillRect(DvrPicture& picture, int x, int y, int w, int h, std::uint8_t luma,
                         std::uint8_t cb, std::uint8_t cr);
};
