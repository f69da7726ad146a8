#include "CConfigDialog.h"
#include "CSnapshotSetting.h"
#include "KWFileDialog.h"
#include "KWMessageBox.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr const char* kTitle = "Setting";
constexpr const char* kGroupTitle = "Snapshot Path";
constexpr const char* kBrowseText = "Browse...";
constexpr const char* kPickerCaption = "Select Directory";
constexpr const char* kStoreFailedText = "The snapshot folder could not be stored.";
constexpr QChar kSeparator = '/';
} // namespace

CConfigDialog::CConfigDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("CConfigDialog");
    setWindowTitle(kTitle);

    m_folder = new QLineEdit(CSnapshotSetting::Read());
    m_folder->setObjectName(QString::number(kIdFolder));
    m_folder->setMinimumWidth(320);
    auto* browse = new QPushButton(kBrowseText);
    browse->setObjectName(QString::number(kIdBrowse));
    browse->setAutoDefault(false);
    connect(browse, &QPushButton::clicked, this, &CConfigDialog::Browse);

    auto* group = new QGroupBox(kGroupTitle);
    auto* row = new QHBoxLayout(group);
    row->addWidget(m_folder, 1);
    row->addWidget(browse);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &CConfigDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CConfigDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
}

QString CConfigDialog::FolderText() const {
    return m_folder->text();
}

// The picker opens at the current folder; a chosen folder ends with a separator so that the
// snapshot names land inside it.
void CConfigDialog::Browse() {
    QString start = m_folder->text();
    if (start.endsWith(kSeparator)) {
        start.chop(1);
    }
    QString chosen = KWShowFileDialog(
        this, KWFileDialogRequest{KWFileDialogKind::Folder, kPickerCaption, start, {}, {}});
    if (chosen.isEmpty()) {
        return;
    }
    if (!chosen.endsWith(kSeparator)) {
        chosen += kSeparator;
    }
    m_folder->setText(chosen);
}

void CConfigDialog::accept() {
    if (!CSnapshotSetting::Write(m_folder->text())) {
        KWMessageBox(kStoreFailedText, kTitle,
                     KWMessageBoxFlags::kOk | KWMessageBoxFlags::kIconExclamation);
        return;
    }
    QDialog::accept();
}
