#pragma once
#include "KWCpuFeatures.h"

#include <cstdint>

// The fast integer inverse DCT of the reference MPEG decoder (Chen-Wang): eight row passes, then
// eight column passes whose results go through the clip table. Rows and columns without AC terms
// take a shortcut. The 64 coefficients of `block` (each in -2048..2047) are replaced by the
// results, each in -256..255.
namespace QXInverseDct {

constexpr int kClipLow = -512; // first index of the clip table
constexpr int kClipSize = 1024;

// The clip table: index -512..511 (stored from 0), entry = the index clamped to -256..255.
struct ClipTable {
    std::int16_t entries[kClipSize] = {};
};
extern const ClipTable kClip;

void Transform(std::int32_t block[64]);

// Transforms `block` and writes its results, limited to 0..255, as the pixels of `lines` lines
// (0..8) of 8 bytes, `pitch` bytes apart. Bit r of `rows` is set for every row r that may hold a
// non-zero coefficient; the rows not marked must be all zero. Leaves the block all zero, ready for
// the next one. Every level's kernel gives exactly the results of Transform.
void TransformToPixels(std::int32_t block[64], unsigned rows, std::uint8_t* out, int pitch,
                       int lines);

// Selects the instruction-set level whose kernel TransformToPixels uses; the best available one
// is chosen at start. There is no SSE2 kernel: that level uses the portable one. False when this
// build or processor lacks the level.
bool SelectKernels(KWSimdLevel level);

} // namespace QXInverseDct
