#include "CFinderDlg.h"

#include "CAboutDlg.h"
#include "CCamCameraList.h"
#include "CCamDialogKit.h"
#include "CCamInternetZone.h"
#include "CCamModal.h"
#include "CIPCameraSetting.h"
#include "CKWDropDownList.h"
#include "CPasswordOfMac.h"
#include "CSetDefaultDlg.h"
#include "CUpdateIPDlg.h"
#include "CUpdateMacDlg.h"
#include "CUpdateNameDlg.h"
#include "CUpdatePortDlg.h"
#include "CamMessages.h"
#include "KWMessageBox.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTimerEvent>
#include <QUrl>
#include <cstdio>
#include <utility>

namespace {
constexpr const char* kInitialTotal = "Total: 0";
constexpr const char* kLinkScheme = "http://";
constexpr int kLogRowsAboveSelection = 5;

// The missing-catalogue messages: at start-up and after Apply.
constexpr const char* kStartupMissingSimplified = "LangCHS.qm不存在";
constexpr const char* kMissingSimplified = "LangCHS.qm 不存在";
constexpr const char* kMissingTraditional = "LangCHT.qm 不存在";

// Language list entries and the language states they stand for.
constexpr int kEntryEnglish = 0;
constexpr int kEntrySimplified = 1;
constexpr int kEntryTraditional = 2;
constexpr CamText kLanguageEntries[] = {CamText::LanguageEnglish, CamText::LanguageSimplified,
                                        CamText::LanguageTraditional};

// Geometry. The buttons are placed relative to the Search button's template position (x, y).
constexpr int kMargin = 10;
constexpr int kListWidth = 640;
constexpr int kListHeight = 262;
constexpr int kX = 2;
constexpr int kY = kMargin + kListHeight + 10;
constexpr int kButtonWidth = 100;
constexpr int kButtonHeight = 25;
constexpr int kButtonStep = 115;
constexpr int kComboX = 353;
constexpr int kComboWidth = 100;
constexpr int kApplyX = 455;
constexpr int kApplyWidth = 70;
constexpr int kApplyHeight = 21;
constexpr int kTotalX = 538;
constexpr int kTotalWidth = 110;
constexpr int kSecondRowY = 42;
constexpr int kUpdateRowX = 8;
constexpr int kDefaultX = 468;
constexpr int kGroupTop = 27;
constexpr int kGroupWidth = 576;
constexpr int kGroupHeight = 50;
// The group box's title sits on its frame line, leaving the space below it to the buttons.
constexpr const char* kGroupStyle =
    "QGroupBox { margin-top: 7px; border: 1px solid palette(mid); border-radius: 2px; }"
    "QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 3px; }";
constexpr int kLogTop = 84;
constexpr int kLogHeight = 140;
constexpr int kWindowWidth = kListWidth + 2 * kMargin;
constexpr int kWindowHeight = kY + kLogTop + kLogHeight + kMargin;

// Alt + key and the control it stands for.
constexpr std::pair<Qt::Key, int> kAccelerators[] = {
    {Qt::Key_S, CFinderDlg::kIdSearch},     {Qt::Key_C, CFinderDlg::kIdConfigIe},
    {Qt::Key_A, CFinderDlg::kIdSettingAll}, {Qt::Key_I, CFinderDlg::kIdUpdateIp},
    {Qt::Key_M, CFinderDlg::kIdUpdateMac},  {Qt::Key_N, CFinderDlg::kIdUpdateName},
    {Qt::Key_P, CFinderDlg::kIdUpdatePort}, {Qt::Key_D, CFinderDlg::kIdDefault}};

constexpr int kUpdateButtons[] = {CFinderDlg::kIdUpdateIp, CFinderDlg::kIdUpdateMac,
                                  CFinderDlg::kIdUpdateName, CFinderDlg::kIdUpdatePort,
                                  CFinderDlg::kIdDefault};

// Camera and log texts are 8-bit text in the system's code page.
QString FromText(const char* text) {
    return QString::fromLocal8Bit(text);
}

void ShowPlainMessage(const std::string& text) {
    KWMessageBox(text, "", KWMessageBoxFlags::kOk);
}

template <typename Control> Control* WithId(Control* control, int id) {
    return CCamDialogKit::WithId(control, id);
}
} // namespace

