#include "KWPixelBuffer.h"
#include "KWSimdKernels.h"

#include <algorithm>
#include <cstring>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#ifdef KW_HAVE_X86
#include <immintrin.h>
#endif

// The filter is separable and all integer: each source row needed is filtered across once into
// a row of destination width, and each destination row is the vertical mix of two such rows.
// Every step truncates exactly as mixing the four neighbours pixel by pixel would, so the result
// does not depend on which path (scalar or vector) produced it.
namespace {
constexpr std::uint32_t kWeightOne = 256; // weights are 256ths
constexpr int kWeightShift = 8;

// Where a destination pixel samples: `index` and `index + 1` (relative to the first source pixel
// read), mixed as (256 - f) and f, packed as `weights` = (256 - f) | f << 16. At the edges f is 0
// and `index + 1` may be one past the span: that pixel is read but weighs nothing.
struct Tap {
    std::int32_t index;
    std::uint32_t weights;
};

std::uint32_t SecondWeight(const Tap& tap) {
    return tap.weights >> 16;
}

// Destination pixel i of n maps its centre onto the centre-aligned source span of `span` pixels.
Tap TapAt(std::int32_t i, std::int32_t n, std::int32_t span) {
    const std::int64_t position =
        (static_cast<std::int64_t>(2 * i + 1) * span * 65536) / (2 * static_cast<std::int64_t>(n)) -
        32768;
    if (position <= 0)
        return Tap{0, kWeightOne};
    const auto whole = static_cast<std::int32_t>(position >> 16);
    if (whole >= span - 1)
        return Tap{span - 1, kWeightOne};
    const auto f = static_cast<std::uint32_t>((position & 0xFFFF) >> kWeightShift);
    return Tap{whole, (kWeightOne - f) | f << 16};
}

// Mixes two 0x00RRGGBB pixels as (a (256 - f) + b f) >> 8 per channel: red and blue together,
// green apart (no product leaves its 16 bits).
std::uint32_t Mix(std::uint32_t a, std::uint32_t b, std::uint32_t f) {
    const std::uint32_t w = kWeightOne - f;
    const std::uint32_t rb = (((a & 0xFF00FF) * w + (b & 0xFF00FF) * f) >> kWeightShift) & 0xFF00FF;
    const std::uint32_t g = (((a & 0xFF00) * w + (b & 0xFF00) * f) >> kWeightShift) & 0xFF00;
    return rb | g;
}

void FilterAcrossPortable(const std::uint32_t* line, const Tap* taps, std::int32_t count,
                          std::uint32_t* out) {
    for (std::int32_t i = 0; i < count; ++i)
        out[i] = Mix(line[taps[i].index], line[taps[i].index + 1], SecondWeight(taps[i]));
}

void FilterDownPortable(const std::uint32_t* upper, const std::uint32_t* lower, std::uint32_t f,
                        std::int32_t count, std::uint32_t* out) {
    for (std::int32_t i = 0; i < count; ++i)
        out[i] = Mix(upper[i], lower[i], f);
}

#ifdef __SSE2__
// Filters a source row across: out[i] mixes line[taps[i].index] and the pixel after it. Per
// pixel, the two source pixels' channels are interleaved in 16-bit lanes (p, q, p, q, ...) and
// multiplied-added with (256 - f, f), giving each channel's sum in a 32-bit lane.
void FilterAcrossSse2(const std::uint32_t* line, const Tap* taps, std::int32_t count,
                      std::uint32_t* out) {
    const __m128i zero = _mm_setzero_si128();
    auto filterOne = [&](const Tap& tap) {
        const __m128i pair = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(line + tap.index));
        const __m128i interleaved = _mm_unpacklo_epi8(pair, _mm_srli_si128(pair, 4));
        const __m128i wide = _mm_unpacklo_epi8(interleaved, zero);
        const __m128i weights = _mm_set1_epi32(static_cast<int>(tap.weights));
        return _mm_srli_epi32(_mm_madd_epi16(wide, weights), kWeightShift);
    };
    std::int32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128i low = _mm_packs_epi32(filterOne(taps[i]), filterOne(taps[i + 1]));
        const __m128i high = _mm_packs_epi32(filterOne(taps[i + 2]), filterOne(taps[i + 3]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(low, high));
    }
    FilterAcrossPortable(line, taps + i, count - i, out + i);
}

