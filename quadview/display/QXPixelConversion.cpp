#include "QXPixelConversion.h"

#include "KWSimdKernels.h"
#include "KWYuvToRgb.h"

#include <algorithm>
#include <cstring>

namespace QXPixelConversion {
namespace {

// Negative channels become 1, not 0 as in the display hardware's conversion.
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

// Sixteen pixels at once, in two halves of eight, each colour the luma plus its chroma term.
constexpr int kGroup = 16;
constexpr int kHalf = kGroup / 2;

// The chroma terms of eight pixels (16-bit lanes), each once for each pixel of its pair.
using Terms = KWYuvToRgb::Terms8;

// Colours of eight pixels in 16-bit lanes, each in 0..255.
struct Colours {
    __m128i r, g, b;
};

// The terms of sixteen pixels: pixels 0-7 in `low`, 8-15 in `high`. Two lines share them.
inline void ComputeTerms(const std::uint8_t* u, const std::uint8_t* v, Terms& low, Terms& high) {
    const KWYuvToRgb::Terms8 t = KWYuvToRgb::TermsOf(
        KWYuvToRgb::Centred(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(u))),
        KWYuvToRgb::Centred(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(v))));
    low = {_mm_unpacklo_epi16(t.r, t.r), _mm_unpacklo_epi16(t.g, t.g),
           _mm_unpacklo_epi16(t.b, t.b)};
    high = {_mm_unpackhi_epi16(t.r, t.r), _mm_unpackhi_epi16(t.g, t.g),
            _mm_unpackhi_epi16(t.b, t.b)};
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

using WideTerms = KWYuvToRgb::Terms16;

struct WideColours {
    __m256i r, g, b;
};

KW_AVX2_INLINE inline __m256i SpreadRuns(__m256i value) {
    return _mm256_permutevar8x32_epi32(value, _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7));
}

// The terms of thirty-two pixels: pixels 0-15 in `low`, 16-31 in `high`, in the spread order.
KW_AVX2_INLINE inline void ComputeWideTerms(const std::uint8_t* u, const std::uint8_t* v,
                                            WideTerms& low, WideTerms& high) {
    const KWYuvToRgb::Terms16 t = KWYuvToRgb::TermsOf(
        SpreadRuns(KWYuvToRgb::WideCentred(_mm_loadu_si128(reinterpret_cast<const __m128i*>(u)))),
        SpreadRuns(KWYuvToRgb::WideCentred(_mm_loadu_si128(reinterpret_cast<const __m128i*>(v)))));
    low = {_mm256_unpacklo_epi16(t.r, t.r), _mm256_unpacklo_epi16(t.g, t.g),
           _mm256_unpacklo_epi16(t.b, t.b)};
    high = {_mm256_unpackhi_epi16(t.r, t.r), _mm256_unpackhi_epi16(t.g, t.g),
            _mm256_unpackhi_epi16(t.b, t.b)};
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

inline Rgb ColourOf(int y, const KWYuvToRgb::Terms& terms) {
    return {Limit(y + terms.r), Limit(y + terms.g), Limit(y + terms.b)};
}

// Converts the pixels from `first` to the end of one line through the formula, a pair at a time.
template <Format F>
void ConvertTail(const std::uint8_t* luma, const std::uint8_t* u, const std::uint8_t* v, int first,
                 int width, std::uint8_t* out) {
    constexpr int bytes = BytesOf(F);
    for (int x = first / 2; x < width / 2; ++x) {
        const KWYuvToRgb::Terms terms = KWYuvToRgb::TermsOf(u[x], v[x]);
        for (int i = 0; i < 2; ++i)
            Store(F, ColourOf(luma[2 * x + i], terms), out + (2 * x + i) * bytes);
    }
}

// The format and the level are template arguments so that each pair gets its own tight loop.
// The two lines of each chroma line are converted together: first as many pixels as the level's
// widest groups take, then narrower groups, then the rest one pair at a time.
template <Format F, KWSimdLevel Level>
void ConvertRgb(const Picture& picture, std::uint8_t* destination, int pitch) {
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
        if constexpr (Level == KWSimdLevel::kAvx2)
            pixel = ConvertWideGroups<F>(luma, u, v, width, lines, room, out, pitch);
#endif
#ifdef __SSE2__
        if constexpr (Level != KWSimdLevel::kPortable) {
            for (; pixel + kGroup + room <= width; pixel += kGroup) {
                Terms low, high;
                ComputeTerms(u + pixel / 2, v + pixel / 2, low, high);
                ConvertGroup<F>(low, high, luma + pixel, out + pixel * bytes);
                if (lines == 2)
                    ConvertGroup<F>(low, high, luma + width + pixel, out + pitch + pixel * bytes);
            }
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

void CopyPlanes(const Picture& picture, std::uint8_t* destination, int pitch) {
    const int chromaWidth = picture.width / 2;
    const int chromaHeight = picture.height / 2;
    std::uint8_t* vPlane = destination + static_cast<std::ptrdiff_t>(pitch) * picture.height;
    std::uint8_t* uPlane = vPlane + static_cast<std::ptrdiff_t>(pitch / 2) * chromaHeight;
    CopyPlane(picture.y, picture.width, picture.height, destination, pitch);
    CopyPlane(picture.v, chromaWidth, chromaHeight, vPlane, pitch / 2);
    CopyPlane(picture.u, chromaWidth, chromaHeight, uPlane, pitch / 2);
}

using RgbConverter = void (*)(const Picture& picture, std::uint8_t* destination, int pitch);

// One level's converters, one for each RGB format.
struct Kernels {
    RgbConverter rgb565, bgr565, rgb24, rgb32;
};

template <KWSimdLevel Level>
constexpr Kernels kKernelsOf{ConvertRgb<kRGB565, Level>, ConvertRgb<kBGR565, Level>,
                             ConvertRgb<kRGB24, Level>, ConvertRgb<kRGB32, Level>};

KWSimdKernels<Kernels> g_kernels({&kKernelsOf<KWSimdLevel::kPortable>,
                                  KW_SSE2_KERNELS(&kKernelsOf<KWSimdLevel::kSse2>),
                                  KW_AVX2_KERNELS(&kKernelsOf<KWSimdLevel::kAvx2>)});

} // namespace

bool SelectKernels(KWSimdLevel level) {
    return g_kernels.Select(level);
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
    return ColourOf(y, KWYuvToRgb::TermsOf(u, v));
}

void Convert(const Picture& picture, Format format, std::uint8_t* destination, int pitch) {
    const Kernels& kernels = g_kernels.Current();
    switch (format) {
    case kYV12:
        CopyPlanes(picture, destination, pitch);
        break;
    case kRGB565:
        kernels.rgb565(picture, destination, pitch);
        break;
    case kBGR565:
        kernels.bgr565(picture, destination, pitch);
        break;
    case kRGB24:
        kernels.rgb24(picture, destination, pitch);
        break;
    case kRGB32:
        kernels.rgb32(picture, destination, pitch);
        break;
    }
}

} // namespace QXPixelConversion
