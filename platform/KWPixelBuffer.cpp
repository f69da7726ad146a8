#include "KWPixelBuffer.h"

#include "KWSimdKernels.h"
#include "KWYuvToRgb.h"

#include <cstring>
#include <new>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#ifdef KW_HAVE_X86
#include <immintrin.h>
#endif

namespace {
constexpr std::int32_t AlignUp(std::int32_t value, std::int32_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

constexpr std::uint32_t kRgbMask = 0xFFFFFF; // the fourth byte of an RGB32 pixel is unused

std::uint8_t Clamp255(std::int32_t value) {
    return static_cast<std::uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
}

// The display hardware's conversion: negative channels become 0.
std::uint32_t YuvToRgb(std::int32_t y, std::int32_t u, std::int32_t v) {
    const KWYuvToRgb::Terms t = KWYuvToRgb::TermsOf(u, v);
    return static_cast<std::uint32_t>(Clamp255(y + t.r)) << 16 |
           static_cast<std::uint32_t>(Clamp255(y + t.g)) << 8 | Clamp255(y + t.b);
}

// 5- and 6-bit fields widen by repeating their top bits, so full intensity stays 255.
std::uint32_t Expand565(std::uint32_t p, bool redHigh) {
    const std::uint32_t high = (p >> 11) & 0x1F;
    const std::uint32_t g6 = (p >> 5) & 0x3F;
    const std::uint32_t low = p & 0x1F;
    const std::uint32_t r5 = redHigh ? high : low;
    const std::uint32_t b5 = redHigh ? low : high;
    return ((r5 << 3) | (r5 >> 2)) << 16 | ((g6 << 2) | (g6 >> 4)) << 8 | ((b5 << 3) | (b5 >> 2));
}

std::uint16_t Pack565(std::uint32_t rgb, bool redHigh) {
    const std::uint32_t r = (rgb >> 16) & 0xFF;
    const std::uint32_t g = (rgb >> 8) & 0xFF;
    const std::uint32_t b = rgb & 0xFF;
    const std::uint32_t high = redHigh ? r : b;
    const std::uint32_t low = redHigh ? b : r;
    return static_cast<std::uint16_t>((high >> 3) << 11 | (g >> 2) << 5 | (low >> 3));
}

#ifdef __SSE2__
constexpr std::int32_t kVectorPixels = 8;

// Stores eight pixels given as 16-bit channel lanes, limited to 0..255, as 0x00RRGGBB.
void StorePixels(__m128i r, __m128i g, __m128i b, std::uint32_t* out) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i bg = _mm_unpacklo_epi8(_mm_packus_epi16(b, zero), _mm_packus_epi16(g, zero));
    const __m128i r0 = _mm_unpacklo_epi8(_mm_packus_epi16(r, zero), zero);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi16(bg, r0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4), _mm_unpackhi_epi16(bg, r0));
}

// Eight pixels from an even column: four chroma pairs, each shared by two pixels.
void YuvToRgb8(const std::uint8_t* luma, const std::uint8_t* u, const std::uint8_t* v,
               std::uint32_t* out) {
    std::int32_t u4, v4;
    std::memcpy(&u4, u, sizeof u4);
    std::memcpy(&v4, v, sizeof v4);
    const KWYuvToRgb::Terms8 t = KWYuvToRgb::TermsOf<4>(KWYuvToRgb::Centred(_mm_cvtsi32_si128(u4)),
                                                        KWYuvToRgb::Centred(_mm_cvtsi32_si128(v4)));
    const __m128i y = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(luma)),
                                        _mm_setzero_si128());
    StorePixels(_mm_add_epi16(y, _mm_unpacklo_epi16(t.r, t.r)),
                _mm_add_epi16(y, _mm_unpacklo_epi16(t.g, t.g)),
                _mm_add_epi16(y, _mm_unpacklo_epi16(t.b, t.b)), out);
}

// Eight 5-6-5 pixels, fields widened as Expand565 does.
void Expand565x8(const std::uint8_t* in, bool redHigh, std::uint32_t* out) {
    const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    const __m128i high = _mm_srli_epi16(p, 11);
    const __m128i g6 = _mm_and_si128(_mm_srli_epi16(p, 5), _mm_set1_epi16(0x3F));
    const __m128i low = _mm_and_si128(p, _mm_set1_epi16(0x1F));
    const __m128i high8 = _mm_or_si128(_mm_slli_epi16(high, 3), _mm_srli_epi16(high, 2));
    const __m128i low8 = _mm_or_si128(_mm_slli_epi16(low, 3), _mm_srli_epi16(low, 2));
    const __m128i g8 = _mm_or_si128(_mm_slli_epi16(g6, 2), _mm_srli_epi16(g6, 4));
    if (redHigh)
        StorePixels(high8, g8, low8, out);
    else
        StorePixels(low8, g8, high8, out);
}
#endif

