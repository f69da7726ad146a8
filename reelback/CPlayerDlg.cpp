#include "CPlayerDlg.h"
#include "CAboutDlg.h"
#include "CAvToAviDialog.h"
#include "CConfigDialog.h"
#include "CKWElidedLabel.h"
#include "CPlayerIcons.h"
#include "CSnapshotSetting.h"
#include "KWFileDialog.h"
#include "KWMessageBox.h"
#include "KWModalDialog.h"
#include "KWPlayMode.h"
#include "KWSnapshotName.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QShortcut>
#include <QSlider>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {
constexpr const char* kTitle = "Reelplay";
constexpr const char* kTrayTip = "Reelback";
constexpr const char* kTrayClose = "Close";
constexpr const char* kNoFile = "No File";
constexpr const char* kFilePathFormat = "File Path:\t%1";
constexpr const char* kTotalTimeLabel = "Total Time:\t";
constexpr const char* kOpenCaption = "Open";
constexpr const char* kOpenFilter = "av file(*.av);;All Files(*.*)";
constexpr const char* kOpenSuffix = "av";
constexpr const char* kOpenFailedText = "The file cannot be played:\n%1";
constexpr const char* kSnapshotCaption = "SnapShot";
constexpr const char* kSnapshotFailedText = "The snapshot could not be saved as\n%1";
constexpr const char* kSnapshotSavedText = "Snapshot saved:\t%1";
constexpr const char* kNoticeStyle =
    "background-color: rgba(0, 0, 0, 160); color: white; padding: 0 6px;";
constexpr int kNoticeMs = 5000;
constexpr int kNoticeMargin = 8;
constexpr int kNoticePadding = 3;
constexpr const char* kBlank = " ";
constexpr const char* kWidestStatus = "Reverse ";

// Snapshot arguments of the component: JPEG, natural size, best quality.
constexpr int kSnapshotFormat = 1;
constexpr int kSnapshotSize = 1;
constexpr int kSnapshotQuality = 255;

constexpr int kSecondsPerHour = 3600;
constexpr int kSecondsPerMinute = 60;
constexpr int kButtonSize = 26;
constexpr int kIconSize = 20;
constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 540;
constexpr int kMinimumWidth = 600;
constexpr int kMinimumHeight = 240;

// "%02d:%02d:%02d"; a negative time shows as 0.
QString TimeText(int seconds) {
    seconds = std::max(0, seconds);
    return QString::asprintf("%02d:%02d:%02d", seconds / kSecondsPerHour,
                             seconds % kSecondsPerHour / kSecondsPerMinute,
                             seconds % kSecondsPerMinute);
}

struct MenuItem {
    int command;
    const char* text;
    QKeySequence shortcut;
};

struct ButtonItem {
    int id;
    const char* tip;
};

// The play buttons in their order in the strip.
const ButtonItem kPlayButtons[] = {
    {CPlayerDlg::kIdLoadFile, "Load File"},   {CPlayerDlg::kIdFastReverse, "Fast Reverse Play"},
    {CPlayerDlg::kIdReverse, "Reverse Play"}, {CPlayerDlg::kIdPlay, "Play"},
    {CPlayerDlg::kIdPause, "Pause"},          {CPlayerDlg::kIdFastForward, "Fast Forward Play"},
    {CPlayerDlg::kIdSnapshot, "SnapShot"},
};

// The buttons whose icon and state follow whether a file is open: open icon, no-file icon.
struct FileButton {
    int id;
    int openIcon;
    int noFileIcon;
};

const FileButton kFileButtons[] = {
    {CPlayerDlg::kIdFastReverse, CPlayerIcons::kFastReverse, CPlayerIcons::kFastReverseNoFile},
    {CPlayerDlg::kIdFastForward, CPlayerIcons::kFastForward, CPlayerIcons::kFastForwardNoFile},
    {CPlayerDlg::kIdPause, CPlayerIcons::kPause, CPlayerIcons::kPauseNoFile},
    {CPlayerDlg::kIdReverse, CPlayerIcons::kReverse, CPlayerIcons::kReverseNoFile},
};

