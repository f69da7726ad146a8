#pragma once
#include <QObject>
#include <QString>
#include <QStringList>

#include <initializer_list>

class CIconButton;
class QComboBox;
class QDialog;
class QHBoxLayout;
class QWidget;

// What the viewer's dialogs share: controls named by their identifiers so that tests and
// scripts find them, and OK and Cancel as icon buttons.
namespace QXDialogKit {
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

// Names `widget` by its control identifier and returns it.
template <class Widget> Widget* Named(Widget* widget, int id) {
    widget->setObjectName(QString::number(id));
    return widget;
}

// The control `id` of `dialog`, null when there is none of that kind.
template <class Widget> Widget* Find(const QObject& dialog, int id) {
    return dialog.findChild<Widget*>(QString::number(id));
}

// An icon button with the OK (accepts) or Cancel (rejects) icon and text.
CIconButton* OkButton(QDialog& dialog);
CIconButton* CancelButton(QDialog& dialog, const QString& text = "Cancel");

// A row of buttons aligned to the right.
QHBoxLayout* ButtonRow(std::initializer_list<QWidget*> buttons);

// A drop-down list `id` of fixed texts with `preset` chosen.
QComboBox* TextChoice(QWidget& parent, int id, const QStringList& texts, const QString& preset);
// "00", "01", ... from `first` to `last`.
QStringList TwoDigitRange(int first, int last);

// Texts written with "\r\n" line ends, as the text controls show them.
QString ControlText(const QString& text);
} // namespace QXDialogKit
