#include "KWVideoAreaWidget.h"

#include <QMetaObject>
#include <QPaintEvent>
#include <QPainter>

KWVideoAreaWidget::KWVideoAreaWidget(QWidget* parent) : QWidget(parent), m_window(*this) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_window.SetClientSize(width(), height());
}

KWVideoAreaWidget::~KWVideoAreaWidget() = default;

void KWVideoAreaWidget::Window::OnFrameBufferChanged(const KWRect& area) {
    const QRect rect(area.left, area.top, area.Width(), area.Height());
    {
        std::lock_guard lock(m_widget.m_changedMutex);
        const bool pending = !m_widget.m_changed.isEmpty();
        m_widget.m_changed += rect;
        if (pending)
            return;
    }
    QMetaObject::invokeMethod(&m_widget, &KWVideoAreaWidget::RepaintChanged, Qt::QueuedConnection);
}

void KWVideoAreaWidget::RepaintChanged() {
    QRegion changed;
    {
        std::lock_guard lock(m_changedMutex);
        changed.swap(m_changed);
    }
    // This call is already the one pending repaint, so it paints now rather than posting
    // another event and waking the GUI thread a second time per frame.
    repaint(changed);
}

void KWVideoAreaWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect area = event->rect();
    auto lock = m_window.LockFrameBuffer();
    const KWPixelBuffer& buffer = m_window.GetFrameBuffer();
    if (buffer.IsEmpty()) {
        painter.fillRect(area, Qt::black);
        return;
    }
    const QRect drawn = area.intersected(QRect(0, 0, buffer.GetWidth(), buffer.GetHeight()));
    if (buffer.GetLayout() == KWPixelLayout::kRGB32) {
        const QImage image(buffer.GetBits(), buffer.GetWidth(), buffer.GetHeight(),
                           buffer.GetPitch(), QImage::Format_RGB32);
        painter.drawImage(drawn.topLeft(), image, drawn);
        return;
    }
    if (m_converted.width() != buffer.GetWidth() || m_converted.height() != buffer.GetHeight())
        m_converted = QImage(buffer.GetWidth(), buffer.GetHeight(), QImage::Format_RGB32);
    for (int y = drawn.top(); y <= drawn.bottom(); ++y)
        buffer.ReadRow(y, drawn.left(), drawn.width(),
                       reinterpret_cast<std::uint32_t*>(m_converted.scanLine(y)) + drawn.left());
    painter.drawImage(drawn.topLeft(), m_converted, drawn);
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