// The Control menu items enabled only while a file is open.
constexpr int kFileCommands[] = {CPlayerDlg::kCmdFastReverse, CPlayerDlg::kCmdFastForward,
                                 CPlayerDlg::kCmdPause,       CPlayerDlg::kCmdPlay,
                                 CPlayerDlg::kCmdReverse,     CPlayerDlg::kCmdSnapshot};

QLabel* MakeLabel(int id, const QString& text) {
    auto* label = new QLabel(text);
    label->setObjectName(QString::number(id));
    return label;
}

// A sunken frame around one text.
QFrame* MakeFrame(int id, QLabel* label) {
    auto* frame = new QFrame;
    frame->setObjectName(QString::number(id));
    frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto* layout = new QHBoxLayout(frame);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->addWidget(label);
    return frame;
}

QGroupBox* MakeGroup(int id, const char* title) {
    auto* group = new QGroupBox(title);
    group->setObjectName(QString::number(id));
    return group;
}

QSlider* MakeSlider(int id) {
    auto* slider = new QSlider(Qt::Horizontal);
    slider->setObjectName(QString::number(id));
    slider->setFocusPolicy(Qt::NoFocus);
    return slider;
}

void Tighten(QLayout* layout) {
    layout->setContentsMargins(4, 0, 4, 2);
    layout->setSpacing(2);
}
} // namespace

CPlayerDlg::CPlayerDlg(CKWPlaybackControl::AudioFactory audio,
                       CZrmp4controlctrl1::CallObserver observer, QWidget* parent)
    : QDialog(parent) {
    setObjectName("CPlayerDlg");
    setWindowTitle(kTitle);
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    setWindowIcon(CPlayerIcons::Icon(CPlayerIcons::kApplication));
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    resize(kDefaultWidth, kDefaultHeight);

    BuildMenu();
    BuildTray();
    m_host = new CZRMP4CtrlDlg(this, std::move(audio), std::move(observer));
    connect(m_host, &CZRMP4CtrlDlg::controlReset, this, &CPlayerDlg::OnControlReset);
    connect(m_host, &CZRMP4CtrlDlg::playbackEnded, this, &CPlayerDlg::OnPlaybackEnded);
    // The time box follows every picture, so that it shows the time of the one on screen also
    // in fast play; the position timer keeps it right while no picture changes.
    connect(m_host, &CZRMP4CtrlDlg::pictureShown, this, &CPlayerDlg::UpdatePosition);
    m_strip = BuildStrip();
    m_strip->setParent(this);

    SetIcon(m_buttons[kIdLoadFile], CPlayerIcons::kLoadFile);
    SetIcon(m_buttons[kIdPlay], CPlayerIcons::kPlay);
    SetIcon(m_buttons[kIdSnapshot], CPlayerIcons::kSnapshot);
    SetIcon(m_buttons[kIdMute], CPlayerIcons::kMuted);
    m_host->Control()->SetSound(0);
    m_volume->setRange(kVolumeMin, kVolumeMax);
    m_position->setRange(0, 0);
    ConnectSliders();

    Layout();
    SetStatus(kNoFile);
    m_positionText->setText(TimeText(0));
    UpdateControls();
    m_notice = new CKWElidedLabel(QString(), this);
    m_notice->setObjectName("notice");
    m_notice->setStyleSheet(kNoticeStyle);
    m_notice->hide();
    m_noticeTimer.setSingleShot(true);
    connect(&m_noticeTimer, &QTimer::timeout, m_notice, &QWidget::hide);
    setAcceptDrops(true);
    connect(&m_positionTimer, &QTimer::timeout, this, &CPlayerDlg::UpdatePosition);

    OnMute(); // from the muted start: sound on at the usual volume
}

CPlayerDlg::~CPlayerDlg() {
    m_positionTimer.stop();
    delete m_host.data();
}

