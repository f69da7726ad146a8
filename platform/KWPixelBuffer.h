#pragma once
#include "KWCpuFeatures.h"
#include "KWDisplayTypes.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// Pixel memory of one surface or window frame buffer in one of the driver's layouts, with a
// row pitch that may exceed the row's bytes. Colours cross layouts as 0x00RRGGBB values.
class KWPixelBuffer {
public:
    static constexpr std::int32_t kPitchAlignment = 16;

    // Replaces the memory with a zeroed picture. The pitch is the row's bytes plus
    // `pitchPadding`, rounded up to the alignment. False when a size is not positive, a planar
    // picture has an odd size, or memory is short; the buffer is then empty.
    [[nodiscard]] bool Allocate(KWPixelLayout layout, std::int32_t width, std::int32_t height,
                                std::int32_t pitchPadding = 0);
    void Free();
    bool IsEmpty() const { return !m_bits; }

    KWPixelLayout GetLayout() const { return m_layout; }
    std::int32_t GetWidth() const { return m_width; }
    std::int32_t GetHeight() const { return m_height; }
    std::int32_t GetPitch() const { return m_pitch; }
    KWRect GetBounds() const { return KWRect{0, 0, m_width, m_height}; }
    std::uint8_t* GetBits() { return m_bits.get(); }
    const std::uint8_t* GetBits() const { return m_bits.get(); }
    std::size_t GetByteSize() const { return m_byteSize; }

    // Writes the raw value (in this layout's encoding) into the part of `rect` inside the
    // buffer. A planar buffer gets the value's low byte in all three planes.
    void Fill(const KWRect& rect, std::uint32_t value);
    void Clear();

    // Reads `count` pixels of row y from column x as 0x00RRGGBB; the span must lie inside.
    void ReadRow(std::int32_t y, std::int32_t x, std::int32_t count, std::uint32_t* rgb) const;
    // Writes `count` 0x00RRGGBB pixels into row y from column x. Not for planar buffers.
    void WriteRow(std::int32_t y, std::int32_t x, std::int32_t count, const std::uint32_t* rgb);

private:
    KWPixelLayout m_layout = KWPixelLayout::kRGB32;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    std::int32_t m_pitch = 0;
    std::size_t m_byteSize = 0;
    std::unique_ptr<std::uint8_t[]> m_bits;
};

// Stretches `srcRect` of `src` onto `dstRect` of `dst` with bilinear filtering and writes only
// the part of `dstRect` inside both `clip` and the destination. kInvalid when a rectangle is
// empty or the source rectangle leaves the source; kUnsupported for a planar destination.
KWDisplayResult KWStretchBlit(KWPixelBuffer& dst, const KWRect& dstRect, const KWRect& clip,
                              const KWPixelBuffer& src, const KWRect& srcRect);

// Selects the instruction-set level whose kernels the blit uses: its filters and the YUV row
// conversion it reads a planar source through. The best available one is chosen at start, and
// every level gives the same pixels. False when this build or processor lacks the level.
bool KWSelectBlitKernels(KWSimdLevel level);

// Selects the instruction-set level of ReadRow's YUV conversion alone; as above.
bool KWSelectYuvRowKernels(KWSimdLevel level);
