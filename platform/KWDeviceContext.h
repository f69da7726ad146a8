#pragma once
#include "KWTextPainter.h"

#include <memory>
#include <string>

class KWDisplaySurface;

// Text drawing into an RGB surface's memory. The surface stays locked while the context
// exists. The context is not valid (and draws nothing) for a planar or lost surface, or when
// the program has installed no text painter (no fonts to draw with).
class KWDeviceContext {
public:
    explicit KWDeviceContext(KWDisplaySurface& surface);
    ~KWDeviceContext();
    KWDeviceContext(const KWDeviceContext&) = delete;
    KWDeviceContext& operator=(const KWDeviceContext&) = delete;

    bool IsValid() const { return m_painter != nullptr; }
    void SetFont(const KWFontSpec& font);
    void SetTextColor(std::uint32_t colorRef);
    // Draws text whose character cells start at (x, y).
    void TextOut(int x, int y, const std::string& text);
    KWSize GetTextExtent(const std::string& text) const;

private:
    KWDisplaySurface& m_surface;
    std::unique_ptr<KWTextPainter> m_painter;
};
