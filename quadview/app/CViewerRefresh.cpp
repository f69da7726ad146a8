#include "CViewerRefresh.h"

#include "CIconButton.h"
#include "CKWSlider.h"
#include "CViewerControls.h"
#include "QXChannelSet.h"
#include "QXIconSet.h"
#include "QXViewerIds.h"
#include "QXViewerMenu.h"
#include "QXViewerTransport.h"

#include <QAction>
#include <QLabel>

#include <iterator>

namespace {
using namespace QXViewerIds;
using namespace QXPlayMode;

const char* const kToMysTip = "Change working mode to\r\nMYS Player";
const char* const kToViewerTip = "Change working mode to\r\nViewer";
const char* const kToViewerDisabledTip =
    "Change working mode to Viewer\r\n[Disabled] No Stream Device";
const char* const kAllChannelsTip = "Show All Channel";
const char* const kTwoChannelsTip = "TWO Recorded Channel";
const char* const kChannelOffTip = "CH%1\nOFF";
const char* const kChannelFullScreenTip = "CH%1\nFull Screen";
const char* const kAudioOffTip = "Audio Disabled\r\nPress to enable Audio.";
const char* const kAudioOnTip = "Audio Sounding\r\nPress to disable Audio.";
const char* const kNotAvailableTip = "Not Available";
// In the order of QXIconSet::kTransport.
const char* const kTransportTips[] = {"Fast Reverse Play", "Reverse Play", "Pause Playback",
                                      "Normal Play", "Fast Forward"};
const char* const kMysCaptureTip = "[JPEG Capture]\r\nPress it to capture stream\r\nas a MYS file.";
const char* const kJpegCaptureTip =
    "[JPEG Capture]\r\nPress it to capture current screen\r\nas a JPEG file.";
const char* const kMysCaptureDisabledTip =
    "[MYS Capture]\r\nMYS Capture is enabled when PAUSE mode.";
const char* const kJpegCaptureDisabledTip =
    "[JPEG Capture]\r\nJPEG Capture is enabled when PAUSE mode.";

enum TransportButton {
    kFastReverseButton,
    kReverseButton,
    kPauseButton,
    kPlayButton,
    kFastForwardButton,
    kNoButton
};

// The transport button that shows a mode; single steps show none.
TransportButton ActiveButton(std::uint32_t mode) {
    if (IsRewind(mode))
        return kFastReverseButton;
    if (IsFastForward(mode))
        return kFastForwardButton;
    switch (mode) {
    case kReverse:
        return kReverseButton;
    case kPause:
        return kPauseButton;
    case kPlay:
        return kPlayButton;
    default:
        return kNoButton;
    }
}

// The play mode of a file manager's mode index; "none" for 0 and 1 (no playback).
std::uint32_t MysPlayMode(std::uint32_t index) {
    return index >= 2 ? kNone + index - 1 : kNone;
}

// The channel's bit in the recorded and displayed masks: bit 3 channel 1 ... bit 0 channel 4.
std::uint8_t ChannelBit(int channel) {
    return static_cast<std::uint8_t>(0x08u >> (channel - 1));
}
} // namespace

CViewerRefresh::CViewerRefresh(CViewerControls& controls, QObject& menu)
    : m_controls(controls), m_menu(menu) {}

int CViewerRefresh::BlinkIcon(int normal, int active, int blinkPhase) {
    return blinkPhase == 1 ? active : normal;
}

void CViewerRefresh::SetItem(int id, bool enabled, bool ticked) {
    if (QAction* item = QXViewerMenu::Find(m_menu, id)) {
        item->setEnabled(enabled);
        QXViewerMenu::SetTicked(*item, ticked);
    }
}

void CViewerRefresh::SetItemEnabled(int id, bool enabled) {
    if (QAction* item = QXViewerMenu::Find(m_menu, id))
        item->setEnabled(enabled);
}

void CViewerRefresh::Refresh(const QXViewerState& state) {
    RefreshWorkingMode(state);
    RefreshChannels(state);
    RefreshAudio(state);
    RefreshViewerTransport(state);
    RefreshMysTransport(state);
    RefreshCaptures(state);
    RefreshAvi(state);
}

