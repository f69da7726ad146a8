#include "CDeviceInfoDlg.h"

#include "CIconButton.h"
#include "CQXStorageDeviceManager.h"
#include "QXDialogKit.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include <cinttypes>
#include <cstdio>

namespace {
constexpr std::uint64_t kSectorBytes = 512;
constexpr std::uint64_t kPacketBytes = 4096;
constexpr int kTextWidth = 440;
constexpr int kTextHeight = 150;
} // namespace

CDeviceInfoDlg::CDeviceInfoDlg(const CQXStorageDeviceManager& manager, int index, QWidget* parent)
    : QDialog(parent) {
    setObjectName("156");
    setWindowTitle(QString::asprintf("Storage Device Info [%d]", index));
    auto* layout = new QVBoxLayout(this);
    auto* text = QXDialogKit::Named(new QPlainTextEdit(this), kIdText);
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setTabStopDistance(text->fontMetrics().horizontalAdvance(QString(16, ' ')));
    text->setPlainText(
        QXDialogKit::ControlText(QString::fromStdString(Text(Read(manager, index)))));
    text->setMinimumSize(kTextWidth, kTextHeight);
    layout->addWidget(text);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(QXDialogKit::OkButton(*this));
    buttons->addStretch();
    layout->addLayout(buttons);
}

CDeviceInfoDlg::Facts CDeviceInfoDlg::Read(const CQXStorageDeviceManager& manager, int index) {
    const std::uint8_t device = manager.GetFormattedDevice(static_cast<std::uint8_t>(index));
    Facts facts;
    facts.index = index;
    facts.ide = manager.IsIdeDevice(device) != 0;
    facts.mediaType = manager.GetMediaTypeName(device);
    facts.formatted = manager.IsFormatted(device);
    facts.sectors = manager.GetSectorCount(device);
    facts.streamPackets = manager.GetStreamLength(device);
    return facts;
}

std::string CDeviceInfoDlg::Text(const Facts& facts) {
    char text[1024];
    std::snprintf(text, sizeof text,
                  "Physical Storage Device: %d\r\n"
                  "\tConnection Type:\t%s\r\n"
                  "\tDevice Type:\t%s\r\n"
                  "\tQX Device Type:\t%s\r\n"
                  "\tStorage Size:\t%" PRIu64 " MBytes\r\n"
                  "\tStream Length:\t%" PRIu64 " MBytes\r\n",
                  facts.index, facts.ide ? "IDE or SCSI" : "NOT IDE [USB or Firewire]",
                  facts.mediaType.c_str(), facts.formatted ? "QX Device" : "Not QX Device",
                  facts.sectors * kSectorBytes / 1000000,
                  std::uint64_t{facts.streamPackets} * kPacketBytes / 1000000);
    return text;
}