// One row of a YV12 picture as 0x00RRGGBB: `count` pixels from column x, whose chroma sample
// is u[(x + i) / 2], v[(x + i) / 2]. The levels differ only in how many pixels a step converts.
void YuvRowPortable(const std::uint8_t* luma, const std::uint8_t* u, const std::uint8_t* v,
                    std::int32_t x, std::int32_t count, std::uint32_t* rgb) {
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int32_t c = (x + i) / 2;
        rgb[i] = YuvToRgb(luma[x + i], u[c], v[c]);
    }
}

// Converts the row's pixels from its first even column, where a chroma pair begins, in groups of
// `Pixels` with `convertGroup` (luma, u, v, out); the odd first pixel, if any, alone. Returns how
// many pixels from the start it converted.
template <std::int32_t Pixels, typename Group>
std::int32_t YuvRowGroups(const std::uint8_t* luma, const std::uint8_t* u, const std::uint8_t* v,
                          std::int32_t x, std::int32_t count, std::uint32_t* rgb,
                          Group convertGroup) {
    std::int32_t i = 0;
    if (x % 2 != 0 && count > 0) {
        rgb[0] = YuvToRgb(luma[x], u[x / 2], v[x / 2]);
        i = 1;
    }
    for (; i + Pixels <= count; i += Pixels) {
        const std::int32_t c = x + i;
        convertGroup(luma + c, u + c / 2, v + c / 2, rgb + i);
    }
    return i;
}

#ifdef __SSE2__
void YuvRowSse2(const std::uint8_t* luma, const std::uint8_t* u, const std::uint8_t* v,
                std::int32_t x, std::int32_t count, std::uint32_t* rgb) {
    const std::int32_t i = YuvRowGroups<kVectorPixels>(luma, u, v, x, count, rgb, YuvToRgb8);
    YuvRowPortable(luma, u, v, x + i, count - i, rgb + i);
}
#endif

#ifdef KW_HAVE_X86
// Thirty-two pixels from an even column: sixteen chroma pairs. The pairs' terms are computed
// with the two middle quarters of the row swapped, so that duplicating them within 128-bit
// halves gives pixels 0-15 in one register and 16-31 in the other, in order; packing the
// channels to bytes then leaves each half's quarters interleaved, which the stores undo.
KW_AVX2 void YuvToRgb32Avx2(const std::uint8_t* luma, const std::uint8_t* u, const std::uint8_t* v,
                            std::uint32_t* out) {
    constexpr int kSwapMiddle = 0xD8; // quarters 0 2 1 3
    const __m256i cu = _mm256_permute4x64_epi64(
        KWYuvToRgb::WideCentred(_mm_loadu_si128(reinterpret_cast<const __m128i*>(u))), kSwapMiddle);
    const __m256i cv = _mm256_permute4x64_epi64(
        KWYuvToRgb::WideCentred(_mm_loadu_si128(reinterpret_cast<const __m128i*>(v))), kSwapMiddle);
    const KWYuvToRgb::Terms16 t = KWYuvToRgb::TermsOf(cu, cv);
    const __m256i yLow =
        _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(luma)));
    const __m256i yHigh =
        _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(luma + 16)));
    // Bytes of one channel for pixels 0-7, 16-23 | 8-15, 24-31.
    auto channel = [&](__m256i term) KW_AVX2_INLINE {
        return _mm256_packus_epi16(_mm256_add_epi16(yLow, _mm256_unpacklo_epi16(term, term)),
                                   _mm256_add_epi16(yHigh, _mm256_unpackhi_epi16(term, term)));
    };
    const __m256i r = channel(t.r);
    const __m256i g = channel(t.g);
    const __m256i b = channel(t.b);
    const __m256i zero = _mm256_setzero_si256();
    const __m256i bgFirst = _mm256_unpacklo_epi8(b, g);  // pixels 0-7 | 8-15
    const __m256i bgSecond = _mm256_unpackhi_epi8(b, g); // pixels 16-23 | 24-31
    const __m256i r0First = _mm256_unpacklo_epi8(r, zero);
    const __m256i r0Second = _mm256_unpackhi_epi8(r, zero);
    auto store16 = [&](__m256i bg, __m256i r0, std::uint32_t* to) KW_AVX2_INLINE {
        const __m256i low = _mm256_unpacklo_epi16(bg, r0);  // pixels 0-3 | 8-11
        const __m256i high = _mm256_unpackhi_epi16(bg, r0); // pixels 4-7 | 12-15
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(to),
                            _mm256_permute2x128_si256(low, high, 0x20));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + 8),
                            _mm256_permute2x128_si256(low, high, 0x31));
    };
    store16(bgFirst, r0First, out);
    store16(bgSecond, r0Second, out + 16);
}