void CViewerRefresh::RefreshWorkingMode(const QXViewerState& state) {
    if (m_shownWorkingMode == state.workingMode)
        return;
    m_shownWorkingMode = state.workingMode;
    const bool viewer = state.workingMode == 0;
    if (viewer)
        m_controls.SetButton(kWorkingMode, QXIconSet::kWorkingMode, true, kToMysTip);
    else if (state.formattedDevices > 0)
        m_controls.SetButton(kWorkingMode, QXIconSet::kWorkingMode, true, kToViewerTip);
    else
        m_controls.SetButton(kWorkingMode, QXIconSet::kWorkingModeDisabled, false,
                             kToViewerDisabledTip);
    SetItem(kMenuViewerMode, !viewer, viewer);
    SetItem(kMenuMysMode, viewer, !viewer);
}

void CViewerRefresh::RefreshChannels(const QXViewerState& state) {
    const ChannelInputs inputs{state.blinkPhase, state.workingMode, state.recordedChannels,
                               state.displayedChannels};
    if (m_shownChannels == inputs)
        return;
    m_shownChannels = inputs;
    const int recorded = QXChannelSet::Count(state.recordedChannels);
    const int displayed = QXChannelSet::Count(state.displayedChannels);
    const auto group = [&](int index, int menuId, bool disabled, bool active, const char* tip) {
        const QXIconSet::States& icons = QXIconSet::kChannelButtons[index];
        const int icon =
            disabled
                ? icons.disabled
                : (active ? BlinkIcon(icons.normal, icons.active, state.blinkPhase) : icons.normal);
        m_controls.SetButton(kChannelButtons[index], icon, !disabled, tip);
        SetItem(menuId, !disabled && !active, active && !disabled);
    };
    group(0, kMenuChannelsAll, recorded == 1, displayed == 4, recorded >= 2 ? kAllChannelsTip : "");
    group(1, kMenuChannelsTwo, recorded == 2, displayed == 2, kTwoChannelsTip);

    const std::uint8_t shown = QXChannelSet::Bits(state.displayedChannels);
    for (int channel = 1; channel <= 4; ++channel) {
        const int index = channel + 1;
        const int menuId = kMenuChannel1 + channel - 1;
        const std::uint8_t bit = ChannelBit(channel);
        if (!(state.recordedChannels & bit)) {
            m_controls.SetButton(kChannelButtons[index], QXIconSet::kChannelNotAvailable, true,
                                 QString(kChannelOffTip).arg(channel));
            SetItem(menuId, false, false);
            continue;
        }
        const bool only = shown == bit;
        const QXIconSet::States& icons = QXIconSet::kChannelButtons[index];
        m_controls.SetButton(kChannelButtons[index],
                             only ? BlinkIcon(icons.normal, icons.active, state.blinkPhase)
                                  : icons.normal,
                             true, QString(kChannelFullScreenTip).arg(channel));
        SetItem(menuId, !only, only);
    }
}

void CViewerRefresh::RefreshAudio(const QXViewerState& state) {
    if (m_shownAudio == state.audioOn)
        return;
    m_shownAudio = state.audioOn;
    const bool on = state.audioOn;
    m_controls.SetButton(kAudio, on ? QXIconSet::kAudioOn : QXIconSet::kAudioOff, true,
                         on ? kAudioOnTip : kAudioOffTip);
    SetItem(kMenuAudioOn, !on, on);
    SetItem(kMenuAudioMute, true, !on);
}

void CViewerRefresh::ShowTransport(const int (&buttons)[5], bool live, std::uint32_t mode,
                                   int blinkPhase) {
    const TransportButton active = ActiveButton(mode);
    for (int i = 0; i < 5; ++i) {
        const QXIconSet::States& icons = QXIconSet::kTransport[i];
        if (!live) {
            m_controls.SetButton(buttons[i], icons.disabled, false, kNotAvailableTip);
            continue;
        }
        m_controls.SetButton(buttons[i],
                             i == active ? BlinkIcon(icons.normal, icons.active, blinkPhase)
                                         : icons.normal,
                             true, kTransportTips[i]);
    }
}

