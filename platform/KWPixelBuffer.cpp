#include "KWPixelBuffer.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace {
constexpr std::int32_t AlignUp(std::int32_t value, std::int32_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

std::uint8_t Clamp255(std::int32_t value) {
    return static_cast<std::uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
}

// The display hardware's colour-space conversion of full-range YUV.
std::uint32_t YuvToRgb(std::int32_t y, std::int32_t u, std::int32_t v) {
    u -= 128;
    v -= 128;
    const std::int32_t base = 1024 * y;
    const std::uint32_t r = Clamp255((base + 1436 * v) >> 10);
    const std::uint32_t g = Clamp255((base - 352 * u - 731 * v) >> 10);
    const std::uint32_t b = Clamp255((base + 1815 * u) >> 10);
    return r << 16 | g << 8 | b;
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

// Bilinear weight f of 0..256 between a and b, red and blue together, green apart.
std::uint32_t Lerp(std::uint32_t a, std::uint32_t b, std::uint32_t f) {
    const std::uint32_t w = 256 - f;
    const std::uint32_t rb = (((a & 0xFF00FF) * w + (b & 0xFF00FF) * f) >> 8) & 0xFF00FF;
    const std::uint32_t g = (((a & 0xFF00) * w + (b & 0xFF00) * f) >> 8) & 0xFF00;
    return rb | g;
}

// Where destination pixel i of n samples the source span [first, first + span): the two
// source indices and the weight of the second, for centres mapped onto centres.
struct Sample {
    std::int32_t i0;
    std::int32_t i1;
    std::uint32_t weight;
};

Sample SampleAt(std::int32_t i, std::int32_t n, std::int32_t first, std::int32_t span) {
    const std::int64_t position =
        (static_cast<std::int64_t>(2 * i + 1) * span * 65536) / (2 * static_cast<std::int64_t>(n)) -
        32768;
    if (position <= 0)
        return Sample{first, first, 0};
    const std::int32_t whole = static_cast<std::int32_t>(position >> 16);
    if (whole >= span - 1)
        return Sample{first + span - 1, first + span - 1, 0};
    return Sample{first + whole, first + whole + 1,
                  static_cast<std::uint32_t>((position & 0xFFFF) >> 8)};
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
    for (std::int32_t y = area.top; y < area.bottom; ++y) {
        std::uint8_t* p = bits + static_cast<std::size_t>(y) * m_pitch + area.left * bpp;
        for (std::int32_t x = area.left; x < area.right; ++x, p += bpp) {
            for (std::int32_t k = 0; k < bpp; ++k)
                p[k] = static_cast<std::uint8_t>(value >> (8 * k));
        }
    }
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
        for (std::int32_t i = 0; i < count; ++i) {
            const std::int32_t c = (x + i) / 2;
            rgb[i] = YuvToRgb(row[x + i], uPlane[chromaRow + c], vPlane[chromaRow + c]);
        }
        break;
    }
    case KWPixelLayout::kRGB565:
    case KWPixelLayout::kBGR565: {
        const bool redHigh = m_layout == KWPixelLayout::kRGB565;
        for (std::int32_t i = 0; i < count; ++i) {
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
            const std::uint8_t* p = row + 4 * (x + i);
            rgb[i] = static_cast<std::uint32_t>(p[2]) << 16 | p[1] << 8 | p[0];
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
            const std::uint32_t value = rgb[i] & 0xFFFFFF;
            std::memcpy(row + 4 * (x + i), &value, 4);
        }
        break;
    }
}

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

    // Blitting within one buffer reads from a copy so that written rows are not read again.
    KWPixelBuffer copy;
    const KWPixelBuffer* source = &src;
    if (&src == &dst) {
        if (!copy.Allocate(src.GetLayout(), src.GetWidth(), src.GetHeight()))
            return KWDisplayResult::kNoMemory;
        for (std::int32_t y = 0; y < src.GetHeight(); ++y)
            std::memcpy(copy.GetBits() + static_cast<std::size_t>(y) * copy.GetPitch(),
                        src.GetBits() + static_cast<std::size_t>(y) * src.GetPitch(),
                        static_cast<std::size_t>(src.GetWidth()) *
                            KWBytesPerPixel(src.GetLayout()));
        source = &copy;
    }

    std::vector<Sample> columns(static_cast<std::size_t>(area.Width()));
    for (std::int32_t x = area.left; x < area.right; ++x)
        columns[x - area.left] =
            SampleAt(x - dstRect.left, dstRect.Width(), srcRect.left, srcRect.Width());
    const std::size_t span = static_cast<std::size_t>(srcRect.Width());
    std::vector<std::uint32_t> upper(span), lower(span), out(columns.size());
    std::int32_t upperRow = -1;
    std::int32_t lowerRow = -1;
    auto row = [&](std::int32_t y, std::vector<std::uint32_t>& line, std::int32_t& held) {
        if (held != y) {
            source->ReadRow(y, srcRect.left, srcRect.Width(), line.data());
            held = y;
        }
    };
    for (std::int32_t y = area.top; y < area.bottom; ++y) {
        const Sample s = SampleAt(y - dstRect.top, dstRect.Height(), srcRect.top, srcRect.Height());
        if (lowerRow == s.i0) {
            std::swap(upper, lower);
            std::swap(upperRow, lowerRow);
        }
        row(s.i0, upper, upperRow);
        row(s.i1, lower, lowerRow);
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const Sample& c = columns[i];
            const std::size_t a = static_cast<std::size_t>(c.i0 - srcRect.left);
            const std::size_t b = static_cast<std::size_t>(c.i1 - srcRect.left);
            const std::uint32_t top = Lerp(upper[a], upper[b], c.weight);
            const std::uint32_t bottom = Lerp(lower[a], lower[b], c.weight);
            out[i] = Lerp(top, bottom, s.weight);
        }
        dst.WriteRow(y, area.left, area.Width(), out.data());
    }
    return KWDisplayResult::kOk;
}
