#include "CViewerControls.h"

#include "CIconButton.h"
#include "CKWSlider.h"
#include "CKWTabbedLabel.h"
#include "KWVideoAreaWidget.h"
#include "QXIconSet.h"
#include "QXPlayMode.h"
#include "QXViewerIds.h"
#include "QXViewerTransport.h"

#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>

#include <algorithm>
#include <iterator>

namespace {
using namespace QXViewerIds;

// Buttons with 32-pixel icons, buttons with 18-pixel icons.
constexpr int kLargeButton = 40;
constexpr int kSmallButton = 24;
constexpr int kButtonGap = 4;
constexpr int kTransportStep = kSmallButton + 2;
constexpr int kSliderHeight = 24;

// The bar: groups from 2 pixels below the video area, 116 high, 6 apart.
constexpr int kGroupTop = 2;
constexpr int kGroupHeight = 116;
constexpr int kGroupGap = 6;
constexpr int kGroupInset = 8;
constexpr int kChannelGroupWidth = 108;
constexpr int kAudioGroupWidth = 100;

// The left block of large buttons: two rows of three.
constexpr int kCommonLeft = CViewerControls::kVideoLeft;
constexpr int kCommonRowTops[] = {12, 64};
constexpr int kCommonWidth = 3 * kLargeButton + 2 * kButtonGap;

// The diagnostics column.
constexpr int kDiagnosticsGap = 4;
constexpr int kDevicesHeight = 180;
constexpr int kSpareHeight = 36;
constexpr int kPlaybackHeight = 76;
constexpr int kCancelWidth = 32;

constexpr int kTransportWidth = 4 * kTransportStep + kSmallButton;
constexpr int kStatusGap = 6;

const char* const kViewerCaption = "Viewer Control";
const char* const kMysCaption = "MYS Playback";
const char* const kChannelCaption = "Channel Selection";
const char* const kAudioCaption = "Audio Control";
const char* const kNoFileText = "No File Loaded";
// The longer of the file lines' leads: where their values start.
const char* const kFileNameLead = "File Name:";

QFrame* SunkenFrame(QWidget& parent) {
    auto* frame = new QFrame(&parent);
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return frame;
}
} // namespace

CViewerControls::CViewerControls(QWidget& client) : m_client(client) {
    Add(new KWVideoAreaWidget(&m_client), kVideoArea);
    BuildCommonButtons();
    BuildChannelGroup();
    BuildViewerGroup();
    BuildMysGroup();
    BuildAudioGroup();
    BuildDiagnostics();
}

template <class Widget> Widget* CViewerControls::Add(Widget* widget, int id) {
    widget->setObjectName(QString::number(id));
    m_controls.insert(id, widget);
    return widget;
}

CIconButton* CViewerControls::AddButton(QWidget& parent, int id, int icon) {
    auto* button = Add(new CIconButton(&parent), id);
    button->SetIcons(icon);
    const int size =
        QXIconSet::Size(icon).width() == QXIconSet::kLargeSize ? kLargeButton : kSmallButton;
    button->resize(size, size);
    return button;
}

KWVideoAreaWidget& CViewerControls::VideoArea() const {
    return static_cast<KWVideoAreaWidget&>(Control(kVideoArea));
}

CIconButton& CViewerControls::Button(int id) const {
    return static_cast<CIconButton&>(Control(id));
}

CKWSlider& CViewerControls::Slider(int id) const {
    return static_cast<CKWSlider&>(Control(id));
}

QLabel& CViewerControls::Text(int id) const {
    return static_cast<QLabel&>(Control(id));
}

QPlainTextEdit& CViewerControls::Edit(int id) const {
    return static_cast<QPlainTextEdit&>(Control(id));
}

QWidget& CViewerControls::Control(int id) const {
    return *m_controls.value(id);
}

void CViewerControls::BuildCommonButtons() {
    AddButton(m_client, kWorkingMode, QXIconSet::kWorkingMode);
    AddButton(m_client, kSelectDevice, QXIconSet::kSelectDevice);
    AddButton(m_client, kDeviceInfo, QXIconSet::kDeviceInfo);
    AddButton(m_client, kMysCapture, QXIconSet::kMysCapture);
    AddButton(m_client, kJpegCapture, QXIconSet::kJpegCapture);
    AddButton(m_client, kAviCapture, QXIconSet::kAviCapture);
}

// All and two in the left column, the four channels as the quadrants they show in.
void CViewerControls::BuildChannelGroup() {
    auto* group = Add(new QGroupBox(kChannelCaption, &m_client), kChannelGroup);
    constexpr QPoint kPlaces[] = {{12, 30}, {12, 70}, {46, 30}, {76, 30}, {46, 70}, {76, 70}};
    for (std::size_t i = 0; i < std::size(kChannelButtons); ++i)
        AddButton(*group, kChannelButtons[i], QXIconSet::kChannelButtons[i].normal)
            ->move(kPlaces[i]);
}

