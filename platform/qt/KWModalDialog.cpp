#include "KWModalDialog.h"

#include <QDialog>
#include <QPointer>

namespace {
KWModalHandler& Handler() {
    static KWModalHandler handler;
    return handler;
}
} // namespace

int KWRunModal(QDialog& dialog) {
    if (Handler())
        return Handler()(dialog);
    const QPointer<QDialog> alive(&dialog);
    const int result = dialog.exec();
    // A dialog still shown was not answered: its loop was ended from outside (the program is
    // ending), which counts as cancelled whatever result the dialog held before.
    if (alive && dialog.isVisible()) {
        dialog.hide();
        return QDialog::Rejected;
    }
    return result;
}

KWModalHandler KWSetModalHandler(KWModalHandler handler) {
    auto previous = std::move(Handler());
    Handler() = std::move(handler);
    return previous;
}
