#include "QXPixelConversion.h"

#include "KWCpuFeatures.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#ifdef KW_HAVE_X86
#include <immintrin.h>
#endif

namespace QXPixelConversion {
namespace {

// Fixed-point factors of the colour conversion, scaled by 1024.
constexpr int kLumaFactor = 1024;
constexpr int kRedFromV = 1436;
constexpr int kGreenFromU = 352;
constexpr int kGreenFromV = 731;
constexpr int kBlueFromU = 1815;
constexpr int kShift = 10;
// The green factors as the 16-bit pair (-352, -731) of a 32-bit lane, to multiply (u, v) pairs.
constexpr int kGreenFactorPair = static_cast<int>((static_cast<unsigned>(-kGreenFromV) << 16) |
                                                  static_cast<std::uint16_t>(-kGreenFromU));

inline int Limit(int value) {
    if (value >= 256)
        return 255;
    return value < 0 ? 1 : value;
}

inline void Store(Format format, const Rgb& c, std::uint8_t* p) {
    switch (format) {
    case kRGB565: {
        const auto value =
            static_cast<std::uint16_t>(((c.r >> 3) << 11) | ((c.g >> 2) << 5) | (c.b >> 3));
        std::memcpy(p, &value, 2);
        break;
    }
    case kBGR565: {
        const auto value =
            static_cast<std::uint16_t>(((c.b >> 3) << 11) | ((c.g >> 2) << 5) | (c.r >> 3));
        std::memcpy(p, &value, 2);
        break;
    }
    case kRGB24:
        p[0] = static_cast<std::uint8_t>(c.b);
        p[1] = static_cast<std::uint8_t>(c.g);
        p[2] = static_cast<std::uint8_t>(c.r);
        break;
    default: {
        const auto value = static_cast<std::uint32_t>((c.r << 16) | (c.g << 8) | c.b);
        std::memcpy(p, &value, 4);
        break;
    }
    }
}

constexpr int BytesOf(Format format) {
    return format == kRGB32 ? 4 : format == kRGB24 ? 3 : 2;
}

#ifdef __SSE2__

// Sixteen pixels at once, in two halves of eight. (1024 Y + t) >> 10 = Y + (t >> 10) because
// 1024 Y is a multiple of 1024, so each colour is the luma plus a chroma term that two pixels
// share; the terms are taken exactly: (1436 v) >> 10 as the high half of (64 v) x 1436, and the
// green term, whose two products must be added before the shift, in 32 bits.
constexpr int kGroup = 16;
constexpr int kHalf = kGroup / 2;

// The chroma terms of eight pixels (16-bit lanes), each once for each pixel of its pair.
struct Terms {
    __m128i r, g, b;
};

// Colours of eight pixels in 16-bit lanes, each in 0..255.
struct Colours {
    __m128i r, g, b;
};

// The terms of sixteen pixels: pixels 0-7 in `low`, 8-15 in `high`. Two lines share them.
inline void ComputeTerms(const std::uint8_t* u, const std::uint8_t* v, Terms& low, Terms& high) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i bias = _mm_set1_epi16(128);
    const __m128i cu = _mm_sub_epi16(
        _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(u)), zero), bias);
    const __m128i cv = _mm_sub_epi16(
        _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(v)), zero), bias);
    const __m128i red = _mm_mulhi_epi16(_mm_slli_epi16(cv, 6), _mm_set1_epi16(kRedFromV));
    const __m128i blue = _mm_mulhi_epi16(_mm_slli_epi16(cu, 6), _mm_set1_epi16(kBlueFromU));
    // Pairs (u, v) times (-352, -731), summed in 32 bits.
    const __m128i greenFactors = _mm_set1_epi32(kGreenFactorPair);
    const __m128i green = _mm_packs_epi32(
        _mm_srai_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(cu, cv), greenFactors), kShift),
        _mm_srai_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(cu, cv), greenFactors), kShift));
    low = {_mm_unpacklo_epi16(red, red), _mm_unpacklo_epi16(green, green),
           _mm_unpacklo_epi16(blue, blue)};
    high = {_mm_unpackhi_epi16(red, red), _mm_unpackhi_epi16(green, green),
            _mm_unpackhi_epi16(blue, blue)};
}

