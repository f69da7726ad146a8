#pragma once
#include <cstdint>

// Where each coefficient of a block lies and how coarsely it is quantised.
namespace QXVideoScan {

// Transmission order -> natural (row-major) position: the standard zig-zag scan.
constexpr std::uint8_t kZigZag[64] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// The default intra quantiser matrix (ISO/IEC 13818-2), in natural order.
constexpr std::uint8_t kIntraMatrix[64] = {
    8,  16, 19, 22, 26, 27, 29, 34, 16, 16, 22, 24, 27, 29, 34, 37, 19, 22, 26, 27, 29, 34,
    34, 38, 22, 22, 26, 27, 29, 34, 37, 40, 22, 26, 27, 29, 32, 35, 40, 48, 26, 27, 29, 32,
    35, 40, 48, 58, 26, 27, 29, 34, 38, 46, 56, 69, 27, 29, 35, 38, 46, 56, 69, 83};

// kIntraMatrix in transmission order.
struct ScanMatrix {
    std::uint8_t weights[64] = {};
    constexpr ScanMatrix() {
        for (int i = 0; i < 64; ++i)
            weights[i] = kIntraMatrix[kZigZag[i]];
    }
    constexpr std::uint8_t operator[](int i) const { return weights[i]; }
};
constexpr ScanMatrix kScanMatrix;

constexpr int kDcScale = 8;    // coefficient 0 = DC byte x 8
constexpr int kLevelShift = 2; // coefficient = (W x quantiser x level) >> 2
constexpr int kCoefficientMax = 2047;
constexpr int kCoefficientMin = -2048;
constexpr int kMaxQuantiser = 15;

} // namespace QXVideoScan
