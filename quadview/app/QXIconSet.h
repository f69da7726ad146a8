#pragma once
#include <QIcon>
#include <QImage>
#include <QSize>

#include <span>

// The viewer's icons: SVG drawings compiled into the application (icons/), rendered at their
// pixel size. Each button state the main window shows is an icon of its own with a resource
// identifier below. Normal icons are blue with a dark outline, disabled ones grey, active ones
// (shown on the blink phase) dark on a bright amber plate, so that they read on light and dark
// window themes alike. Identifiers are positive and unique; 0, -1, -2 and -3 mean "no image",
// "none loaded" and the derived grey and dark images to the icon button and are never used.
namespace QXIconSet {
constexpr int kSmallSize = 18;
constexpr int kLargeSize = 32;

// Transport buttons of the Viewer and the MYS group, 18 x 18.
constexpr int kFastReverse = 200;
constexpr int kFastReverseDisabled = 201;
constexpr int kFastReverseActive = 202;
constexpr int kReverse = 203;
constexpr int kReverseDisabled = 204;
constexpr int kReverseActive = 205;
constexpr int kPause = 206;
constexpr int kPauseDisabled = 207;
constexpr int kPauseActive = 208;
constexpr int kPlay = 209;
constexpr int kPlayDisabled = 210;
constexpr int kPlayActive = 211;
constexpr int kFastForward = 212;
constexpr int kFastForwardDisabled = 213;
constexpr int kFastForwardActive = 214;

// Channel buttons, 18 x 18: all channels (four panes), two channels, channel 1 to 4, and the
// icon of a channel that was not recorded.
constexpr int kChannelsAll = 220;
constexpr int kChannelsAllDisabled = 221;
constexpr int kChannelsAllActive = 222;
constexpr int kChannelsTwo = 223;
constexpr int kChannelsTwoDisabled = 224;
constexpr int kChannelsTwoActive = 225;
constexpr int kChannel1 = 226;
constexpr int kChannel1Disabled = 227;
constexpr int kChannel1Active = 228;
constexpr int kChannel2 = 229;
constexpr int kChannel2Disabled = 230;
constexpr int kChannel2Active = 231;
constexpr int kChannel3 = 232;
constexpr int kChannel3Disabled = 233;
constexpr int kChannel3Active = 234;
constexpr int kChannel4 = 235;
constexpr int kChannel4Disabled = 236;
constexpr int kChannel4Active = 237;
constexpr int kChannelNotAvailable = 238;

// Audio button, 18 x 18.
constexpr int kAudioOn = 240;
constexpr int kAudioOff = 241;

// Working-mode, device and capture buttons and the load button, 32 x 32.
constexpr int kWorkingMode = 250;
constexpr int kWorkingModeDisabled = 251;
constexpr int kSelectDevice = 252;
constexpr int kSelectDeviceDisabled = 253;
constexpr int kDeviceInfo = 254;
constexpr int kDeviceInfoDisabled = 255;
constexpr int kMysCapture = 256;
constexpr int kMysCaptureDisabled = 257;
constexpr int kJpegCapture = 258;
constexpr int kJpegCaptureDisabled = 259;
constexpr int kLoadFile = 260;
constexpr int kLoadFileDisabled = 261;
// AVI capture: idle, and the two recording icons that alternate once a second while an AVI is
// written (the red lamp lit, then dimmed).
constexpr int kAviCapture = 262;
constexpr int kAviRecording1 = 263;
constexpr int kAviRecording2 = 264;
constexpr int kAviCaptureDisabled = 265;

// Dialog buttons, 18 x 18, left of the text "OK" and "Cancel".
constexpr int kOk = 270;
constexpr int kCancel = 271;

// The icons of one button in its three states.
struct States {
    int normal;
    int disabled;
    int active;
};

// Fast reverse, reverse, pause, play, fast forward: the order of both transport groups.
constexpr States kTransport[] = {
    {kFastReverse, kFastReverseDisabled, kFastReverseActive},
    {kReverse, kReverseDisabled, kReverseActive},
    {kPause, kPauseDisabled, kPauseActive},
    {kPlay, kPlayDisabled, kPlayActive},
    {kFastForward, kFastForwardDisabled, kFastForwardActive},
};

// All, two, channel 1 to 4: the order of the channel group.
constexpr States kChannelButtons[] = {
    {kChannelsAll, kChannelsAllDisabled, kChannelsAllActive},
    {kChannelsTwo, kChannelsTwoDisabled, kChannelsTwoActive},
    {kChannel1, kChannel1Disabled, kChannel1Active},
    {kChannel2, kChannel2Disabled, kChannel2Active},
    {kChannel3, kChannel3Disabled, kChannel3Active},
    {kChannel4, kChannel4Disabled, kChannel4Active},
};

// Every identifier above, in that order.
std::span<const int> Ids();
// The icon's size in pixels; an invalid size for an unknown identifier.
QSize Size(int id);
// The icon at its size, not premultiplied (callers derive images from the colour values); a
// null image for an unknown identifier. Rendered once, then shared (GUI thread only).
QImage Image(int id);
// The program's icon in the sizes a window system asks for (16 to 256 pixels).
QIcon ProgramIcon();
} // namespace QXIconSet
