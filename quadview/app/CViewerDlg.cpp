#include "CViewerDlg.h"

#include "CCaptureIndicatorDlg.h"
#include "CConfigDlg.h"
#include "CDeviceDetectionDlg.h"
#include "CDeviceInfoDlg.h"
#include "CDeviceSelectDlg.h"
#include "CEventListDlg.h"
#include "CIconButton.h"
#include "CKWSlider.h"
#include "CQXStreamJumps.h"
#include "CSearchStepDlg.h"
#include "CSearchTimeDlg.h"
#include "CViewerAboutDlg.h"
#include "CViewerControls.h"
#include "CViewerRefresh.h"
#include "KWFileDialog.h"
#include "KWMailbox.h"
#include "KWMessageBox.h"
#include "KWModalDialog.h"
#include "KWReplaceFile.h"
#include "KWVideoAreaWidget.h"
#include "QXDialogKit.h"
#include "QXIconSet.h"
#include "QXMysTransport.h"
#include "QXPlatformCheck.h"
#include "QXSearchStepping.h"
#include "QXViewerDiagnostics.h"
#include "QXViewerIds.h"
#include "QXViewerMenu.h"
#include "QXViewerTransport.h"
#include "QXViewerVersion.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTime>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <iterator>

using namespace QXViewerIds;
using namespace QXPlayMode;
using Flags = unsigned;

namespace {
namespace Box = KWMessageBoxFlags;

const char* const kNoDeviceText = "No QX Stream Device Detected.\r\nViewer Function Disabled.";
const char* const kNoDeviceCaption = "Notification";
// The window's own menu (its context menu here) offers the About box too.
const char* const kAboutItemText = "&About Quadview...";
const char* const kTerminatedText = "Viewer Initialize Terminated.";
const char* const kTerminatedCaption = "Initialize Terminated";
const char* const kProgramName = "quadview";
const char* const kNoDrivesText = "no drive to examine; name disks or images in QUADVIEW_DRIVES";
const char* const kNoViewerText = "Cannot change working mode to\r\n"
                                  "PC Viewer function.\r\n"
                                  "There is no QX Storage Devices.";
const char* const kNoViewerCaption = "Note";
const char* const kCapturingText = "Sorry,\r\n"
                                   "Cannot start MYS playback\r\n"
                                   "while the application is capturing\r\n"
                                   "incoming stream.";
const char* const kPlaybackStartCaption = "Local Playback Start Error";
const char* const kOpenFailedText = "The MYS file\r\n%1\r\ncannot be opened.\r\n\r\n"
                                    "Make sure that it exists and can be read,\r\n"
                                    "and try again.";
const char* const kRecorderErrorText = "Error occurred while capturing.";
const char* const kRecorderErrorCaption = "Capturing Error";
const char* const kPlayerErrorText = "Error occurred while playback.";
const char* const kPlayerErrorCaption = "Playback Error";
const char* const kRecentQuestion = "Do you want come back to\nthe last positon?";
const char* const kRecentCaption = "Recent Position";
const char* const kCloseQuestion = "Are you sure to close?";
const char* const kCloseCaption = "Confirmation";
const char* const kRecentSaveFailedText =
    "The current position could not be saved in\r\n%1.\r\n\r\n"
    "Make sure that the folder can be written;\r\n"
    "the position is not offered at the next start.";
const char* const kRecentSaveCaption = "Recent Position";
const char* const kMysCaptureCaption = "MYS Stream Capture";
const char* const kMysCaptureRefusedText =
    "The MYS stream capture is enabled when the viewer is in PAUSE mode.\r\n\r\n"
    "Find the position you want to start capturing,\r\n"
    "make sure that the viewer is in PAUSE mode\r\n"
    "and try again.";
const char* const kMysCaptureErrorCaption = "MYS Stream Capture Error";
const char* const kMysCaptureFailedText = "The MYS stream capture could not start in\r\n%1.\r\n\r\n"
                                          "Make sure that the capture directory can be created\r\n"
                                          "and written (Setting), and try again.";
const char* const kMysCreatedText = "An MYS file was created.\r\n"
                                    "You can find the file in the\r\n"
                                    "capture directory.";
const char* const kJpegViewerRefusedText =
    "JPEG capture is enabled when the viewer is in PAUSE mode.\r\n\r\n";
const char* const kJpegMysRefusedText =
    "JPEG capture is enabled when the mys player is in PAUSE mode.\r\n\r\n";
const char* const kJpegRefusedHint = "Find the position you want to capture,\r\n"
                                     "make sure that the viewer is in PAUSE mode\r\n"
                                     "and try again.";
const char* const kJpegCaptureErrorCaption = "JPEG Capture Error";
const char* const kAudioFailedText = "The sound output could not be opened.\r\n\r\n"
                                     "Make sure that a sound device is connected and\r\n"
                                     "not held by another program, and try again.";
const char* const kAudioFailedCaption = "Audio Error";
const char* const kSearchDateText = "The recorder keeps times from the year 2000 to 2255.\r\n\r\n"
                                    "Choose a date in that range and try again.";
const char* const kSearchDateCaption = "Search Time";

const char* const kDeviceTip = "QX Stream Device\r\nStream Position: %1 KB";
const char* const kMysPositionTip = "MYS Stream Position: %1";
const char* const kVolumeTip = "Volume: %1 %";
const char* const kStartVolumeTip = "Volume 50%";
const char* const kStartPositionTip = "Position 0";

const char* const kOpenCaption = "Open";
const char* const kMysFilter = "MYS FILE (*.mys);;ALL FILE (*.*)";
const char* const kMysSuffix = "mys";

// The keys that reveal the diagnostics panel, in the order they must be pressed.
constexpr int kDiagnosticsSequence[] = {Qt::Key_F6, Qt::Key_F7, Qt::Key_F8, Qt::Key_F9,
                                        Qt::Key_F10};

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

std::uint32_t MysIndex(std::uint32_t mode) {
    return CQXMysFileManager::ModeIndex(mode);
}

std::uint32_t OneForward(std::uint32_t) {
    return kOneForward;
}
std::uint32_t OneReverse(std::uint32_t) {
    return kOneReverse;
}

// Waits on the window's thread, delivering the engines' sends meanwhile.
void Settle(std::uint32_t milliseconds) {
    KWWaitDeliveringSends(milliseconds, [] { return false; });
}

int Show(const QString& text, const char* caption, Flags flags) {
    return KWMessageBox(text.toStdString(), caption, flags);
}
} // namespace

