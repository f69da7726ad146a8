#pragma once
#include "CKWDirectDrawSurface7Memory.h"
#include "CQXDirectDrawSurface7Information.h"

// The canvas that screen captures read the view back into, with room for a caption above it.
class CQXDirectDrawSurface7Capture : public CKWDirectDrawSurface7Memory {
public:
    CQXDirectDrawSurface7Capture();

    const KWFontSpec& GetFont() const { return m_font; }

private:
    KWFontSpec m_font = kQXCaptionFont;
};
