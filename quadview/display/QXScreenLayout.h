#pragma once
#include "KWDisplayTypes.h"

#include <array>

// Where the screen manager draws in a video window of W x H client pixels: caption bars of 20
// lines at the top and the bottom, the video between them. Indices 0-3 are the quadrants of
// channels 1-4, 4 the whole area for one channel or the composite picture, 5 and 6 the left and
// right halves for two channels.
struct QXScreenLayout {
    static constexpr int kRectangles = 7;
    static constexpr std::int32_t kBarHeight = 20;
    enum Index { kQuad1, kQuad2, kQuad3, kQuad4, kSingle, kLeft, kRight };

    std::array<KWRect, kRectangles> video{};
    std::array<KWRect, kRectangles> bar{};
    KWRect bottomBar; // below the video of the one-channel, two-channel and composite layouts

    static QXScreenLayout Compute(std::int32_t width, std::int32_t height);
};
