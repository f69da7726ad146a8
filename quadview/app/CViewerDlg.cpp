#include "CViewerDlg.h"

#include "CConfigDlg.h"
#include "KWMessageBox.h"
#include "KWModalDialog.h"
#include "KWVideoAreaWidget.h"
#include "QXViewerTransport.h"
#include "QXViewerVersion.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {
const char* const kNoDeviceText = "No QX Stream Device Detected.\r\nViewer Function Disabled.";
const char* const kNoDeviceCaption = "Notification";
const char* const kProgramName = "quadview";
const char* const kNoDrivesText = "no drive to examine; name disks or images in QUADVIEW_DRIVES";

constexpr int kStatusHeight = 20;
constexpr int kStatusMargin = 8;

// Channels 1-4 of the two-channel command, in the order it cycles through them.
constexpr int kChannelPairs[][2] = {{1, 2}, {1, 3}, {1, 4}, {2, 3}, {2, 4}, {3, 4}};
constexpr int kPairCount = 6;

// The display request hides every channel whose bit is set: bit 0 channel 1 ... bit 3 channel 4.
constexpr std::uint8_t kShowAll = 0;
constexpr std::uint8_t kHideAll = 0xFF;
constexpr std::uint8_t RequestBit(int channel) {
    return static_cast<std::uint8_t>(1u << (channel - 1));
}
// In the recorded-channel mask channel 1 is bit 3 down to channel 4 in bit 0; bit 4 marks the
// composite picture, in which no single channel can be chosen.
constexpr std::uint8_t kRecordedComposite = 0x10;
constexpr std::uint8_t RecordedBit(int channel) {
    return static_cast<std::uint8_t>(0x08u >> (channel - 1));
}
} // namespace

int CViewerDlg::s_pairIndex = 0;

CViewerDlg::CViewerDlg(KWDriveList drives, QWidget* parent)
    : QDialog(parent), m_target([this](std::uint32_t message, KWWParam wParam, KWLParam lParam) {
          return OnEngineMessage(message, wParam, lParam);
      }),
      m_deviceManager(std::move(drives)) {
    setObjectName("CViewerDlg");
    setWindowTitle(WindowTitle());
    BuildControls();
    resize(kVideoLeft + kVideoWidth + 8, kVideoHeight + kControlBandHeight);
    LayOut();
    qApp->installEventFilter(this);

    // The screen manager reports its own failure; the window then stays without a picture.
    static_cast<void>(
        m_screenManager.Create(m_videoArea->GetDisplayWindow(), &m_target, &m_displayRequest));
    m_waveManager.SetVolume(m_volume);
    OpenSound();
    m_deviceManager.AddListenerWindow(&m_target);
    m_deviceManager.OpenAllDevices(&m_screenManager, &m_waveManager, nullptr);
    // The devices examine their drives on their own threads; the start goes on when they are
    // done, without holding up the window.
    m_detectionTimer->start(kDetectionPollMs);
}

CViewerDlg::~CViewerDlg() {
    StopEngines();
}

QString CViewerDlg::WindowTitle() {
    return QString("PC Viewer - version %1.%2.%3")
        .arg(QXViewerVersion::kMajor, QXViewerVersion::kMinor, QXViewerVersion::kBuild);
}

void CViewerDlg::BuildControls() {
    m_videoArea = new KWVideoAreaWidget(this);
    m_videoArea->setObjectName(QString::number(kIdVideoArea));
    m_viewerStatus = new QLabel(this);
    m_viewerStatus->setObjectName(QString::number(kIdViewerStatus));
    m_detectionTimer = new QTimer(this);
    connect(m_detectionTimer, &QTimer::timeout, this, &CViewerDlg::ContinueStartWhenDetected);
    m_refreshTimer = new QTimer(this);
    connect(m_refreshTimer, &QTimer::timeout, this, &CViewerDlg::Refresh);
}

