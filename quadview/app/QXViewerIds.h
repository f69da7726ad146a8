#pragma once
#include <cstdint>

// The main window's identifiers: its controls (also their object names), its menu items (also
// the names and data of their actions) and the messages its sliders post to it.
namespace QXViewerIds {
// Controls.
constexpr int kCancel = 2;
constexpr int kVideoArea = 1001;
constexpr int kDiagnosticsDevices = 1002;
constexpr int kDiagnosticsSpare = 1003;
constexpr int kDiagnosticsScreen = 1004;
constexpr int kDiagnosticsPlayback = 1005;
constexpr int kVolume = 1006;
constexpr int kAudio = 1007;
constexpr int kDevicePosition = 1008;
constexpr int kDevicePositionFrame = 1009;
constexpr int kViewerFastForward = 1010;
constexpr int kViewerPause = 1011;
constexpr int kViewerReverse = 1012;
constexpr int kViewerFastReverse = 1013;
constexpr int kFileInformation = 1014;
constexpr int kFileName = 1015;
constexpr int kWorkingMode = 1016;
constexpr int kFileSize = 1017;
constexpr int kMysFastForward = 1018;
constexpr int kMysPause = 1019;
constexpr int kMysReverse = 1020;
constexpr int kMysFastReverse = 1021;
constexpr int kMysStatus = 1022;
constexpr int kMysPosition = 1023;
constexpr int kLoadMys = 1024;
constexpr int kSelectDevice = 1025;
constexpr int kMysPositionFrame = 1026;
constexpr int kViewerPlay = 1027;
constexpr int kMysPlay = 1028;
constexpr int kChannel4 = 1029;
constexpr int kChannel2 = 1030;
constexpr int kChannel3 = 1031;
constexpr int kChannel1 = 1032;
constexpr int kChannelsAll = 1033;
constexpr int kDeviceInfo = 1034;
constexpr int kMysCapture = 1035;
constexpr int kJpegCapture = 1036;
constexpr int kViewerStatusFrame = 1037;
constexpr int kViewerStatus = 1038;
constexpr int kMysStatusFrame = 1039;
constexpr int kChannelsTwo = 1040;
constexpr int kAviCapture = 1054;
constexpr int kChannelGroup = 1085;
constexpr int kViewerGroup = 1087;
constexpr int kAudioGroup = 1088;
constexpr int kMysGroup = 1090;

// Both transport groups in the order of QXIconSet::kTransport: fast reverse, reverse, pause,
// play, fast forward.
constexpr int kViewerTransport[] = {kViewerFastReverse, kViewerReverse, kViewerPause, kViewerPlay,
                                    kViewerFastForward};
constexpr int kMysTransport[] = {kMysFastReverse, kMysReverse, kMysPause, kMysPlay,
                                 kMysFastForward};
// All, two, channel 1 to 4: the order of QXIconSet::kChannelButtons.
constexpr int kChannelButtons[] = {kChannelsAll, kChannelsTwo, kChannel1,
                                   kChannel2,    kChannel3,    kChannel4};

// Menu items.
constexpr int kMenuViewerMode = 32771;
constexpr int kMenuMysMode = 32772;
constexpr int kMenuChannel1 = 32773; // to kMenuChannel1 + 3 for channel 4
constexpr int kMenuAudioOn = 32777;
constexpr int kMenuCaptureMys = 32779;
constexpr int kMenuCaptureJpeg = 32780;
constexpr int kMenuAbout = 32781;
constexpr int kMenuExit = 32782;
constexpr int kMenuConfiguration = 32783;
constexpr int kMenuLoadMys = 32785;
constexpr int kMenuAudioMute = 32786;
constexpr int kMenuVolumeUp = 32787;
constexpr int kMenuVolumeDown = 32788;
constexpr int kMenuMysPlay = 32789;
constexpr int kMenuViewerPlay = 32790;
constexpr int kMenuViewerReverse = 32791;
constexpr int kMenuViewerOneForward = 32792;
constexpr int kMenuMysPause = 32793;
constexpr int kMenuMysFastForward = 32794;
constexpr int kMenuMysReverse = 32795;
constexpr int kMenuMysFastReverse = 32796;
constexpr int kMenuViewerPause = 32797;
constexpr int kMenuViewerFastForward = 32798;
constexpr int kMenuViewerFastReverse = 32799;
constexpr int kMenuViewerOneReverse = 32800;
constexpr int kMenuChannelsAll = 32801;
constexpr int kMenuChannelsTwo = 32802;
constexpr int kMenuMysOneForward = 32803;
constexpr int kMenuMysOneReverse = 32804;
constexpr int kMenuSearchTime = 32808;
constexpr int kMenuSearchStep = 32809;
constexpr int kMenuCaptureAvi = 32810;
constexpr int kMenuRecentPosition = 32812;
constexpr int kMenuEventList = 32813;
constexpr int kMenuAlwaysOnTop = 32816;

// The transport items of each menu in the order of QXIconSet::kTransport, then one frame
// forward and one frame reverse.
constexpr int kMenuViewerTransport[] = {
    kMenuViewerFastReverse, kMenuViewerReverse,    kMenuViewerPause,     kMenuViewerPlay,
    kMenuViewerFastForward, kMenuViewerOneForward, kMenuViewerOneReverse};
constexpr int kMenuMysTransport[] = {kMenuMysFastReverse, kMenuMysReverse,     kMenuMysPause,
                                     kMenuMysPlay,        kMenuMysFastForward, kMenuMysOneForward,
                                     kMenuMysOneReverse};
// The search commands, which work on the device only.
constexpr int kMenuSearches[] = {kMenuEventList, kMenuSearchTime, kMenuSearchStep};

// Messages the sliders post to the window, with the position as the first parameter.
constexpr std::uint32_t kMessageSliderDevice = 0xB200;
constexpr std::uint32_t kMessageSliderMys = 0xB201;
constexpr std::uint32_t kMessageSliderVolume = 0xB202;
} // namespace QXViewerIds
