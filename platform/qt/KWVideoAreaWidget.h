#pragma once
#include "KWDisplayWindow.h"

#include <QImage>
#include <QRegion>
#include <QWidget>

#include <mutex>

// The widget that shows a display window's frame buffer. The driver writes the frame buffer
// from any thread; the widget repaints the parts written since its last repaint from it on the
// GUI thread, at most one repaint pending.
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
        void OnFrameBufferChanged(const KWRect& area) override;

    private:
        KWVideoAreaWidget& m_widget;
    };

    void UpdateOrigin();
    void RepaintChanged();

    Window m_window;
    // The parts of the frame buffer written since the pending repaint was asked for; empty
    // while none is pending.
    std::mutex m_changedMutex;
    QRegion m_changed;
    // The frame buffer in the widget's format, for displays of other layouts; kept from paint
    // to paint.
    QImage m_converted;
};
