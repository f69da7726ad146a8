#pragma once
// Types of the software display driver: rectangles, pixel formats, results and capabilities.
#include <cstdint>

struct KWRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    std::int32_t Width() const { return right - left; }
    std::int32_t Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    KWRect Offset(std::int32_t dx, std::int32_t dy) const {
        return KWRect{left + dx, top + dy, right + dx, bottom + dy};
    }
    KWRect Intersect(const KWRect& other) const;
    // The smallest rectangle holding both; an empty one adds nothing.
    KWRect Unite(const KWRect& other) const;
    bool Contains(const KWRect& inner) const {
        return inner.left >= left && inner.top >= top && inner.right <= right &&
               inner.bottom <= bottom;
    }
    bool operator==(const KWRect&) const = default;
};

inline KWRect KWRect::Intersect(const KWRect& other) const {
    KWRect r{left > other.left ? left : other.left, top > other.top ? top : other.top,
             right < other.right ? right : other.right,
             bottom < other.bottom ? bottom : other.bottom};
    if (r.IsEmpty())
        return KWRect{};
    return r;
}

inline KWRect KWRect::Unite(const KWRect& other) const {
    if (other.IsEmpty())
        return *this;
    if (IsEmpty())
        return other;
    return KWRect{left < other.left ? left : other.left, top < other.top ? top : other.top,
                  right > other.right ? right : other.right,
                  bottom > other.bottom ? bottom : other.bottom};
}

struct KWPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const KWPoint&) const = default;
};

struct KWSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool operator==(const KWSize&) const = default;
};

// How a surface describes its pixels: either a four-character code or RGB bit masks.
namespace KWPixelFormatFlags {
constexpr std::uint32_t kFourCC = 0x4;
constexpr std::uint32_t kRGB = 0x40;
} // namespace KWPixelFormatFlags

constexpr std::uint32_t KWMakeFourCC(char a, char b, char c, char d) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(a)) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(d)) << 24;
}
constexpr std::uint32_t kFourCCYV12 = KWMakeFourCC('Y', 'V', '1', '2');

struct KWPixelFormat {
    std::uint32_t flags = 0;
    std::uint32_t fourCC = 0;
    std::uint32_t bitCount = 0;
    std::uint32_t redMask = 0;
    std::uint32_t greenMask = 0;
    std::uint32_t blueMask = 0;
    bool operator==(const KWPixelFormat&) const = default;
};

// The memory layouts the driver keeps surfaces in. YV12 is planar: the Y plane (pitch bytes per
// row), then the V plane and the U plane at half width and height (pitch / 2 per row).
enum class KWPixelLayout : std::uint8_t { kYV12, kRGB565, kBGR565, kRGB24, kRGB32 };
constexpr int kPixelLayoutCount = 5;

constexpr std::uint32_t KWLayoutBit(KWPixelLayout layout) {
    return 1u << static_cast<unsigned>(layout);
}
constexpr std::uint32_t kAllPixelLayouts = (1u << kPixelLayoutCount) - 1;

// The layout a pixel format describes; false when the driver keeps no such layout.
bool KWLayoutFromFormat(const KWPixelFormat& format, KWPixelLayout& layout);
KWPixelFormat KWFormatOfLayout(KWPixelLayout layout);
// Bytes of one pixel in a row (of the Y plane for YV12).
int KWBytesPerPixel(KWPixelLayout layout);

enum class KWDisplayResult : std::uint8_t {
    kOk,
    kLost,        // the surface lost its memory (display change); Restore it and redraw
    kBusy,        // locked and the caller asked not to wait
    kInvalid,     // bad rectangle, size, parameter or call order
    kUnsupported, // the driver cannot do this (format, blit into planar memory)
    kNoMemory,
};

// Capability bits of the display hardware.
namespace KWDisplayCaps {
constexpr std::uint32_t kBlit = 0x40;
constexpr std::uint32_t kBlitFourCC = 0x100;
constexpr std::uint32_t kBlitStretch = 0x200;
constexpr std::uint32_t kOverlay = 0x800;
constexpr std::uint32_t kOverlayStretch = 0x4000;
constexpr std::uint32_t kColorKey = 0x400000;
constexpr std::uint32_t kBlitColorFill = 0x4000000;
constexpr std::uint32_t kAll =
    kBlit | kBlitFourCC | kBlitStretch | kOverlay | kOverlayStretch | kColorKey | kBlitColorFill;
} // namespace KWDisplayCaps

// The record a device fills when asked for its capabilities.
struct KWDisplayCapabilities {
    std::uint32_t caps = 0;
    std::uint32_t videoMemoryTotal = 0;
    std::uint32_t videoMemoryFree = 0;
};

struct KWDisplayMode {
    std::int32_t width = 0;
    std::int32_t height = 0;
    KWPixelFormat format;
};
