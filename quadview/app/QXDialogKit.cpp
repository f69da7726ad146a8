#include "QXDialogKit.h"

#include "CIconButton.h"
#include "QXIconSet.h"

#include <QComboBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QShortcut>

namespace QXDialogKit {
namespace {
constexpr int kButtonMinWidth = 88;
constexpr int kButtonMinHeight = 28;

CIconButton* DialogButton(QDialog& dialog, int id, int icon, const QString& text) {
    auto* button = Named(new CIconButton(&dialog), id);
    button->SetIcons(icon);
    button->setText(text);
    button->SetFlat(false);
    button->setMinimumSize(kButtonMinWidth, kButtonMinHeight);
    return button;
}
} // namespace

CIconButton* OkButton(QDialog& dialog) {
    auto* button = DialogButton(dialog, kIdOk, QXIconSet::kOk, "OK");
    QObject::connect(button, &QAbstractButton::clicked, &dialog, &QDialog::accept);
    // Enter presses OK, as in every dialog (a disabled OK ignores it).
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        QObject::connect(new QShortcut(key, &dialog), &QShortcut::activated, button,
                         &QAbstractButton::click);
    }
    return button;
}

CIconButton* CancelButton(QDialog& dialog, const QString& text) {
    auto* button = DialogButton(dialog, kIdCancel, QXIconSet::kCancel, text);
    QObject::connect(button, &QAbstractButton::clicked, &dialog, &QDialog::reject);
    return button;
}

QHBoxLayout* ButtonRow(std::initializer_list<QWidget*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QWidget* button : buttons) {
        row->addWidget(button);
    }
    return row;
}

QComboBox* TextChoice(QWidget& parent, int id, const QStringList& texts, const QString& preset) {
    auto* choice = Named(new QComboBox(&parent), id);
    choice->addItems(texts);
    choice->setCurrentText(preset);
    return choice;
}

QStringList TwoDigitRange(int first, int last) {
    QStringList texts;
    for (int value = first; value <= last; ++value) {
        texts.append(QString::asprintf("%02d", value));
    }
    return texts;
}

QString ControlText(const QString& text) {
    return QString(text).replace("\r\n", "\n");
}
} // namespace QXDialogKit
