#pragma once
#include <QHash>
#include <QSize>
#include <QString>

#include <cstdint>

class CIconButton;
class CKWSlider;
class KWVideoAreaWidget;
class QLabel;
class QPlainTextEdit;
class QWidget;

// The controls of the main window's client area, each named by its identifier (QXViewerIds):
// the video area, the 120-pixel control bar below it and the hidden diagnostics panel.
//
// The bar holds, from the left: the working-mode, device and capture buttons (two rows of
// three), the channel group, the group of the current working mode (Viewer or MYS playback,
// which takes the width left over, so its position slider grows with the window) and the audio
// group. The group of the other working mode lies 80 pixels lower and is hidden. The diagnostics
// panel, once shown, takes a column at the right of the window.
class CViewerControls {
public:
    static constexpr int kVideoLeft = 4;
    static constexpr int kVideoRightMargin = 8;
    static constexpr int kBarHeight = 120;
    static constexpr int kHiddenGroupDrop = 80;
    static constexpr int kDiagnosticsWidth = 419;

    // Creates every control as a child of `client`, with its template caption cleared from the
    // buttons (they show icons only) and the diagnostics panel hidden.
    explicit CViewerControls(QWidget& client);

    KWVideoAreaWidget& VideoArea() const;
    CIconButton& Button(int id) const;
    CKWSlider& Slider(int id) const;
    QLabel& Text(int id) const;
    QPlainTextEdit& Edit(int id) const;
    QWidget& Control(int id) const;

    // Shows button `id` with one icon, enabled or not, with its tooltip.
    void SetButton(int id, int icon, bool enabled, const QString& tooltip);

    // Places the controls in a client area of `client` size for the working mode (0 Viewer,
    // 1 MYS Player).
    void LayOut(const QSize& client, int workingMode);

    // The MYS file's name and its size ("File Size:\t" and FileSizeText), or "No File Loaded".
    void ShowFile(const QString& name, std::uint64_t length);
    void ShowNoFile();
    // The length in Bytes (up to 1024), KBytes (up to 1048576) or MBytes, with two decimals.
    static QString FileSizeText(std::uint64_t length);

    // Shows the diagnostics edits and the Cancel button; the next LayOut keeps a column for them.
    void ShowDiagnostics();
    bool AreDiagnosticsShown() const { return m_diagnostics; }

private:
    template <class Widget> Widget* Add(Widget* widget, int id);
    CIconButton* AddButton(QWidget& parent, int id, int icon);
    void BuildCommonButtons();
    void BuildChannelGroup();
    void BuildViewerGroup();
    void BuildMysGroup();
    void BuildAudioGroup();
    void BuildDiagnostics();
    void PlaceBar(int width, int top, int workingMode);
    void PlaceModeGroup(int id, int x, int y, int width);
    void PlaceDiagnostics(int x, int height);

    QWidget& m_client;
    QHash<int, QWidget*> m_controls;
    bool m_diagnostics = false;
};
