#pragma once
#include "CConfigFileManager.h"
#include "CKWWaveManager.h"
#include "CQXScreenManager4.h"
#include "CQXStorageDeviceManager.h"
#include "KWDriveList.h"
#include "KWQtPlatform.h"

#include <QDialog>

#include <atomic>
#include <cstdint>
#include <functional>

class KWVideoAreaWidget;
class QKeyEvent;
class QLabel;
class QTimer;

// The viewer's main window. It owns the long-lived engines (created in this order, destroyed in
// reverse): the configuration (loaded from the start directory, saved when the window goes),
// the screen manager showing the four channels in the video area, the wave manager, and the
// device manager that finds the DVR disks among the drives and plays the first one.
// Keys are handled before any control sees them.
class CViewerDlg : public QDialog {
    Q_OBJECT
public:
    // Control identifiers, also the controls' object names.
    static constexpr int kIdVideoArea = 1001;
    static constexpr int kIdViewerStatus = 1038;

    static constexpr int kVideoWidth = 608;
    static constexpr int kVideoHeight = 570;
    static constexpr int kVideoLeft = 4;
    static constexpr int kControlBandHeight = 120;
    static constexpr int kInitialVolume = 50;
    static constexpr int kMaxVolume = 100;
    static constexpr int kVolumeStep = 5;
    static constexpr std::uint32_t kAudioSamplesPerSecond = 8000;
    static constexpr std::uint16_t kAudioBitsPerSample = 16;
    static constexpr int kRefreshPeriodMs = 200;
    static constexpr int kDetectionPollMs = 20;

    enum WorkingMode { kViewerMode = 0, kMysPlayerMode = 1 };

    // `drives` are the drives the device manager examines: the system's drive list by default.
    explicit CViewerDlg(KWDriveList drives = KWSystemDriveList(), QWidget* parent = nullptr);
    ~CViewerDlg() override;

    static QString WindowTitle();

    // Ends the dialog (Close: the close box, Ctrl+X); the engines stop first.
    void done(int result) override;

    // True once the drives have been examined and the first device (if any) is playing.
    bool IsStarted() const { return m_started; }
    int GetWorkingMode() const { return m_workingMode; }
    int GetVolume() const { return m_volume; }
    std::uint8_t GetDisplayRequest() const { return m_displayRequest; }
    CQXScreenManager4& GetScreenManager() { return m_screenManager; }
    CKWWaveManager& GetWaveManager() { return m_waveManager; }
    CQXStorageDeviceManager& GetDeviceManager() { return m_deviceManager; }
    CConfigFileManager& GetConfiguration() { return m_config; }

    // The configuration command: the settings dialog, modal.
    void ChangeConfiguration();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildControls();
    void LayOut();
    void ContinueStartWhenDetected();
    void FinishStart();
    void PrintDriveFindings();
    // Stops the engines in the documented order: the stream, the devices, the sound output,
    // the screen manager. Runs once; later calls do nothing.
    void StopEngines();
    KWResult OnEngineMessage(std::uint32_t message, KWWParam wParam, KWLParam lParam);
    void Refresh();

    // True when the key was consumed.
    bool PreTranslateKeyDown(const QKeyEvent& key);
    bool IsDeviceOpen() const;
    // Applies a transport transition to the device's mode (none while it is "none"); false
    // when no device is open.
    using Transition = std::function<std::uint32_t(std::uint32_t)>;
    bool RunViewerTransport(const Transition& transition);
    void SelectAllChannels();
    void SelectChannel(int channel);
    void SelectTwoChannels();
    void AfterChannelSelection();
    void ChangeVolume(int position);
    void ToggleAudio();
    void OpenSound();

    // Listens to the engines; declared first so that it outlives them.
    KWQtWindowTarget m_target;
    CConfigFileManager m_config;
    std::atomic<std::uint8_t> m_displayRequest{0};
    CQXScreenManager4 m_screenManager;
    CKWWaveManager m_waveManager;
    CQXStorageDeviceManager m_deviceManager;

    KWVideoAreaWidget* m_videoArea = nullptr;
    QLabel* m_viewerStatus = nullptr;
    QTimer* m_detectionTimer = nullptr;
    QTimer* m_refreshTimer = nullptr;

    int m_workingMode = kViewerMode;
    int m_volume = kInitialVolume;
    bool m_ctrlHeld = false;
    bool m_shiftHeld = false;
    bool m_started = false;
    bool m_stopped = false;
    // Refresh cache: the mode the status line shows; an impossible start value.
    std::uint32_t m_shownDeviceMode = 0;

    // The two-channel command's place in its cycle of pairs, shared by every window.
    static int s_pairIndex;
};