// Mixes two filtered rows down: out = (upper (256 - f) + lower f) >> 8 per channel. Sums stay
// below 65536, so 16-bit lanes hold them unsigned and the shift is logical.
void FilterDownSse2(const std::uint32_t* upper, const std::uint32_t* lower, std::uint32_t f,
                    std::int32_t count, std::uint32_t* out) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i upperWeight = _mm_set1_epi16(static_cast<short>(kWeightOne - f));
    const __m128i lowerWeight = _mm_set1_epi16(static_cast<short>(f));
    auto mix = [&](__m128i a, __m128i b) {
        return _mm_srli_epi16(
            _mm_add_epi16(_mm_mullo_epi16(a, upperWeight), _mm_mullo_epi16(b, lowerWeight)),
            kWeightShift);
    };
    std::int32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(upper + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lower + i));
        const __m128i low = mix(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero));
        const __m128i high = mix(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(low, high));
    }
    FilterDownPortable(upper + i, lower + i, f, count - i, out + i);
}
#endif

#ifdef KW_HAVE_X86
// The SSE2 filters at twice the width; they run only on processors that report AVX2.
KW_AVX2 void FilterAcrossAvx2(const std::uint32_t* line, const Tap* taps, std::int32_t count,
                              std::uint32_t* out) {
    // Two pixels per register, one per 128-bit lane: the pair's bytes interleaved and widened
    // by one shuffle, the lane's tap weights spread from the two taps' records.
    const __m256i interleave =
        _mm256_setr_epi8(0, -1, 4, -1, 1, -1, 5, -1, 2, -1, 6, -1, 3, -1, 7, -1, 0, -1, 4, -1, 1,
                         -1, 5, -1, 2, -1, 6, -1, 3, -1, 7, -1);
    const __m256i spreadWeights = _mm256_setr_epi32(1, 1, 1, 1, 3, 3, 3, 3);
    // Packing works within lanes, leaving pixels in the order 0 2 4 6 | 1 3 5 7.
    const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
    auto filterTwo = [&](const Tap* two) KW_AVX2_INLINE {
        const __m128i first =
            _mm_loadl_epi64(reinterpret_cast<const __m128i*>(line + two[0].index));
        const __m128i second =
            _mm_loadl_epi64(reinterpret_cast<const __m128i*>(line + two[1].index));
        const __m256i pairs = _mm256_inserti128_si256(_mm256_castsi128_si256(first), second, 1);
        static_assert(sizeof(Tap) == 8, "two taps fill 128 bits");
        const __m256i weights = _mm256_permutevar8x32_epi32(
            _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(two))),
            spreadWeights);
        return _mm256_srli_epi32(_mm256_madd_epi16(_mm256_shuffle_epi8(pairs, interleave), weights),
                                 kWeightShift);
    };
    std::int32_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i low = _mm256_packs_epi32(filterTwo(taps + i), filterTwo(taps + i + 2));
        const __m256i high = _mm256_packs_epi32(filterTwo(taps + i + 4), filterTwo(taps + i + 6));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i),
                            _mm256_permutevar8x32_epi32(_mm256_packus_epi16(low, high), order));
    }
    FilterAcrossSse2(line, taps + i, count - i, out + i);
}

KW_AVX2 void FilterDownAvx2(const std::uint32_t* upper, const std::uint32_t* lower, std::uint32_t f,
                            std::int32_t count, std::uint32_t* out) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i upperWeight = _mm256_set1_epi16(static_cast<short>(kWeightOne - f));
    const __m256i lowerWeight = _mm256_set1_epi16(static_cast<short>(f));
    auto mix = [&](__m256i a, __m256i b) KW_AVX2_INLINE {
        return _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(a, upperWeight),
                                                  _mm256_mullo_epi16(b, lowerWeight)),
                                 kWeightShift);
    };
    std::int32_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(upper + i));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(lower + i));
        const __m256i low = mix(_mm256_unpacklo_epi8(a, zero), _mm256_unpacklo_epi8(b, zero));
        const __m256i high = mix(_mm256_unpackhi_epi8(a, zero), _mm256_unpackhi_epi8(b, zero));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_packus_epi16(low, high));
    }
    FilterDownSse2(upper + i, lower + i, f, count - i, out + i);
}

