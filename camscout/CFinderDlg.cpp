#include "CFinderDlg.h"

#include "CamMessages.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimerEvent>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {
constexpr const char* kTitle = "CamScout - Halvern";
constexpr const char* kSearchText = "Search(&S)";
constexpr const char* kInitialTotal = "Total: 0";
const char* const kColumnTitles[] = {"Name", "MAC", "IP", "NetMask", "GateWay"};
constexpr int kColumnCount = 5;
// Column widths relative to a fifth of the list's width.
constexpr int kColumnWidthOffsets[kColumnCount] = {-10, 0, 10, 0, 0};
constexpr int kLogRowsAboveSelection = 5;

// Camera and log texts are 8-bit text in the system's code page.
QString FromText(const char* text) {
    return QString::fromLocal8Bit(text);
}
} // namespace

CFinderDlg::CFinderDlg(CamEndpoints endpoints, QWidget* parent)
    : QDialog(parent), m_finder(*this, std::move(endpoints)) {
    setObjectName("CFinderDlg");
    setWindowTitle(kTitle);
    resize(620, 420);
    BuildControls();
    m_finder.Start();
}

CFinderDlg::~CFinderDlg() {
    for (const auto& [qtId, id] : m_timers)
        killTimer(qtId);
    m_finder.Close();
}

void CFinderDlg::BuildControls() {
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QString::number(kIdCameraList));
    m_list->setRootIsDecorated(false);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    QStringList titles;
    for (const char* title : kColumnTitles)
        titles << title;
    m_list->setHeaderLabels(titles);
    const int fifth = width() / kColumnCount;
    for (int column = 0; column < kColumnCount; ++column)
        m_list->setColumnWidth(column, fifth + kColumnWidthOffsets[column]);

    m_search = new QPushButton(kSearchText, this);
    m_search->setObjectName(QString::number(kIdSearch));
    m_search->setDefault(true);
    connect(m_search, &QPushButton::clicked, this, [this] { m_finder.StartSearch(); });

    m_total = new QLabel(kInitialTotal, this);
    m_total->setObjectName(QString::number(kIdTotal));

    m_log = new QListWidget(this);
    m_log->setObjectName(QString::number(kIdLog));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_search);
    buttons->addStretch();
    buttons->addWidget(m_total);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_list, 3);
    layout->addWidget(m_log, 1);
}

void CFinderDlg::EnableSearch(bool enable) {
    m_search->setEnabled(enable);
}

// Rows whose camera is unchanged are kept: the list ends exactly as if every row had been deleted
// and inserted again, without re-creating all rows for each camera that arrives.
void CFinderDlg::ShowCameras(const std::vector<CameraRecord>& cameras) {
    while (m_shown.size() > cameras.size()) {
        delete m_list->takeTopLevelItem(static_cast<int>(m_shown.size()) - 1);
        m_shown.pop_back();
    }
    for (std::size_t i = 0; i < cameras.size(); ++i) {
        const CameraRecord& camera = cameras[i];
        QTreeWidgetItem* row = nullptr;
        if (i < m_shown.size()) {
            if (std::memcmp(&m_shown[i], &camera, sizeof(camera)) == 0)
                continue;
            row = m_list->topLevelItem(static_cast<int>(i));
            m_shown[i] = camera;
        } else {
            row = new QTreeWidgetItem(m_list);
            m_shown.push_back(camera);
        }
        row->setText(0, FromText(camera.name));
        row->setText(1, FromText(camera.mac));
        row->setText(2, FromText(camera.address));
        row->setText(3, FromText(camera.netMask));
        row->setText(4, FromText(camera.gateway));
    }
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
