#pragma once
#include "QXTimestamp.h"

#include <cstdint>
#include <string>
#include <vector>

// Burns the recorded date and time into an exported picture: white text on a black box in its
// top left corner, drawn with the caption font through the installed text painter (a program
// installs one with QvToolCaptionText; without one only the box is drawn).
class QvToolBurnIn {
public:
    // Draws the caption of `time` into YUV 4:2:0 planes of the size (lines of width and
    // width / 2 bytes).
    void Stamp(std::uint8_t* const* planes, int width, int height, const QXTimestamp& time);

private:
    // Renders the text into m_mask (one luma value per pixel) when it changed.
    void Render(const std::string& text);

    std::string m_text;
    std::vector<std::uint8_t> m_mask;
    int m_maskWidth = 0;
    int m_maskHeight = 0;
};
