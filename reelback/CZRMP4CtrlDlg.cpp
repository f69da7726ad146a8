#include "CZRMP4CtrlDlg.h"
#include "CKWPlaybackView.h"
#include "KWPlayMode.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

namespace {
constexpr int kNormalStep = 1;
constexpr int kBorderGrey = 96;
} // namespace

CZRMP4CtrlDlg::CZRMP4CtrlDlg(QWidget* owner, CKWPlaybackControl::AudioFactory audio,
                             CZrmp4controlctrl1::CallObserver observer)
    : QWidget(owner), m_owner(owner), m_audio(std::move(audio)), m_observer(std::move(observer)),
      m_target([this](std::uint32_t message, KWWParam wParam, KWLParam lParam) {
          return OnMessage(message, wParam, lParam);
      }) {
    setObjectName("CZRMP4CtrlDlg");
    setWindowTitle("Reelplay");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    CreateControl();
}

CZRMP4CtrlDlg::~CZRMP4CtrlDlg() {
    DiscardControl();
}

KWResult CZRMP4CtrlDlg::OnMessage(std::uint32_t message, KWWParam, KWLParam) {
    if (message == WM_CONTROL_RESET) {
        emit controlReset();
    } else if (message == WM_CONTROL_END) {
        emit playbackEnded();
    }
    return 0;
}

void CZRMP4CtrlDlg::Open(const std::string& path) {
    if (m_control == nullptr) {
        return;
    }
    if (!m_fileName.empty()) {
        m_control->CloseFile();
        m_fileName.clear();
    }
    m_fileName = path;
    m_control->SetFileName(path);
    m_control->OpenFile();
    m_control->SetCaption(1, kCaptionColour);
}

std::int32_t CZRMP4CtrlDlg::Duration() {
    return m_control != nullptr ? m_control->GetDuration(m_fileName) : 0;
}

std::int32_t CZRMP4CtrlDlg::Position() {
    return m_control != nullptr ? m_control->GetPosition() : 0;
}

bool CZRMP4CtrlDlg::IsOpen() {
    return m_control != nullptr && m_control->GetIsOpen() != 0;
}

void CZRMP4CtrlDlg::SetPlayMode(int mode) {
    m_playMode = mode;
    if (m_control == nullptr) {
        return;
    }
    if (mode == KWPlayMode::kPlay) {
        m_control->Resume();
        m_control->PlayForward(kNormalStep);
    } else if (mode == KWPlayMode::kReverse) {
        m_control->PlayBackward(kNormalStep);
    } else if (KWPlayMode::IsFastForward(mode)) {
        m_control->PlayForward(mode - KWPlayMode::kFastForwardFirst + KWPlayMode::kFirstFastStep);
    } else if (KWPlayMode::IsFastReverse(mode)) {
        m_control->PlayBackward(mode - KWPlayMode::kFastReverseFirst + KWPlayMode::kFirstFastStep);
    } else if (mode == KWPlayMode::kPause) {
        m_control->Pause();
    }
}

void CZRMP4CtrlDlg::DiscardControl() {
    m_control.reset();
}

void CZRMP4CtrlDlg::CreateControl() {
    m_control = std::make_unique<CZrmp4controlctrl1>(m_observer, m_audio);
    m_control->Create(this, kControlId, &m_target);
    if (m_control->Window() != nullptr) {
        connect(m_control->Window(), &CKWPlaybackView::pictureShown, this,
                &CZRMP4CtrlDlg::pictureShown);
    }
}

void CZRMP4CtrlDlg::SetLayoutRect(const QRect& rect) {
    m_layoutRect = rect;
    if (!IsDetached()) {
        setGeometry(rect);
    }
    FitControl();
}

// The component stops drawing while it is moved.
void CZRMP4CtrlDlg::FitControl() {
    if (m_control == nullptr || m_control->Window() == nullptr) {
        return;
    }
    m_control->SetMoving(0);
    m_control->Window()->setGeometry(kControlMargin, kControlMargin,
                                     std::max(0, width() - 2 * kControlMargin),
                                     std::max(0, height() - 2 * kControlMargin));
    m_control->SetMoving(1);
}

void CZRMP4CtrlDlg::Detach() {
    if (IsDetached()) {
        return;
    }
    QScreen* screen = window()->screen();
    setParent(nullptr, Qt::Window);
    // Placed over the whole screen also where no window manager honours full screen.
    if (screen != nullptr) {
        setGeometry(screen->geometry());
    }
    showFullScreen();
    setFocus();
}

void CZRMP4CtrlDlg::Attach() {
    setParent(m_owner, Qt::Widget);
    setGeometry(m_layoutRect);
    show();
    FitControl();
}

void CZRMP4CtrlDlg::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
        Attach();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CZRMP4CtrlDlg::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_owner != nullptr) {
        Detach();
        event->accept();
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

// Closing the detached host puts it back instead of losing the picture.
void CZRMP4CtrlDlg::closeEvent(QCloseEvent* event) {
    if (IsDetached() && m_owner != nullptr) {
        event->ignore();
        Attach();
        return;
    }
    QWidget::closeEvent(event);
}

void CZRMP4CtrlDlg::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // In the main window the layout fits the component; full screen, the window manager resizes.
    if (IsDetached()) {
        FitControl();
    }
}

void CZRMP4CtrlDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.setPen(QColor(kBorderGrey, kBorderGrey, kBorderGrey));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