void CPlayerDlg::BuildMenu() {
    m_menuBar = new QMenuBar(this);
    const auto addMenu = [this](const char* title, std::initializer_list<MenuItem> items) {
        QMenu* menu = m_menuBar->addMenu(title);
        for (const MenuItem& item : items) {
            QAction* action = menu->addAction(item.text);
            action->setShortcut(item.shortcut);
            addAction(action); // the shortcut works wherever the window has focus
            m_actions[item.command] = action;
        }
        return menu;
    };
    addMenu("&Option", {{kCmdOpenFile, "Open&File\tF2", QKeySequence(Qt::Key_F2)},
                        {kCmdSetting, "&Setting\tCtrl+S", QKeySequence(Qt::CTRL | Qt::Key_S)},
                        {kCmdToAvi, "&ToAvi\t Ctrl+T", QKeySequence(Qt::CTRL | Qt::Key_T)},
                        {kCmdExit, "E&xit\tCtrl+X", QKeySequence(Qt::CTRL | Qt::Key_X)}});
    // The arrows are shared by two items each; OnRightKey and OnLeftKey serve them.
    addMenu("&Control", {{kCmdFastReverse, "Fast &Reverse\t<-", {}},
                         {kCmdReverse, "R&everse Play\t<-", {}},
                         {kCmdPlay, "&Play\t->", {}},
                         {kCmdPause, "P&ause\tSpace", QKeySequence(Qt::Key_Space)},
                         {kCmdFastForward, "&Fast Forward\t->", {}},
                         {kCmdSnapshot, "Snaps&hot\tCtrl+H", QKeySequence(Qt::CTRL | Qt::Key_H)}});
    addMenu("&Language", {{kCmdEnglish, "English", {}}});
    addMenu("&Help", {{kCmdAbout, "&About Reelplay...", {}}});
    m_actions[kCmdEnglish]->setCheckable(true);
    m_actions[kCmdEnglish]->setChecked(true);

    const std::pair<int, void (CPlayerDlg::*)()> handlers[] = {
        {kCmdOpenFile, &CPlayerDlg::OnOpenFile},
        {kCmdSetting, &CPlayerDlg::OnSetting},
        {kCmdToAvi, &CPlayerDlg::OnToAvi},
        {kCmdExit, &CPlayerDlg::OnExit},
        {kCmdFastReverse, &CPlayerDlg::OnFastReverse},
        {kCmdReverse, &CPlayerDlg::OnReverse},
        {kCmdPlay, &CPlayerDlg::OnPlay},
        {kCmdPause, &CPlayerDlg::OnPause},
        {kCmdFastForward, &CPlayerDlg::OnFastForward},
        {kCmdSnapshot, &CPlayerDlg::OnSnapshot},
        {kCmdAbout, &CPlayerDlg::OnAbout}};
    for (const auto& [command, handler] : handlers) {
        connect(m_actions[command], &QAction::triggered, this, handler);
    }
    connect(new QShortcut(QKeySequence(Qt::Key_Right), this), &QShortcut::activated, this,
            &CPlayerDlg::OnRightKey);
    connect(new QShortcut(QKeySequence(Qt::Key_Left), this), &QShortcut::activated, this,
            &CPlayerDlg::OnLeftKey);
}

QToolButton* CPlayerDlg::MakeButton(int id, const char* tip) {
    auto* button = new QToolButton;
    button->setObjectName(QString::number(id));
    button->setToolTip(tip);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(kButtonSize, kButtonSize);
    button->setIconSize(QSize(kIconSize, kIconSize));
    m_buttons[id] = button;
    return button;
}