// The video area fills the window above a band for the controls.
void CViewerDlg::LayOut() {
    const int videoWidth = std::max(1, width() - kVideoLeft - 8);
    const int videoHeight = std::max(1, height() - kControlBandHeight);
    m_videoArea->setGeometry(kVideoLeft, 0, videoWidth, videoHeight);
    // A hidden widget hears of its new size only when shown; the screen manager needs it now.
    m_videoArea->GetDisplayWindow()->SetClientSize(videoWidth, videoHeight);
    m_viewerStatus->setGeometry(kVideoLeft + kStatusMargin, videoHeight + kStatusMargin,
                                videoWidth - 2 * kStatusMargin, kStatusHeight);
    if (m_screenManager.IsRunning())
        m_screenManager.SetWindow(m_videoArea->GetDisplayWindow(), &m_target);
}

void CViewerDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    LayOut();
}

void CViewerDlg::ContinueStartWhenDetected() {
    if (m_deviceManager.IsAnyDeviceBusy())
        return;
    m_detectionTimer->stop();
    FinishStart();
}

void CViewerDlg::FinishStart() {
    if (m_deviceManager.GetFormattedCount() > 0) {
        m_deviceManager.StartStreaming(0);
        m_workingMode = kViewerMode;
    } else {
        PrintDriveFindings();
        KWMessageBox(kNoDeviceText, kNoDeviceCaption,
                     KWMessageBoxFlags::kOk | KWMessageBoxFlags::kIconExclamation);
        m_workingMode = kMysPlayerMode;
    }
    Refresh();
    m_refreshTimer->start(kRefreshPeriodMs);
    m_started = true;
}

// The notice names no drive; the terminal tells which drives were examined and why none of them
// is a DVR disk (a drive the user may not read, an empty one, one without a recording).
void CViewerDlg::PrintDriveFindings() {
    const std::vector<QXDriveFinding> findings = m_deviceManager.GetDriveFindings();
    if (findings.empty())
        std::fprintf(stderr, "%s: %s\n", kProgramName, kNoDrivesText);
    for (const QXDriveFinding& finding : findings)
        std::fprintf(stderr, "%s: %s\n", kProgramName, finding.Line().c_str());
}

void CViewerDlg::done(int result) {
    StopEngines();
    QDialog::done(result);
}

void CViewerDlg::StopEngines() {
    if (m_stopped)
        return;
    m_stopped = true;
    m_detectionTimer->stop();
    m_refreshTimer->stop();
    m_deviceManager.StopStreaming();
    m_deviceManager.CloseAllDevices();
    m_waveManager.Close();
    m_screenManager.Destroy();
}

// The engines' notifications reach the window here; the controls that show the device's
// position and play state read the engines in the refresh instead.
KWResult CViewerDlg::OnEngineMessage(std::uint32_t, KWWParam, KWLParam) {
    return 0;
}

// Redraws what changed since the last refresh.
void CViewerDlg::Refresh() {
    const std::uint32_t mode = m_deviceManager.GetPlayMode();
    if (mode == m_shownDeviceMode)
        return;
    m_shownDeviceMode = mode;
    m_viewerStatus->setText(QXViewerTransport::StatusText(mode));
}

void CViewerDlg::ChangeConfiguration() {
    CConfigDlg dialog(m_config, this);
    KWRunModal(dialog);
}

bool CViewerDlg::eventFilter(QObject* watched, QEvent* event) {
    const bool down = event->type() == QEvent::KeyPress;
    if (!down && event->type() != QEvent::KeyRelease)
        return QDialog::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this)
        return QDialog::eventFilter(watched, event);
    const auto& key = static_cast<const QKeyEvent&>(*event);
    if (down)
        return PreTranslateKeyDown(key);
    if (key.key() == Qt::Key_Control)
        m_ctrlHeld = false;
    else if (key.key() == Qt::Key_Shift)
        m_shiftHeld = false;
    return false;
}