CFinderDlg::CFinderDlg(CamEndpoints endpoints, QWidget* parent)
    : QDialog(parent), m_finder(*this, std::move(endpoints)) {
    setObjectName("CFinderDlg");
    AddAboutEntry();
    setWindowTitle(kTitle);
    setWindowIcon(style()->standardIcon(QStyle::SP_DriveNetIcon));
    AddAccelerators();
    BuildControls();
    for (int id : kUpdateButtons)
        m_buttons.at(id)->setEnabled(false);
    m_buttons.at(kIdSettingAll)->setEnabled(false);
    m_total->setText(kInitialTotal);
    ChooseStartupLanguage();
    m_finder.Start();
}

CFinderDlg::~CFinderDlg() {
    for (const auto& [qtId, id] : m_timers)
        killTimer(qtId);
    m_finder.Close();
}

// The window menu's About entry: the title bar's menu belongs to the window manager, so the
// entry sits in the window's own context menu.
void CFinderDlg::AddAboutEntry() {
    const QString text = m_language.Text(CamText::AboutMenu);
    if (text.isEmpty())
        return;
    auto* separator = new QAction(this);
    separator->setSeparator(true);
    auto* about = new QAction(text, this);
    connect(about, &QAction::triggered, this, &CFinderDlg::OnAbout);
    addAction(separator);
    addAction(about);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

void CFinderDlg::AddAccelerators() {
    for (const auto& [key, id] : kAccelerators) {
        auto* shortcut = new QShortcut(QKeySequence(Qt::ALT | key), this);
        connect(shortcut, &QShortcut::activated, this, [this, id = id] { Command(id); });
    }
}

QPushButton* CFinderDlg::AddButton(int id, int x, int y, int width, int height) {
    auto* button = WithId(new QPushButton(this), id);
    button->setGeometry(kX + x, kY + y, width, height);
    connect(button, &QPushButton::clicked, this, [this, id] { Command(id); });
    m_buttons[id] = button;
    return button;
}

void CFinderDlg::BuildControls() {
    setFixedSize(kWindowWidth, kWindowHeight);

    m_list = WithId(new CCamCameraList(this), kIdCameraList);
    m_list->setGeometry(kMargin, kMargin, kListWidth, kListHeight);
    m_list->SetColumnTitles(m_language);
    m_list->FitColumns();
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &CFinderDlg::OnSelectionChanged);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { OnOpenBrowser(m_list->indexOfTopLevelItem(item)); });

    // The group box first, so the buttons it frames lie above it.
    m_updateGroup = WithId(new QGroupBox(this), kIdUpdateGroup);
    m_updateGroup->setGeometry(kX + 2, kY + kGroupTop, kGroupWidth, kGroupHeight);
    m_updateGroup->setStyleSheet(kGroupStyle);

    AddButton(kIdSearch, kUpdateRowX, 0, kButtonWidth, kButtonHeight)->setDefault(true);
    AddButton(kIdConfigIe, kUpdateRowX + kButtonStep, 0, kButtonWidth, kButtonHeight);
    AddButton(kIdSettingAll, kUpdateRowX + 2 * kButtonStep, 0, kButtonWidth, kButtonHeight);
    m_languages = WithId(new CKWDropDownList(this), kIdLanguage);
    m_languages->setGeometry(kX + kComboX, kY, kComboWidth, kButtonHeight);
    connect(m_languages, &CKWDropDownList::droppedDown, this,
            [this] { m_languageAtDropDown = m_languages->currentIndex(); });
    AddButton(kIdApply, kApplyX, 0, kApplyWidth, kApplyHeight);
    m_total = WithId(new QLabel(this), kIdTotal);
    m_total->setGeometry(kX + kTotalX, kY, kTotalWidth, kButtonHeight);

    for (int i = 0; i < 4; ++i)
        AddButton(kUpdateButtons[i], kUpdateRowX + i * kButtonStep, kSecondRowY, kButtonWidth,
                  kButtonHeight);
    AddButton(kIdDefault, kDefaultX, kSecondRowY, kButtonWidth, kButtonHeight);
    // Default keeps the text it was created with; language changes leave it alone.
    SetButtonText(kIdDefault, CamText::Default);

    m_log = WithId(new QListWidget(this), kIdLog);
    m_log->setGeometry(kMargin, kY + kLogTop, kListWidth, kLogHeight);
}