QWidget* CPlayerDlg::BuildStrip() {
    auto* strip = new QWidget;
    strip->setObjectName("strip");

    auto* control = MakeGroup(kIdControlGroup, "Play Control");
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(1);
    for (const ButtonItem& item : kPlayButtons) {
        buttons->addWidget(MakeButton(item.id, item.tip));
    }
    buttons->addStretch();
    const std::pair<int, void (CPlayerDlg::*)()> clicks[] = {
        {kIdLoadFile, &CPlayerDlg::OnOpenFile}, {kIdFastReverse, &CPlayerDlg::OnFastReverse},
        {kIdReverse, &CPlayerDlg::OnReverse},   {kIdPlay, &CPlayerDlg::OnPlay},
        {kIdPause, &CPlayerDlg::OnPause},       {kIdFastForward, &CPlayerDlg::OnFastForward},
        {kIdSnapshot, &CPlayerDlg::OnSnapshot}};
    for (const auto& [id, handler] : clicks) {
        connect(m_buttons[id], &QToolButton::clicked, this, handler);
    }
    m_position = MakeSlider(kIdPosition);
    m_positionText = MakeLabel(kIdPositionText, TimeText(0));
    auto* seek = new QHBoxLayout;
    seek->addWidget(m_position, 1);
    seek->addWidget(MakeFrame(kIdPositionFrame, m_positionText));
    auto* controlLayout = new QVBoxLayout(control);
    Tighten(controlLayout);
    controlLayout->addLayout(buttons);
    controlLayout->addLayout(seek);

    auto* audio = MakeGroup(kIdAudioGroup, "Audio");
    auto* mute = MakeButton(kIdMute, "Mute");
    connect(mute, &QToolButton::clicked, this, &CPlayerDlg::OnMute);
    m_volume = MakeSlider(kIdVolume);
    auto* audioLayout = new QHBoxLayout(audio);
    Tighten(audioLayout);
    audioLayout->addWidget(mute);
    audioLayout->addWidget(m_volume, 1);

    auto* information = MakeGroup(kIdInformationGroup, "Infomation");
    m_filePath = new CKWElidedLabel(QString(kFilePathFormat).arg(QString()));
    m_filePath->setObjectName(QString::number(kIdFilePath));
    m_totalTime = new CKWElidedLabel(kTotalTimeLabel + TimeText(0));
    m_totalTime->setObjectName(QString::number(kIdTotalTime));
    m_status = MakeLabel(kIdStatus, kNoFile);
    m_status->setAlignment(Qt::AlignCenter);
    // As wide as the longest status text, so that the strip does not shift when it changes.
    m_status->setMinimumWidth(m_status->fontMetrics().horizontalAdvance(kWidestStatus));
    auto* texts = new QVBoxLayout;
    texts->setSpacing(0);
    texts->addWidget(m_filePath);
    texts->addWidget(m_totalTime);
    auto* informationLayout = new QHBoxLayout(information);
    Tighten(informationLayout);
    informationLayout->addLayout(texts, 1);
    informationLayout->addWidget(MakeFrame(kIdStatusFrame, m_status));

    auto* layout = new QHBoxLayout(strip);
    layout->setContentsMargins(4, 0, 4, 2);
    layout->setSpacing(4);
    layout->addWidget(control, 3);
    layout->addWidget(audio, 1);
    layout->addWidget(information, 3);
    return strip;
}

void CPlayerDlg::BuildTray() {
    m_tray = new QSystemTrayIcon(CPlayerIcons::Icon(CPlayerIcons::kApplication), this);
    m_tray->setToolTip(kTrayTip);
    m_trayMenu = new QMenu(this);
    QAction* close = m_trayMenu->addAction(kTrayClose);
    m_trayMenu->setDefaultAction(close);
    connect(close, &QAction::triggered, this, &CPlayerDlg::reject);
    m_tray->setContextMenu(m_trayMenu);
    connect(m_tray, &QSystemTrayIcon::activated, this, &CPlayerDlg::OnTrayActivated);
    // Without a tray the program runs on without the icon; the window is then never hidden.
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        m_tray->show();
    }
    connect(this, &QDialog::finished, m_tray, &QSystemTrayIcon::hide);
}

void CPlayerDlg::ConnectSliders() {
    connect(m_position, &QSlider::sliderPressed, &m_positionTimer, &QTimer::stop);
    connect(m_position, &QSlider::sliderMoved, this, &CPlayerDlg::SeekToSlider);
    connect(m_position, &QSlider::sliderReleased, this, &CPlayerDlg::SeekToSlider);
    connect(m_position, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove) {
            SeekToSlider();
        }
    });
    connect(m_volume, &QSlider::sliderPressed, this, &CPlayerDlg::TouchVolume);
    connect(m_volume, &QSlider::sliderMoved, this,
            [this](int position) { m_host->Control()->SetVolume(position * kVolumeScale); });
    connect(m_volume, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove) {
            TouchVolume();
        }
    });
}

