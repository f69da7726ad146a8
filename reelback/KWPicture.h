#pragma once
#include <cstdint>
#include <vector>

// One picture ready for display: 32-bit pixels in B, G, R, A byte order, rows without padding.
struct KWPicture {
    int width = 0;
    int height = 0;
    double displayAspect = 0; // width / height as shown, sample aspect ratio applied
    double seconds = 0;       // position in the recording
    std::vector<std::uint8_t> bgra;

    bool IsEmpty() const { return width <= 0 || height <= 0; }
    const std::uint8_t* Pixel(int x, int y) const {
        return bgra.data() + (static_cast<std::size_t>(y) * width + x) * 4;
    }
};