// Limits 16-bit values as Limit does: negative ones become 1, those above 255 become 255.
inline __m128i Limit16(__m128i value) {
    const __m128i negativeToOne = _mm_and_si128(_mm_srai_epi16(value, 15), _mm_set1_epi16(1));
    return _mm_min_epi16(_mm_max_epi16(value, negativeToOne), _mm_set1_epi16(255));
}

// `luma`: eight luma samples in 16-bit lanes.
inline Colours ComputeColours(const Terms& terms, __m128i luma) {
    return {Limit16(_mm_add_epi16(luma, terms.r)), Limit16(_mm_add_epi16(luma, terms.g)),
            Limit16(_mm_add_epi16(luma, terms.b))};
}

// (high >> 3) << 11 | (G >> 2) << 5 | low >> 3 of 16-bit lanes.
inline __m128i Pack565(__m128i high, __m128i green, __m128i low) {
    return _mm_or_si128(_mm_or_si128(_mm_slli_epi16(_mm_srli_epi16(high, 3), 11),
                                     _mm_slli_epi16(_mm_srli_epi16(green, 2), 5)),
                        _mm_srli_epi16(low, 3));
}

// Stores eight pixels.
template <Format F> void StoreHalf(const Colours& c, std::uint8_t* out) {
    auto* out128 = reinterpret_cast<__m128i*>(out);
    if constexpr (F == kRGB565) {
        _mm_storeu_si128(out128, Pack565(c.r, c.g, c.b));
    } else if constexpr (F == kBGR565) {
        _mm_storeu_si128(out128, Pack565(c.b, c.g, c.r));
    } else {
        // Bytes B, G, R, 0 of each pixel (the little-endian R << 16 | G << 8 | B): the 16-bit
        // B | G << 8 interleaved with the 16-bit R.
        const __m128i bg = _mm_or_si128(c.b, _mm_slli_epi16(c.g, 8));
        const __m128i low = _mm_unpacklo_epi16(bg, c.r);
        const __m128i high = _mm_unpackhi_epi16(bg, c.r);
        if constexpr (F == kRGB32) {
            _mm_storeu_si128(out128, low);
            _mm_storeu_si128(out128 + 1, high);
        } else {
            // Four bytes per pixel, three apart: each store's fourth byte is overwritten by the
            // next pixel (the caller leaves room after the last one).
            alignas(16) std::uint32_t pixels[kHalf];
            _mm_store_si128(reinterpret_cast<__m128i*>(pixels), low);
            _mm_store_si128(reinterpret_cast<__m128i*>(pixels) + 1, high);
            for (int i = 0; i < kHalf; ++i)
                std::memcpy(out + 3 * i, &pixels[i], 4);
        }
    }
}

// Converts sixteen pixels of a line.
template <Format F>
void ConvertGroup(const Terms& low, const Terms& high, const std::uint8_t* luma,
                  std::uint8_t* out) {
    constexpr int bytes = BytesOf(F);
    const __m128i zero = _mm_setzero_si128();
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(luma));
    StoreHalf<F>(ComputeColours(low, _mm_unpacklo_epi8(y, zero)), out);
    StoreHalf<F>(ComputeColours(high, _mm_unpackhi_epi8(y, zero)), out + kHalf * bytes);
}

#endif

#ifdef KW_HAVE_X86

// Thirty-two pixels at once, as the sixteen above but in 256-bit vectors. Unpacking works within
// each 128-bit half, so the runs of four pixels (four luma bytes, two chroma pairs) are first put
// in the order 0, 2, 4, 6 | 1, 3, 5, 7: unpacking then gives pixels 0-3 and 8-11 in the low half
// and 4-7 and 12-15 in the high half, and the last unpacking to 32-bit pixels puts them in order.
constexpr int kWideGroup = 32;
constexpr int kWideHalf = kWideGroup / 2;

