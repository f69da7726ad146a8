#pragma once
#include <QColor>
#include <QDialog>
#include <QPoint>

#include <optional>

class QLabel;
class QTimer;

// The small frameless window shown while a stream capture runs: a box and the word
// "Capturing" blink once a second; "Stop Capturing" ends it. Dragging it anywhere moves it.
class CCaptureIndicatorDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kIdColourBox = 1031;
    static constexpr int kIdText = 1032;
    static constexpr int kFirstTickMs = 100;
    static constexpr int kBlinkMs = 1000;
    static constexpr QColor kOnColour{255, 50, 50};
    static constexpr QColor kOffColour{200, 100, 100};

    explicit CCaptureIndicatorDlg(QWidget* parent = nullptr);

    bool IsLit() const { return m_lit; }
    QColor BoxColour() const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Toggle();

    QWidget* m_box = nullptr;
    QLabel* m_text = nullptr;
    QTimer* m_firstTick = nullptr;
    QTimer* m_blink = nullptr;
    bool m_lit = false;
    // Where the pointer grabbed the window, while it is dragged by hand.
    std::optional<QPoint> m_grab;
};
