#include "CCaptureIndicatorDlg.h"

#include "CIconButton.h"
#include "QXDialogKit.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <QWindow>

using QXDialogKit::Named;

namespace {
constexpr int kBoxSize = 18;
constexpr int kTextWidth = 80;

void Fill(QWidget& box, const QColor& colour) {
    QPalette palette = box.palette();
    palette.setColor(QPalette::Window, colour);
    box.setPalette(palette);
}
} // namespace

CCaptureIndicatorDlg::CCaptureIndicatorDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName("176");
    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);

    auto* layout = new QHBoxLayout(frame);
    m_box = Named(new QFrame(frame), kIdColourBox);
    m_box->setFixedSize(kBoxSize, kBoxSize);
    m_box->setAutoFillBackground(true);
    static_cast<QFrame*>(m_box)->setFrameStyle(QFrame::Box | QFrame::Plain);
    Fill(*m_box, kOffColour);
    layout->addWidget(m_box);
    m_text = Named(new QLabel(frame), kIdText);
    m_text->setMinimumWidth(kTextWidth);
    layout->addWidget(m_text);
    layout->addWidget(QXDialogKit::CancelButton(*this, "Stop Capturing"));

    // The first tick comes soon so the window shows at once that it captures; then once a
    // second. Each window has its own timers and phase.
    m_firstTick = new QTimer(this);
    m_firstTick->setSingleShot(true);
    connect(m_firstTick, &QTimer::timeout, this, &CCaptureIndicatorDlg::Toggle);
    m_firstTick->start(kFirstTickMs);
    m_blink = new QTimer(this);
    connect(m_blink, &QTimer::timeout, this, &CCaptureIndicatorDlg::Toggle);
    m_blink->start(kBlinkMs);
}

QColor CCaptureIndicatorDlg::BoxColour() const {
    return m_box->palette().color(QPalette::Window);
}

void CCaptureIndicatorDlg::Toggle() {
    m_lit = !m_lit;
    m_text->setText(m_lit ? "Capturing" : "");
    Fill(*m_box, m_lit ? kOnColour : kOffColour);
}

void CCaptureIndicatorDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(event);
        return;
    }
    // The window system moves the window as by its title bar; where it cannot, it is moved here.
    if (!windowHandle() || !windowHandle()->startSystemMove()) {
        m_grab = event->globalPosition().toPoint() - frameGeometry().topLeft();
    }
}

void CCaptureIndicatorDlg::mouseMoveEvent(QMouseEvent* event) {
    if (m_grab && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - *m_grab);
    }
}

void CCaptureIndicatorDlg::mouseReleaseEvent(QMouseEvent* event) {
    m_grab.reset();
    QDialog::mouseReleaseEvent(event);
}