struct WideTerms {
    __m256i r, g, b;
};

struct WideColours {
    __m256i r, g, b;
};

KW_AVX2_INLINE inline __m256i SpreadRuns(__m256i value) {
    return _mm256_permutevar8x32_epi32(value, _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7));
}

// The terms of thirty-two pixels: pixels 0-15 in `low`, 16-31 in `high`, in the spread order.
KW_AVX2_INLINE inline void ComputeWideTerms(const std::uint8_t* u, const std::uint8_t* v,
                                            WideTerms& low, WideTerms& high) {
    const __m256i bias = _mm256_set1_epi16(128);
    const __m256i cu = SpreadRuns(_mm256_sub_epi16(
        _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(u))), bias));
    const __m256i cv = SpreadRuns(_mm256_sub_epi16(
        _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(v))), bias));
    const __m256i red = _mm256_mulhi_epi16(_mm256_slli_epi16(cv, 6), _mm256_set1_epi16(kRedFromV));
    const __m256i blue =
        _mm256_mulhi_epi16(_mm256_slli_epi16(cu, 6), _mm256_set1_epi16(kBlueFromU));
    const __m256i greenFactors = _mm256_set1_epi32(kGreenFactorPair);
    const __m256i green = _mm256_packs_epi32(
        _mm256_srai_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi16(cu, cv), greenFactors), kShift),
        _mm256_srai_epi32(_mm256_madd_epi16(_mm256_unpackhi_epi16(cu, cv), greenFactors), kShift));
    low = {_mm256_unpacklo_epi16(red, red), _mm256_unpacklo_epi16(green, green),
           _mm256_unpacklo_epi16(blue, blue)};
    high = {_mm256_unpackhi_epi16(red, red), _mm256_unpackhi_epi16(green, green),
            _mm256_unpackhi_epi16(blue, blue)};
}

KW_AVX2_INLINE inline __m256i WideLimit16(__m256i value) {
    const __m256i negativeToOne =
        _mm256_and_si256(_mm256_srai_epi16(value, 15), _mm256_set1_epi16(1));
    return _mm256_min_epi16(_mm256_max_epi16(value, negativeToOne), _mm256_set1_epi16(255));
}

KW_AVX2_INLINE inline WideColours ComputeWideColours(const WideTerms& terms, __m256i luma) {
    return {WideLimit16(_mm256_add_epi16(luma, terms.r)),
            WideLimit16(_mm256_add_epi16(luma, terms.g)),
            WideLimit16(_mm256_add_epi16(luma, terms.b))};
}

KW_AVX2_INLINE inline __m256i WidePack565(__m256i high, __m256i green, __m256i low) {
    return _mm256_or_si256(_mm256_or_si256(_mm256_slli_epi16(_mm256_srli_epi16(high, 3), 11),
                                           _mm256_slli_epi16(_mm256_srli_epi16(green, 2), 5)),
                           _mm256_srli_epi16(low, 3));
}

// Stores sixteen pixels whose colours are in the spread order.
template <Format F>
KW_AVX2_INLINE inline void StoreWideHalf(const WideColours& c, std::uint8_t* out) {
    auto* out256 = reinterpret_cast<__m256i*>(out);
    if constexpr (F == kRGB565 || F == kBGR565) {
        const __m256i packed =
            F == kRGB565 ? WidePack565(c.r, c.g, c.b) : WidePack565(c.b, c.g, c.r);
        // Quarters 0-3, 8-11, 4-7, 12-15 back in order.
        _mm256_storeu_si256(out256, _mm256_permute4x64_epi64(packed, 0xD8));
    } else {
        const __m256i bg = _mm256_or_si256(c.b, _mm256_slli_epi16(c.g, 8));
        const __m256i low = _mm256_unpacklo_epi16(bg, c.r);
        const __m256i high = _mm256_unpackhi_epi16(bg, c.r);
        if constexpr (F == kRGB32) {
            _mm256_storeu_si256(out256, low);
            _mm256_storeu_si256(out256 + 1, high);
        } else {
            // As StoreHalf: each pixel's fourth byte is overwritten by the next one.
            alignas(32) std::uint32_t pixels[kWideHalf];
            _mm256_store_si256(reinterpret_cast<__m256i*>(pixels), low);
            _mm256_store_si256(reinterpret_cast<__m256i*>(pixels) + 1, high);
            for (int i = 0; i < kWideHalf; ++i)
                std::memcpy(out + 3 * i, &pixels[i], 4);
        }
    }
}