KW_AVX2 void YuvRowAvx2(const std::uint8_t* luma, const std::uint8_t* u, const std::uint8_t* v,
                        std::int32_t x, std::int32_t count, std::uint32_t* rgb) {
    const std::int32_t i = YuvRowGroups<32>(luma, u, v, x, count, rgb, YuvToRgb32Avx2);
    YuvRowSse2(luma, u, v, x + i, count - i, rgb + i);
}
#endif

struct YuvRowKernels {
    void (*convert)(const std::uint8_t*, const std::uint8_t*, const std::uint8_t*, std::int32_t,
                    std::int32_t, std::uint32_t*);
};

constexpr YuvRowKernels kPortableYuvRow{YuvRowPortable};
#ifdef __SSE2__
constexpr YuvRowKernels kSse2YuvRow{YuvRowSse2};
#endif
#ifdef KW_HAVE_X86
constexpr YuvRowKernels kAvx2YuvRow{YuvRowAvx2};
#endif

KWSimdKernels<YuvRowKernels> g_yuvRow({&kPortableYuvRow, KW_SSE2_KERNELS(&kSse2YuvRow),
                                       KW_AVX2_KERNELS(&kAvx2YuvRow)});

// Writes `count` pixels of `bpp` bytes each holding the low bytes of `value`.
void FillPixels(std::uint8_t* p, std::int32_t count, std::int32_t bpp, std::uint32_t value) {
    const auto total = static_cast<std::size_t>(count) * bpp;
    bool uniform = true;
    for (std::int32_t k = 1; k < bpp; ++k)
        uniform = uniform && ((value >> (8 * k)) & 0xFF) == (value & 0xFF);
    if (uniform) {
        std::memset(p, static_cast<int>(value & 0xFF), total);
        return;
    }
    for (std::int32_t k = 0; k < bpp; ++k)
        p[k] = static_cast<std::uint8_t>(value >> (8 * k));
    // The filled start is copied after itself, doubling each time.
    for (std::size_t filled = bpp; filled < total;) {
        const std::size_t step = filled < total - filled ? filled : total - filled;
        std::memcpy(p + filled, p, step);
        filled += step;
    }
}
} // namespace

bool KWPixelBuffer::Allocate(KWPixelLayout layout, std::int32_t width, std::int32_t height,
                             std::int32_t pitchPadding) {
    Free();
    const bool planar = layout == KWPixelLayout::kYV12;
    if (width <= 0 || height <= 0 || pitchPadding < 0 || width > 16384 || height > 16384)
        return false;
    if (planar && (width % 2 != 0 || height % 2 != 0))
        return false;
    const std::int32_t pitch =
        AlignUp(width * KWBytesPerPixel(layout) + pitchPadding, kPitchAlignment);
    std::size_t bytes = static_cast<std::size_t>(pitch) * height;
    if (planar)
        bytes += 2 * static_cast<std::size_t>(pitch / 2) * (height / 2);
    m_bits.reset(new (std::nothrow) std::uint8_t[bytes]());
    if (!m_bits)
        return false;
    m_layout = layout;
    m_width = width;
    m_height = height;
    m_pitch = pitch;
    m_byteSize = bytes;
    return true;
}

void KWPixelBuffer::Free() {
    m_bits.reset();
    m_width = m_height = m_pitch = 0;
    m_byteSize = 0;
}

void KWPixelBuffer::Clear() {
    if (m_bits)
        std::memset(m_bits.get(), 0, m_byteSize);
}

