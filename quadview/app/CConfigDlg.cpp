#include "CConfigDlg.h"

#include "CConfigFileManager.h"
#include "CFolderSelectDlg.h"
#include "CIconButton.h"
#include "QXDialogKit.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const char* const kTitle = "Setting";
const char* const kChangeText = "Change";
const char* const kCloseConfirmText = "Show Close Confirm Message Box When Closing";
const char* const kFolderCaption = "Stream Capturing";
constexpr int kDirectoryMinimumWidth = 320;
} // namespace

CConfigDlg::CConfigDlg(CConfigFileManager& config, QWidget* parent)
    : QDialog(parent), m_config(config) {
    setObjectName("CConfigDlg");
    setWindowTitle(kTitle);
    for (std::uint32_t index = 0; index < config.GetEntryCount(); ++index)
        m_copies.push_back(*config.GetEntry(index));

    m_directory =
        new QLineEdit(QString::fromStdString(m_copies[CConfigFileManager::kMysDirectory].text));
    m_directory->setObjectName(QString::number(kIdMysDirectory));
    m_directory->setReadOnly(true);
    m_directory->setMinimumWidth(kDirectoryMinimumWidth);
    auto* change = QXDialogKit::Named(new QPushButton(kChangeText), kIdChange);
    change->setAutoDefault(false);
    connect(change, &QPushButton::clicked, this, &CConfigDlg::ChangeDirectory);

    m_closeConfirm = new QCheckBox(kCloseConfirmText);
    m_closeConfirm->setObjectName(QString::number(kIdShowCloseConfirm));
    m_closeConfirm->setChecked(m_copies[CConfigFileManager::kShowCloseConfirm].value != 0);
    connect(m_closeConfirm, &QCheckBox::clicked, this, &CConfigDlg::ToggleCloseConfirm);

    m_ok = QXDialogKit::OkButton(*this);
    m_ok->setEnabled(false);

    auto* directoryRow = new QHBoxLayout;
    directoryRow->addWidget(m_directory, 1);
    directoryRow->addWidget(change);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(directoryRow);
    layout->addWidget(m_closeConfirm);
    layout->addLayout(QXDialogKit::ButtonRow({m_ok, QXDialogKit::CancelButton(*this)}));
}

QString CConfigDlg::ChooseFolder(const QString& start) {
    return CFolderSelectDlg::Choose(this, kFolderCaption, start);
}

void CConfigDlg::ChangeDirectory() {
    const QString chosen = ChooseFolder(m_directory->text());
    if (chosen.isEmpty())
        return;
    m_copies[CConfigFileManager::kMysDirectory].text = chosen.toStdString();
    m_directory->setText(chosen);
    m_ok->setEnabled(true);
}

void CConfigDlg::ToggleCloseConfirm(bool checked) {
    m_copies[CConfigFileManager::kShowCloseConfirm].value = checked ? 1 : 0;
    m_ok->setEnabled(true);
}

void CConfigDlg::accept() {
    for (std::uint32_t index = 0; index < m_copies.size(); ++index)
        *m_config.GetEntry(index) = m_copies[index];
    m_config.Save();
    QDialog::accept();
}
