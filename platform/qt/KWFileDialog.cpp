#include "KWFileDialog.h"

#include <QFileDialog>

namespace {
KWFileDialogHandler& Handler() {
    static KWFileDialogHandler handler;
    return handler;
}

QString ShowRealDialog(QWidget* parent, const KWFileDialogRequest& request) {
    QFileDialog dialog(parent, request.caption, request.start, request.filter);
    dialog.setDefaultSuffix(request.defaultSuffix);
    switch (request.kind) {
    case KWFileDialogKind::Open:
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        break;
    case KWFileDialogKind::Save:
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        break;
    case KWFileDialogKind::Folder:
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        break;
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return QString();
    }
    return dialog.selectedFiles().constFirst();
}
} // namespace

QString KWShowFileDialog(QWidget* parent, const KWFileDialogRequest& request) {
    return Handler() ? Handler()(parent, request) : ShowRealDialog(parent, request);
}

KWFileDialogHandler KWSetFileDialogHandler(KWFileDialogHandler handler) {
    auto previous = std::move(Handler());
    Handler() = std::move(handler);
    return previous;
}
