#include "QvToolBurnIn.h"

#include "CQXDirectDrawSurface7Information.h"
#include "KWDisplaySurface.h"
#include "KWTextPainter.h"

#include <algorithm>
#include <cstdio>

namespace {
constexpr int kMargin = 4;  // from the picture's corner to the box
constexpr int kPadding = 2; // from the box's edge to the text
constexpr std::uint32_t kWhite = 0x00FFFFFF;
// Video luma runs from 16 (black) to 235 (white); chroma 128 is grey.
constexpr int kBlackLuma = 16;
constexpr int kLumaRange = 219;
constexpr std::uint8_t kNeutralChroma = 128;
constexpr int kTextWidth = 19; // "YYYY-MM-DD HH:MM:SS"
} // namespace

void QvToolBurnIn::Render(const std::string& text) {
    m_text = text;
    m_maskWidth = kTextWidth * kQXCaptionFont.width + 2 * kPadding;
    m_maskHeight = kQXCaptionFont.height + 2 * kPadding;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(m_maskWidth) * m_maskHeight, 0);
    KWLockedSurface locked;
    locked.bits = reinterpret_cast<std::uint8_t*>(pixels.data());
    locked.pitch = m_maskWidth * 4;
    locked.width = m_maskWidth;
    locked.height = m_maskHeight;
    locked.layout = KWPixelLayout::kRGB32;
    if (std::unique_ptr<KWTextPainter> painter = KWCreateTextPainter(locked)) {
        painter->SetFont(kQXCaptionFont);
        painter->SetTextColor(kWhite);
        painter->TextOut(kPadding, kPadding, text);
    }
    m_mask.resize(pixels.size());
    // The text is white on black: any one colour channel is its coverage.
    std::transform(pixels.begin(), pixels.end(), m_mask.begin(), [](std::uint32_t pixel) {
        return static_cast<std::uint8_t>(kBlackLuma + (pixel & 0xFF) * kLumaRange / 255);
    });
}

void QvToolBurnIn::Stamp(std::uint8_t* const* planes, int width, int height,
                         const QXTimestamp& time) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", time.year + 2000, time.month,
                  time.day, time.hour, time.minute, time.second);
    if (text != m_text)
        Render(text);
    const int boxWidth = std::min(m_maskWidth, width - kMargin) & ~1;
    const int boxHeight = std::min(m_maskHeight, height - kMargin) & ~1;
    for (int y = 0; y < boxHeight; ++y)
        std::copy_n(m_mask.data() + static_cast<std::size_t>(y) * m_maskWidth, boxWidth,
                    planes[0] + static_cast<std::size_t>(y + kMargin) * width + kMargin);
    for (int plane = 1; plane < 3; ++plane)
        for (int y = 0; y < boxHeight / 2; ++y)
            std::fill_n(planes[plane] + static_cast<std::size_t>(y + kMargin / 2) * (width / 2) +
                            kMargin / 2,
                        boxWidth / 2, kNeutralChroma);
}