void CViewerControls::BuildViewerGroup() {
    auto* group = Add(new QGroupBox(kViewerCaption, &m_client), kViewerGroup);
    Add(SunkenFrame(*group), kDevicePositionFrame);
    Add(new CKWSlider(group), kDevicePosition);
    for (std::size_t i = 0; i < std::size(kViewerTransport); ++i)
        AddButton(*group, kViewerTransport[i], QXIconSet::kTransport[i].normal);
    Add(SunkenFrame(*group), kViewerStatusFrame);
    auto* status =
        Add(new QLabel(QXViewerTransport::StatusText(QXPlayMode::kNone), group), kViewerStatus);
    status->setAlignment(Qt::AlignCenter);
}

void CViewerControls::BuildMysGroup() {
    auto* group = Add(new QGroupBox(kMysCaption, &m_client), kMysGroup);
    AddButton(*group, kLoadMys, QXIconSet::kLoadFile);
    auto* file = Add(new QGroupBox(group), kFileInformation);
    Add(new CKWTabbedLabel(kFileNameLead, file), kFileName);
    Add(new CKWTabbedLabel(kFileNameLead, file), kFileSize);
    ShowNoFile();
    Add(SunkenFrame(*group), kMysPositionFrame);
    Add(new CKWSlider(group), kMysPosition);
    for (std::size_t i = 0; i < std::size(kMysTransport); ++i)
        AddButton(*group, kMysTransport[i], QXIconSet::kTransport[i].normal);
    Add(SunkenFrame(*group), kMysStatusFrame);
    auto* status =
        Add(new QLabel(QXViewerTransport::StatusText(QXPlayMode::kNone), group), kMysStatus);
    status->setAlignment(Qt::AlignCenter);
}

void CViewerControls::BuildAudioGroup() {
    auto* group = Add(new QGroupBox(kAudioCaption, &m_client), kAudioGroup);
    AddButton(*group, kAudio, QXIconSet::kAudioOff)->move(kGroupInset, 30);
    Add(new CKWSlider(group), kVolume)
        ->setGeometry(kGroupInset, 70, kAudioGroupWidth - 2 * kGroupInset, kSliderHeight);
}

void CViewerControls::BuildDiagnostics() {
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (int id :
         {kDiagnosticsDevices, kDiagnosticsSpare, kDiagnosticsScreen, kDiagnosticsPlayback}) {
        auto* edit = Add(new QPlainTextEdit(&m_client), id);
        edit->setReadOnly(true);
        edit->setFont(fixed);
        edit->setLineWrapMode(QPlainTextEdit::NoWrap);
        edit->setTabStopDistance(4 * QFontMetricsF(fixed).horizontalAdvance(' '));
        edit->hide();
    }
    auto* cancel = AddButton(m_client, kCancel, QXIconSet::kCancel);
    cancel->resize(kCancelWidth, kCancelWidth);
    cancel->hide();
}

void CViewerControls::SetButton(int id, int icon, bool enabled, const QString& tooltip) {
    CIconButton& button = Button(id);
    button.SetIcons(icon);
    button.setEnabled(enabled);
    button.SetTooltipText(tooltip);
}

void CViewerControls::ShowFile(const QString& name, std::uint64_t length) {
    Text(kFileName).setText(QString(kFileNameLead) + '\t' + name);
    Text(kFileSize).setText(FileSizeText(length));
}

void CViewerControls::ShowNoFile() {
    Text(kFileName).setText(kNoFileText);
    Text(kFileSize).clear();
}

QString CViewerControls::FileSizeText(std::uint64_t length) {
    constexpr std::uint64_t kKilo = 1024;
    constexpr std::uint64_t kMega = 1048576;
    const auto text = [](double value, const char* unit) {
        return QString::asprintf("File Size:\t%.2f %s", value, unit);
    };
    if (length <= kKilo)
        return text(static_cast<double>(length), "Bytes");
    if (length <= kMega)
        return text(static_cast<double>(length) / kKilo, "KBytes");
    return text(static_cast<double>(length) / kMega, "MBytes");
}

void CViewerControls::ShowDiagnostics() {
    m_diagnostics = true;
    for (int id : {kDiagnosticsDevices, kDiagnosticsSpare, kDiagnosticsScreen, kDiagnosticsPlayback,
                   kCancel})
        Control(id).show();
}

void CViewerControls::LayOut(const QSize& client, int workingMode) {
    // The part of the client area left of the diagnostics column.
    const int width = client.width() - (m_diagnostics ? kDiagnosticsWidth : 0);
    const int top = client.height() - kBarHeight;
    VideoArea().setGeometry(kVideoLeft, 0, std::max(1, width - kVideoRightMargin - kVideoLeft),
                            std::max(1, top));
    PlaceBar(width, top, workingMode);
    if (m_diagnostics)
        PlaceDiagnostics(width, client.height());
}

