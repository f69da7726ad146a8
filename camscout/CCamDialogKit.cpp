#include "CCamDialogKit.h"

#include "CCamLanguage.h"

#include <QBoxLayout>
#include <QDialog>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

QLineEdit* CCamDialogKit::NewEdit(QWidget* parent, int id, const QString& text, bool enabled) {
    auto* edit = WithId(new QLineEdit(text, parent), id);
    edit->setEnabled(enabled);
    return edit;
}

void CCamDialogKit::AddRow(QFormLayout* form, const CCamLanguage& language, CamText label,
                           QWidget* control) {
    form->addRow(language.Text(label), control);
}

void CCamDialogKit::AddButtons(QDialog& dialog, QBoxLayout* layout, const CCamLanguage& language,
                               int okId, int cancelId) {
    auto* ok = WithId(new QPushButton(language.Text(CamText::Ok), &dialog), okId);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    if (cancelId != kNoButton) {
        auto* cancel = WithId(new QPushButton(language.Text(CamText::Cancel), &dialog), cancelId);
        QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
        row->addWidget(cancel);
    }
    layout->addLayout(row);
}

bool CCamDialogKit::Refuse(const CCamLanguage& language, CamText text, CamText caption,
                           unsigned icon) {
    KWMessageBox(language.Utf8(text), language.Utf8(caption), icon);
    return false;
}
