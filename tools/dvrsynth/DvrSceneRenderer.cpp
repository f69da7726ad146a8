#include "DvrSceneRenderer.h"

#include "DvrFont.h"

#include <algorithm>
#include <cmath>

namespace {
struct Palette {
    std::uint8_t y, u, v;
};
// Background per channel code: blue, green, red, yellow, and grey for the composite.
const Palette kBackground[] = {
    {60, 190, 110}, {110, 90, 80}, {80, 100, 200}, {170, 50, 150}, {120, 128, 128}};
const Palette kSquare = {220, 128, 128};
} // namespace

void DvrSceneRenderer::FillRect(DvrPicture& p, int x, int y, int w, int h, std::uint8_t luma,
                                std::uint8_t cb, std::uint8_t cr) {
    const int x0 = std::max(0, x), y0 = std::max(0, y);
    const int x1 = std::min(p.width, x + w), y1 = std::min(p.height, y + h);
    for (int row = y0; row < y1; ++row)
        std::fill(p.y.begin() + row * p.width + x0, p.y.begin() + row * p.width + x1, luma);
    const int cw = p.width / 2;
    for (int row = y0 / 2; row < (y1 + 1) / 2 && row < p.height / 2; ++row)
        for (int col = x0 / 2; col < (x1 + 1) / 2 && col < cw; ++col) {
            p.u[row * cw + col] = cb;
            p.v[row * cw + col] = cr;
        }
}

void DvrSceneRenderer::DrawText(DvrPicture& p, int x, int y, int scale, const std::string& text,
                                std::uint8_t luma) {
    for (char c : text) {
        if (const std::uint8_t* glyph = DvrFont::Glyph(c)) {
            for (int row = 0; row < DvrFont::kGlyphHeight; ++row)
                for (int col = 0; col < DvrFont::kGlyphWidth; ++col)
                    if (glyph[row] & (0x10 >> col))
                        for (int dy = 0; dy < scale; ++dy)
                            for (int dx = 0; dx < scale; ++dx) {
                                const int px = x + col * scale + dx, py = y + row * scale + dy;
                                if (px >= 0 && px < p.width && py >= 0 && py < p.height)
                                    p.y[py * p.width + px] = luma;
                            }
        }
        x += (DvrFont::kGlyphWidth + 1) * scale;
    }
}

void DvrSceneRenderer::Render(const Scene& scene, DvrPicture& p) {
    const Palette& bg = kBackground[std::clamp(scene.channelCode, 0, 4)];
    FillRect(p, 0, 0, p.width, p.height, bg.y, bg.u, bg.v);

    // Soft horizontal shading, so the picture has texture for the code to work on.
    for (int row = 0; row < p.height; ++row)
        for (int col = 0; col < p.width; col += 2)
            p.y[row * p.width + col] = static_cast<std::uint8_t>(std::clamp(
                bg.y + static_cast<int>(20 * std::sin(col * 0.05 + row * 0.02)), 16, 235));

    const int scale = std::max(1, p.height / 40);
    const std::string label = scene.channelCode == 4 ? std::string("CH1-4")
                                                     : "CH" + std::to_string(scene.channelCode + 1);
    DrawText(p, 8, 6, scale * 2, label, 235);
    DrawText(p, 8, 6 + 16 * scale, scale, scene.clock + " " + std::to_string(scene.frameNumber),
             235);

    if (scene.motion) {
        // The square crosses the picture once every eight seconds, at a height per channel.
        const int size = std::max(8, p.height / 6);
        const double phase = std::fmod(scene.timeMs / 8000.0, 1.0);
        const int x = static_cast<int>(phase * (p.width - size));
        const int y = p.height - size - 4 - (scene.channelCode % 4) * (p.height / 12);
        FillRect(p, x, y, size, size, kSquare.y, kSquare.u, kSquare.v);
    }
}