void CFinderDlg::ChooseStartupLanguage() {
    int entry = kEntryEnglish;
    switch (CCamLanguage::StartupState(CCamLanguage::LocaleIdOf(QLocale()))) {
    case CCamLanguage::kTraditional:
        if (m_language.Load(CCamLanguage::kTraditional)) {
            m_language.Use(CCamLanguage::kTraditional);
            entry = kEntryTraditional;
        } else {
            ShowPlainMessage(kMissingTraditional);
        }
        break;
    case CCamLanguage::kSimplified:
        if (m_language.Load(CCamLanguage::kSimplified)) {
            m_language.Use(CCamLanguage::kSimplified);
            entry = kEntrySimplified;
        } else {
            ShowPlainMessage(kStartupMissingSimplified);
        }
        break;
    default:
        break;
    }
    LoadUiTexts();
    m_languages->setCurrentIndex(entry);
}

void CFinderDlg::ApplyLanguage(int state) {
    if (state != CCamLanguage::kSimplified && state != CCamLanguage::kTraditional)
        state = CCamLanguage::kEnglish;
    const auto chosen = static_cast<CCamLanguage::State>(state);
    if (m_language.Load(chosen)) {
        m_language.Use(chosen);
    } else {
        ShowPlainMessage(chosen == CCamLanguage::kSimplified ? kMissingSimplified
                                                             : kMissingTraditional);
        m_languages->setCurrentIndex(m_languageAtDropDown);
        m_language.Use(CCamLanguage::kEnglish);
    }
    LoadUiTexts();
}

void CFinderDlg::SetButtonText(int id, CamText text) {
    QPushButton* button = m_buttons.at(id);
    button->setText(m_language.Text(text));
    // The window's accelerators own Alt + letter, also for disabled buttons; the buttons' own
    // mnemonics would compete with them (Apply and UpdataPort share P).
    button->setShortcut(QKeySequence());
}

void CFinderDlg::LoadUiTexts() {
    m_list->SetColumnTitles(m_language);
    SetButtonText(kIdSearch, CamText::Search);
    SetButtonText(kIdConfigIe, CamText::ConfigIe);
    SetButtonText(kIdSettingAll, CamText::SettingAll);
    const int selected = m_languages->currentIndex();
    m_languages->clear();
    for (CamText entry : kLanguageEntries)
        m_languages->addItem(m_language.Text(entry));
    m_languages->setCurrentIndex(selected < 0 ? kEntryEnglish : selected);
    SetButtonText(kIdApply, CamText::Apply);
    m_total->setText(m_language.Text(CamText::Total));
    m_updateGroup->setTitle(m_language.Text(CamText::UpdateOnly));
    SetButtonText(kIdUpdateIp, CamText::UpdateIp);
    SetButtonText(kIdUpdateMac, CamText::UpdateMac);
    SetButtonText(kIdUpdateName, CamText::UpdateName);
    SetButtonText(kIdUpdatePort, CamText::UpdatePort);
    update();
}

