#pragma once
#include "KWCpuFeatures.h"

#include <cstdint>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#ifdef KW_HAVE_X86
#include <immintrin.h>
#endif

// The colour conversion of full-range YUV in fixed point of 1024ths:
//   R = (1024 Y + 1436 (V - 128)) >> 10
//   G = (1024 Y - 352 (U - 128) - 731 (V - 128)) >> 10
//   B = (1024 Y + 1815 (U - 128)) >> 10
// As 1024 Y is a multiple of 1024, (1024 Y + t) >> 10 = Y + (t >> 10): each channel is the luma
// plus a chroma term that the two pixels of a chroma pair share. The terms are computed here,
// exactly, at every vector width; limiting Y + term to 0..255 is left to each user.
namespace KWYuvToRgb {

constexpr int kChromaBias = 128;
constexpr int kRedFromV = 1436;
constexpr int kGreenFromU = 352;
constexpr int kGreenFromV = 731;
constexpr int kBlueFromU = 1815;
constexpr int kShift = 10;

struct Terms {
    int r, g, b;
};

constexpr Terms TermsOf(int u, int v) {
    const int cu = u - kChromaBias;
    const int cv = v - kChromaBias;
    return {(kRedFromV * cv) >> kShift, (-kGreenFromU * cu - kGreenFromV * cv) >> kShift,
            (kBlueFromU * cu) >> kShift};
}

// In the vectors the red and blue terms are the high halves of (64 c) x factor, which fits 16
// bits; the green one, whose two products must be added before the shift, is summed in 32 bits
// by multiplying (u, v) pairs with this pair of 16-bit factors (-352, -731).
constexpr int kFactorShift = 16 - kShift;
constexpr int kGreenFactorPair = static_cast<int>((static_cast<unsigned>(-kGreenFromV) << 16) |
                                                  static_cast<std::uint16_t>(-kGreenFromU));

#ifdef __SSE2__

// The terms of eight chroma pairs in 16-bit lanes.
struct Terms8 {
    __m128i r, g, b;
};

// The low eight bytes of `samples` as 16-bit lanes less the bias.
inline __m128i Centred(__m128i samples) {
    return _mm_sub_epi16(_mm_unpacklo_epi8(samples, _mm_setzero_si128()),
                         _mm_set1_epi16(kChromaBias));
}

// The terms of the first `Pairs` (4 or 8) chroma pairs of `cu` and `cv`, centred chroma as
// Centred gives it; with four, the lanes after them hold no terms.
template <int Pairs = 8> inline Terms8 TermsOf(__m128i cu, __m128i cv) {
    static_assert(Pairs == 4 || Pairs == 8);
    const __m128i greenFactors = _mm_set1_epi32(kGreenFactorPair);
    const __m128i greenLow =
        _mm_srai_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(cu, cv), greenFactors), kShift);
    const __m128i greenHigh =
        Pairs == 4
            ? greenLow
            : _mm_srai_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(cu, cv), greenFactors), kShift);
    return {_mm_mulhi_epi16(_mm_slli_epi16(cv, kFactorShift), _mm_set1_epi16(kRedFromV)),
            _mm_packs_epi32(greenLow, greenHigh),
            _mm_mulhi_epi16(_mm_slli_epi16(cu, kFactorShift), _mm_set1_epi16(kBlueFromU))};
}

#endif

#ifdef KW_HAVE_X86

// The terms of sixteen chroma pairs in 16-bit lanes; the AVX2 forms of the above.
struct Terms16 {
    __m256i r, g, b;
};

KW_AVX2_INLINE inline __m256i WideCentred(__m128i samples) {
    return _mm256_sub_epi16(_mm256_cvtepu8_epi16(samples), _mm256_set1_epi16(kChromaBias));
}

// Unpacking works within 128-bit halves, so the lanes of `cu` and `cv` may be in any order as
// long as it is the same in both; the terms come out in that order.
KW_AVX2_INLINE inline Terms16 TermsOf(__m256i cu, __m256i cv) {
    const __m256i greenFactors = _mm256_set1_epi32(kGreenFactorPair);
    return {_mm256_mulhi_epi16(_mm256_slli_epi16(cv, kFactorShift), _mm256_set1_epi16(kRedFromV)),
            _mm256_packs_epi32(
                _mm256_srai_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi16(cu, cv), greenFactors),
                                  kShift),
                _mm256_srai_epi32(_mm256_madd_epi16(_mm256_unpackhi_epi16(cu, cv), greenFactors),
                                  kShift)),
            _mm256_mulhi_epi16(_mm256_slli_epi16(cu, kFactorShift), _mm256_set1_epi16(kBlueFromU))};
}

#endif

} // namespace KWYuvToRgb