void CViewerControls::PlaceBar(int width, int top, int workingMode) {
    for (int row = 0; row < 2; ++row) {
        const int ids[2][3] = {{kWorkingMode, kSelectDevice, kDeviceInfo},
                               {kMysCapture, kJpegCapture, kAviCapture}};
        for (int column = 0; column < 3; ++column)
            Control(ids[row][column])
                .move(kCommonLeft + column * (kLargeButton + kButtonGap),
                      top + kCommonRowTops[row]);
    }
    const int groupTop = top + kGroupTop;
    const int channelLeft = kCommonLeft + kCommonWidth + kGroupGap + 2;
    Control(kChannelGroup).setGeometry(channelLeft, groupTop, kChannelGroupWidth, kGroupHeight);
    const int audioLeft = width - kVideoLeft - kAudioGroupWidth;
    Control(kAudioGroup).setGeometry(audioLeft, groupTop, kAudioGroupWidth, kGroupHeight);

    const int modeLeft = channelLeft + kChannelGroupWidth + kGroupGap;
    const int modeWidth = audioLeft - kGroupGap - modeLeft;
    const bool viewer = workingMode == 0;
    PlaceModeGroup(kViewerGroup, modeLeft, groupTop + (viewer ? 0 : kHiddenGroupDrop), modeWidth);
    PlaceModeGroup(kMysGroup, modeLeft, groupTop + (viewer ? kHiddenGroupDrop : 0), modeWidth);
    Control(kViewerGroup).setVisible(viewer);
    Control(kMysGroup).setVisible(!viewer);
    if (m_diagnostics)
        Control(kCancel).move(width + kDiagnosticsWidth - kVideoRightMargin - kCancelWidth,
                              top + kBarHeight - kCancelWidth - kVideoRightMargin);
}

// Both groups have a position slider in a frame, the transport buttons and a status text; the
// MYS group has its load button and the file's name and size above them.
void CViewerControls::PlaceModeGroup(int id, int x, int y, int width) {
    Control(id).setGeometry(x, y, width, kGroupHeight);
    const bool viewer = id == kViewerGroup;
    const int inner = width - 2 * kGroupInset;
    const int sliderTop = viewer ? 30 : 64;
    const int transportTop = viewer ? 76 : 88;
    Control(viewer ? kDevicePositionFrame : kMysPositionFrame)
        .setGeometry(kGroupInset, sliderTop - 3, inner, kSliderHeight + 6);
    Control(viewer ? kDevicePosition : kMysPosition)
        .setGeometry(kGroupInset + 3, sliderTop, inner - 6, kSliderHeight);
    const auto& transport = viewer ? kViewerTransport : kMysTransport;
    for (std::size_t i = 0; i < std::size(transport); ++i)
        Control(transport[i])
            .move(kGroupInset + static_cast<int>(i) * kTransportStep, transportTop);
    const int statusLeft = kGroupInset + kTransportWidth + kStatusGap;
    const QRect status(statusLeft, transportTop, width - kGroupInset - statusLeft, kSmallButton);
    Control(viewer ? kViewerStatusFrame : kMysStatusFrame).setGeometry(status);
    Control(viewer ? kViewerStatus : kMysStatus).setGeometry(status.adjusted(2, 2, -2, -2));
    if (viewer)
        return;
    Control(kLoadMys).move(kGroupInset, 20);
    const int fileLeft = kGroupInset + kLargeButton + kStatusGap;
    Control(kFileInformation).setGeometry(fileLeft, 16, width - kGroupInset - fileLeft, 44);
    const int textWidth = width - kGroupInset - fileLeft - 2 * kGroupInset;
    Control(kFileName).setGeometry(kGroupInset, 6, textWidth, 16);
    Control(kFileSize).setGeometry(kGroupInset, 23, textWidth, 16);
}

// The column right of the video area: the device list, a spare edit, the screen's figures and
// the playback line, with Cancel in the bar's band below them.
void CViewerControls::PlaceDiagnostics(int x, int height) {
    const int left = x;
    const int width = kDiagnosticsWidth - kVideoRightMargin;
    int y = kDiagnosticsGap;
    const auto place = [&](int id, int h) {
        Control(id).setGeometry(left, y, width, std::max(1, h));
        y += h + kDiagnosticsGap;
    };
    const int screenHeight = height - kBarHeight - y - kDevicesHeight - kSpareHeight -
                             kPlaybackHeight - 4 * kDiagnosticsGap;
    place(kDiagnosticsDevices, kDevicesHeight);
    place(kDiagnosticsSpare, kSpareHeight);
    place(kDiagnosticsScreen, screenHeight);
    place(kDiagnosticsPlayback, kPlaybackHeight);
}