void CFinderDlg::Command(int id) {
    switch (id) {
    case kIdSearch:
        m_finder.StartSearch();
        break;
    case kIdConfigIe:
        OnConfigIe();
        break;
    case kIdSettingAll:
        OnSettingAll();
        break;
    case kIdApply: {
        const int entry = m_languages->currentIndex();
        ApplyLanguage(entry == kEntrySimplified    ? CCamLanguage::kSimplified
                      : entry == kEntryTraditional ? CCamLanguage::kTraditional
                                                   : CCamLanguage::kEnglish);
        break;
    }
    case kIdUpdateIp:
        OnUpdateIp();
        break;
    case kIdUpdateMac:
        OnUpdateMac();
        break;
    case kIdUpdateName:
        OnUpdateName();
        break;
    case kIdUpdatePort:
        OnUpdatePort();
        break;
    case kIdDefault:
        OnSetDefault();
        break;
    default:
        break;
    }
}

void CFinderDlg::OnSelectionChanged() {
    EnableUpdateButtons(m_list->selectedItems().size() == 1);
}

void CFinderDlg::OnOpenBrowser(int row) {
    const QTreeWidgetItem* item = m_list->topLevelItem(row);
    if (!item)
        return;
    const QString address = item->text(CCamCameraList::kAddressColumn);
    if (!address.isEmpty())
        QDesktopServices::openUrl(QUrl(kLinkScheme + address));
}

void CFinderDlg::OnConfigIe() {
    if (CCamInternetZone::WriteZoneValues())
        ShowPlainMessage(m_language.Utf8(CamText::ConfigIeSuccess));
}

bool CFinderDlg::SelectedCamera(CameraRecord& camera) {
    QTreeWidgetItem* mark = m_list->currentItem();
    if (!mark) {
        ShowPlainMessage(m_language.Utf8(CamText::SelectItemFirst));
        return false;
    }
    const int row = m_list->indexOfTopLevelItem(mark);
    const std::vector<CameraRecord>& cameras = m_finder.Cameras();
    if (!mark->isSelected() || row < 0 || static_cast<std::size_t>(row) >= cameras.size())
        return false;
    camera = cameras[static_cast<std::size_t>(row)];
    return true;
}

void CFinderDlg::OnUpdateIp() {
    CameraRecord camera;
    if (!SelectedCamera(camera))
        return;
    CUpdateIPDlg dialog(camera, m_language, this);
    if (CCamModal::Run(dialog) != QDialog::Accepted)
        return;
    m_finder.SendUpdateIp(camera, dialog.NewAddress().c_str(), dialog.NewNetMask().c_str(),
                          dialog.NewGateway().c_str(), dialog.User().c_str(),
                          dialog.Password().c_str());
}

void CFinderDlg::OnUpdateMac() {
    CameraRecord camera;
    if (!SelectedCamera(camera))
        return;
    CPasswordOfMac access(m_language, this);
    if (CCamModal::Run(access) != QDialog::Accepted)
        return;
    CUpdateMacDlg dialog(camera, m_language, this);
    if (CCamModal::Run(dialog) != QDialog::Accepted)
        return;
    m_finder.SendUpdateMac(camera, dialog.NewMac().c_str(), dialog.User().c_str(),
                           dialog.Password().c_str());
}

void CFinderDlg::OnUpdateName() {
    CameraRecord camera;
    if (!SelectedCamera(camera))
        return;
    CUpdateNameDlg dialog(camera, m_language, this);
    if (CCamModal::Run(dialog) != QDialog::Accepted)
        return;
    m_finder.SendUpdateName(camera, dialog.NewName().c_str(), dialog.User().c_str(),
                            dialog.Password().c_str());
}

void CFinderDlg::OnUpdatePort() {
    CameraRecord camera;
    if (!SelectedCamera(camera))
        return;
    CUpdatePortDlg dialog(camera, m_language, this);
    if (CCamModal::Run(dialog) != QDialog::Accepted)
        return;
    m_finder.SendUpdatePort(camera, dialog.NewPort(), dialog.User().c_str(),
                            dialog.Password().c_str());
}

