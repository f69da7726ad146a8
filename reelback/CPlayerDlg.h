#pragma once
#include "CZRMP4CtrlDlg.h"

#include <QDialog>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>

#include <map>

class CKWElidedLabel;
class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QSlider;
class QToolButton;

// The player's main window ("Reelplay"): the hosted playback component above a 70-pixel strip
// with the play buttons, the position and volume sliders and the file information; the menu, the
// tray icon and dropped files. Commands are public so the application and tests can give them.
class CPlayerDlg : public QDialog {
    Q_OBJECT
public:
    // Control identifiers, also the controls' object names.
    static constexpr int kIdLoadFile = 1000;
    static constexpr int kIdPlay = 1001;
    static constexpr int kIdPause = 1002;
    static constexpr int kIdFastReverse = 1003;
    static constexpr int kIdReverse = 1004;
    static constexpr int kIdStatus = 1006;
    static constexpr int kIdSnapshot = 1007;
    static constexpr int kIdVolume = 1008;
    static constexpr int kIdMute = 1009;
    static constexpr int kIdAudioGroup = 1010;
    static constexpr int kIdControlGroup = 1011;
    static constexpr int kIdInformationGroup = 1012;
    static constexpr int kIdFilePath = 1013;
    static constexpr int kIdTotalTime = 1014;
    static constexpr int kIdPosition = 1015;
    static constexpr int kIdPositionFrame = 1016;
    static constexpr int kIdStatusFrame = 1017;
    static constexpr int kIdPositionText = 1018;
    static constexpr int kIdFastForward = 1037;

    // Menu commands.
    static constexpr int kCmdAbout = 16;
    static constexpr int kCmdOpenFile = 32771;
    static constexpr int kCmdPlay = 32775;
    static constexpr int kCmdPause = 32776;
    static constexpr int kCmdEnglish = 32779;
    static constexpr int kCmdSetting = 32780;
    static constexpr int kCmdSnapshot = 32781;
    static constexpr int kCmdExit = 32782;
    static constexpr int kCmdFastReverse = 32783;
    static constexpr int kCmdReverse = 32784;
    static constexpr int kCmdFastForward = 32785;
    static constexpr int kCmdToAvi = 32786;

    static constexpr int kStripHeight = 70;
    static constexpr int kHostInset = 1;
    static constexpr int kPositionTimerMs = 1000;
    static constexpr int kVolumeMin = 55;
    static constexpr int kVolumeMax = 100;
    static constexpr int kVolumeSoundOn = 78;
    static constexpr int kVolumeScale = 100; // component volume = slider position * this

    explicit CPlayerDlg(CKWPlaybackControl::AudioFactory audio = nullptr,
                        CZrmp4controlctrl1::CallObserver observer = nullptr,
                        QWidget* parent = nullptr);
    ~CPlayerDlg() override;

    // The text after the program on the command line: a file to open, or nothing when it is
    // empty or a single blank.
    void OpenCommandLine(const QString& text);
    // Opens the file as Open does after its dialog, and remembers it.
    void OpenPath(const QString& path);
    // Shows the window again wherever it was (hidden in the tray, minimised) and raises it.
    void RestoreWindow();

    void OnOpenFile();
    void OnPlay();
    void OnPause();
    void OnReverse();
    void OnFastForward();
    void OnFastReverse();
    void OnSnapshot();
    void OnSetting();
    void OnToAvi();
    void OnExit();
    void OnMute();
    void OnAbout();
    // The arrow keys: the first press plays (reverses), further presses step the speed up.
    void OnRightKey();
    void OnLeftKey();
    void OnControlReset();
    void OnPlaybackEnded();
    void OnTrayActivated(QSystemTrayIcon::ActivationReason reason);
    // Timer 0 and every new picture: the position slider and text follow the component.
    void UpdatePosition();

    CZRMP4CtrlDlg* Host() const { return m_host.data(); }
    QAction* MenuAction(int command) const;
    QMenu* TrayMenu() const { return m_trayMenu; }
    const QString& RememberedPath() const { return m_rememberedPath; }
    bool IsReopenSet() const { return m_reopen; }
    bool IsMuted() const { return m_muted; }
    bool IsPositionTimerActive() const { return m_positionTimer.isActive(); }
    // The passing line over the picture (where a snapshot went); hidden when there is none.
    const CKWElidedLabel* Notice() const { return m_notice; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildMenu();
    QWidget* BuildStrip();
    void BuildTray();
    QToolButton* MakeButton(int id, const char* tip);
    void ConnectSliders();
    void Layout();
    void UpdateControls();
    void SetIcon(QToolButton* button, int icon);
    void SetStatus(const QString& text);
    void ShowNotice(const QString& text);
    void PlaceNotice();
    void ShowOpenResult(const QString& path);
    void ApplyTransition(int mode, bool resumeFirst);
    void SeekToSlider();
    void TouchVolume();
    void ApplySound();
    bool IsFileOpen() const;

    QPointer<CZRMP4CtrlDlg> m_host;
    QMenuBar* m_menuBar = nullptr;
    QWidget* m_strip = nullptr;
    std::map<int, QAction*> m_actions;
    std::map<int, QToolButton*> m_buttons;
    QSlider* m_position = nullptr;
    QSlider* m_volume = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_positionText = nullptr;
    CKWElidedLabel* m_filePath = nullptr;
    CKWElidedLabel* m_totalTime = nullptr;
    QSystemTrayIcon* m_tray = nullptr;
    QMenu* m_trayMenu = nullptr;
    QTimer m_positionTimer;
    CKWElidedLabel* m_notice = nullptr;
    QTimer m_noticeTimer;

    QString m_rememberedPath;
    bool m_reopen = false;
    bool m_muted = true;
};
