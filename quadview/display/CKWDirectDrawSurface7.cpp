#include "CKWDirectDrawSurface7.h"

#include "KWDisplaySurface.h"

#include <cstdio>

namespace {
struct FormatEntry {
    const char* name;
    KWPixelLayout layout;
};
constexpr FormatEntry kFormats[] = {
    {"YV12 - ", KWPixelLayout::kYV12},     {"RGB565 - ", KWPixelLayout::kRGB565},
    {"BGR565 - ", KWPixelLayout::kBGR565}, {"RGB24 - ", KWPixelLayout::kRGB24},
    {"RGB32 - ", KWPixelLayout::kRGB32},
};
const char* const kNoFormatName = "NONE - ";

bool IsFormat(int format) {
    return format >= CKWDirectDrawSurface7::kFormatYV12 &&
           format < CKWDirectDrawSurface7::kFormatNone;
}
} // namespace

const char* CKWDirectDrawSurface7::FormatName(int format) {
    return IsFormat(format) ? kFormats[format].name : kNoFormatName;
}

KWPixelFormat CKWDirectDrawSurface7::FormatDescription(int format) {
    return IsFormat(format) ? KWFormatOfLayout(kFormats[format].layout) : KWPixelFormat{};
}

CKWDirectDrawSurface7::CKWDirectDrawSurface7() {
    m_className = "CKWDirectDrawSurface7";
}

CKWDirectDrawSurface7::~CKWDirectDrawSurface7() = default;

void CKWDirectDrawSurface7::Release() {
    m_surface.reset();
    m_width = 0;
    m_height = 0;
    m_format = kFormatNone;
}

int CKWDirectDrawSurface7::Clear() {
    if (!m_surface)
        return 0;
    KWPixelFormat format;
    if (m_surface->GetPixelFormat(format) != KWDisplayResult::kOk)
        return 0;
    return m_surface->ColorFill(nullptr, 0) == KWDisplayResult::kOk ? 1 : 0;
}

KWRect CKWDirectDrawSurface7::GetBounds() const {
    return KWRect{0, 0, static_cast<std::int32_t>(m_width), static_cast<std::int32_t>(m_height)};
}

std::string CKWDirectDrawSurface7::GetDescription() const {
    return FormatName(m_format) + SizeText(m_width, m_height);
}

std::string CKWDirectDrawSurface7::SizeText(std::uint32_t width, std::uint32_t height) {
    char text[32];
    std::snprintf(text, sizeof text, "%ux%u", width, height);
    return text;
}