int CViewerDlg::s_pairIndex = 0;
int CViewerDlg::s_hourStep = CViewerDlg::kInitialHourStep;
int CViewerDlg::s_minuteStep = CViewerDlg::kInitialMinuteStep;

CViewerDlg::CViewerDlg(KWDriveList drives, StartSound sound, QWidget* parent)
    : QDialog(parent), m_target([this](std::uint32_t message, KWWParam wParam, KWLParam lParam) {
          return OnMessage(message, wParam, lParam);
      }),
      m_deviceManager(std::move(drives)) {
    setObjectName("CViewerDlg");
    setWindowTitle(WindowTitle());
    setWindowIcon(QXIconSet::ProgramIcon());
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    m_menuBar = QXViewerMenu::Create(*this);
    m_client = new QWidget(this);
    m_controls = std::make_unique<CViewerControls>(*m_client);
    m_refresh = std::make_unique<CViewerRefresh>(*m_controls, *this);
    m_volume = &m_controls->Slider(kVolume);
    m_devicePosition = &m_controls->Slider(kDevicePosition);
    m_mysPosition = &m_controls->Slider(kMysPosition);
    ConnectControls();
    LayOut();
    resize(kFirstWidth, m_clientSize.height() + kFirstExtraHeight + OsExtraHeight());
    move(0, 0);
    qApp->installEventFilter(this);

    // The screen manager reports its own failure; the window then stays without a picture.
    m_screenManager.Destroy();
    static_cast<void>(m_screenManager.Create(m_controls->VideoArea().GetDisplayWindow(), &m_target,
                                             &m_displayRequest));
    if (const std::optional<QXPlatformRefusal> refusal = QXCheckPlatform(m_osInfo)) {
        // Nothing may draw or play behind the message.
        EndStart();
        KWMessageBox(refusal->text, refusal->caption, refusal->flags);
        return;
    }
    m_volume->SetNotifyMessage(&m_target, kMessageSliderVolume);
    m_volume->setRange(0, kMaxVolume);
    m_volume->SetPosition(kInitialVolume);
    m_volume->SetTooltip(kStartVolumeTip);
    m_waveManager.SetVolume(kInitialVolume);
    if (sound == StartSound::On)
        static_cast<void>(OpenSound());
    m_deviceManager.AddListenerWindow(&m_target);
    m_deviceManager.OpenAllDevices(&m_screenManager, &m_waveManager, &m_mysFileManager);
    CDeviceDetectionDlg detection(m_deviceManager, this);
    detection.SetNothingFoundHandler([this] { PrintDriveFindings(); });
    if (KWRunModal(detection) != QDialog::Accepted) {
        EndStart();
        KWMessageBox(kTerminatedText, kTerminatedCaption, Box::kOk | Box::kIconExclamation);
        return;
    }
    FinishStart();
}

CViewerDlg::~CViewerDlg() {
    StopEngines();
}

QString CViewerDlg::WindowTitle() {
    return QString("PC Viewer - version %1.%2.%3")
        .arg(QXViewerVersion::kMajor, QXViewerVersion::kMinor, QXViewerVersion::kBuild);
}

void CViewerDlg::ConnectControls() {
    connect(m_menuBar, &QMenuBar::triggered, this,
            [this](QAction* item) { RunCommand(item->data().toInt()); });
    for (auto* button : m_client->findChildren<CIconButton*>()) {
        const int id = button->objectName().toInt();
        connect(button, &QAbstractButton::clicked, this, [this, id] { RunCommand(id); });
    }
    m_refreshTimer = new QTimer(this);
    connect(m_refreshTimer, &QTimer::timeout, this,
            [this] { RefreshControls(QTime::currentTime()); });
    m_diagnosticsTimer = new QTimer(this);
    connect(m_diagnosticsTimer, &QTimer::timeout, this, &CViewerDlg::UpdateDiagnostics);
}

// The menu bar on top; below it the client area, which the controls fill.
void CViewerDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const int menuHeight = m_menuBar->sizeHint().height();
    m_menuBar->setGeometry(0, 0, width(), menuHeight);
    m_client->setGeometry(0, menuHeight, width(), std::max(0, height() - menuHeight));
    m_clientSize = m_client->size();
    LayOut();
}

