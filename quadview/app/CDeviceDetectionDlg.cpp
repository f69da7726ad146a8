#include "CDeviceDetectionDlg.h"

#include "CKWStorageDevice.h"
#include "CQXStorageDevice.h"
#include "CQXStorageDeviceManager.h"
#include "KWMessageBox.h"
#include "QXDialogKit.h"

#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

using QXDialogKit::Named;

const char* const CDeviceDetectionDlg::kNoDeviceText =
    "No Corvane Formatted Storage Device Detected.\r\n\r\n"
    "There's no storage device (HDD, CF card)\r\n"
    "which contains corvane formatted stream data.\r\n"
    "The PC Viewer function will be disabled.\r\n";
const char* const CDeviceDetectionDlg::kNoDeviceCaption = "Detection Error";

namespace {
constexpr int kWidth = 360;
} // namespace

CDeviceDetectionDlg::CDeviceDetectionDlg(CQXStorageDeviceManager& manager, QWidget* parent)
    : QDialog(parent), m_manager(manager),
      m_target([this](std::uint32_t message, KWWParam, KWLParam) {
          switch (message) {
          case CKWStorageDevice::kMessageSectorCount:
          case CKWStorageDevice::kMessageProbeEnded:
          case CQXStorageDevice::kMessageScanHit:
          case CQXStorageDevice::kMessageScanEnded:
              Update();
              break;
          default:
              break;
          }
          return KWResult{0};
      }) {
    setObjectName("133");
    setWindowTitle("PC Viewer Storage Device Detection");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Detecting Storage Devices", this));
    m_progress = Named(new QProgressBar(this), kIdProgress);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    layout->addWidget(m_progress);
    m_percent = Named(new QLabel("0 %", this), kIdPercent);
    m_percent->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_percent);
    setMinimumWidth(kWidth);

    m_listening = m_manager.AddListenerWindow(&m_target) != 0;
    m_timer = new QTimer(this);
    connect(m_timer, &QTimer::timeout, this, &CDeviceDetectionDlg::Update);
    m_timer->start(kTickMs);
}

CDeviceDetectionDlg::~CDeviceDetectionDlg() {
    Unregister();
}

int CDeviceDetectionDlg::Percent(int drives, int examining) {
    return drives == 0 ? 100 : (drives - examining) * 100 / drives;
}

CDeviceDetectionDlg::Counts CDeviceDetectionDlg::Count() const {
    Counts counts;
    counts.drives = m_manager.GetDeviceCount();
    for (int i = 0; i < counts.drives; ++i) {
        if (m_manager.IsBusy(static_cast<std::uint8_t>(i))) {
            ++counts.examining;
        }
    }
    counts.formatted = m_manager.GetFormattedCount();
    return counts;
}

void CDeviceDetectionDlg::Update() {
    if (!m_timer->isActive()) {
        return; // already ending
    }
    const Counts counts = Count();
    const int percent = Percent(counts.drives, counts.examining);
    m_progress->setValue(percent);
    m_percent->setText(QString::asprintf("%d %% completed", percent));
    if (counts.examining != 0) {
        return;
    }
    m_timer->stop();
    if (counts.formatted == 0) {
        if (m_nothingFound)
            m_nothingFound();
        KWMessageBox(kNoDeviceText, kNoDeviceCaption,
                     KWMessageBoxFlags::kOk | KWMessageBoxFlags::kIconExclamation);
    }
    Unregister();
    accept();
}

void CDeviceDetectionDlg::done(int result) {
    m_timer->stop();
    Unregister();
    QDialog::done(result);
}

void CDeviceDetectionDlg::Unregister() {
    if (m_listening) {
        m_manager.RemoveListenerWindow(&m_target);
        m_listening = false;
    }
}