// The seven items of a transport menu: ticked for the mode's button, the single steps never.
void CViewerRefresh::ShowMenuTransport(const int (&items)[7], bool live, std::uint32_t mode) {
    const TransportButton active = ActiveButton(mode);
    for (int i = 0; i < 7; ++i)
        SetItem(items[i], live, live && i < kNoButton && i == active);
}

void CViewerRefresh::RefreshViewerTransport(const QXViewerState& state) {
    const TransportInputs inputs{state.deviceMode, state.deviceOpen, state.blinkPhase,
                                 state.workingMode};
    if (m_shownViewer == inputs)
        return;
    m_shownViewer = inputs;
    const bool live = state.deviceOpen && state.workingMode == 0;
    ShowTransport(kViewerTransport, live, state.deviceMode, state.blinkPhase);
    ShowMenuTransport(kMenuViewerTransport, live, state.deviceMode);
    if (live) {
        for (int id : kMenuSearches)
            SetItemEnabled(id, true);
    }
    if (live || !state.deviceOpen)
        m_controls.Text(kViewerStatus).setText(QXViewerTransport::StatusText(state.deviceMode));
}

void CViewerRefresh::RefreshMysTransport(const QXViewerState& state) {
    const std::uint32_t mode = MysPlayMode(state.mysMode);
    const TransportInputs inputs{mode, state.mysLoaded, state.blinkPhase, state.workingMode};
    if (m_shownMys == inputs)
        return;
    m_shownMys = inputs;
    const bool mysMode = state.workingMode == 1;
    const bool live = state.mysLoaded && mysMode;
    ShowTransport(kMysTransport, live, mode, state.blinkPhase);
    ShowMenuTransport(kMenuMysTransport, live, mode);
    if (live) {
        for (int id : kMenuSearches)
            SetItemEnabled(id, false);
    }
    // Loading stays possible in MYS Player mode also while a file is loaded.
    SetItemEnabled(kMenuLoadMys, mysMode);
    if (live || !state.mysLoaded)
        m_controls.Text(kMysStatus).setText(QXViewerTransport::StatusText(mode));
}

void CViewerRefresh::RefreshCaptures(const QXViewerState& state) {
    const CaptureInputs inputs{state.workingMode, state.mysMode, state.deviceMode};
    if (m_shownCaptures == inputs)
        return;
    m_shownCaptures = inputs;
    if (state.workingMode == 0) {
        const bool paused = state.deviceMode == kPause;
        m_controls.SetButton(kMysCapture,
                             paused ? QXIconSet::kMysCapture : QXIconSet::kMysCaptureDisabled,
                             paused, paused ? kMysCaptureTip : kMysCaptureDisabledTip);
        m_controls.SetButton(kJpegCapture,
                             paused ? QXIconSet::kJpegCapture : QXIconSet::kJpegCaptureDisabled,
                             paused, paused ? kJpegCaptureTip : kJpegCaptureDisabledTip);
        SetItemEnabled(kMenuCaptureMys, paused);
        SetItemEnabled(kMenuCaptureJpeg, paused);
        return;
    }
    const bool paused = MysPlayMode(state.mysMode) == kPause;
    m_controls.SetButton(kMysCapture, QXIconSet::kMysCaptureDisabled, false, "");
    SetItemEnabled(kMenuCaptureMys, false);
    m_controls.SetButton(kJpegCapture,
                         paused ? QXIconSet::kJpegCapture : QXIconSet::kJpegCaptureDisabled, paused,
                         paused ? kJpegCaptureTip : kJpegCaptureDisabledTip);
    SetItemEnabled(kMenuCaptureJpeg, paused);
}

// The AVI button shows its recording icons, alternating once a second, while an export runs,
// and its idle icon again once the export has ended; otherwise the refresh leaves it alone.
void CViewerRefresh::RefreshAvi(const QXViewerState& state) {
    if (!state.aviCaptureRunning) {
        if (m_shownAviBlink)
            m_controls.Button(kAviCapture).SetIcons(QXIconSet::kAviCapture);
        m_shownAviBlink.reset();
        return;
    }
    if (m_shownAviBlink == state.blinkPhase)
        return;
    m_shownAviBlink = state.blinkPhase;
    m_controls.Button(kAviCapture)
        .SetIcons(
            BlinkIcon(QXIconSet::kAviRecording2, QXIconSet::kAviRecording1, state.blinkPhase));
}
