#include "CKWToolTip.h"

#include <QEvent>
#include <QHelpEvent>
#include <QLabel>
#include <QWidget>

namespace {
constexpr int kMargin = 3;
constexpr QPoint kOffsetFromPointer{2, 16};
} // namespace

CKWToolTip::CKWToolTip(QWidget* tool) : QObject(tool), m_tool(tool) {
    tool->installEventFilter(this);
}

CKWToolTip::~CKWToolTip() {
    delete m_window;
}

void CKWToolTip::SetText(const QString& text, bool activate) {
    m_text = text;
    m_text.replace("\r\n", "\n");
    if (m_window) {
        m_window->setText(m_text);
    }
    Activate(activate);
}

void CKWToolTip::Activate(bool active) {
    m_active = active;
    if (!active) {
        Hide();
    }
}

void CKWToolTip::ShowAt(const QPoint& global) {
    if (!m_active || m_text.isEmpty()) {
        return;
    }
    if (!m_window) {
        m_window = new QLabel(nullptr, Qt::ToolTip | Qt::BypassGraphicsProxyWidget);
        m_window->setForegroundRole(QPalette::ToolTipText);
        m_window->setBackgroundRole(QPalette::ToolTipBase);
        m_window->setAutoFillBackground(true);
        m_window->setFrameStyle(QFrame::Box | QFrame::Plain);
        m_window->setMargin(kMargin);
        m_window->setTextFormat(Qt::PlainText);
        m_window->setText(m_text);
    }
    // A tip wider than the limit wraps at the limit; a narrower one keeps its natural width.
    m_window->setWordWrap(false);
    m_window->setMinimumSize(0, 0);
    m_window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    m_window->adjustSize();
    if (m_window->width() > kMaxTipWidth) {
        m_window->setWordWrap(true);
        m_window->setFixedWidth(kMaxTipWidth);
        m_window->setFixedHeight(m_window->heightForWidth(kMaxTipWidth));
    } else {
        m_window->setFixedSize(m_window->size());
    }
    m_window->move(global);
    m_window->show();
}

void CKWToolTip::Hide() {
    if (m_window) {
        m_window->hide();
    }
}

const QLabel* CKWToolTip::Window() const {
    return m_window && m_window->isVisible() ? m_window.data() : nullptr;
}

bool CKWToolTip::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_tool) {
        return false;
    }
    switch (event->type()) {
    case QEvent::ToolTip:
        ShowAt(static_cast<QHelpEvent*>(event)->globalPos() + kOffsetFromPointer);
        return true; // the control's tip replaces the framework's
    case QEvent::Leave:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Hide:
    case QEvent::WindowDeactivate:
    case QEvent::EnabledChange:
        Hide();
        break;
    default:
        break;
    }
    return false;
}
