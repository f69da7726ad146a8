#include "QXDialogKit.h"

#include "CIconButton.h"
#include "QXIconSet.h"

#include <QComboBox>
#include <QDialog>
#include <QEvent>
#include <QHBoxLayout>
#include <QShortcut>

namespace QXDialogKit {
namespace {
constexpr int kButtonMinWidth = 88;
constexpr int kButtonMinHeight = 28;

// Shows the button's icon in grey while the button is disabled.
class GreyWhileDisabled : public QObject {
public:
    GreyWhileDisabled(CIconButton& button, int icon)
        : QObject(&button), m_icon(QXIconSet::Image(icon)),
          m_grey(CIconButton::DeriveImage(m_icon, CIconButton::kGreyImage)) {
        button.installEventFilter(this);
        Show(button);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::EnabledChange) {
            Show(static_cast<CIconButton&>(*watched));
        }
        return false;
    }

private:
    void Show(CIconButton& button) const { button.SetIcons(button.isEnabled() ? m_icon : m_grey); }

    QImage m_icon;
    QImage m_grey;
};

CIconButton* DialogButton(QDialog& dialog, int id, int icon, const QString& text) {
    auto* button = Named(new CIconButton(&dialog), id);
    new GreyWhileDisabled(*button, icon);
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
