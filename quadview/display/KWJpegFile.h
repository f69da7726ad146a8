#pragma once
#include <cstddef>
#include <cstdint>

// Baseline JPEG files through libjpeg's compression interface, written into a file the caller
// has opened.
namespace KWJpegFile {
constexpr int kColourGrey = 0;
constexpr int kColourRgb = 1;
constexpr int kDefaultQuality = 75;
// The output is collected in a buffer of this size and written whenever it is full.
constexpr std::size_t kOutputBufferBytes = 4096;
} // namespace KWJpegFile

// Compresses `height` top-down rows of `width` pixels, each red, green, blue, into the open
// file (which stays open). Colour 1 writes the three components in RGB colour space; colour 0
// one grey component, 0.299 R + 0.587 G + 0.114 B truncated. Any error of the library - a
// failed or short write included - is shown as "JPEG Fatal Error" with the library's message;
// a grey buffer that cannot be allocated as "Memory error". Returns 1 when the whole file was
// written, else 0.
int RGBToJpegFile(int file, const std::uint8_t* pixels, int width, int height, int colour,
                  int quality);
