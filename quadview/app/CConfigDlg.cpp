#include "CConfigDlg.h"

#include "CConfigFileManager.h"
#include "KWFileDialog.h"

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
const char* const kOkText = "OK";
const char* const kCancelText = "Cancel";
constexpr int kDirectoryMinimumWidth = 320;

QPushButton* MakeButton(const char* text, int id) {
    auto* button = new QPushButton(text);
    button->setObjectName(QString::number(id));
    button->setAutoDefault(false);
    return button;
}
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
    auto* change = MakeButton(kChangeText, kIdChange);
    connect(change, &QPushButton::clicked, this, &CConfigDlg::ChangeDirectory);

    m_closeConfirm = new QCheckBox(kCloseConfirmText);
    m_closeConfirm->setObjectName(QString::number(kIdShowCloseConfirm));
    m_closeConfirm->setChecked(m_copies[CConfigFileManager::kShowCloseConfirm].value != 0);
    connect(m_closeConfirm, &QCheckBox::clicked, this, &CConfigDlg::ToggleCloseConfirm);

    m_ok = MakeButton(kOkText, kIdOk);
    m_ok->setEnabled(false);
    connect(m_ok, &QPushButton::clicked, this, &CConfigDlg::accept);
    auto* cancel = MakeButton(kCancelText, kIdCancel);
    connect(cancel, &QPushButton::clicked, this, &CConfigDlg::reject);

    auto* directoryRow = new QHBoxLayout;
    directoryRow->addWidget(m_directory, 1);
    directoryRow->addWidget(change);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_ok);
    buttonRow->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(directoryRow);
    layout->addWidget(m_closeConfirm);
    layout->addLayout(buttonRow);
}

QString CConfigDlg::ChooseFolder(const QString& start) {
    return KWShowFileDialog(
        this, KWFileDialogRequest{KWFileDialogKind::Folder, kFolderCaption, start, {}, {}});
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