template <Format F>
KW_AVX2_INLINE inline void ConvertWideGroup(const WideTerms& low, const WideTerms& high,
                                            const std::uint8_t* luma, std::uint8_t* out) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i y = SpreadRuns(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(luma)));
    StoreWideHalf<F>(ComputeWideColours(low, _mm256_unpacklo_epi8(y, zero)), out);
    StoreWideHalf<F>(ComputeWideColours(high, _mm256_unpackhi_epi8(y, zero)),
                     out + kWideHalf * BytesOf(F));
}

// Converts the leading groups of thirty-two pixels of a line pair (`lines` 1 or 2) and returns
// how many pixels of each line it converted; `room` pixels after them stay to the caller.
template <Format F>
KW_AVX2 int ConvertWideGroups(const std::uint8_t* luma, const std::uint8_t* u,
                              const std::uint8_t* v, int width, int lines, int room,
                              std::uint8_t* out, int pitch) {
    constexpr int bytes = BytesOf(F);
    int pixel = 0;
    for (; pixel + kWideGroup + room <= width; pixel += kWideGroup) {
        WideTerms low, high;
        ComputeWideTerms(u + pixel / 2, v + pixel / 2, low, high);
        ConvertWideGroup<F>(low, high, luma + pixel, out + pixel * bytes);
        if (lines == 2)
            ConvertWideGroup<F>(low, high, luma + width + pixel, out + pitch + pixel * bytes);
    }
    return pixel;
}

#endif

// Converts the pixels from `first` to the end of one line through the formula, a pair at a time.
template <Format F>
void ConvertTail(const std::uint8_t* luma, const std::uint8_t* u, const std::uint8_t* v, int first,
                 int width, std::uint8_t* out) {
    constexpr int bytes = BytesOf(F);
    for (int x = first / 2; x < width / 2; ++x) {
        const int cu = u[x] - 128;
        const int cv = v[x] - 128;
        const int red = kRedFromV * cv;
        const int green = -kGreenFromU * cu - kGreenFromV * cv;
        const int blue = kBlueFromU * cu;
        for (int i = 0; i < 2; ++i) {
            const int l = kLumaFactor * luma[2 * x + i];
            Store(F,
                  {Limit((l + red) >> kShift), Limit((l + green) >> kShift),
                   Limit((l + blue) >> kShift)},
                  out + (2 * x + i) * bytes);
        }
    }
}

