#include "KWDeviceContext.h"

#include "KWDisplaySurface.h"

KWDeviceContext::KWDeviceContext(KWDisplaySurface& surface) : m_surface(surface) {
    if (surface.GetLayout() == KWPixelLayout::kYV12)
        return;
    KWLockedSurface locked;
    if (surface.Lock(locked, true) != KWDisplayResult::kOk)
        return;
    m_painter = KWCreateTextPainter(locked);
    if (!m_painter)
        m_surface.Unlock();
}

KWDeviceContext::~KWDeviceContext() {
    if (!m_painter)
        return;
    m_painter.reset();
    m_surface.Unlock();
}

void KWDeviceContext::SetFont(const KWFontSpec& font) {
    if (m_painter)
        m_painter->SetFont(font);
}

void KWDeviceContext::SetTextColor(std::uint32_t colorRef) {
    if (m_painter)
        m_painter->SetTextColor(colorRef);
}

void KWDeviceContext::TextOut(int x, int y, const std::string& text) {
    if (m_painter)
        m_painter->TextOut(x, y, text);
}

KWSize KWDeviceContext::GetTextExtent(const std::string& text) const {
    return m_painter ? m_painter->GetTextExtent(text) : KWSize{};
}
