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

// The last stage of the column pass: the butterflies, the 45-degree rotation and the final
// shift into the eight outputs.
KW_AVX2_INLINE inline void FinishColumns(__m256i x0, __m256i x2, __m256i x3, __m256i x4, __m256i x5,
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

    out[0] = _mm256_srai_epi32(Add(x7, x1), 14);
    out[1] = _mm256_srai_epi32(Add(x3, x2), 14);
    out[2] = _mm256_srai_epi32(Add(x0, x4), 14);
    out[3] = _mm256_srai_epi32(Add(x8, x6), 14);
    out[4] = _mm256_srai_epi32(Sub(x8, x6), 14);
    out[5] = _mm256_srai_epi32(Sub(x0, x4), 14);
    out[6] = _mm256_srai_epi32(Sub(x3, x2), 14);
    out[7] = _mm256_srai_epi32(Sub(x7, x1), 14);
}

// Pairs of the 16-bit coefficients `a` and `b` of the row in each 128-bit half of `c`, four
// times in each half.
template <char A, char B> KW_AVX2_INLINE inline __m256i Pairs(__m256i c) {
    constexpr char a = 2 * A, b = 2 * B;
    return _mm256_shuffle_epi8(c, _mm256_setr_epi8(a, a + 1, b, b + 1, a, a + 1, b, b + 1, a, a + 1,
                                                   b, b + 1, a, a + 1, b, b + 1, a, a + 1, b, b + 1,
                                                   a, a + 1, b, b + 1, a, a + 1, b, b + 1, a, a + 1,
                                                   b, b + 1));
}

// Four pairs of 16-bit weights, (w[2i], w[2i + 1]) for lane i of each half.
struct PairWeights {
    std::int32_t w[8];
};

// The sums of products of Pairs with their weights, in 32 bits.
KW_AVX2_INLINE inline __m256i MultiplyPairs(__m256i pairs, PairWeights weights) {
    std::int32_t packed[4];
    for (int i = 0; i < 4; ++i)
        packed[i] = static_cast<std::int32_t>(
            static_cast<std::uint16_t>(weights.w[2 * i]) |
            static_cast<std::uint32_t>(static_cast<std::uint16_t>(weights.w[2 * i + 1])) << 16);
    return _mm256_madd_epi16(pairs, _mm256_setr_epi32(packed[0], packed[1], packed[2], packed[3],
                                                      packed[0], packed[1], packed[2], packed[3]));
}

// The row pass of two rows at once, computed in place on the rows as they lie (lanes are
// columns), without transposing the block. Every term before the butterflies that carry the
// rounded rotation is a sum of products of two coefficients with the transform's weights, so
// each is taken from the 16-bit coefficients by one multiply-add; with coefficients in
// -2048..2047 nothing overflows, so the results equal Row's exactly. Each 128-bit half holds one
// row and works out its even sums E = (x7, x3, x0, x8) and odd sums O = (x1, x2, x4, x6) as Row
// names them at the end: outputs 0..3 are E + O, outputs 7..4 are E - O.
KW_AVX2_INLINE inline void RowPair(__m256i& first, __m256i& second) {
    const __m256i c = _mm256_permute4x64_epi64(_mm256_packs_epi32(first, second), 0xD8);
    constexpr std::int32_t D = 2048;
    const __m256i even =
        Add(Add(MultiplyPairs(Pairs<0, 4>(c), {D, D, D, -D, D, -D, D, D}),
                MultiplyPairs(Pairs<2, 6>(c), {W2, W6, W6, -W2, -W6, W2, -W2, -W6})),
            _mm256_set1_epi32(128));
    const __m256i linear =
        Add(MultiplyPairs(Pairs<1, 7>(c), {W1, W7, W1 + W7, W7 - W1, W1 - W7, W1 + W7, W7, -W1}),
            MultiplyPairs(Pairs<3, 5>(c), {W3, W5, W5 - W3, -W3 - W5, -W3 - W5, W3 - W5, -W5, W3}));
    // Lanes 1 and 2 of each half take the rotation.
    const __m256i odd = _mm256_blend_epi32(linear, Rotate45(linear), 0x66);
    const __m256i low = _mm256_srai_epi32(Add(even, odd), 8);
    const __m256i high = _mm256_shuffle_epi32(_mm256_srai_epi32(Sub(even, odd), 8), 0x1B);
    first = _mm256_permute2x128_si256(low, high, 0x20);
    second = _mm256_permute2x128_si256(low, high, 0x31);
}

// Loads rows `p` and `p + 1` of the block into r[p] and r[p + 1], clears them in the block and
// takes their row pass.
KW_AVX2_INLINE inline void TransformPair(__m256i* block, __m256i r[8], int p) {
    r[p] = _mm256_loadu_si256(block + p);
    r[p + 1] = _mm256_loadu_si256(block + p + 1);
    _mm256_storeu_si256(block + p, _mm256_setzero_si256());
    _mm256_storeu_si256(block + p + 1, _mm256_setzero_si256());
    RowPair(r[p], r[p + 1]);
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
    FinishColumns(x0, x2, x3, x4, x5, x6, x7, x8, r);
}

