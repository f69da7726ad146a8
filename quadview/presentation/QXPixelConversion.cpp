#include "QXPixelConversion.h"

#include <cstring>

namespace QXPixelConversion {
namespace {

// Fixed-point factors of the colour conversion, scaled by 1024.
constexpr int kLumaFactor = 1024;
constexpr int kRedFromV = 1436;
constexpr int kGreenFromU = 352;
constexpr int kGreenFromV = 731;
constexpr int kBlueFromU = 1815;
constexpr int kShift = 10;

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

// The format is a template argument so that each format gets its own tight loop.
template <Format F> void ConvertRgb(const Picture& picture, std::uint8_t* destination, int pitch) {
    constexpr int bytes = F == kRGB32 ? 4 : F == kRGB24 ? 3 : 2;
    const int chromaWidth = picture.width / 2;
    for (int y = 0; y < picture.height; ++y) {
        const std::uint8_t* luma = picture.y + y * picture.width;
        const std::uint8_t* u = picture.u + (y / 2) * chromaWidth;
        const std::uint8_t* v = picture.v + (y / 2) * chromaWidth;
        std::uint8_t* out = destination + static_cast<std::ptrdiff_t>(y) * pitch;
        for (int x = 0; x < chromaWidth; ++x) {
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
}

void CopyPlane(const std::uint8_t* plane, int width, int height, std::uint8_t* destination,
               int pitch) {
    for (int y = 0; y < height; ++y)
        std::memcpy(destination + static_cast<std::ptrdiff_t>(y) * pitch, plane + y * width,
                    static_cast<std::size_t>(width));
}

} // namespace

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
        ConvertRgb<kRGB565>(picture, destination, pitch);
        break;
    case kBGR565:
        ConvertRgb<kBGR565>(picture, destination, pitch);
        break;
    case kRGB24:
        ConvertRgb<kRGB24>(picture, destination, pitch);
        break;
    case kRGB32:
        ConvertRgb<kRGB32>(picture, destination, pitch);
        break;
    }
}

} // namespace QXPixelConversion
