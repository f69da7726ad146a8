#pragma once
#include <cstdint>

// A 5x7 bitmap font for the characters the scenes print: digits, ':', '/', '-', '.', space and
// the capital letters of "CH", "AM", "PM". Each glyph is seven rows of five bits (bit 4 = left).
namespace DvrFont {
constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
// The glyph's rows, or null for a character the font lacks (drawn as a blank).
const std::uint8_t* Glyph(char c);
} // namespace DvrFont
