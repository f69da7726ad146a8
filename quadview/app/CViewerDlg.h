#pragma once
#include "CAviCapture.h"
#include "CConfigFileManager.h"
#include "CKWSystemOsInfo.h"
#include "CKWWaveManager.h"
#include "CQXMysFileManager.h"
#include "CQXScreenManager4.h"
#include "CQXStorageDeviceManager.h"
#include "KWDriveList.h"
#include "KWQtPlatform.h"

#include <QDialog>
#include <QSize>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

class CKWSlider;
class CViewerControls;
class CViewerRefresh;
class QKeyEvent;
class QMenuBar;
class QTime;
class QTimer;
struct QXViewerState;

// The viewer's main window. It owns the long-lived engines (created in this order, destroyed in
// reverse): the configuration (loaded from the start directory, saved when the window goes),
// the screen manager showing the four channels in the video area, the wave manager, the device
// manager that finds the DVR disks among the drives and plays one, and the MYS file manager
// that plays MYS files and records captures.
//
// It works in one of two working modes: Viewer (the source is a disk) or MYS Player (the source
// is an MYS file). Buttons, menu items and keys become commands for the engine of the mode
// (keys are handled before any control sees them); the engines' notifications arrive as
// messages; a refresh every 200 ms brings the controls in step with the engines.
class CViewerDlg : public QDialog {
    Q_OBJECT
public:
    // The video area's size before the window's first size, and that first size: 680 wide and
    // 21 higher than the video area's height.
    static constexpr int kVideoWidth = 608;
    static constexpr int kVideoHeight = 570;
    static constexpr int kFirstWidth = 680;
    static constexpr int kFirstExtraHeight = 21;
    static constexpr int kMinimumWidth = 652;
    static constexpr int kMinimumHeight = 120;
    // With the diagnostics panel shown the window grows by its column and to this height.
    static constexpr int kDiagnosticsHeight = 832;
    // Both heights grow by this on a 5.x system after 5.0.
    static constexpr int kVersion5ExtraHeight = 10;

    static constexpr int kInitialVolume = 50;
    static constexpr int kMaxVolume = 100;
    static constexpr int kVolumeStep = 5;
    static constexpr int kMysSliderStartMaximum = 1000000;
    static constexpr int kInitialHourStep = 1;
    static constexpr int kInitialMinuteStep = 10;
    // A device opened below this position asks whether to go back to the last position.
    static constexpr std::uint32_t kRecentQuestionBelow = 101;

    static constexpr int kRefreshPeriodMs = 200;
    static constexpr int kDiagnosticsPeriodMs = 400;
    static constexpr std::uint32_t kModeSwitchSettleMs = 160;
    static constexpr std::uint32_t kDeviceSwitchSettleMs = 100;
    static constexpr std::uint32_t kPauseWaitMs = 1000;

    enum WorkingMode { kViewerMode = 0, kMysPlayerMode = 1 };
    enum class StartSound { Off, On };

    // Starts the viewer: checks the platform, examines `drives` (the system's drive list by
    // default) under the detection dialog and starts playing the first DVR disk. The sound
    // starts off unless `sound` says on. A refused start (an unsupported system, the detection
    // cancelled) tells the user why and leaves the window with its engines stopped and
    // IsRefused() true: the program then ends with exit code 0.
    explicit CViewerDlg(KWDriveList drives = KWSystemDriveList(),
                        StartSound sound = StartSound::Off, QWidget* parent = nullptr);
    ~CViewerDlg() override;

    static QString WindowTitle();

    // The operation of a button or menu item, by its identifier (QXViewerIds).
    void RunCommand(int id);
    // The refresh of timer 200, with the blink phase of `now`.
    void RefreshControls(const QTime& now);

    // Close (the close box, button 2, menu Exit, Ctrl+X): asks first when the settings say so.
    void reject() override;
    // Closes as after a Yes to that question (a terminal's interrupt).
    void CloseConfirmed();
    // Ends the dialog; the engines stop first.
    void done(int result) override;

    // True once the drives have been examined and the first device (if any) is playing.
    bool IsStarted() const { return m_started; }
    bool IsRefused() const { return m_refused; }
    int GetWorkingMode() const { return m_workingMode; }
    int GetVolume() const;
    std::uint8_t GetDisplayRequest() const { return m_displayRequest; }
    static int GetHourStep() { return s_hourStep; }
    static int GetMinuteStep() { return s_minuteStep; }
    bool IsAlwaysOnTop() const { return m_alwaysOnTop; }
    bool AreDiagnosticsShown() const;
    // The client area's size as the last size event left it (below the menu bar).
    QSize GetClientSize() const { return m_clientSize; }
    CQXScreenManager4& GetScreenManager() { return m_screenManager; }
    CKWWaveManager& GetWaveManager() { return m_waveManager; }
    CQXStorageDeviceManager& GetDeviceManager() { return m_deviceManager; }
    CQXMysFileManager& GetMysFileManager() { return m_mysFileManager; }
    CConfigFileManager& GetConfiguration() { return m_config; }