void KWPixelBuffer::Fill(const KWRect& rect, std::uint32_t value) {
    const KWRect area = rect.Intersect(GetBounds());
    if (area.IsEmpty())
        return;
    std::uint8_t* bits = m_bits.get();
    const std::int32_t bpp = KWBytesPerPixel(m_layout);
    for (std::int32_t y = area.top; y < area.bottom; ++y)
        FillPixels(bits + static_cast<std::size_t>(y) * m_pitch + area.left * bpp, area.Width(),
                   bpp, value);
    if (m_layout != KWPixelLayout::kYV12)
        return;
    const std::int32_t chromaPitch = m_pitch / 2;
    const std::size_t planeBytes = static_cast<std::size_t>(chromaPitch) * (m_height / 2);
    const KWRect chroma{area.left / 2, area.top / 2, (area.right + 1) / 2, (area.bottom + 1) / 2};
    for (std::uint8_t* plane = bits + static_cast<std::size_t>(m_pitch) * m_height;
         plane < bits + m_byteSize; plane += planeBytes) {
        for (std::int32_t y = chroma.top; y < chroma.bottom; ++y)
            std::memset(plane + static_cast<std::size_t>(y) * chromaPitch + chroma.left,
                        static_cast<int>(value & 0xFF), chroma.Width());
    }
}

void KWPixelBuffer::ReadRow(std::int32_t y, std::int32_t x, std::int32_t count,
                            std::uint32_t* rgb) const {
    const std::uint8_t* row = m_bits.get() + static_cast<std::size_t>(y) * m_pitch;
    switch (m_layout) {
    case KWPixelLayout::kYV12: {
        const std::int32_t chromaPitch = m_pitch / 2;
        const std::uint8_t* vPlane = m_bits.get() + static_cast<std::size_t>(m_pitch) * m_height;
        const std::uint8_t* uPlane =
            vPlane + static_cast<std::size_t>(chromaPitch) * (m_height / 2);
        const std::size_t chromaRow = static_cast<std::size_t>(y / 2) * chromaPitch;
        g_yuvRow.Current().convert(row, uPlane + chromaRow, vPlane + chromaRow, x, count, rgb);
        break;
    }
    case KWPixelLayout::kRGB565:
    case KWPixelLayout::kBGR565: {
        const bool redHigh = m_layout == KWPixelLayout::kRGB565;
        std::int32_t i = 0;
#ifdef __SSE2__
        for (; i + kVectorPixels <= count; i += kVectorPixels)
            Expand565x8(row + 2 * (x + i), redHigh, rgb + i);
#endif
        for (; i < count; ++i) {
            const std::uint8_t* p = row + 2 * (x + i);
            rgb[i] = Expand565(static_cast<std::uint32_t>(p[0] | p[1] << 8), redHigh);
        }
        break;
    }
    case KWPixelLayout::kRGB24:
        for (std::int32_t i = 0; i < count; ++i) {
            const std::uint8_t* p = row + 3 * (x + i);
            rgb[i] = static_cast<std::uint32_t>(p[2]) << 16 | p[1] << 8 | p[0];
        }
        break;
    case KWPixelLayout::kRGB32:
        for (std::int32_t i = 0; i < count; ++i) {
            std::uint32_t value;
            std::memcpy(&value, row + 4 * (x + i), sizeof value);
            rgb[i] = value & kRgbMask;
        }
        break;
    }
}

void KWPixelBuffer::WriteRow(std::int32_t y, std::int32_t x, std::int32_t count,
                             const std::uint32_t* rgb) {
    std::uint8_t* row = m_bits.get() + static_cast<std::size_t>(y) * m_pitch;
    switch (m_layout) {
    case KWPixelLayout::kYV12:
        break;
    case KWPixelLayout::kRGB565:
    case KWPixelLayout::kBGR565: {
        const bool redHigh = m_layout == KWPixelLayout::kRGB565;
        for (std::int32_t i = 0; i < count; ++i) {
            const std::uint16_t p = Pack565(rgb[i], redHigh);
            row[2 * (x + i)] = static_cast<std::uint8_t>(p);
            row[2 * (x + i) + 1] = static_cast<std::uint8_t>(p >> 8);
        }
        break;
    }
    case KWPixelLayout::kRGB24:
        for (std::int32_t i = 0; i < count; ++i) {
            std::uint8_t* p = row + 3 * (x + i);
            p[0] = static_cast<std::uint8_t>(rgb[i]);
            p[1] = static_cast<std::uint8_t>(rgb[i] >> 8);
            p[2] = static_cast<std::uint8_t>(rgb[i] >> 16);
        }
        break;
    case KWPixelLayout::kRGB32:
        for (std::int32_t i = 0; i < count; ++i) {
            const std::uint32_t value = rgb[i] & kRgbMask;
            std::memcpy(row + 4 * (x + i), &value, 4);
        }
        break;
    }
}

bool KWSelectYuvRowKernels(KWSimdLevel level) {
    return g_yuvRow.Select(level);
}