#endif

struct Kernels {
    void (*across)(const std::uint32_t*, const Tap*, std::int32_t, std::uint32_t*);
    void (*down)(const std::uint32_t*, const std::uint32_t*, std::uint32_t, std::int32_t,
                 std::uint32_t*);
};

constexpr Kernels kPortableKernels{FilterAcrossPortable, FilterDownPortable};
#ifdef __SSE2__
constexpr Kernels kSse2Kernels{FilterAcrossSse2, FilterDownSse2};
#endif
#ifdef KW_HAVE_X86
constexpr Kernels kAvx2Kernels{FilterAcrossAvx2, FilterDownAvx2};
#endif

KWSimdKernels<Kernels> g_kernels({&kPortableKernels, KW_SSE2_KERNELS(&kSse2Kernels),
                                  KW_AVX2_KERNELS(&kAvx2Kernels)});

// Memory of one thread's blits, kept from blit to blit so that drawing a frame allocates
// nothing once the sizes have been seen.
struct Scratch {
    std::vector<Tap> columns;
    std::vector<std::uint32_t> line;        // one source row as read
    std::vector<std::uint32_t> filtered[2]; // two source rows filtered across
    std::vector<std::uint32_t> mixed;       // a destination row for layouts other than RGB32
    KWPixelBuffer copy;                     // the source of a blit within one buffer
};

thread_local Scratch t_scratch;

template <typename T> T* Sized(std::vector<T>& vector, std::size_t size) {
    if (vector.size() < size)
        vector.resize(size);
    return vector.data();
}

bool CopyPixels(const KWPixelBuffer& from, KWPixelBuffer& to) {
    if (to.GetLayout() != from.GetLayout() || to.GetWidth() != from.GetWidth() ||
        to.GetHeight() != from.GetHeight()) {
        if (!to.Allocate(from.GetLayout(), from.GetWidth(), from.GetHeight()))
            return false;
    }
    const auto rowBytes =
        static_cast<std::size_t>(from.GetWidth()) * KWBytesPerPixel(from.GetLayout());
    for (std::int32_t y = 0; y < from.GetHeight(); ++y)
        std::memcpy(to.GetBits() + static_cast<std::size_t>(y) * to.GetPitch(),
                    from.GetBits() + static_cast<std::size_t>(y) * from.GetPitch(), rowBytes);
    return true;
}

// Same sizes and the same packed layout: the rows are copied as they are. RGB32 is left to the
// general path, which clears the unused fourth byte.
bool IsPlainCopy(const KWPixelBuffer& dst, const KWRect& dstRect, const KWPixelBuffer& src,
                 const KWRect& srcRect) {
    return dst.GetLayout() == src.GetLayout() && dst.GetLayout() != KWPixelLayout::kRGB32 &&
           dstRect.Width() == srcRect.Width() && dstRect.Height() == srcRect.Height();
}

void CopyRows(KWPixelBuffer& dst, const KWRect& dstRect, const KWRect& area,
              const KWPixelBuffer& src, const KWRect& srcRect) {
    const std::int32_t bpp = KWBytesPerPixel(dst.GetLayout());
    const std::int32_t sx = srcRect.left + area.left - dstRect.left;
    for (std::int32_t y = area.top; y < area.bottom; ++y) {
        const std::int32_t sy = srcRect.top + y - dstRect.top;
        std::memmove(dst.GetBits() + static_cast<std::size_t>(y) * dst.GetPitch() + area.left * bpp,
                     src.GetBits() + static_cast<std::size_t>(sy) * src.GetPitch() + sx * bpp,
                     static_cast<std::size_t>(area.Width()) * bpp);
    }
}
} // namespace

