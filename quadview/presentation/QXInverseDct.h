#pragma once
#include <cstdint>

// The fast integer inverse DCT of the reference MPEG decoder (Chen-Wang): eight row passes, then
// eight column passes whose results go through the clip table. Rows and columns without AC terms
// take a shortcut. The 64 values of `block` are replaced by the results, each in -256..255.
namespace QXInverseDct {

constexpr int kClipLow = -512; // first index of the clip table
constexpr int kClipSize = 1024;

// The clip table: index -512..511 (stored from 0), entry = the index clamped to -256..255.
struct ClipTable {
    std::int16_t entries[kClipSize] = {};
};
extern const ClipTable kClip;

void Transform(std::int32_t block[64]);

} // namespace QXInverseDct
