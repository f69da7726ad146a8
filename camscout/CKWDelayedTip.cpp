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

bool CKWDelayedTip::IsPointerInside() const {
    return m_widget->rect().contains(m_widget->mapFromGlobal(QCursor::pos()));
}

void CKWDelayedTip::EndVisit() {
    m_visiting = false;
    m_timer.stop();
    QToolTip::hideText();
}

bool CKWDelayedTip::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_widget)
        return false;
    switch (event->type()) {
    case QEvent::Enter:
        if (!m_visiting) {
            m_visiting = true;
            m_timer.start();
        }
        return false;
    case QEvent::Leave:
        if (!IsPointerInside())
            EndVisit();
        return false;
    case QEvent::Hide:
        EndVisit();
        return false;
    case QEvent::ToolTip:
        return true; // shown by our own timer instead
    default:
        return false;
    }
}

// Qt hides the tip itself once the pointer moves out of the widget.
void CKWDelayedTip::Show() {
    const QString text = m_widget->toolTip();
    if (text.isEmpty() || !IsPointerInside())
        return;
    QToolTip::showText(QCursor::pos(),
                       QString("<font color=\"%1\">%2</font>").arg(m_colour, text.toHtmlEscaped()),
                       m_widget, m_widget->rect());
}
