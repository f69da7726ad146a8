#pragma once
#include "KWDisplayTypes.h"

#include <cstdint>
#include <memory>
#include <string>

class KWDisplaySurface;

// A logical font as the captions ask for it: face, cell height and average character width in
// pixels, weight 100-900.
struct KWFontSpec {
    const char* face;
    int height;
    int width;
    int weight;
};

// Text drawing into an RGB surface's memory. The surface stays locked while the context
// exists. The context is not valid (and draws nothing) for a planar or lost surface, or when
// the program runs without a GUI application to provide fonts. Text has a transparent
// background; colours are 0x00BBGGRR values.
class KWDeviceContext {
public:
    explicit KWDeviceContext(KWDisplaySurface& surface);
    ~KWDeviceContext();
    KWDeviceContext(const KWDeviceContext&) = delete;
    KWDeviceContext& operator=(const KWDeviceContext&) = delete;

    bool IsValid() const { return m_impl != nullptr; }
    void SetFont(const KWFontSpec& font);
    void SetTextColor(std::uint32_t colorRef);
    // Draws text whose character cells start at (x, y).
    void TextOut(int x, int y, const std::string& text);
    KWSize GetTextExtent(const std::string& text) const;

private:
    struct Impl;
    KWDisplaySurface& m_surface;
    std::unique_ptr<Impl> m_impl;
};
