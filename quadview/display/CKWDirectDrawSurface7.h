#pragma once
#include "CKWObject.h"
#include "KWDisplayTypes.h"

#include <cstdint>
#include <memory>
#include <string>

class KWDisplaySurface;

// Root of the display surfaces: one driver surface with its size, kind and pixel format.
class CKWDirectDrawSurface7 : public CKWObject {
public:
    enum Kind {
        kKindPrimary,
        kKindMemory,
        kKindConversion,
        kKindInformation,
        kKindCapture,
        kKindNone
    };

    // The pixel formats, in the order off-screen surfaces fall back along.
    enum Format {
        kFormatYV12,
        kFormatRGB565,
        kFormatBGR565,
        kFormatRGB24,
        kFormatRGB32,
        kFormatNone
    };
    static const char* FormatName(int format);
    static KWPixelFormat FormatDescription(int format);

    CKWDirectDrawSurface7();
    ~CKWDirectDrawSurface7() override;

    // Lets the driver surface go: no surface, size 0, no format.
    virtual void Release();
    // Fills the whole surface with the colour value 0.
    int Clear();

    KWDisplaySurface* GetSurface() const { return m_surface.get(); }
    std::uint32_t GetWidth() const { return m_width; }
    std::uint32_t GetHeight() const { return m_height; }
    int GetKind() const { return m_kind; }
    int GetFormat() const { return m_format; }
    KWRect GetBounds() const;

    // The format name followed by the size, for the diagnostics text.
    virtual std::string GetDescription() const;
    static std::string SizeText(std::uint32_t width, std::uint32_t height);

protected:
    std::shared_ptr<KWDisplaySurface> m_surface;
    std::uint32_t m_width = 0;
    std::uint32_t m_height = 0;
    int m_kind = kKindNone;
    int m_format = kFormatNone;
};