bool CViewerDlg::PreTranslateKeyDown(const QKeyEvent& key) {
    const bool ctrl = m_ctrlHeld || key.modifiers().testFlag(Qt::ControlModifier);
    const bool viewer = m_workingMode == kViewerMode;
    switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_F1:
        return true;
    case Qt::Key_Shift:
        m_shiftHeld = true;
        return true;
    case Qt::Key_Control:
        m_ctrlHeld = true;
        return true;
    case Qt::Key_Space:
        return viewer && RunViewerTransport(&QXViewerTransport::Pause);
    case Qt::Key_Left:
        return viewer && RunViewerTransport(&QXViewerTransport::FastReverse);
    case Qt::Key_Right:
        return viewer && RunViewerTransport(&QXViewerTransport::FastForward);
    case Qt::Key_PageDown:
        return viewer && RunViewerTransport([](std::uint32_t) { return QXPlayMode::kOneForward; });
    case Qt::Key_PageUp:
        return viewer && RunViewerTransport([](std::uint32_t) { return QXPlayMode::kOneReverse; });
    case Qt::Key_Up:
        ChangeVolume(std::min(kMaxVolume, m_volume + kVolumeStep));
        return true;
    case Qt::Key_Down:
        ChangeVolume(std::max(0, m_volume - kVolumeStep));
        return true;
    case Qt::Key_1:
    case Qt::Key_2:
    case Qt::Key_3:
    case Qt::Key_4:
        SelectChannel(key.key() - Qt::Key_0);
        return true;
    case Qt::Key_5:
        SelectAllChannels();
        return true;
    case Qt::Key_6:
        SelectTwoChannels();
        return true;
    case Qt::Key_M:
        if (ctrl)
            ToggleAudio();
        return true;
    case Qt::Key_X:
        if (ctrl)
            close();
        return true;
    default:
        return false;
    }
}

bool CViewerDlg::IsDeviceOpen() const {
    return m_deviceManager.GetSelected() != CQXStorageDeviceManager::kNoSelection;
}

bool CViewerDlg::RunViewerTransport(const Transition& transition) {
    if (!IsDeviceOpen())
        return false;
    const std::uint32_t mode = m_deviceManager.GetPlayMode();
    if (mode != QXPlayMode::kNone)
        m_deviceManager.SetPlayMode(transition(mode), QXPlayMode::kNoTarget);
    return true;
}

void CViewerDlg::SelectAllChannels() {
    if (m_screenManager.GetRecordedChannels() != 0)
        m_displayRequest = kShowAll;
    AfterChannelSelection();
}

void CViewerDlg::SelectChannel(int channel) {
    const std::uint8_t recorded = m_screenManager.GetRecordedChannels();
    if ((recorded & RecordedBit(channel)) && !(recorded & kRecordedComposite))
        m_displayRequest = static_cast<std::uint8_t>(kHideAll & ~RequestBit(channel));
    AfterChannelSelection();
}

void CViewerDlg::SelectTwoChannels() {
    const int* pair = kChannelPairs[s_pairIndex];
    s_pairIndex = (s_pairIndex + 1) % kPairCount;
    m_displayRequest =
        static_cast<std::uint8_t>(kHideAll & ~(RequestBit(pair[0]) | RequestBit(pair[1])));
    AfterChannelSelection();
}

// A paused picture is read again (one cycle forward) so that it shows in the new layout.
void CViewerDlg::AfterChannelSelection() {
    if (m_workingMode == kViewerMode && m_deviceManager.GetPlayMode() == QXPlayMode::kPause)
        m_deviceManager.SetPlayMode(QXPlayMode::kOneForward, QXPlayMode::kNoTarget);
}

// A volume change also switches the sound on.
void CViewerDlg::ChangeVolume(int position) {
    m_volume = position;
    m_waveManager.SetVolume(position);
    if (!m_waveManager.IsOpen())
        OpenSound();
}

void CViewerDlg::ToggleAudio() {
    if (m_waveManager.IsOpen())
        m_waveManager.Close();
    else
        OpenSound();
}

// Without a sound output (no device, or none free) the viewer plays on silently: the sound
// stays off, as IsOpen tells, and the next volume key or Ctrl+M tries again.
void CViewerDlg::OpenSound() {
    static_cast<void>(m_waveManager.Open(kAudioSamplesPerSecond, kAudioBitsPerSample));
}
