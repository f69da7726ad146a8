#include "KWDisplayTypes.h"

namespace {
struct LayoutEntry {
    KWPixelLayout layout;
    KWPixelFormat format;
    int bytesPerPixel;
};

constexpr LayoutEntry kLayouts[kPixelLayoutCount] = {
    {KWPixelLayout::kYV12, {KWPixelFormatFlags::kFourCC, kFourCCYV12, 0, 0, 0, 0}, 1},
    {KWPixelLayout::kRGB565, {KWPixelFormatFlags::kRGB, 0, 16, 0xF800, 0x07E0, 0x001F}, 2},
    {KWPixelLayout::kBGR565, {KWPixelFormatFlags::kRGB, 0, 16, 0x001F, 0x07E0, 0xF800}, 2},
    {KWPixelLayout::kRGB24, {KWPixelFormatFlags::kRGB, 0, 24, 0xFF0000, 0xFF00, 0xFF}, 3},
    {KWPixelLayout::kRGB32, {KWPixelFormatFlags::kRGB, 0, 32, 0xFF0000, 0xFF00, 0xFF}, 4},
};

const LayoutEntry& EntryOf(KWPixelLayout layout) {
    return kLayouts[static_cast<int>(layout)];
}
} // namespace

bool KWLayoutFromFormat(const KWPixelFormat& format, KWPixelLayout& layout) {
    for (const auto& entry : kLayouts) {
        const bool match = (format.flags & KWPixelFormatFlags::kFourCC)
                               ? entry.format.flags == KWPixelFormatFlags::kFourCC &&
                                     entry.format.fourCC == format.fourCC
                               : entry.format == format;
        if (match) {
            layout = entry.layout;
            return true;
        }
    }
    return false;
}

KWPixelFormat KWFormatOfLayout(KWPixelLayout layout) {
    return EntryOf(layout).format;
}

int KWBytesPerPixel(KWPixelLayout layout) {
    return EntryOf(layout).bytesPerPixel;
}