QAction* CPlayerDlg::MenuAction(int command) const {
    const auto found = m_actions.find(command);
    return found != m_actions.end() ? found->second : nullptr;
}

// The host fills the client area less a 1-pixel margin and the strip at the bottom.
void CPlayerDlg::Layout() {
    const int menuHeight = m_menuBar->sizeHint().height();
    m_menuBar->setGeometry(0, 0, width(), menuHeight);
    const QRect client(0, menuHeight, width(), height() - menuHeight);
    if (m_host != nullptr) {
        m_host->SetLayoutRect(QRect(client.left() + kHostInset, client.top() + kHostInset,
                                    std::max(0, client.width() - 2 * kHostInset),
                                    std::max(0, client.height() - kHostInset - kStripHeight)));
    }
    m_strip->setGeometry(client.left(), client.bottom() + 1 - kStripHeight, client.width(),
                         kStripHeight);
    if (m_notice != nullptr) {
        PlaceNotice();
    }
}

void CPlayerDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    Layout();
}

bool CPlayerDlg::IsFileOpen() const {
    return m_host != nullptr && m_host->IsOpen();
}

void CPlayerDlg::SetIcon(QToolButton* button, int icon) {
    button->setIcon(CPlayerIcons::Icon(icon));
    button->setProperty("iconId", icon);
}

void CPlayerDlg::SetStatus(const QString& text) {
    m_status->setText(text);
}

void CPlayerDlg::UpdateControls() {
    const bool open = IsFileOpen();
    for (const FileButton& item : kFileButtons) {
        SetIcon(m_buttons[item.id], open ? item.openIcon : item.noFileIcon);
        m_buttons[item.id]->setEnabled(open);
    }
    m_buttons[kIdPlay]->setEnabled(true);
    for (int command : kFileCommands) {
        m_actions[command]->setEnabled(open);
    }
}

void CPlayerDlg::OpenCommandLine(const QString& text) {
    if (text.isEmpty() || text == kBlank) {
        return;
    }
    OpenPath(text);
}

void CPlayerDlg::OpenPath(const QString& path) {
    if (m_host == nullptr) {
        return;
    }
    m_host->Open(path.toStdString());
    m_rememberedPath = path;
    m_filePath->SetText(QString(kFilePathFormat).arg(path));
    const int duration = m_host->Duration();
    m_totalTime->SetText(kTotalTimeLabel + TimeText(duration));
    m_position->setRange(0, std::max(0, duration));
    ShowOpenResult(path);
    UpdateControls();
    m_positionTimer.start(kPositionTimerMs);
}

// A file the component cannot open is reported instead of being shown as playing.
void CPlayerDlg::ShowOpenResult(const QString& path) {
    if (IsFileOpen()) {
        SetStatus(KWPlayMode::StatusText(KWPlayMode::kPlay));
        return;
    }
    SetStatus(kNoFile);
    KWMessageBox(QString(kOpenFailedText).arg(path).toStdString(), kOpenCaption,
                 KWMessageBoxFlags::kOk | KWMessageBoxFlags::kIconExclamation);
}