KWDisplayResult KWStretchBlit(KWPixelBuffer& dst, const KWRect& dstRect, const KWRect& clip,
                              const KWPixelBuffer& src, const KWRect& srcRect) {
    if (dstRect.IsEmpty() || srcRect.IsEmpty() || !src.GetBounds().Contains(srcRect) ||
        src.IsEmpty() || dst.IsEmpty())
        return KWDisplayResult::kInvalid;
    if (dst.GetLayout() == KWPixelLayout::kYV12)
        return KWDisplayResult::kUnsupported;
    const KWRect area = dstRect.Intersect(clip).Intersect(dst.GetBounds());
    if (area.IsEmpty())
        return KWDisplayResult::kOk;

    Scratch& scratch = t_scratch;
    const Kernels& kernels = g_kernels.Current();
    // Blitting within one buffer reads from a copy so that written rows are not read again.
    const KWPixelBuffer* source = &src;
    if (&src == &dst) {
        if (!CopyPixels(src, scratch.copy))
            return KWDisplayResult::kNoMemory;
        source = &scratch.copy;
    }
    if (IsPlainCopy(dst, dstRect, *source, srcRect)) {
        CopyRows(dst, dstRect, area, *source, srcRect);
        return KWDisplayResult::kOk;
    }

    // The columns of the area and the part of the source row they read.
    const std::int32_t width = area.Width();
    Tap* columns = Sized(scratch.columns, static_cast<std::size_t>(width));
    for (std::int32_t x = area.left; x < area.right; ++x)
        columns[x - area.left] = TapAt(x - dstRect.left, dstRect.Width(), srcRect.Width());
    const std::int32_t firstColumn = columns[0].index;
    const std::int32_t readCount =
        std::min(columns[width - 1].index + 2, srcRect.Width()) - firstColumn;
    for (std::int32_t i = 0; i < width; ++i)
        columns[i].index -= firstColumn;
    // Equal widths map each destination column onto one source column: rows are read, not mixed.
    const bool sameWidth = dstRect.Width() == srcRect.Width();
    std::uint32_t* line = Sized(scratch.line, static_cast<std::size_t>(readCount) + 1);
    line[readCount] = 0; // the pixel after the span, which edge taps read with weight 0

    std::uint32_t* filtered[2] = {Sized(scratch.filtered[0], static_cast<std::size_t>(width)),
                                  Sized(scratch.filtered[1], static_cast<std::size_t>(width))};
    std::int32_t held[2] = {-1, -1};
    auto load = [&](int slot, std::int32_t row) {
        held[slot] = row;
        if (sameWidth) {
            source->ReadRow(srcRect.top + row, srcRect.left + firstColumn, width, filtered[slot]);
            return;
        }
        source->ReadRow(srcRect.top + row, srcRect.left + firstColumn, readCount, line);
        kernels.across(line, columns, width, filtered[slot]);
    };
    // The slot holding `row`, loading it into a slot that does not hold `keep`.
    auto slotOf = [&](std::int32_t row, std::int32_t keep) {
        if (held[0] == row || held[1] == row)
            return held[0] == row ? 0 : 1;
        const int slot = held[0] == keep ? 1 : 0;
        load(slot, row);
        return slot;
    };

    const bool direct = dst.GetLayout() == KWPixelLayout::kRGB32;
    std::uint32_t* mixed = direct ? nullptr : Sized(scratch.mixed, static_cast<std::size_t>(width));
    for (std::int32_t y = area.top; y < area.bottom; ++y) {
        const Tap row = TapAt(y - dstRect.top, dstRect.Height(), srcRect.Height());
        const std::uint32_t f = SecondWeight(row);
        const std::uint32_t* upper = filtered[slotOf(row.index, row.index + 1)];
        std::uint32_t* out =
            direct ? reinterpret_cast<std::uint32_t*>(dst.GetBits() + static_cast<std::size_t>(y) *
                                                                          dst.GetPitch()) +
                         area.left
                   : mixed;
        if (f == 0) {
            if (!direct) {
                dst.WriteRow(y, area.left, width, upper);
                continue;
            }
            std::memcpy(out, upper, static_cast<std::size_t>(width) * sizeof(std::uint32_t));
            continue;
        }
        const std::uint32_t* lower = filtered[slotOf(row.index + 1, row.index)];
        kernels.down(upper, lower, f, width, out);
        if (!direct)
            dst.WriteRow(y, area.left, width, mixed);
    }
    return KWDisplayResult::kOk;
}

bool KWSelectBlitKernels(KWSimdLevel level) {
    return g_kernels.Select(level) && KWSelectYuvRowKernels(level);
}
