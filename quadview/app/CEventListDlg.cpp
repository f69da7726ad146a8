#include "CEventListDlg.h"

#include "CIconButton.h"
#include "QXDialogKit.h"

#include <QFontDatabase>
#include <QListWidget>
#include <QVBoxLayout>

namespace {
constexpr int kListWidth = 420;
constexpr int kListHeight = 300;
} // namespace

CEventListDlg::CEventListDlg(const std::vector<std::string>& lines, QWidget* parent)
    : QDialog(parent) {
    setObjectName("208");
    setWindowTitle("Event List");
    auto* layout = new QVBoxLayout(this);
    m_list = QXDialogKit::Named(new QListWidget(this), kIdList);
    m_list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_list->setMinimumSize(kListWidth, kListHeight);
    for (const std::string& line : lines) {
        m_list->addItem(QString::fromStdString(line));
    }
    layout->addWidget(m_list);
    layout->addLayout(
        QXDialogKit::ButtonRow({QXDialogKit::OkButton(*this), QXDialogKit::CancelButton(*this)}));
    connect(m_list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
}

void CEventListDlg::done(int result) {
    m_selected = m_list->currentItem() ? m_list->currentRow() : -1;
    QDialog::done(result);
}