void CPlayerDlg::RestoreWindow() {
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void CPlayerDlg::OnOpenFile() {
    const QString path = KWShowFileDialog(
        this,
        KWFileDialogRequest{KWFileDialogKind::Open, kOpenCaption, {}, kOpenFilter, kOpenSuffix});
    if (!path.isEmpty()) {
        OpenPath(path);
    }
}

void CPlayerDlg::ApplyTransition(int mode, bool resumeFirst) {
    if (resumeFirst) {
        m_host->Control()->Resume();
    }
    m_host->SetPlayMode(mode);
    SetStatus(KWPlayMode::StatusText(mode));
}

// After the component was replaced, Play opens the remembered file again.
void CPlayerDlg::OnPlay() {
    if (m_host == nullptr) {
        return;
    }
    if (!IsFileOpen()) {
        if (m_reopen && !m_rememberedPath.isEmpty()) {
            m_host->Open(m_rememberedPath.toStdString());
            ShowOpenResult(m_rememberedPath);
            UpdateControls();
        } else {
            OnOpenFile();
        }
        return;
    }
    if (const auto next = KWPlayMode::OnPlay(m_host->GetPlayMode())) {
        ApplyTransition(next->mode, next->resumeFirst);
    }
}

void CPlayerDlg::OnPause() {
    if (!IsFileOpen()) {
        return;
    }
    if (const auto next = KWPlayMode::OnPause(m_host->GetPlayMode())) {
        ApplyTransition(next->mode, next->resumeFirst);
    }
}

void CPlayerDlg::OnReverse() {
    if (!IsFileOpen()) {
        return;
    }
    if (const auto next = KWPlayMode::OnReverse(m_host->GetPlayMode())) {
        ApplyTransition(next->mode, next->resumeFirst);
    }
}

void CPlayerDlg::OnFastForward() {
    if (!IsFileOpen()) {
        return;
    }
    if (const auto next = KWPlayMode::OnFastForward(m_host->GetPlayMode())) {
        ApplyTransition(next->mode, next->resumeFirst);
    }
}

void CPlayerDlg::OnFastReverse() {
    if (!IsFileOpen()) {
        return;
    }
    if (const auto next = KWPlayMode::OnFastReverse(m_host->GetPlayMode())) {
        ApplyTransition(next->mode, next->resumeFirst);
    }
}

void CPlayerDlg::OnRightKey() {
    const int mode = m_host != nullptr ? m_host->GetPlayMode() : KWPlayMode::kNone;
    if (IsFileOpen() && (mode == KWPlayMode::kPlay || KWPlayMode::IsFastForward(mode))) {
        OnFastForward();
    } else {
        OnPlay();
    }
}

void CPlayerDlg::OnLeftKey() {
    const int mode = m_host != nullptr ? m_host->GetPlayMode() : KWPlayMode::kNone;
    if (mode == KWPlayMode::kReverse || KWPlayMode::IsFastReverse(mode)) {
        OnFastReverse();
    } else {
        OnReverse();
    }
}

// The snapshot is named after the shown picture's recording time; the component creates a
// missing folder. A snapshot of an open file that could not be written is reported.
void CPlayerDlg::OnSnapshot() {
    if (m_host == nullptr || m_host->Control() == nullptr) {
        return;
    }
    CZrmp4controlctrl1& control = *m_host->Control();
    const std::string folder = CSnapshotSetting::Read().toStdString();
    const std::uint32_t start = control.GetStartTime();
    const std::int32_t position = control.GetPosition();
    const std::string name = KWMakeSnapshotName(folder, start, position);
    const std::int32_t written =
        control.Snapshot(kSnapshotFormat, kSnapshotSize, kSnapshotQuality, name);
    if (written != 0) {
        ShowNotice(QString(kSnapshotSavedText)
                       .arg(QString::fromStdString(name + CKWPlaybackControl::kSnapshotExtension)));
    } else if (IsFileOpen()) {
        KWMessageBox(QString(kSnapshotFailedText).arg(QString::fromStdString(name)).toStdString(),
                     kSnapshotCaption, KWMessageBoxFlags::kOk | KWMessageBoxFlags::kIconStop);
    }
}

// A line over the bottom of the picture for a few seconds.
void CPlayerDlg::ShowNotice(const QString& text) {
    m_notice->SetText(text);
    PlaceNotice();
    m_notice->show();
    m_notice->raise();
    m_noticeTimer.start(kNoticeMs);
}

void CPlayerDlg::PlaceNotice() {
    const QRect host = m_host != nullptr ? m_host->LayoutRect() : rect();
    const int height = m_notice->fontMetrics().height() + 2 * kNoticePadding;
    m_notice->setGeometry(host.left() + kNoticeMargin, host.bottom() - kNoticeMargin - height,
                          std::max(0, host.width() - 2 * kNoticeMargin), height);
}

void CPlayerDlg::OnSetting() {
    CConfigDialog dialog(this);
    KWRunModal(dialog);
}

// The component converts and shows the progress; the paths are its to check.
void CPlayerDlg::OnToAvi() {
    CAvToAviDialog dialog(this);
    if (KWRunModal(dialog) != QDialog::Accepted || m_host == nullptr ||
        m_host->Control() == nullptr) {
        return;
    }
    m_host->Control()->ConvertToAvi(dialog.Source().toStdString(),
                                    dialog.Destination().toStdString());
}

void CPlayerDlg::OnExit() {
    m_positionTimer.stop();
    delete m_host.data();
    reject();
}

void CPlayerDlg::OnMute() {
    if (m_host == nullptr) {
        return;
    }
    m_muted = !m_muted;
    if (!m_muted) {
        m_volume->setValue(kVolumeSoundOn);
    }
    ApplySound();
    SetIcon(m_buttons[kIdMute], m_muted ? CPlayerIcons::kMuted : CPlayerIcons::kSoundOn);
    if (m_muted) {
        m_volume->setValue(kVolumeMin);
    }
}

// Sound on at the slider's volume, or off.
void CPlayerDlg::ApplySound() {
    CZrmp4controlctrl1* control = m_host->Control();
    if (m_muted) {
        control->SetSound(0);
        return;
    }
    control->SetVolume(m_volume->value() * kVolumeScale);
    control->SetSound(1);
}

// Pressing the volume slider sets the volume and switches the sound back on.
void CPlayerDlg::TouchVolume() {
    if (m_host == nullptr) {
        return;
    }
    m_muted = false;
    SetIcon(m_buttons[kIdMute], CPlayerIcons::kSoundOn);
    m_host->Control()->SetVolume(m_volume->sliderPosition() * kVolumeScale);
    m_host->Control()->SetSound(1);
}

void CPlayerDlg::OnAbout() {
    CAboutDlg dialog(this);
    KWRunModal(dialog);
}

// The replacement starts with the sound as the window shows it; the file waits for Play.
void CPlayerDlg::OnControlReset() {
    if (m_host == nullptr) {
        return;
    }
    m_host->DiscardControl();
    m_host->CreateControl();
    m_reopen = true;
    SetStatus(KWPlayMode::StatusText(KWPlayMode::kPause));
    Layout();
    ApplySound();
    UpdateControls();
}

void CPlayerDlg::UpdatePosition() {
    if (m_host == nullptr || m_host->Control() == nullptr) {
        return;
    }
    const int position = m_host->Position();
    // While the user drags the slider, it shows where the user is going.
    if (!m_position->isSliderDown()) {
        m_position->setValue(position);
    }
    m_positionText->setText(TimeText(position));
}

// Playing ran into the end (or the start, going backwards): the component holds the last
// picture, so the window shows the player paused there. A command given meanwhile that moved on
// leaves the mode alone.
void CPlayerDlg::OnPlaybackEnded() {
    if (!IsFileOpen() || m_host->Control()->GetIsAtEnd() == 0) {
        return;
    }
    if (m_host->GetPlayMode() != KWPlayMode::kPause) {
        ApplyTransition(KWPlayMode::kPause, false);
    }
    UpdatePosition();
}

// Seeking stops the position timer, so that it does not pull the slider back meanwhile.
void CPlayerDlg::SeekToSlider() {
    m_positionTimer.stop();
    if (m_host != nullptr && m_host->Control() != nullptr) {
        m_host->Control()->Seek(m_position->sliderPosition());
    }
    if (!m_position->isSliderDown()) {
        m_positionTimer.start(kPositionTimerMs);
    }
}

void CPlayerDlg::OnTrayActivated(QSystemTrayIcon::ActivationReason reason) {
    if (reason != QSystemTrayIcon::DoubleClick) {
        return;
    }
    if (isVisible()) {
        hide();
    } else {
        RestoreWindow();
    }
}

// Minimised, the window goes to the tray; without a tray it stays on the task bar.
void CPlayerDlg::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized() && m_tray->isVisible()) {
        QTimer::singleShot(0, this, [this] {
            setWindowState(windowState() & ~Qt::WindowMinimized);
            hide();
        });
    }
}

void CPlayerDlg::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() && urls.constFirst().isLocalFile()) {
        event->acceptProposedAction();
    }
}

// The first dropped file is opened, with its whole path.
void CPlayerDlg::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.constFirst().isLocalFile()) {
        return;
    }
    event->acceptProposedAction();
    OpenPath(urls.constFirst().toLocalFile());
}