void CFinderDlg::OnSetDefault() {
    CameraRecord camera;
    if (!SelectedCamera(camera))
        return;
    CSetDefaultDlg dialog(camera, m_language, this);
    if (CCamModal::Run(dialog) != QDialog::Accepted)
        return;
    m_finder.SendSetDefault(camera, dialog.User().c_str(), dialog.Password().c_str());
}

void CFinderDlg::OnSettingAll() {
    if (m_finder.Cameras().empty())
        return;
    CIPCameraSetting dialog(m_finder.Cameras(), m_language, this);
    if (CCamModal::Run(dialog) != QDialog::Accepted)
        return;
    m_finder.SendBatch(dialog.OldList(), dialog.NewList(), dialog.User().c_str(),
                       dialog.Password().c_str());
}

void CFinderDlg::OnAbout() {
    CAboutDlg dialog(m_language, this);
    CCamModal::Run(dialog);
}

void CFinderDlg::EnableSearch(bool enable) {
    m_buttons.at(kIdSearch)->setEnabled(enable);
}

void CFinderDlg::EnableSettingAll(bool enable) {
    m_buttons.at(kIdSettingAll)->setEnabled(enable);
}

void CFinderDlg::EnableUpdateButtons(bool enable) {
    for (int id : kUpdateButtons)
        m_buttons.at(id)->setEnabled(enable);
}

void CFinderDlg::ShowCameras(const std::vector<CameraRecord>& cameras) {
    m_list->ShowCameras(cameras);
}

void CFinderDlg::SetTotalText(const std::string& text) {
    m_total->setText(FromText(text.c_str()));
}

std::string CFinderDlg::FormatLogLine(int counter, const std::string& text) {
    const QDateTime now = QDateTime::currentDateTime();
    const QDate date = now.date();
    const QTime time = now.time();
    char stamp[64];
    std::snprintf(stamp, sizeof(stamp), "      [%d/%02d/%02d - %02d:%02d:%02d]", date.year(),
                  date.month(), date.day(), time.hour(), time.minute(), time.second());
    std::string line = std::to_string(counter) + ")   " + text + "  " + stamp;
    if (line.size() > static_cast<std::size_t>(kMaxLogLineLength))
        line.resize(kMaxLogLineLength);
    return line;
}

void CFinderDlg::AppendLog(const std::string& text) {
    m_log->insertItem(m_logCounter, FromText(FormatLogLine(m_logCounter, text).c_str()));
    if (QListWidgetItem* top = m_log->item(m_logCounter - kLogRowsAboveSelection))
        m_log->scrollToItem(top, QAbstractItemView::PositionAtTop);
    m_log->setCurrentRow(m_logCounter);
    ++m_logCounter;
}

void CFinderDlg::ShowWaitCursor(bool show) {
    if (show)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

// The window stays usable while a search runs; the pointer over it shows that work goes on.
void CFinderDlg::ShowSearching(bool searching) {
    if (searching)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

void CFinderDlg::StartTimer(std::uint32_t id, std::uint32_t periodMs) {
    KillTimer(id);
    m_timers[startTimer(static_cast<int>(periodMs))] = id;
}

void CFinderDlg::KillTimer(std::uint32_t id) {
    for (auto it = m_timers.begin(); it != m_timers.end();) {
        if (it->second == id) {
            killTimer(it->first);
            it = m_timers.erase(it);
        } else {
            ++it;
        }
    }
}

void CFinderDlg::timerEvent(QTimerEvent* event) {
    const auto it = m_timers.find(event->timerId());
    if (it == m_timers.end()) {
        QDialog::timerEvent(event);
        return;
    }
    m_finder.OnTimer(it->second);
}

void CFinderDlg::Quit(int exitCode) {
    hide();
    QCoreApplication::exit(exitCode);
}

void CFinderDlg::closeEvent(QCloseEvent* event) {
    m_finder.Send(CamMessages::WM_CLOSE, 0, 0);
    event->accept();
}
