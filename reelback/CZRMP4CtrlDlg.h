#pragma once
#include "CZrmp4controlctrl1.h"
#include "KWQtPlatform.h"

#include <QRect>
#include <QWidget>

#include <memory>
#include <string>

// The borderless child window that hosts the playback component for the main window: opens files
// in it, keeps the play mode and makes the component's calls for each mode, fits the component
// into itself and replaces it on request. Double-clicking the picture takes the host out of the
// main window to fill the screen; Enter or Escape puts it back.
class CZRMP4CtrlDlg : public QWidget {
    Q_OBJECT
public:
    static constexpr int kControlId = 1037;
    // The component is this much smaller than the host on each side.
    static constexpr int kControlMargin = 2;
    // Call 30 after every open: show the recording time in this colour (0x00BBGGRR).
    static constexpr std::uint32_t kCaptionColour = 0xFFFF00;

    CZRMP4CtrlDlg(QWidget* owner, CKWPlaybackControl::AudioFactory audio = nullptr,
                  CZrmp4controlctrl1::CallObserver observer = nullptr);
    ~CZRMP4CtrlDlg() override;

    void Open(const std::string& path);
    std::int32_t Duration();
    std::int32_t Position();
    bool IsOpen();
    const std::string& GetFileName() const { return m_fileName; }

    int GetPlayMode() const { return m_playMode; }
    // Stores the mode and makes the component's calls that entering it needs.
    void SetPlayMode(int mode);

    // The component; null while discarded.
    CZrmp4controlctrl1* Control() const { return m_control.get(); }
    void DiscardControl();
    void CreateControl();

    // Where the host sits in its owner; moves it there and fits the component.
    void SetLayoutRect(const QRect& rect);
    const QRect& LayoutRect() const { return m_layoutRect; }
    void FitControl();
    bool IsDetached() const { return isWindow(); }
    void Detach();
    void Attach();

    // The message target the component notifies (WM_CONTROL_RESET).
    KWWindowHandle WindowHandle() { return &m_target; }

signals:
    // The component asked to be replaced.
    void controlReset();
    // Playing ran into the end (forward) or the start (backward) of the file.
    void playbackEnded();
    // The component shows a new picture.
    void pictureShown();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    KWResult OnMessage(std::uint32_t message, KWWParam wParam, KWLParam lParam);

    QWidget* m_owner;
    CKWPlaybackControl::AudioFactory m_audio;
    CZrmp4controlctrl1::CallObserver m_observer;
    KWQtWindowTarget m_target;
    std::unique_ptr<CZrmp4controlctrl1> m_control;
    std::string m_fileName;
    int m_playMode = 0;
    QRect m_layoutRect;
};
