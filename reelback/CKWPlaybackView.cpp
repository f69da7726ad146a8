#include "CKWPlaybackView.h"
#include "CKWAviConverter.h"
#include "KWMessageBox.h"

#include <QDateTime>
#include <QImage>
#include <QPainter>
#include <QProgressDialog>
#include <QTimer>

#include <cmath>

namespace {
constexpr int kCaptionMargin = 6;
constexpr int kProgressSteps = 100;
constexpr const char* kProgressText = "Converting to AVI:\n";
constexpr const char* kConvertedText = "The recording was converted to\n";
constexpr const char* kFailedText = "The conversion failed: ";

QColor ColourOf(std::uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}
} // namespace

CKWPlaybackView::CKWPlaybackView(QWidget* parent, CKWPlaybackControl::AudioFactory audio)
    : QWidget(parent), m_control(std::move(audio)) {
    setObjectName("CKWPlaybackView");
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_control.Engine().SetPictureListener([this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                update();
                emit pictureShown();
            },
            Qt::QueuedConnection);
    });
}

CKWPlaybackView::~CKWPlaybackView() {
    m_control.Engine().SetPictureListener(nullptr);
    m_control.Engine().Close();
}

int CKWPlaybackView::Invoke(int member, KWDispatchKind kind,
                            const std::vector<KWVariant>& arguments, KWVariant& result) {
    const int invoked = m_control.Invoke(member, kind, arguments, result);
    if (invoked != 0 && member == KWDispatchId::kMoving) {
        setUpdatesEnabled(!m_control.IsMoving());
        update();
    }
    if (invoked != 0 && member == KWDispatchId::kConvertToAvi) {
        StartConversionDisplay();
    }
    return invoked;
}

QRect CKWPlaybackView::FitPicture(const QRect& area, double aspect) {
    if (area.isEmpty() || aspect <= 0) {
        return area;
    }
    int width = area.width();
    int height = static_cast<int>(std::lround(width / aspect));
    if (height > area.height()) {
        height = area.height();
        width = static_cast<int>(std::lround(height * aspect));
    }
    return QRect(area.x() + (area.width() - width) / 2, area.y() + (area.height() - height) / 2,
                 width, height);
}

void CKWPlaybackView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const auto picture = m_control.Engine().GetPicture();
    if (!picture || picture->IsEmpty()) {
        return;
    }
    const QImage image(picture->bgra.data(), picture->width, picture->height, picture->width * 4,
                       QImage::Format_RGB32);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(FitPicture(rect(), picture->displayAspect), image);
    if (m_control.IsCaptionOn()) {
        const auto at =
            static_cast<qint64>(m_control.GetStartTime()) + static_cast<qint64>(picture->seconds);
        painter.setPen(ColourOf(m_control.GetCaptionColour()));
        painter.drawText(rect().adjusted(kCaptionMargin, kCaptionMargin, 0, 0),
                         Qt::AlignLeft | Qt::AlignTop,
                         QDateTime::fromSecsSinceEpoch(at).toString("yyyy/MM/dd hh:mm:ss"));
    }
}

void CKWPlaybackView::StartConversionDisplay() {
    if (m_progress == nullptr) {
        m_progress = new QProgressDialog(kProgressText, "Cancel", 0, kProgressSteps, this);
        m_progress->setWindowTitle(kConversionCaption);
        m_progress->setAutoClose(false);
        m_progress->setAutoReset(false);
        connect(m_progress, &QProgressDialog::canceled, this,
                [this] { m_control.Conversion().Cancel(); });
        m_poll = new QTimer(this);
        connect(m_poll, &QTimer::timeout, this, &CKWPlaybackView::PollConversion);
    }
    m_progress->setLabelText(kProgressText +
                             QString::fromStdString(m_control.Conversion().GetDestination()));
    m_progress->setValue(0);
    m_progress->show();
    m_poll->start(kProgressPollMs);
}

void CKWPlaybackView::PollConversion() {
    CKWConversionJob& job = m_control.Conversion();
    m_progress->setValue(static_cast<int>(job.GetProgress() * kProgressSteps));
    if (job.IsRunning()) {
        return;
    }
    m_poll->stop();
    m_progress->hide();
    if (job.Wait()) {
        KWMessageBox(kConvertedText + job.GetDestination(), kConversionCaption,
                     KWMessageBoxFlags::kOk | KWMessageBoxFlags::kIconInformation);
    } else if (job.GetError() != CKWAviConverter::kCancelledError) {
        KWMessageBox(kFailedText + job.GetError(), kConversionCaption,
                     KWMessageBoxFlags::kOk | KWMessageBoxFlags::kIconStop);
    }
}
