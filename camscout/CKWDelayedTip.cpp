#include "CKWDelayedTip.h"

#include <QCursor>
#include <QEvent>
#include <QToolTip>
#include <QWidget>

CKWDelayedTip::CKWDelayedTip(QWidget* widget, int delayMs, const QString& colour)
    : QObject(widget), m_widget(widget), m_colour(colour) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(delayMs);
    connect(&m_timer, &QTimer::timeout, this, &CKWDelayedTip::Show);
    widget->installEventFilter(this);
}

void CKWDelayedTip::SetText(const QString& text) {
    m_widget->setToolTip(text);
}

bool CKWDelayedTip::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_widget)
        return false;
    switch (event->type()) {
    case QEvent::Enter:
        m_timer.start();
        return false;
    case QEvent::Leave:
        m_timer.stop();
        QToolTip::hideText();
        return false;
    case QEvent::ToolTip:
        return true; // shown by our own timer instead
    default:
        return false;
    }
}

void CKWDelayedTip::Show() {
    const QString text = m_widget->toolTip();
    if (text.isEmpty() || !m_widget->underMouse())
        return;
    QToolTip::showText(QCursor::pos(),
                       QString("<font color=\"%1\">%2</font>").arg(m_colour, text.toHtmlEscaped()),
                       m_widget);
}
