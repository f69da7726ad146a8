#pragma once
#include <QString>

#include <cstdint>

class CQXScreenManager4;
class CQXStorageDeviceManager;

// The texts of the main window's diagnostics panel, with "\r\n" line ends.
namespace QXViewerDiagnostics {
// Every drive the device manager opened: connection, whether it holds a recording, size in
// megabytes (10^6 bytes) with the media type, packets, sectors and the stream length.
QString DeviceList(const CQXStorageDeviceManager& devices);
// The frame rate, the decoder's error counters and frames taken, the display surfaces and the
// channels on screen.
QString ScreenText(CQXScreenManager4& screen);
// "display channel" with 'o' for each shown channel and '_' for the others (the composite
// picture first, then channels 1 to 4).
QString ChannelMarks(std::uint8_t displayMask);
// The device being played and its play mode.
QString PlaybackText(const CQXStorageDeviceManager& devices);
} // namespace QXViewerDiagnostics