void CViewerDlg::LayOut() {
    m_controls->LayOut(m_clientSize, m_workingMode);
    KWVideoAreaWidget& videoArea = m_controls->VideoArea();
    // A hidden widget hears of its new size only when shown; the screen manager needs it now.
    videoArea.GetDisplayWindow()->SetClientSize(videoArea.width(), videoArea.height());
    if (m_screenManager.IsRunning())
        m_screenManager.SetWindow(videoArea.GetDisplayWindow(), &m_target);
}

// A refused start: the engines stop and the program is to end.
void CViewerDlg::EndStart() {
    StopEngines();
    m_refused = true;
}

int CViewerDlg::OsExtraHeight() {
    return m_osInfo.IsVersion5AfterFirst() ? kVersion5ExtraHeight : 0;
}

void CViewerDlg::FinishStart() {
    const int formatted = m_deviceManager.GetFormattedCount();
    if (formatted > 0)
        static_cast<void>(m_deviceManager.StartStreaming(0));
    m_workingMode = kViewerMode;
    m_mysFileManager.AddListenerWindow(&m_target);
    m_mysFileManager.SetOutputs(&m_screenManager, &m_waveManager);
    SetStartTooltips(formatted);
    if (formatted == 0) {
        KWMessageBox(kNoDeviceText, kNoDeviceCaption, Box::kOk | Box::kIconExclamation);
        m_workingMode = kMysPlayerMode;
    }
    m_devicePosition->SetNotifyMessage(&m_target, kMessageSliderDevice);
    m_devicePosition->SetTooltip(kStartPositionTip);
    m_mysPosition->SetNotifyMessage(&m_target, kMessageSliderMys);
    m_mysPosition->setRange(0, kMysSliderStartMaximum);
    m_mysPosition->SetPosition(0);
    m_mysPosition->SetTooltip(QString(kMysPositionTip).arg(0));
    LayOut();
    // The diagnostics texts are refreshed only while the panel shows them.
    if (AreDiagnosticsShown())
        m_diagnosticsTimer->start(kDiagnosticsPeriodMs);
    RefreshControls(QTime::currentTime());
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

// The tooltips the buttons start with; the refresh replaces those of the buttons it redraws.
void CViewerDlg::SetStartTooltips(int formattedDevices) {
    const auto tip = [this](int id, const char* text) {
        m_controls->Button(id).SetTooltipText(text);
    };
    const auto disable = [this](int id, int icon, const char* text) {
        m_controls->SetButton(id, icon, false, text);
    };
    tip(kAudio, "Enable Audio");
    tip(kJpegCapture, "Save Current Screen as a JPEG file");
    if (formattedDevices > 1)
        tip(kSelectDevice, "Select Other Stream Device");
    else
        disable(kSelectDevice, QXIconSet::kSelectDeviceDisabled,
                formattedDevices == 0 ? "Select Other Stream Device\r\n[Disabled] No Stream Device"
                                      : "Select Other Stream Device\r\n[Disabled] Only One "
                                        "Stream Device");
    if (formattedDevices > 0)
        tip(kDeviceInfo, "Show Stream Device Information");
    else
        disable(kDeviceInfo, QXIconSet::kDeviceInfoDisabled,
                "Show Stream Device Information\r\n[Disabled] No Stream Device");
    const char* const channelTips[] = {"All Recorded Channel",
                                       "TWO Recorded Channel",
                                       "Channel 1",
                                       "Channel 2",
                                       "Channel 3",
                                       "Channel 4"};
    for (std::size_t i = 0; i < std::size(kChannelButtons); ++i)
        tip(kChannelButtons[i], channelTips[i]);
    const char* const transportTips[] = {"Fast Reverse", "Reverse Play", "Pause", "Play",
                                         "Fast Forward"};
    for (std::size_t i = 0; i < std::size(transportTips); ++i) {
        tip(kViewerTransport[i], transportTips[i]);
        tip(kMysTransport[i], transportTips[i]);
    }
    tip(kMysCapture, "Save Current Stream as an MYS file");
    tip(kLoadMys, "Load MYS File");
    tip(kAviCapture, "[AVI Capture]\nSave Current Stream as an AVI file");
}

void CViewerDlg::done(int result) {
    StopEngines();
    QDialog::done(result);
}

// The stream, the devices, the MYS player and recorder, the sound output, the screen manager.
// Runs once; later calls do nothing.
void CViewerDlg::StopEngines() {
    if (m_stopped)
        return;
    m_stopped = true;
    m_aviCapture.Stop();
    m_refreshTimer->stop();
    m_diagnosticsTimer->stop();
    m_deviceManager.StopStreaming();
    m_deviceManager.CloseAllDevices();
    m_mysFileManager.ClosePlayer();
    m_mysFileManager.CloseRecorder();
    m_waveManager.Close();
    m_screenManager.Destroy();
}

// ---------------------------------------------------------------------------------------------
// Refresh and diagnostics

void CViewerDlg::RefreshControls(const QTime& now) {
    m_refresh->Refresh(ReadState(now));
}

QXViewerState CViewerDlg::ReadState(const QTime& now) {
    QXViewerState state;
    state.workingMode = m_workingMode;
    state.blinkPhase = now.second() % 2;
    state.recordedChannels = m_screenManager.GetRecordedChannels();
    state.displayedChannels = m_screenManager.GetDisplayMask();
    state.audioOn = m_waveManager.IsOpen();
    state.deviceOpen = IsDeviceOpen();
    state.deviceMode = m_deviceManager.GetPlayMode();
    state.mysLoaded = m_mysFileManager.IsPlaying();
    state.mysMode = GetMysMode();
    state.formattedDevices = m_deviceManager.GetFormattedCount();
    state.aviCaptureRunning = IsAviCaptureRunning();
    return state;
}

bool CViewerDlg::AreDiagnosticsShown() const {
    return m_controls->AreDiagnosticsShown();
}

void CViewerDlg::UpdateDiagnostics() {
    if (!m_controls->Edit(kDiagnosticsDevices).isVisible())
        return;
    const auto show = [this](int id, const QString& text) {
        m_controls->Edit(id).setPlainText(QXDialogKit::ControlText(text));
    };
    show(kDiagnosticsDevices, QXViewerDiagnostics::DeviceList(m_deviceManager));
    show(kDiagnosticsScreen, QXViewerDiagnostics::ScreenText(m_screenManager));
    show(kDiagnosticsPlayback, QXViewerDiagnostics::PlaybackText(m_deviceManager));
}

void CViewerDlg::RevealDiagnostics() {
    if (m_controls->AreDiagnosticsShown())
        return;
    m_controls->ShowDiagnostics();
    resize(m_clientSize.width() + CViewerControls::kDiagnosticsWidth,
           kDiagnosticsHeight + OsExtraHeight());
    LayOut();
    UpdateDiagnostics();
    if (m_started && !m_stopped)
        m_diagnosticsTimer->start(kDiagnosticsPeriodMs);
}

// ---------------------------------------------------------------------------------------------
// Engine and slider messages

KWResult CViewerDlg::OnMessage(std::uint32_t message, KWWParam wParam, KWLParam lParam) {
    switch (message) {
    case CQXMysRecorder::kMessageError:
        KWMessageBox(kRecorderErrorText, kRecorderErrorCaption, Box::kOk | Box::kIconExclamation);
        break;
    case CQXMysPlayer::kMessageError:
        KWMessageBox(kPlayerErrorText, kPlayerErrorCaption, Box::kOk | Box::kIconExclamation);
        break;
    case CQXMysPlayer::kMessagePosition:
        ShowMysPosition(static_cast<std::uint32_t>(lParam));
        break;
    case CQXStorageDeviceManager::kMessageDeviceOpened:
        OnDeviceOpened();
        break;
    case CQXStorageDeviceManager::kMessageDevicePosition:
        ShowDevicePosition(static_cast<std::uint32_t>(lParam));
        break;
    case kMessageSliderDevice:
        m_devicePosition->SetTooltip(QString(kDeviceTip).arg(wParam));
        if (IsDeviceOpen())
            m_deviceManager.SetPlayMode(kOneForward, static_cast<std::uint32_t>(wParam));
        break;
    case kMessageSliderMys:
        m_mysPosition->SetTooltip(QString(kMysPositionTip).arg(wParam));
        if (m_mysFileManager.IsPlaying())
            m_mysFileManager.SetPlayMode(MysIndex(kOneForward), static_cast<std::uint32_t>(wParam));
        break;
    case kMessageSliderVolume:
        ChangeVolume(static_cast<int>(wParam));
        break;
    default:
        // The mode changes of both engines and the device's sound skipped while not playing
        // are read by the refresh instead.
        break;
    }
    return 0;
}

// The slider follows the stream unless the user holds it.
void CViewerDlg::ShowDevicePosition(std::uint32_t position) {
    if (m_devicePosition->IsDragging())
        return;
    m_devicePosition->SetPosition(static_cast<int>(position));
    m_devicePosition->SetTooltip(QString(kDeviceTip).arg(position));
}

void CViewerDlg::ShowMysPosition(std::uint32_t position) {
    if (m_mysPosition->IsDragging())
        return;
    m_mysPosition->SetPosition(static_cast<int>(position));
    m_mysPosition->SetTooltip(QString(kMysPositionTip).arg(position));
}

// A device opened at its beginning offers to go back to where the viewer last closed.
void CViewerDlg::OnDeviceOpened() {
    // The device may have been closed again before the message arrived.
    if (!IsDeviceOpen())
        return;
    const std::uint8_t index = m_deviceManager.GetCurrentDeviceIndex();
    const std::int64_t limit =
        CQXStreamJumps::PositionLimit(m_deviceManager.GetStreamLength(index));
    const std::uint32_t position = m_deviceManager.GetPosition(index);
    m_devicePosition->setRange(0, static_cast<int>(std::clamp<std::int64_t>(limit, 0, INT32_MAX)));
    m_devicePosition->SetPosition(static_cast<int>(position));
    if (position >= kRecentQuestionBelow)
        return;
    PauseDevice();
    if (KWMessageBox(kRecentQuestion, kRecentCaption, Box::kYesNo | Box::kIconQuestion) ==
        KWMessageBoxAnswer::kYes)
        GoToRecentPosition();
    else
        m_deviceManager.SetPlayMode(kPlay, kNoTarget);
}

// ---------------------------------------------------------------------------------------------
// Commands

void CViewerDlg::RunCommand(int id) {
    switch (id) {
    case kWorkingMode:
    case kMenuViewerMode:
    case kMenuMysMode:
        SwitchWorkingMode();
        break;
    case kSelectDevice:
        SelectOtherDevice();
        break;
    case kDeviceInfo:
        ShowDeviceInformation();
        break;
    case kViewerFastReverse:
    case kMenuViewerFastReverse:
        RunViewerTransport(QXViewerTransport::FastReverse);
        break;
    case kViewerReverse:
    case kMenuViewerReverse:
        RunViewerTransport(QXViewerTransport::ReversePlay);
        break;
    case kViewerPause:
    case kMenuViewerPause:
        RunViewerTransport(QXViewerTransport::Pause);
        break;
    case kViewerPlay:
    case kMenuViewerPlay:
        RunViewerTransport(QXViewerTransport::Play);
        break;
    case kViewerFastForward:
    case kMenuViewerFastForward:
        RunViewerTransport(QXViewerTransport::FastForward);
        break;
    case kMenuViewerOneForward:
        RunViewerTransport(QXViewerTransport::OneForward);
        break;
    case kMenuViewerOneReverse:
        RunViewerTransport(QXViewerTransport::OneReverse);
        break;
    case kLoadMys:
    case kMenuLoadMys:
        LoadMysFile();
        break;
    case kMysFastReverse:
    case kMenuMysFastReverse:
        RunMysTransport(QXMysTransport::FastReverse);
        break;
    case kMysReverse:
    case kMenuMysReverse:
        RunMysTransport(QXViewerTransport::ReversePlay);
        break;
    case kMysPause:
    case kMenuMysPause:
        RunMysTransport(QXMysTransport::Pause);
        break;
    case kMysPlay:
    case kMenuMysPlay:
        RunMysTransport(QXViewerTransport::Play);
        break;
    case kMysFastForward:
    case kMenuMysFastForward:
        RunMysTransport(QXMysTransport::FastForward);
        break;
    case kMenuMysOneForward:
        RunMysTransport(OneForward);
        break;
    case kMenuMysOneReverse:
        RunMysTransport(OneReverse);
        break;
    case kChannelsAll:
    case kMenuChannelsAll:
        SelectAllChannels();
        break;
    case kChannelsTwo:
    case kMenuChannelsTwo:
        SelectTwoChannels();
        break;
    case kChannel1:
        SelectChannel(1);
        break;
    case kChannel2:
        SelectChannel(2);
        break;
    case kChannel3:
        SelectChannel(3);
        break;
    case kChannel4:
        SelectChannel(4);
        break;
    case kMenuChannel1:
    case kMenuChannel1 + 1:
    case kMenuChannel1 + 2:
    case kMenuChannel1 + 3:
        SelectChannel(id - kMenuChannel1 + 1);
        break;
    case kAudio:
        ToggleAudio();
        m_refresh->RefreshAudio(ReadState(QTime::currentTime()));
        break;
    case kMenuAudioMute:
        ToggleAudio();
        break;
    case kMenuAudioOn:
        TurnAudioOn();
        break;
    case kMenuVolumeUp:
        StepVolume(kVolumeStep);
        break;
    case kMenuVolumeDown:
        StepVolume(-kVolumeStep);
        break;
    case kMysCapture:
    case kMenuCaptureMys:
        CaptureMys();
        break;
    case kJpegCapture:
    case kMenuCaptureJpeg:
        CaptureJpeg();
        break;
    case kAviCapture:
    case kMenuCaptureAvi:
        CaptureAvi();
        break;
    case kMenuAlwaysOnTop:
        ToggleAlwaysOnTop();
        break;
    case kMenuRecentPosition:
        GoToRecentPosition();
        break;
    case kMenuEventList:
        ShowEventList();
        break;
    case kMenuSearchTime:
        SearchTime();
        break;
    case kMenuSearchStep:
        SetSearchSteps();
        break;
    case kMenuConfiguration:
        ChangeConfiguration();
        break;
    case kMenuAbout:
        ShowAbout();
        break;
    case kCancel:
    case kMenuExit:
        close();
        break;
    default:
        break;
    }
}

// Viewer to MYS Player pauses the device and plays the MYS file (or asks for one); MYS Player
// to Viewer needs a device with recordings. Both start with all channels shown.
void CViewerDlg::SwitchWorkingMode() {
    if (m_workingMode == kViewerMode) {
        if (IsDeviceOpen())
            m_deviceManager.SetPlayMode(kPause, kNoTarget);
        Settle(kModeSwitchSettleMs);
        m_screenManager.ClearPictures();
        const bool loaded = m_mysFileManager.IsPlaying();
        if (loaded)
            m_mysFileManager.SetPlayMode(MysIndex(kPlay), kNoTarget);
        m_workingMode = kMysPlayerMode;
        m_refresh->RefreshWorkingMode(ReadState(QTime::currentTime()));
        LayOut();
        m_displayRequest = kShowAll;
        if (!loaded)
            LoadMysFile();
        return;
    }
    if (m_deviceManager.GetFormattedCount() == 0) {
        KWMessageBox(kNoViewerText, kNoViewerCaption, Box::kOk | Box::kIconExclamation);
        return;
    }
    if (m_mysFileManager.IsPlaying())
        m_mysFileManager.SetPlayMode(MysIndex(kPause), kNoTarget);
    Settle(kModeSwitchSettleMs);
    m_screenManager.ClearPictures();
    if (IsDeviceOpen())
        m_deviceManager.SetPlayMode(kPlay, kNoTarget);
    m_workingMode = kViewerMode;
    m_refresh->RefreshWorkingMode(ReadState(QTime::currentTime()));
    LayOut();
    m_displayRequest = kShowAll;
}

void CViewerDlg::SelectOtherDevice() {
    if (m_deviceManager.GetFormattedCount() <= 1)
        return;
    if (IsDeviceOpen())
        PauseDevice();
    CDeviceSelectDlg dialog(m_deviceManager, this);
    if (KWRunModal(dialog) != QDialog::Accepted || dialog.GetSelected() < 0) {
        m_deviceManager.SetPlayMode(kPlay, kNoTarget);
        return;
    }
    m_deviceManager.StopStreaming();
    Settle(kDeviceSwitchSettleMs);
    static_cast<void>(
        m_deviceManager.StartStreaming(static_cast<std::uint8_t>(dialog.GetSelected())));
    m_displayRequest = kShowAll;
}

void CViewerDlg::ShowDeviceInformation() {
    if (m_deviceManager.GetFormattedCount() == 0)
        return;
    const std::uint8_t selected = m_deviceManager.GetSelected();
    CDeviceInfoDlg dialog(m_deviceManager,
                          selected == CQXStorageDeviceManager::kNoSelection ? 0 : selected, this);
    KWRunModal(dialog);
}

void CViewerDlg::LoadMysFile() {
    if (m_mysFileManager.IsRecorderRunning())
        KWMessageBox(kCapturingText, kPlaybackStartCaption, Box::kOk | Box::kIconExclamation);
    if (m_mysFileManager.IsPlaying())
        m_mysFileManager.SetPlayMode(MysIndex(kPause), kNoTarget);
    KWFileDialogRequest request;
    request.kind = KWFileDialogKind::Open;
    request.caption = kOpenCaption;
    request.start = QString::fromStdString(GetMysDirectory());
    request.filter = kMysFilter;
    request.defaultSuffix = kMysSuffix;
    const QString path = KWShowFileDialog(this, request);
    if (path.isEmpty())
        return;
    if (m_mysFileManager.IsPlaying()) {
        m_mysFileManager.ClosePlayer();
        m_mysPosition->SetPosition(0);
    }
    if (!m_mysFileManager.OpenPlayer(path.toStdString())) {
        m_controls->ShowNoFile();
        Show(QString(kOpenFailedText).arg(path), kPlaybackStartCaption,
             Box::kOk | Box::kIconExclamation);
        return;
    }
    m_mysPosition->setRange(
        0, static_cast<int>(std::min<std::uint32_t>(m_mysFileManager.GetFileLength(), INT32_MAX)));
    m_controls->ShowFile(QFileInfo(path).fileName(), m_mysFileManager.GetFileLength());
}

bool CViewerDlg::IsDeviceOpen() const {
    return m_deviceManager.GetSelected() != CQXStorageDeviceManager::kNoSelection;
}

// Pauses the stream and waits (briefly) until the pause has taken effect, so that a mode set
// right after it is not dropped as the mode already current.
void CViewerDlg::PauseDevice() {
    m_deviceManager.SetPlayMode(kPause, kNoTarget);
    KWWaitDeliveringSends(kPauseWaitMs, [this] {
        return m_deviceManager.GetPlayMode() == kPause || !m_deviceManager.IsRunning();
    });
}

bool CViewerDlg::RunViewerTransport(const Transition& transition) {
    if (!IsDeviceOpen())
        return false;
    const std::uint32_t mode = m_deviceManager.GetPlayMode();
    if (mode != kNone)
        m_deviceManager.SetPlayMode(transition(mode), kNoTarget);
    return true;
}

// The MYS commands act only while the player has a mode (index 2 "onef" or more).
void CViewerDlg::RunMysTransport(const Transition& transition) {
    const std::uint32_t index = GetMysMode();
    if (index < CQXMysFileManager::kFirstModeIndex)
        return;
    const std::uint32_t mode = kNone + index - 1;
    const std::uint32_t next = transition(mode);
    if (next != mode)
        m_mysFileManager.SetPlayMode(MysIndex(next), kNoTarget);
}

bool CViewerDlg::RunMysKey(const Transition& transition) {
    if (!m_mysFileManager.IsPlaying())
        return false;
    RunMysTransport(transition);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Channels

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
    if (m_workingMode == kViewerMode && m_deviceManager.GetPlayMode() == kPause)
        m_deviceManager.SetPlayMode(kOneForward, kNoTarget);
}

int CViewerDlg::ChannelAtPoint(const QPoint& point, const QSize& video) {
    const int width = video.width() + 2 * CViewerControls::kVideoLeft;
    const int height = video.height();
    const int x = point.x();
    const int y = point.y();
    const bool left = CViewerControls::kVideoLeft < x && x < width / 2;
    const bool right = width / 2 < x && x < width;
    const bool top = 0 < y && y < height / 2;
    const bool bottom = height / 2 < y && y < height;
    if (!(left || right) || !(top || bottom))
        return 0;
    return (top ? 1 : 3) + (right ? 1 : 0);
}

// With all channels shown a double click shows the channel under the pointer alone; otherwise
// it goes back to all channels.
void CViewerDlg::OnVideoDoubleClick(const QPoint& point) {
    if (m_displayRequest != kShowAll) {
        SelectAllChannels();
        return;
    }
    KWVideoAreaWidget& videoArea = m_controls->VideoArea();
    const int channel = ChannelAtPoint(videoArea.mapTo(m_client, point), videoArea.size());
    if (channel != 0)
        SelectChannel(channel);
}

// ---------------------------------------------------------------------------------------------
// Sound

int CViewerDlg::GetVolume() const {
    return m_volume->value();
}

void CViewerDlg::ToggleAudio() {
    if (m_waveManager.IsOpen())
        m_waveManager.Close();
    else
        TurnAudioOn();
}

void CViewerDlg::TurnAudioOn() {
    if (!OpenSound())
        KWMessageBox(kAudioFailedText, kAudioFailedCaption, Box::kOk | Box::kIconExclamation);
}

// Without a sound output (no device, or none free) the viewer plays on silently: the sound
// stays off, as IsOpen tells.
bool CViewerDlg::OpenSound() {
    return m_waveManager.Open(CKWWaveManager::kSampleRate, CKWWaveManager::kBitsPerSample) == 1;
}

void CViewerDlg::StepVolume(int step) {
    const int position = std::clamp(GetVolume() + step, 0, kMaxVolume);
    m_volume->SetPosition(position);
    ChangeVolume(position);
}

// A volume change also switches the sound on.
void CViewerDlg::ChangeVolume(int position) {
    m_waveManager.SetVolume(position);
    m_volume->SetTooltip(QString(kVolumeTip).arg(position));
    if (!m_waveManager.IsOpen())
        static_cast<void>(OpenSound());
    m_refresh->RefreshAudio(ReadState(QTime::currentTime()));
}

// ---------------------------------------------------------------------------------------------
// Searches and jumps

// Keys 7, 8 and 9: an hour back, an hour forward or a few minutes forward from the picture on
// screen.
void CViewerDlg::StepSearchTime(int key) {
    const QXTimestamp shown = m_screenManager.GetDateTime();
    QXTimestamp target;
    if (key == Qt::Key_7)
        target = QXSearchStepping::HourBack(shown, s_hourStep);
    else if (key == Qt::Key_8)
        target = QXSearchStepping::HourForward(shown, s_hourStep);
    else
        target = QXSearchStepping::MinuteForward(shown, s_minuteStep);
    CQXStreamJumps(m_deviceManager).SeekToTime(target);
}

void CViewerDlg::SearchTime() {
    CSearchTimeDlg dialog(this);
    if (KWRunModal(dialog) != QDialog::Accepted)
        return;
    const CSearchTimeDlg::Choice choice = dialog.GetChoice();
    QXTimestamp target;
    if (!CQXStreamJumps::TargetFromDialog(choice.date.year(), choice.date.month(),
                                          choice.date.day(), choice.halfDay.toStdString(),
                                          choice.hour.toStdString(), choice.minute.toStdString(),
                                          target)) {
        KWMessageBox(kSearchDateText, kSearchDateCaption, Box::kOk | Box::kIconExclamation);
        return;
    }
    CQXStreamJumps(m_deviceManager).SeekToTime(target);
}

void CViewerDlg::SetSearchSteps() {
    CSearchStepDlg dialog(this);
    if (KWRunModal(dialog) != QDialog::Accepted)
        return;
    s_hourStep = dialog.GetHourStep().toInt();
    s_minuteStep = dialog.GetMinuteStep().toInt();
}

void CViewerDlg::ShowEventList() {
    CQXStreamJumps(m_deviceManager)
        .ShowEventList(
            [this](const QXEventArea::Bytes&, const std::vector<QXEventArea::Entry>& entries) {
                std::vector<std::string> lines;
                for (const QXEventArea::Entry& entry : entries)
                    lines.push_back(entry.line);
                CEventListDlg dialog(lines, this);
                KWRunModal(dialog);
                return dialog.GetSelected();
            });
}

void CViewerDlg::GoToRecentPosition() {
    CQXStreamJumps(m_deviceManager).GoToRecentPosition();
}

// ---------------------------------------------------------------------------------------------
// Captures

std::string CViewerDlg::GetMysDirectory() {
    const KWConfigEntry* entry = m_config.GetEntry(CConfigFileManager::kMysDirectory);
    return entry ? entry->text : std::string();
}

// From a pause: records the stream into MYS files while it plays, until the user stops it.
void CViewerDlg::CaptureMys() {
    if (!IsDeviceOpen() || m_deviceManager.GetPlayMode() != kPause) {
        KWMessageBox(kMysCaptureRefusedText, kMysCaptureErrorCaption,
                     Box::kOk | Box::kIconExclamation);
        return;
    }
    const std::string directory = GetMysDirectory();
    KWMessageBox(directory, kMysCaptureCaption, Box::kOk | Box::kIconInformation);
    if (!m_deviceManager.StartCapture(directory)) {
        Show(QString(kMysCaptureFailedText).arg(QString::fromStdString(directory)),
             kMysCaptureErrorCaption, Box::kOk | Box::kIconExclamation);
        return;
    }
    CCaptureIndicatorDlg indicator(this);
    KWRunModal(indicator);
    m_deviceManager.StopCapture();
    KWMessageBox(kMysCreatedText, kMysCaptureCaption, Box::kOk | Box::kIconInformation);
}

// Saves the picture on screen as a JPEG file, from a pause of the source of the working mode.
void CViewerDlg::CaptureJpeg() {
    RunMysTransport(QXMysTransport::Pause);
    const bool viewer = m_workingMode == kViewerMode;
    const bool paused =
        viewer ? m_deviceManager.GetPlayMode() == kPause : GetMysMode() == MysIndex(kPause);
    if (paused) {
        static_cast<void>(
            m_screenManager.Capture(GetMysDirectory(), CQXDirectDrawSurface7Capture::kImageJpeg));
        return;
    }
    Show(QString(viewer ? kJpegViewerRefusedText : kJpegMysRefusedText) + kJpegRefusedHint,
         kJpegCaptureErrorCaption, Box::kOk | Box::kIconExclamation);
}

// The AVI export (button 1054, menu 32810) runs on an engine of its own, which this version of
// the program does not have: the button and the menu item are disabled and say so.
void CViewerDlg::CaptureAvi() {
    m_aviCapture.Toggle();
}

// ---------------------------------------------------------------------------------------------
// Window

void CViewerDlg::ToggleAlwaysOnTop() {
    m_alwaysOnTop = !m_alwaysOnTop;
    setWindowFlag(Qt::WindowStaysOnTopHint, m_alwaysOnTop);
    // Changing the window's flags hides it.
    show();
    QXViewerMenu::SetTicked(*QXViewerMenu::Find(*this, kMenuAlwaysOnTop), m_alwaysOnTop);
}

void CViewerDlg::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(kAboutItemText, this, &CViewerDlg::ShowAbout);
    menu.exec(event->globalPos());
}

