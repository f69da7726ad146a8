#pragma once
#include "KWCpuFeatures.h"

#include <cstdint>

// Converts a decoded YUV 4:2:0 picture into the pixel layout of a display surface.
namespace QXPixelConversion {

// The surface pixel formats, numbered as the surfaces number them.
enum Format { kYV12 = 0, kRGB565 = 1, kBGR565 = 2, kRGB24 = 3, kRGB32 = 4 };

int BytesPerPixel(Format format); // of the first plane: 1 for YV12

struct Picture {
    const std::uint8_t* y;
    const std::uint8_t* u;
    const std::uint8_t* v;
    int width; // even; chroma lines are width / 2 bytes
    int height;
};

// Writes the picture into `destination`, lines `pitch` bytes apart. YV12 writes the Y plane,
// then the V plane and then the U plane, each with half the pitch and right after the other.
void Convert(const Picture& picture, Format format, std::uint8_t* destination, int pitch);

// Selects the instruction-set level whose kernels Convert uses; the best available one is chosen
// at start, and every level gives the same pixels. False when this build or processor lacks the
// level.
bool SelectKernels(KWSimdLevel level);

// One pixel's colour: R, G and B of 256 or more become 255, negative ones become 1.
struct Rgb {
    int r, g, b;
};
Rgb ToRgb(int y, int u, int v);

} // namespace QXPixelConversion
