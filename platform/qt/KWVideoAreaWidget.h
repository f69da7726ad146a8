#pragma once
#include "KWDisplayWindow.h"

#include <QWidget>

#include <atomic>

// The widget that shows a display window's frame buffer. The driver writes the frame buffer
// from any thread; the widget repaints from it on the GUI thread, at most one repaint pending.
class KWVideoAreaWidget : public QWidget {
    Q_OBJECT
public:
    explicit KWVideoAreaWidget(QWidget* parent = nullptr);
    ~KWVideoAreaWidget() override;

    KWDisplayWindow* GetDisplayWindow() { return &m_window; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    class Window : public KWDisplayWindow {
    public:
        explicit Window(KWVideoAreaWidget& widget) : m_widget(widget) {}
        void OnFrameBufferChanged() override;

    private:
        KWVideoAreaWidget& m_widget;
    };

    void UpdateOrigin();

    Window m_window;
    std::atomic<bool> m_repaintPending{false};
};
