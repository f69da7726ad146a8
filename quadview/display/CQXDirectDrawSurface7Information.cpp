#include "CQXDirectDrawSurface7Information.h"

#include "KWErrorReport.h"
#include "QXChannelSet.h"

#include <cstdio>

namespace {
constexpr int kMargin = 10;
constexpr int kQuadStripRight = 320; // the quad layout shows the left half of the upper strip
constexpr std::uint8_t kQuadDateChannel = 3; // channel 4's strip carries the date in the quad
constexpr int kCompositeRightColumn = 330;
constexpr int kCompositeDateMargin = 20;
const char* const kOffText = "OFF";

std::string ChannelLabel(int index) {
    return "CH " + std::to_string(index + 1);
}

// Draws a channel's label and, when the channel is not shown, "OFF" after it.
void DrawLabel(KWDeviceContext& dc, int x, int y, int index, std::uint8_t displayMask) {
    const std::string label = ChannelLabel(index);
    dc.SetTextColor(CQXDirectDrawSurface7Information::kTextColor);
    dc.TextOut(x, y, label);
    if (QXChannelSet::Has(displayMask, index))
        return;
    dc.SetTextColor(CQXDirectDrawSurface7Information::kOffColor);
    dc.TextOut(x + dc.GetTextExtent(label).width + kMargin, y, kOffText);
}

void DrawRightAligned(KWDeviceContext& dc, int right, int y, const std::string& text) {
    dc.SetTextColor(CQXDirectDrawSurface7Information::kTextColor);
    dc.TextOut(right - dc.GetTextExtent(text).width, y, text);
}
} // namespace

CQXDirectDrawSurface7Information::CQXDirectDrawSurface7Information() {
    m_className = "CQXDirectDrawSurface7Information";
    m_kind = kKindInformation;
}

void CQXDirectDrawSurface7Information::SetChannel(std::uint8_t index) {
    if (index == kNoChannel) {
        ReportFatalError(m_className, "failed to set channel");
        return;
    }
    m_channel = index;
}

std::string CQXDirectDrawSurface7Information::FormatDateTime(const QXTimestamp& dateTime) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d %s", dateTime.year + 2000,
                  dateTime.month, dateTime.day, dateTime.hour % 12, dateTime.minute,
                  dateTime.second, dateTime.hour < 12 ? "AM" : "PM");
    return text;
}

// Every bar shows the date except a channel's bar in the quad mode, where only channel 4's
// strip carries it.
bool CQXDirectDrawSurface7Information::ShowsDate(Mode mode) const {
    return mode != kModeQuad || m_channel == kQuadDateChannel;
}

bool CQXDirectDrawSurface7Information::Draw(const QXTimestamp& dateTime, std::uint8_t displayMask,
                                            Mode mode) {
    if (m_channel == kNoChannel || !dateTime.IsValid())
        return false;
    const Text text{ShowsDate(mode) ? dateTime : QXTimestamp{}, displayMask, mode};
    if (text == m_drawn)
        return false;
    m_drawn = text;
    Clear();
    if (!m_surface)
        return true;
    KWDeviceContext dc(*m_surface);
    if (!dc.IsValid())
        return true;
    dc.SetFont(m_font);
    const std::string date = FormatDateTime(dateTime);
    const int yc = (kStripHeight - dc.GetTextExtent(date).height) / 2;
    const int lower = yc + kStripHeight;
    const int right = static_cast<int>(m_width);

    if (m_channel == QXChannelSet::kCompositeIndex) {
        if (mode != kModeSingle)
            return true;
        if (displayMask & 0x0F) {
            const int columns[] = {kMargin, kCompositeRightColumn};
            for (int index = 0; index < QXChannelSet::kCompositeIndex; ++index)
                DrawLabel(dc, columns[index % 2], index < 2 ? yc : lower, index, displayMask);
        }
        DrawRightAligned(dc, right - kCompositeDateMargin, lower, date);
        return true;
    }
    if (m_channel >= QXChannelSet::kCompositeIndex)
        return true;
    if (mode == kModeQuad) {
        DrawLabel(dc, kMargin, yc, m_channel, displayMask);
        if (ShowsDate(mode))
            DrawRightAligned(dc, kQuadStripRight - kMargin, yc, date);
        return true;
    }
    dc.SetTextColor(kTextColor);
    dc.TextOut(kMargin, yc, ChannelLabel(m_channel));
    DrawRightAligned(dc, right - kMargin, lower, date);
    return true;
}