void CViewerDlg::ShowAbout() {
    CViewerAboutDlg dialog(this);
    KWRunModal(dialog);
}

void CViewerDlg::ChangeConfiguration() {
    CConfigDlg dialog(m_config, this);
    KWRunModal(dialog);
}

void CViewerDlg::reject() {
    if (ConfirmClose())
        QDialog::reject();
}

void CViewerDlg::CloseConfirmed() {
    const KWConfigEntry* confirm = m_config.GetEntry(CConfigFileManager::kShowCloseConfirm);
    if (confirm && confirm->value != 0)
        SaveRecentPosition();
    QDialog::reject();
}

// With the confirmation switched on: asks, and on Yes saves the device's position for the next
// start. Without it: neither.
bool CViewerDlg::ConfirmClose() {
    const KWConfigEntry* confirm = m_config.GetEntry(CConfigFileManager::kShowCloseConfirm);
    if (!confirm || confirm->value == 0)
        return true;
    if (KWMessageBox(kCloseQuestion, kCloseCaption, Box::kYesNo | Box::kIconQuestion) !=
        KWMessageBoxAnswer::kYes)
        return false;
    SaveRecentPosition();
    return true;
}

// "recent.txt" in the current directory holds the position in decimal. Without a device open
// there is no position, and the one saved before is kept.
void CViewerDlg::SaveRecentPosition() {
    if (!IsDeviceOpen())
        return;
    const std::string text =
        std::to_string(m_deviceManager.GetPosition(m_deviceManager.GetCurrentDeviceIndex()));
    if (!KWReplaceFile(CQXStreamJumps::kRecentFileName, text.data(), text.size()))
        Show(QString(kRecentSaveFailedText).arg(CQXStreamJumps::kRecentFileName),
             kRecentSaveCaption, Box::kOk | Box::kIconExclamation);
}

