#pragma once
#include "KWDisplayTypes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

struct KWLockedSurface;

// A logical font as the captions ask for it: face, cell height and average character width in
// pixels, weight 100-900.
struct KWFontSpec {
    const char* face;
    int height;
    int width;
    int weight;
};

// Draws text into the memory of a locked RGB surface. The engines stay free of any font
// library: the program installs a factory (the Qt one in the programs that show captions), and
// without one no text is drawn. Colours are 0x00BBGGRR values; text has a transparent background.
class KWTextPainter {
public:
    virtual ~KWTextPainter() = default;
    virtual void SetFont(const KWFontSpec& font) = 0;
    virtual void SetTextColor(std::uint32_t colorRef) = 0;
    // Draws text whose character cells start at (x, y).
    virtual void TextOut(int x, int y, const std::string& text) = 0;
    virtual KWSize GetTextExtent(const std::string& text) const = 0;
};

// Makes a painter over the locked memory, or null when that layout cannot take text (or no
// fonts are available).
using KWTextPainterFactory =
    std::function<std::unique_ptr<KWTextPainter>(const KWLockedSurface& locked)>;

std::unique_ptr<KWTextPainter> KWCreateTextPainter(const KWLockedSurface& locked);

// Replaces the factory (an empty one leaves text undrawn); returns the previous one.
KWTextPainterFactory KWSetTextPainterFactory(KWTextPainterFactory factory);