// The format is a template argument so that each format gets its own tight loop. The two lines
// of each chroma line are converted together.
template <Format F>
void ConvertRgb(const Picture& picture, std::uint8_t* destination, int pitch,
                [[maybe_unused]] Kernels level) {
    constexpr int bytes = BytesOf(F);
    // RGB24 groups write one byte past their last pixel: a later pixel of the line must take it.
    [[maybe_unused]] constexpr int room = F == kRGB24 ? 1 : 0;
    const int width = picture.width;
    for (int y = 0; y < picture.height; y += 2) {
        const int lines = std::min(2, picture.height - y);
        const std::uint8_t* luma = picture.y + y * width;
        const std::uint8_t* u = picture.u + (y / 2) * (width / 2);
        const std::uint8_t* v = picture.v + (y / 2) * (width / 2);
        std::uint8_t* out = destination + static_cast<std::ptrdiff_t>(y) * pitch;
        int pixel = 0;
#ifdef KW_HAVE_X86
        if (level == Kernels::kAvx2)
            pixel = ConvertWideGroups<F>(luma, u, v, width, lines, room, out, pitch);
#endif
#ifdef __SSE2__
        for (; level != Kernels::kPortable && pixel + kGroup + room <= width; pixel += kGroup) {
            Terms low, high;
            ComputeTerms(u + pixel / 2, v + pixel / 2, low, high);
            ConvertGroup<F>(low, high, luma + pixel, out + pixel * bytes);
            if (lines == 2)
                ConvertGroup<F>(low, high, luma + width + pixel, out + pitch + pixel * bytes);
        }
#endif
        for (int line = 0; line < lines; ++line)
            ConvertTail<F>(luma + line * width, u, v, pixel, width, out + line * pitch);
    }
}

void CopyPlane(const std::uint8_t* plane, int width, int height, std::uint8_t* destination,
               int pitch) {
    for (int y = 0; y < height; ++y)
        std::memcpy(destination + static_cast<std::ptrdiff_t>(y) * pitch, plane + y * width,
                    static_cast<std::size_t>(width));
}

bool Available(Kernels level) {
    switch (level) {
    case Kernels::kPortable:
        return true;
    case Kernels::kSse2:
#ifdef __SSE2__
        return true;
#else
        return false;
#endif
    case Kernels::kAvx2:
#ifdef KW_HAVE_X86
        return KWHaveAvx2();
#else
        return false;
#endif
    }
    return false;
}

Kernels BestKernels() {
    for (const Kernels level : {Kernels::kAvx2, Kernels::kSse2})
        if (Available(level))
            return level;
    return Kernels::kPortable;
}

std::atomic<Kernels> g_kernels{BestKernels()};

} // namespace

bool SelectKernels(Kernels level) {
    if (!Available(level))
        return false;
    g_kernels = level;
    return true;
}

int BytesPerPixel(Format format) {
    switch (format) {
    case kYV12:
        return 1;
    case kRGB565:
    case kBGR565:
        return 2;
    case kRGB24:
        return 3;
    default:
        return 4;
    }
}

Rgb ToRgb(int y, int u, int v) {
    const int l = kLumaFactor * y;
    const int cu = u - 128;
    const int cv = v - 128;
    return {Limit((l + kRedFromV * cv) >> kShift),
            Limit((l - kGreenFromU * cu - kGreenFromV * cv) >> kShift),
            Limit((l + kBlueFromU * cu) >> kShift)};
}

void Convert(const Picture& picture, Format format, std::uint8_t* destination, int pitch) {
    const Kernels level = g_kernels;
    switch (format) {
    case kYV12: {
        const int chromaWidth = picture.width / 2;
        const int chromaHeight = picture.height / 2;
        std::uint8_t* vPlane = destination + static_cast<std::ptrdiff_t>(pitch) * picture.height;
        std::uint8_t* uPlane = vPlane + static_cast<std::ptrdiff_t>(pitch / 2) * chromaHeight;
        CopyPlane(picture.y, picture.width, picture.height, destination, pitch);
        CopyPlane(picture.v, chromaWidth, chromaHeight, vPlane, pitch / 2);
        CopyPlane(picture.u, chromaWidth, chromaHeight, uPlane, pitch / 2);
        break;
    }
    case kRGB565:
        ConvertRgb<kRGB565>(picture, destination, pitch, level);
        break;
    case kBGR565:
        ConvertRgb<kBGR565>(picture, destination, pitch, level);
        break;
    case kRGB24:
        ConvertRgb<kRGB24>(picture, destination, pitch, level);
        break;
    case kRGB32:
        ConvertRgb<kRGB32>(picture, destination, pitch, level);
        break;
    }
}

} // namespace QXPixelConversion
