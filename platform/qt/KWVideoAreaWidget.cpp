#include "KWVideoAreaWidget.h"

#include <QImage>
#include <QMetaObject>
#include <QPainter>

KWVideoAreaWidget::KWVideoAreaWidget(QWidget* parent) : QWidget(parent), m_window(*this) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_window.SetClientSize(width(), height());
}

KWVideoAreaWidget::~KWVideoAreaWidget() = default;

void KWVideoAreaWidget::Window::OnFrameBufferChanged() {
    if (m_widget.m_repaintPending.exchange(true))
        return;
    KWVideoAreaWidget* widget = &m_widget;
    QMetaObject::invokeMethod(
        widget,
        [widget] {
            widget->m_repaintPending = false;
            widget->update();
        },
        Qt::QueuedConnection);
}

void KWVideoAreaWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    auto lock = m_window.LockFrameBuffer();
    const KWPixelBuffer& buffer = m_window.GetFrameBuffer();
    if (buffer.IsEmpty()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    if (buffer.GetLayout() == KWPixelLayout::kRGB32) {
        const QImage image(buffer.GetBits(), buffer.GetWidth(), buffer.GetHeight(),
                           buffer.GetPitch(), QImage::Format_RGB32);
        painter.drawImage(0, 0, image);
        return;
    }
    QImage image(buffer.GetWidth(), buffer.GetHeight(), QImage::Format_RGB32);
    for (int y = 0; y < buffer.GetHeight(); ++y)
        buffer.ReadRow(y, 0, buffer.GetWidth(),
                       reinterpret_cast<std::uint32_t*>(image.scanLine(y)));
    painter.drawImage(0, 0, image);
}

void KWVideoAreaWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_window.SetClientSize(width(), height());
    UpdateOrigin();
}

void KWVideoAreaWidget::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    UpdateOrigin();
}

void KWVideoAreaWidget::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    UpdateOrigin();
}

void KWVideoAreaWidget::UpdateOrigin() {
    const QPoint origin = mapToGlobal(QPoint(0, 0));
    m_window.SetClientOrigin(KWPoint{origin.x(), origin.y()});
}
