#include "CDeviceSelectDlg.h"

#include "CIconButton.h"
#include "CQXStorageDeviceManager.h"
#include "QXDialogKit.h"

#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include <cinttypes>
#include <cstdio>

using QXDialogKit::Named;

namespace {
constexpr std::uint64_t kSectorBytes = 512;
constexpr int kListMinWidth = 420;
constexpr int kListMinHeight = 160;
} // namespace

CDeviceSelectDlg::CDeviceSelectDlg(const CQXStorageDeviceManager& manager, QWidget* parent)
    : QDialog(parent), m_playing(manager.GetSelected()) {
    setObjectName("157");
    setWindowTitle("Storage Device Selection");
    const int count = manager.GetFormattedCount();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Named(
        new QLabel(QString::asprintf("%d QX Devices are detected - Select Device", count), this),
        kIdHeading));
    m_list = Named(new QListWidget(this), kIdList);
    QFont font("Liberation Mono");
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(kListFontPixels);
    font.setWeight(QFont::Light);
    m_list->setFont(font);
    m_list->setMinimumSize(kListMinWidth, kListMinHeight);
    for (int i = 0; i < count; ++i) {
        const std::uint8_t device = manager.GetFormattedDevice(static_cast<std::uint8_t>(i));
        m_list->addItem(
            QString::fromStdString(Line(i, manager.GetSectorCount(device), i == m_playing)));
    }
    layout->addWidget(m_list);

    m_ok = QXDialogKit::OkButton(*this);
    m_ok->setEnabled(false);
    layout->addLayout(QXDialogKit::ButtonRow({m_ok, QXDialogKit::CancelButton(*this)}));

    connect(m_list, &QListWidget::currentRowChanged, this, &CDeviceSelectDlg::OnSelectionChanged);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &CDeviceSelectDlg::OnDoubleClicked);
}

std::string CDeviceSelectDlg::Line(int index, std::uint64_t sectors, bool playing) {
    const std::uint64_t megabytes = sectors * kSectorBytes / 1000 / 1000;
    char line[96];
    std::snprintf(line, sizeof line, "Device %d %10" PRIu64 " MByte %s", index, megabytes,
                  playing ? "- Now Playing" : "");
    return line;
}

void CDeviceSelectDlg::OnSelectionChanged() {
    const int row = m_list->currentRow();
    m_ok->setEnabled(row >= 0 && row != m_playing);
}

void CDeviceSelectDlg::OnDoubleClicked(QListWidgetItem* item) {
    if (m_list->row(item) == m_playing) {
        reject();
    } else {
        accept();
    }
}

void CDeviceSelectDlg::accept() {
    const int row = m_list->currentRow();
    if (row < 0 || row == m_playing) {
        return;
    }
    m_selected = row;
    QDialog::accept();
}
