#pragma once
#include "QXPlayMode.h"

#include <QString>

#include <cstdint>
#include <optional>

class CIconButton;
class CViewerControls;
class QObject;

// What the main window's controls show, read from the engines at each refresh.
struct QXViewerState {
    int workingMode = 0; // 0 Viewer, 1 MYS Player
    int blinkPhase = 0;  // 1 on odd seconds: active buttons show their active icon
    std::uint8_t recordedChannels = 0;
    std::uint8_t displayedChannels = 0;
    bool audioOn = false;
    bool deviceOpen = false;
    std::uint32_t deviceMode = QXPlayMode::kNone;
    bool mysLoaded = false;
    std::uint32_t mysMode = 0; // the file manager's mode index: 2 "onef" to 18 "pause"
    int formattedDevices = 0;
    bool aviCaptureRunning = false;
};

// Keeps the main window's buttons, tooltips, status texts and menu items in step with the
// engines: each group of controls is redrawn only when the state it shows changed since it was
// last drawn, and everything is drawn at the first refresh.
class CViewerRefresh {
public:
    // `menu` holds the window's menu items (QXViewerMenu).
    CViewerRefresh(CViewerControls& controls, QObject& menu);

    // Every group, in order: working mode, channels, audio, Viewer transport, MYS transport,
    // capture buttons, AVI button.
    void Refresh(const QXViewerState& state);
    void RefreshWorkingMode(const QXViewerState& state);
    void RefreshAudio(const QXViewerState& state);

    // The icons of a button that blinks while active: its active icon in blink phase 1.
    static int BlinkIcon(int normal, int active, int blinkPhase);

private:
    struct ChannelInputs {
        int blinkPhase;
        int workingMode;
        std::uint8_t recorded;
        std::uint8_t displayed;
        bool operator==(const ChannelInputs&) const = default;
    };
    struct TransportInputs {
        std::uint32_t mode;
        bool open;
        int blinkPhase;
        int workingMode;
        bool operator==(const TransportInputs&) const = default;
    };
    struct CaptureInputs {
        int workingMode;
        std::uint32_t mysMode;
        std::uint32_t deviceMode;
        bool operator==(const CaptureInputs&) const = default;
    };

    void RefreshChannels(const QXViewerState& state);
    void RefreshViewerTransport(const QXViewerState& state);
    void RefreshMysTransport(const QXViewerState& state);
    void RefreshCaptures(const QXViewerState& state);
    void RefreshAvi(const QXViewerState& state);
    // The five buttons of a transport group and its status for `mode`, or all disabled.
    void ShowTransport(const int (&buttons)[5], bool live, std::uint32_t mode, int blinkPhase);
    void ShowMenuTransport(const int (&items)[7], bool live, std::uint32_t mode);
    void SetItem(int id, bool enabled, bool ticked);
    void SetItemEnabled(int id, bool enabled);

    CViewerControls& m_controls;
    QObject& m_menu;
    std::optional<int> m_shownWorkingMode;
    std::optional<ChannelInputs> m_shownChannels;
    std::optional<bool> m_shownAudio;
    std::optional<TransportInputs> m_shownViewer;
    std::optional<TransportInputs> m_shownMys;
    std::optional<CaptureInputs> m_shownCaptures;
    std::optional<int> m_shownAviBlink;
};
