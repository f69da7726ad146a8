#pragma once
#include "CKWDirectDrawSurface7Memory.h"
#include "KWDeviceContext.h"
#include "QXTimestamp.h"

#include <optional>

// The font of the caption bars and of the screen-capture caption.
inline constexpr KWFontSpec kQXCaptionFont{"courier new", 16, 8, 300};

// One caption bar of the on-screen display, 640 x 40: an upper strip of 20 lines with the
// channel names and a lower strip with the date, drawn for one channel (0-3, 4 the composite
// picture).
class CQXDirectDrawSurface7Information : public CKWDirectDrawSurface7Memory {
public:
    static constexpr std::uint8_t kNoChannel = 7;
    static constexpr std::uint32_t kTextColor = 0xFEFEFE;
    static constexpr std::uint32_t kOffColor = 0x3232FE;
    static constexpr int kStripHeight = 20;

    enum Mode { kModeSingle, kModeQuad };

    CQXDirectDrawSurface7Information();

    // Index 7 is refused with a fatal error report.
    void SetChannel(std::uint8_t index);
    std::uint8_t GetChannel() const { return m_channel; }

    // Redraws the bar for a frame of this date and time, unless the date and time are not
    // valid or the bar would show the same text as it does. `displayMask` holds the shown
    // channels (bit 3 channel 1 ... bit 0 channel 4). In the quad mode a channel's bar holds
    // only what the quad layout shows of it: the upper strip, with the date in channel 4's.
    // True when the bar was redrawn.
    bool Draw(const QXTimestamp& dateTime, std::uint8_t displayMask, Mode mode);

    // "YYYY/MM/DD hh:mm:ss AM" on a 12-hour clock on which 12 o'clock reads 00.
    static std::string FormatDateTime(const QXTimestamp& dateTime);

private:
    // What decides the bar's text; the date only where the bar shows it.
    struct Text {
        QXTimestamp dateTime;
        std::uint8_t displayMask = 0;
        Mode mode = kModeSingle;
        bool operator==(const Text&) const = default;
    };
    bool ShowsDate(Mode mode) const;

    std::uint8_t m_channel = kNoChannel;
    std::optional<Text> m_drawn;
    KWFontSpec m_font = kQXCaptionFont;
};
