#include "KWModalDialog.h"

#include <QDialog>

namespace {
KWModalHandler& Handler() {
    static KWModalHandler handler;
    return handler;
}
} // namespace

int KWRunModal(QDialog& dialog) {
    return Handler() ? Handler()(dialog) : dialog.exec();
}

KWModalHandler KWSetModalHandler(KWModalHandler handler) {
    auto previous = std::move(Handler());
    Handler() = std::move(handler);
    return previous;
}