// ---------------------------------------------------------------------------------------------
// Keys and the mouse

bool CViewerDlg::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonDblClick && watched == &m_controls->VideoArea() &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        OnVideoDoubleClick(static_cast<QMouseEvent*>(event)->position().toPoint());
        return true;
    }
    // A press on the bare client area moves the window, as on its title bar.
    if (type == QEvent::MouseButtonPress && watched == m_client &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && windowHandle()) {
        windowHandle()->startSystemMove();
        return true;
    }
    const bool down = type == QEvent::KeyPress;
    if (!down && type != QEvent::KeyRelease)
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
        return viewer ? RunViewerTransport(QXViewerTransport::Pause)
                      : RunMysKey(QXViewerTransport::Pause);
    case Qt::Key_Left:
        return viewer ? RunViewerTransport(QXViewerTransport::FastReverse)
                      : RunMysKey(QXMysTransport::FastReverseKey);
    case Qt::Key_Right:
        return viewer ? RunViewerTransport(QXViewerTransport::FastForward)
                      : RunMysKey(QXMysTransport::FastForwardKey);
    case Qt::Key_PageDown:
        return viewer ? RunViewerTransport(OneForward) : RunMysKey(OneForward);
    case Qt::Key_PageUp:
        return viewer ? RunViewerTransport(OneReverse) : RunMysKey(OneReverse);
    case Qt::Key_Up:
        StepVolume(kVolumeStep);
        return true;
    case Qt::Key_Down:
        StepVolume(-kVolumeStep);
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
    case Qt::Key_7:
    case Qt::Key_8:
    case Qt::Key_9:
        if (!viewer)
            return false;
        StepSearchTime(key.key());
        return true;
    case Qt::Key_L:
        LoadMysFile();
        return false;
    case Qt::Key_M:
        if (ctrl)
            ToggleAudio();
        return true;
    case Qt::Key_X:
        if (ctrl)
            close();
        return true;
    case Qt::Key_F2:
        SwitchWorkingMode();
        return true;
    default:
        return StepDiagnosticsSequence(key.key());
    }
}

// F6 to F10 in that order reveal the diagnostics panel; one of them out of order starts again.
// The five keys are consumed, every other key passes on.
bool CViewerDlg::StepDiagnosticsSequence(int key) {
    const auto* found =
        std::find(std::begin(kDiagnosticsSequence), std::end(kDiagnosticsSequence), key);
    if (found == std::end(kDiagnosticsSequence))
        return false;
    if (key == kDiagnosticsSequence[m_diagnosticsKeys])
        ++m_diagnosticsKeys;
    else
        m_diagnosticsKeys = key == kDiagnosticsSequence[0] ? 1 : 0;
    if (m_diagnosticsKeys == std::size(kDiagnosticsSequence)) {
        m_diagnosticsKeys = 0;
        RevealDiagnostics();
    }
    return true;
}
