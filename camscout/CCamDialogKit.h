#pragma once
#include "CCamStringTable.h"
#include "KWMessageBox.h"

#include <QString>

class CCamLanguage;
class QBoxLayout;
class QDialog;
class QFormLayout;
class QLineEdit;
class QWidget;

// Pieces the finder's dialogs share: control ids as object names, labelled rows, the OK and
// Cancel buttons, and the input-check messages.
class CCamDialogKit {
public:
    static constexpr int kIdOk = 1;
    static constexpr int kIdCancel = 2;
    static constexpr int kNoButton = 0;

    // Gives the control its id (as its object name) and returns it.
    template <typename Control> static Control* WithId(Control* control, int id) {
        control->setObjectName(QString::number(id));
        return control;
    }
    static QLineEdit* NewEdit(QWidget* parent, int id, const QString& text = QString(),
                              bool enabled = true);
    static void AddRow(QFormLayout* form, const CCamLanguage& language, CamText label,
                       QWidget* control);
    // OK (the default button) and Cancel in a row, wired to accept and reject; cancelId
    // kNoButton leaves Cancel out.
    static void AddButtons(QDialog& dialog, QBoxLayout* layout, const CCamLanguage& language,
                           int okId = kIdOk, int cancelId = kIdCancel);
    // Reports a failed input check; always false, so a check can end with `return Refuse(...)`.
    static bool Refuse(const CCamLanguage& language, CamText text, CamText caption,
                       unsigned icon = KWMessageBoxFlags::kIconStop);
};