// Stores the two 8-pixel lines of `two`, `pitch` bytes apart.
KW_AVX2_INLINE inline void StoreTwoLines(__m128i two, std::uint8_t* out, int pitch) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), two);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + pitch), _mm_unpackhi_epi64(two, two));
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
    const __m256i upper = _mm256_permutevar8x32_epi32(top, order);
    const __m256i lower = _mm256_permutevar8x32_epi32(bottom, order);
    if (lines == kLines) {
        StoreTwoLines(_mm256_castsi256_si128(upper), out, pitch);
        StoreTwoLines(_mm256_extracti128_si256(upper, 1), out + 2 * pitch, pitch);
        StoreTwoLines(_mm256_castsi256_si128(lower), out + 4 * pitch, pitch);
        StoreTwoLines(_mm256_extracti128_si256(lower, 1), out + 6 * pitch, pitch);
        return;
    }
    alignas(32) std::uint8_t pixels[64];
    _mm256_store_si256(reinterpret_cast<__m256i*>(pixels), upper);
    _mm256_store_si256(reinterpret_cast<__m256i*>(pixels + 32), lower);
    StoreLines(pixels, out, pitch, lines);
}

// Both passes for a block whose coefficients lie in its first `Pairs` pairs of rows. The others
// enter the column pass as known zeros, which the compiler folds away.
template <int Pairs>
KW_AVX2_INLINE inline void TransformRows(__m256i* block, std::uint8_t* out, int pitch, int lines) {
    static_assert(Pairs == 1 || Pairs == 2 || Pairs == 4);
    // Written out rather than looped so that the compiler keeps the rows in registers.
    const __m256i zero = _mm256_setzero_si256();
    __m256i r[kLines];
    TransformPair(block, r, 0);
    if constexpr (Pairs >= 2)
        TransformPair(block, r, 2);
    else
        r[2] = r[3] = zero;
    if constexpr (Pairs == 4) {
        TransformPair(block, r, 4);
        TransformPair(block, r, 6);
    } else {
        r[4] = r[5] = r[6] = r[7] = zero;
    }
    Columns(r);
    StorePixels(r, out, pitch, lines);
}

#endif

// A block with coefficients in its first row only gives eight equal lines: each column holds
// just that row's result, which the column shortcut turns into (result + 32) >> 6.
std::uint8_t FirstRowPixel(std::int32_t rowResult) {
    return static_cast<std::uint8_t>(std::clamp((rowResult + 32) >> 6, 0, 255));
}

// Writes the 8 pixels of `line` as each of `lines` lines.
void RepeatLine(const std::uint8_t line[kLines], std::uint8_t* out, int pitch, int lines) {
    for (int i = 0; i < lines; ++i, out += pitch)
        std::memcpy(out, line, kLines);
}

void ToPixelsPortable(std::int32_t block[64], unsigned rows, std::uint8_t* out, int pitch,
                      int lines) {
    if (rows == 1) {
        Row(block);
        std::uint8_t line[kLines];
        for (int i = 0; i < kLines; ++i) {
            line[i] = FirstRowPixel(block[i]);
            block[i] = 0;
        }
        RepeatLine(line, out, pitch, lines);
        return;
    }
    Transform(block);
    alignas(8) std::uint8_t pixels[64];
    for (int i = 0; i < 64; ++i)
        pixels[i] = static_cast<std::uint8_t>(std::clamp(block[i], 0, 255));
    std::fill(block, block + 64, 0);
    StoreLines(pixels, out, pitch, lines);
}

#ifdef KW_HAVE_X86

// The row pass runs on the pairs of rows that hold coefficients, the column pass on all
// columns at once. A block with coefficients in its first row only takes that row's pass alone,
// and one with nothing but its DC term not even that.
KW_AVX2 void ToPixelsAvx2(std::int32_t block[64], unsigned rows, std::uint8_t* out, int pitch,
                          int lines) {
    auto* rows256 = reinterpret_cast<__m256i*>(block);
    const __m256i zero = _mm256_setzero_si256();
    if (rows == 1) {
        __m256i first = _mm256_loadu_si256(rows256), second = zero;
        _mm256_storeu_si256(rows256, zero);
        alignas(8) std::uint8_t line[kLines];
        if (_mm256_testz_si256(first, _mm256_setr_epi32(0, -1, -1, -1, -1, -1, -1, -1))) {
            // Nothing but the DC term: the row shortcut makes every result DC x 8.
            std::memset(line, FirstRowPixel(_mm256_cvtsi256_si32(first) * 8), kLines);
        } else {
            RowPair(first, second);
            const __m256i limited = _mm256_srai_epi32(Add(first, _mm256_set1_epi32(32)), 6);
            const __m128i words = _mm_packs_epi32(_mm256_castsi256_si128(limited),
                                                  _mm256_extracti128_si256(limited, 1));
            _mm_storel_epi64(reinterpret_cast<__m128i*>(line), _mm_packus_epi16(words, words));
        }
        RepeatLine(line, out, pitch, lines);
        return;
    }
    if (rows & 0xF0)
        TransformRows<4>(rows256, out, pitch, lines);
    else if (rows & 0x0C)
        TransformRows<2>(rows256, out, pitch, lines);
    else
        TransformRows<1>(rows256, out, pitch, lines);
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
