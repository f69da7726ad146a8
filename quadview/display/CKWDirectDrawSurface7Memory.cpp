#include "CKWDirectDrawSurface7Memory.h"

#include "CKWDirectDrawSurface7Primary.h"
#include "KWDisplayDevice.h"
#include "KWDisplaySurface.h"

CKWDirectDrawSurface7Memory::CKWDirectDrawSurface7Memory() {
    m_className = "CKWDirectDrawSurface7Memory";
    m_kind = kKindMemory;
}

int CKWDirectDrawSurface7Memory::Create(CKWDirectDrawSurface7Primary& primary, std::uint32_t width,
                                        std::uint32_t height, int firstFormat) {
    if (width == 0 || height == 0 || !primary.GetSurface() || primary.GetWidth() == 0 ||
        primary.GetHeight() == 0 || primary.GetFormat() == kFormatNone ||
        primary.GetKind() != kKindPrimary || !primary.GetDevice())
        return 0;
    Release();
    m_primary = &primary;
    return CreateSurface(width, height, firstFormat);
}

int CKWDirectDrawSurface7Memory::CreateSurface(std::uint32_t width, std::uint32_t height,
                                               int firstFormat) {
    KWDisplayDevice* device = m_primary ? m_primary->GetDevice() : nullptr;
    if (!device || firstFormat < kFormatYV12)
        return 0;
    for (int format = firstFormat; format < kFormatNone; ++format) {
        if (device->CreateOffscreenSurface(
                static_cast<std::int32_t>(width), static_cast<std::int32_t>(height),
                FormatDescription(format), m_surface) == KWDisplayResult::kOk) {
            m_width = width;
            m_height = height;
            m_format = format;
            return 1;
        }
    }
    CKWDirectDrawSurface7::Release();
    return 0;
}

int CKWDirectDrawSurface7Memory::LockSurface(KWLockedSurface& locked) {
    if (!m_surface)
        return 0;
    KWDisplayResult result = m_surface->Lock(locked, true);
    if (result == KWDisplayResult::kLost && m_surface->Restore() == KWDisplayResult::kOk)
        result = m_surface->Lock(locked, true);
    return result == KWDisplayResult::kOk ? 1 : 0;
}