    // The channel (1-4) whose quadrant holds `point` (client coordinates) in a video area of
    // size `video`, or 0 when it lies on no quadrant's open range.
    static int ChannelAtPoint(const QPoint& point, const QSize& video);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    using Transition = std::function<std::uint32_t(std::uint32_t)>;

    void ConnectControls();
    void LayOut();
    void EndStart();
    int OsExtraHeight();
    void FinishStart();
    void PrintDriveFindings();
    void SetStartTooltips(int formattedDevices);
    void StopEngines();
    QXViewerState ReadState(const QTime& now);
    void UpdateDiagnostics();
    void RevealDiagnostics();
    KWResult OnMessage(std::uint32_t message, KWWParam wParam, KWLParam lParam);
    void OnDeviceOpened();
    void ShowDevicePosition(std::uint32_t position);
    void ShowMysPosition(std::uint32_t position);

    // True when the key was consumed.
    bool PreTranslateKeyDown(const QKeyEvent& key);
    bool StepDiagnosticsSequence(int key);
    void OnVideoDoubleClick(const QPoint& point);

    // Working mode and sources.
    void SwitchWorkingMode();
    void SelectOtherDevice();
    void ShowDeviceInformation();
    void LoadMysFile();
    bool IsDeviceOpen() const;
    // The file manager's status: 0 no file, 1 recording, else the player's mode index.
    std::uint32_t GetMysMode() const { return m_mysFileManager.IsRecording(); }
    void PauseDevice();

    // Transports: a transition of the play mode of the device or of the MYS player. The
    // device's returns false when no device is open, the MYS keys' when no file is loaded.
    bool RunViewerTransport(const Transition& transition);
    void RunMysTransport(const Transition& transition);
    bool RunMysKey(const Transition& transition);

    // Channels.
    void SelectAllChannels();
    void SelectChannel(int channel);
    void SelectTwoChannels();
    void AfterChannelSelection();

    // Sound.
    void ToggleAudio();
    void TurnAudioOn();
    bool OpenSound();
    void StepVolume(int step);
    void ChangeVolume(int position);

    // Searches and jumps.
    void StepSearchTime(int key);
    void SearchTime();
    void SetSearchSteps();
    void ShowEventList();
    void GoToRecentPosition();

    // Captures.
    void CaptureMys();
    void CaptureJpeg();
    void CaptureAvi();
    bool IsAviCaptureRunning() const { return m_aviCapture.IsRunning(); }
    std::string GetMysDirectory();

    void ToggleAlwaysOnTop();
    void ShowAbout();
    void ChangeConfiguration();
    bool ConfirmClose();
    void SaveRecentPosition();

    // Listens to the engines; declared first so that it outlives them.
    KWQtWindowTarget m_target;
    CConfigFileManager m_config;
    CKWSystemOsInfo m_osInfo;
    std::atomic<std::uint8_t> m_displayRequest{0};
    CQXScreenManager4 m_screenManager;
    CKWWaveManager m_waveManager;
    CQXStorageDeviceManager m_deviceManager;
    CQXMysFileManager m_mysFileManager;
    // Declared after the engines it uses, so that it ends (and finishes its file) before them.
    CAviCapture m_aviCapture{*this, m_screenManager, m_deviceManager, m_config};

    QMenuBar* m_menuBar = nullptr;
    QWidget* m_client = nullptr;
    std::unique_ptr<CViewerControls> m_controls;
    std::unique_ptr<CViewerRefresh> m_refresh;
    CKWSlider* m_volume = nullptr;
    CKWSlider* m_devicePosition = nullptr;
    CKWSlider* m_mysPosition = nullptr;
    QTimer* m_refreshTimer = nullptr;
    QTimer* m_diagnosticsTimer = nullptr;

    int m_workingMode = kViewerMode;
    QSize m_clientSize{kVideoWidth, kVideoHeight};
    bool m_ctrlHeld = false;
    bool m_shiftHeld = false;
    bool m_alwaysOnTop = false;
    bool m_started = false;
    bool m_refused = false;
    bool m_stopped = false;
    // How many keys of the diagnostics sequence have been pressed in order.
    std::size_t m_diagnosticsKeys = 0;

    // Shared by every window of the program: the two-channel command's place in its cycle of
    // pairs, the time search's steps and whether an AVI export runs.
    static int s_pairIndex;
    static int s_hourStep;
    static int s_minuteStep;
};
