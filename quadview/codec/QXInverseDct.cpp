#include "QXInverseDct.h"

#include "KWSimdKernels.h"

#include <algorithm>
#include <cstring>

#ifdef KW_HAVE_X86
#include <immintrin.h>
#endif

namespace QXInverseDct {
namespace {

// 2048 x sqrt(2) x cos(k x pi / 16)
constexpr std::int32_t W1 = 2841;
constexpr std::int32_t W2 = 2676;
constexpr std::int32_t W3 = 2408;
constexpr std::int32_t W5 = 1609;
constexpr std::int32_t W6 = 1108;
constexpr std::int32_t W7 = 565;
constexpr std::int64_t kHalfSqrt2 = 181; // 256 / sqrt(2)

// With coefficients in -2048..2047 every intermediate value fits 32 bits except the products
// with 181, which reach about 2^35 in the column pass for coefficients from a damaged stream;
// those are taken in 64 bits. Valid pictures give the same results either way.
inline std::int32_t Rotate45(std::int32_t value) {
    return static_cast<std::int32_t>((kHalfSqrt2 * value + 128) >> 8);
}

constexpr ClipTable BuildClip() {
    ClipTable table;
    for (int i = 0; i < kClipSize; ++i)
        table.entries[i] = static_cast<std::int16_t>(std::clamp(i + kClipLow, -256, 255));
    return table;
}

// Damaged streams can carry coefficients whose transform leaves the table's index range; such
// results saturate instead of reading beyond it.
inline std::int32_t Clip(std::int32_t value) {
    const std::int32_t index = std::clamp(value, kClipLow, kClipLow + kClipSize - 1);
    return kClip.entries[index - kClipLow];
}

void Row(std::int32_t* b) {
    std::int32_t x1 = b[4] * 2048, x2 = b[6], x3 = b[2], x4 = b[1], x5 = b[7], x6 = b[5], x7 = b[3];
    if (!(x1 | x2 | x3 | x4 | x5 | x6 | x7)) {
        const std::int32_t dc = b[0] * 8;
        std::fill(b, b + 8, dc);
        return;
    }
    std::int32_t x0 = b[0] * 2048 + 128;

    std::int32_t x8 = W7 * (x4 + x5);
    x4 = x8 + (W1 - W7) * x4;
    x5 = x8 - (W1 + W7) * x5;
    x8 = W3 * (x6 + x7);
    x6 = x8 - (W3 - W5) * x6;
    x7 = x8 - (W3 + W5) * x7;

    x8 = x0 + x1;
    x0 -= x1;
    x1 = W6 * (x3 + x2);
    x2 = x1 - (W2 + W6) * x2;
    x3 = x1 + (W2 - W6) * x3;
    x1 = x4 + x6;
    x4 -= x6;
    x6 = x5 + x7;
    x5 -= x7;

    x7 = x8 + x3;
    x8 -= x3;
    x3 = x0 + x2;
    x0 -= x2;
    x2 = Rotate45(x4 + x5);
    x4 = Rotate45(x4 - x5);

    b[0] = (x7 + x1) >> 8;
    b[1] = (x3 + x2) >> 8;
    b[2] = (x0 + x4) >> 8;
    b[3] = (x8 + x6) >> 8;
    b[4] = (x8 - x6) >> 8;
    b[5] = (x0 - x4) >> 8;
    b[6] = (x3 - x2) >> 8;
    b[7] = (x7 - x1) >> 8;
}

void Column(std::int32_t* b) {
    std::int32_t x1 = b[8 * 4] * 256, x2 = b[8 * 6], x3 = b[8 * 2], x4 = b[8 * 1], x5 = b[8 * 7],
                 x6 = b[8 * 5], x7 = b[8 * 3];
    if (!(x1 | x2 | x3 | x4 | x5 | x6 | x7)) {
        const std::int32_t value = Clip((b[0] + 32) >> 6);
        for (int i = 0; i < 8; ++i)
            b[8 * i] = value;
        return;
    }
    std::int32_t x0 = b[0] * 256 + 8192;

    std::int32_t x8 = W7 * (x4 + x5) + 4;
    x4 = (x8 + (W1 - W7) * x4) >> 3;
    x5 = (x8 - (W1 + W7) * x5) >> 3;
    x8 = W3 * (x6 + x7) + 4;
    x6 = (x8 - (W3 - W5) * x6) >> 3;
    x7 = (x8 - (W3 + W5) * x7) >> 3;

    x8 = x0 + x1;
    x0 -= x1;
    x1 = W6 * (x3 + x2) + 4;
    x2 = (x1 - (W2 + W6) * x2) >> 3;
    x3 = (x1 + (W2 - W6) * x3) >> 3;
    x1 = x4 + x6;
    x4 -= x6;
    x6 = x5 + x7;
    x5 -= x7;

    x7 = x8 + x3;
    x8 -= x3;
    x3 = x0 + x2;
    x0 -= x2;
    x2 = Rotate45(x4 + x5);
    x4 = Rotate45(x4 - x5);

    b[8 * 0] = Clip((x7 + x1) >> 14);
    b[8 * 1] = Clip((x3 + x2) >> 14);
    b[8 * 2] = Clip((x0 + x4) >> 14);
    b[8 * 3] = Clip((x8 + x6) >> 14);
    b[8 * 4] = Clip((x8 - x6) >> 14);
    b[8 * 5] = Clip((x0 - x4) >> 14);
    b[8 * 6] = Clip((x3 - x2) >> 14);
    b[8 * 7] = Clip((x7 - x1) >> 14);
}

} // namespace

constexpr ClipTable kClip = BuildClip();

void Transform(std::int32_t block[64]) {
    for (int row = 0; row < 8; ++row)
        Row(block + 8 * row);
    for (int column = 0; column < 8; ++column)
        Column(block + column);
}

namespace {

constexpr int kLines = 8;

// Copies the first `lines` lines of an 8 x 8 block of pixels out, `pitch` bytes apart.
void StoreLines(const std::uint8_t pixels[64], std::uint8_t* out, int pitch, int lines) {
    for (int line = 0; line < lines; ++line, out += pitch)
        std::memcpy(out, pixels + kLines * line, kLines);
}

#ifdef KW_HAVE_X86

KW_AVX2_INLINE inline __m256i Add(__m256i a, __m256i b) {
    return _mm256_add_epi32(a, b);
}

KW_AVX2_INLINE inline __m256i Sub(__m256i a, __m256i b) {
    return _mm256_sub_epi32(a, b);
}

KW_AVX2_INLINE inline __m256i Multiply(__m256i v, std::int32_t factor) {
    return _mm256_mullo_epi32(v, _mm256_set1_epi32(factor));
}

// Rotate45 of eight lanes, each product taken in 64 bits as in the scalar code.
KW_AVX2_INLINE inline __m256i Rotate45(__m256i v) {
    const __m256i factor = _mm256_set1_epi64x(kHalfSqrt2);
    const __m256i round = _mm256_set1_epi64x(128);
    const __m256i even = _mm256_add_epi64(_mm256_mul_epi32(v, factor), round);
    const __m256i odd = _mm256_add_epi64(_mm256_mul_epi32(_mm256_srli_epi64(v, 32), factor), round);
    // Bits 8..39 of each 64-bit product are the lane's result: move those of the even lanes
    // down and those of the odd lanes up into place.
    return _mm256_blend_epi32(_mm256_srli_epi64(even, 8), _mm256_slli_epi64(odd, 24), 0xAA);
}

// Turns eight rows of eight lanes into eight columns: lane i of r[k] moves to lane k of r[i].
KW_AVX2_INLINE inline void Transpose(__m256i r[8]) {
    const __m256i t0 = _mm256_unpacklo_epi32(r[0], r[1]), t1 = _mm256_unpackhi_epi32(r[0], r[1]);
    const __m256i t2 = _mm256_unpacklo_epi32(r[2], r[3]), t3 = _mm256_unpackhi_epi32(r[2], r[3]);
    const __m256i t4 = _mm256_unpacklo_epi32(r[4], r[5]), t5 = _mm256_unpackhi_epi32(r[4], r[5]);
    const __m256i t6 = _mm256_unpacklo_epi32(r[6], r[7]), t7 = _mm256_unpackhi_epi32(r[6], r[7]);
    const __m256i u0 = _mm256_unpacklo_epi64(t0, t2), u1 = _mm256_unpackhi_epi64(t0, t2);
    const __m256i u2 = _mm256_unpacklo_epi64(t1, t3), u3 = _mm256_unpackhi_epi64(t1, t3);
    const __m256i u4 = _mm256_unpacklo_epi64(t4, t6), u5 = _mm256_unpackhi_epi64(t4, t6);
    const __m256i u6 = _mm256_unpacklo_epi64(t5, t7), u7 = _mm256_unpackhi_epi64(t5, t7);
    r[0] = _mm256_permute2x128_si256(u0, u4, 0x20);
    r[1] = _mm256_permute2x128_si256(u1, u5, 0x20);
    r[2] = _mm256_permute2x128_si256(u2, u6, 0x20);
    r[3] = _mm256_permute2x128_si256(u3, u7, 0x20);
    r[4] = _mm256_permute2x128_si256(u0, u4, 0x31);
    r[5] = _mm256_permute2x128_si256(u1, u5, 0x31);
    r[6] = _mm256_permute2x128_si256(u2, u6, 0x31);
    r[7] = _mm256_permute2x128_si256(u3, u7, 0x31);
}

// The last stage that both passes share: the butterflies, the 45-degree rotation and the final
// shift by `Shift` into the eight outputs.
template <int Shift>
KW_AVX2_INLINE inline void Finish(__m256i x0, __m256i x2, __m256i x3, __m256i x4, __m256i x5,
                                  __m256i x6, __m256i x7, __m256i x8, __m256i out[8]) {
    const __m256i x1 = Add(x4, x6);
    x4 = Sub(x4, x6);
    x6 = Add(x5, x7);
    x5 = Sub(x5, x7);

    x7 = Add(x8, x3);
    x8 = Sub(x8, x3);
    x3 = Add(x0, x2);
    x0 = Sub(x0, x2);
    x2 = Rotate45(Add(x4, x5));
    x4 = Rotate45(Sub(x4, x5));

    out[0] = _mm256_srai_epi32(Add(x7, x1), Shift);
    out[1] = _mm256_srai_epi32(Add(x3, x2), Shift);
    out[2] = _mm256_srai_epi32(Add(x0, x4), Shift);
    out[3] = _mm256_srai_epi32(Add(x8, x6), Shift);
    out[4] = _mm256_srai_epi32(Sub(x8, x6), Shift);
    out[5] = _mm256_srai_epi32(Sub(x0, x4), Shift);
    out[6] = _mm256_srai_epi32(Sub(x3, x2), Shift);
    out[7] = _mm256_srai_epi32(Sub(x7, x1), Shift);
}

// The row pass on all eight rows at once (lane k of c[i] is coefficient i of row k), the same
// operations as Row in the same order. Its shortcut gives the same results as the full pass.
KW_AVX2_INLINE inline void Rows(__m256i c[8]) {
    __m256i x1 = _mm256_slli_epi32(c[4], 11), x2 = c[6], x3 = c[2], x4 = c[1], x5 = c[7], x6 = c[5],
            x7 = c[3];
    __m256i x0 = Add(_mm256_slli_epi32(c[0], 11), _mm256_set1_epi32(128));

    __m256i x8 = Multiply(Add(x4, x5), W7);
    x4 = Add(x8, Multiply(x4, W1 - W7));
    x5 = Sub(x8, Multiply(x5, W1 + W7));
    x8 = Multiply(Add(x6, x7), W3);
    x6 = Sub(x8, Multiply(x6, W3 - W5));
    x7 = Sub(x8, Multiply(x7, W3 + W5));

    x8 = Add(x0, x1);
    x0 = Sub(x0, x1);
    x1 = Multiply(Add(x3, x2), W6);
    x2 = Sub(x1, Multiply(x2, W2 + W6));
    x3 = Add(x1, Multiply(x3, W2 - W6));
    Finish<8>(x0, x2, x3, x4, x5, x6, x7, x8, c);
}

// The column pass on all eight columns at once (lane c of r[k] is row k of column c), the same
// operations as Column in the same order. Its shortcut gives the same results as the full pass,
// so it is not needed here.
KW_AVX2_INLINE inline void Columns(__m256i r[8]) {
    const auto four = _mm256_set1_epi32(4);
    __m256i x1 = _mm256_slli_epi32(r[4], 8), x2 = r[6], x3 = r[2], x4 = r[1], x5 = r[7], x6 = r[5],
            x7 = r[3];
    __m256i x0 = Add(_mm256_slli_epi32(r[0], 8), _mm256_set1_epi32(8192));

    __m256i x8 = Add(Multiply(Add(x4, x5), W7), four);
    x4 = _mm256_srai_epi32(Add(x8, Multiply(x4, W1 - W7)), 3);
    x5 = _mm256_srai_epi32(Sub(x8, Multiply(x5, W1 + W7)), 3);
    x8 = Add(Multiply(Add(x6, x7), W3), four);
    x6 = _mm256_srai_epi32(Sub(x8, Multiply(x6, W3 - W5)), 3);
    x7 = _mm256_srai_epi32(Sub(x8, Multiply(x7, W3 + W5)), 3);

    x8 = Add(x0, x1);
    x0 = Sub(x0, x1);
    x1 = Add(Multiply(Add(x3, x2), W6), four);
    x2 = _mm256_srai_epi32(Sub(x1, Multiply(x2, W2 + W6)), 3);
    x3 = _mm256_srai_epi32(Add(x1, Multiply(x3, W2 - W6)), 3);
    Finish<14>(x0, x2, x3, x4, x5, x6, x7, x8, r);
}

// Limits eight lines of results to 0..255 (the clip table's range and then the pixels' range)
// by saturating packs and stores them as pixels.
KW_AVX2_INLINE inline void StorePixels(const __m256i r[8], std::uint8_t* out, int pitch,
                                       int lines) {
    // The packs work within 128-bit halves: the 4-byte groups come out as line 0 left, line 1
    // left, line 2 left, line 3 left, line 0 right, ... and the permutation puts them in order.
    const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
    const __m256i top =
        _mm256_packus_epi16(_mm256_packs_epi32(r[0], r[1]), _mm256_packs_epi32(r[2], r[3]));
    const __m256i bottom =
        _mm256_packus_epi16(_mm256_packs_epi32(r[4], r[5]), _mm256_packs_epi32(r[6], r[7]));
    alignas(32) std::uint8_t pixels[64];
    _mm256_store_si256(reinterpret_cast<__m256i*>(pixels), _mm256_permutevar8x32_epi32(top, order));
    _mm256_store_si256(reinterpret_cast<__m256i*>(pixels + 32),
                       _mm256_permutevar8x32_epi32(bottom, order));
    StoreLines(pixels, out, pitch, lines);
}

#endif

void ToPixelsPortable(std::int32_t block[64], unsigned /*rows*/, std::uint8_t* out, int pitch,
                      int lines) {
    Transform(block);
    alignas(8) std::uint8_t pixels[64];
    for (int i = 0; i < 64; ++i)
        pixels[i] = static_cast<std::uint8_t>(std::clamp(block[i], 0, 255));
    std::fill(block, block + 64, 0);
    StoreLines(pixels, out, pitch, lines);
}

#ifdef KW_HAVE_X86

// Both passes work on all rows or columns at once, with a transposition before each. A block
// with nothing but its DC term gives the same value everywhere: the row shortcut makes the
// first row DC x 8 and the column shortcut limits (DC x 8 + 32) >> 6 for every line.
KW_AVX2 void ToPixelsAvx2(std::int32_t block[64], unsigned rows, std::uint8_t* out, int pitch,
                          int lines) {
    if (rows == 1 &&
        !(block[1] | block[2] | block[3] | block[4] | block[5] | block[6] | block[7])) {
        const auto value = static_cast<std::uint8_t>(std::clamp((block[0] * 8 + 32) >> 6, 0, 255));
        for (int line = 0; line < lines; ++line, out += pitch)
            std::memset(out, value, kLines);
        block[0] = 0;
        return;
    }
    // Written out rather than looped so that the compiler keeps the rows in registers (and does
    // not turn the clearing into a string instruction that is slow to start).
    auto* rows256 = reinterpret_cast<__m256i*>(block);
    __m256i r[kLines] = {_mm256_loadu_si256(rows256),     _mm256_loadu_si256(rows256 + 1),
                         _mm256_loadu_si256(rows256 + 2), _mm256_loadu_si256(rows256 + 3),
                         _mm256_loadu_si256(rows256 + 4), _mm256_loadu_si256(rows256 + 5),
                         _mm256_loadu_si256(rows256 + 6), _mm256_loadu_si256(rows256 + 7)};
    const __m256i zero = _mm256_setzero_si256();
    _mm256_storeu_si256(rows256, zero);
    _mm256_storeu_si256(rows256 + 1, zero);
    _mm256_storeu_si256(rows256 + 2, zero);
    _mm256_storeu_si256(rows256 + 3, zero);
    _mm256_storeu_si256(rows256 + 4, zero);
    _mm256_storeu_si256(rows256 + 5, zero);
    _mm256_storeu_si256(rows256 + 6, zero);
    _mm256_storeu_si256(rows256 + 7, zero);
    Transpose(r);
    Rows(r);
    Transpose(r);
    Columns(r);
    StorePixels(r, out, pitch, lines);
}

#endif

struct Kernels {
    void (*toPixels)(std::int32_t block[64], unsigned rows, std::uint8_t* out, int pitch,
                     int lines);
};

constexpr Kernels kPortableKernels{ToPixelsPortable};
#ifdef KW_HAVE_X86
constexpr Kernels kAvx2Kernels{ToPixelsAvx2};
#endif

KWSimdKernels<Kernels> g_kernels({&kPortableKernels, nullptr, KW_AVX2_KERNELS(&kAvx2Kernels)});

} // namespace

void TransformToPixels(std::int32_t block[64], unsigned rows, std::uint8_t* out, int pitch,
                       int lines) {
    g_kernels.Current().toPixels(block, rows, out, pitch, lines);
}

bool SelectKernels(KWSimdLevel level) {
    return g_kernels.Select(level);
}

} // namespace QXInverseDct
