#include "KWFileDialog.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QTreeView>

namespace {
// Wide enough for the name, size, type and date columns side by side.
constexpr QSize kDialogSize(860, 520);
// The detail view of Qt's own dialog; a platform dialog has none.
constexpr const char* kDetailViewName = "treeView";
constexpr int kNameColumn = 0;

// The detail view's columns start at fixed widths that cut sizes, types and dates short: they
// fit their contents instead, and the name takes the rest.
void FitColumns(QFileDialog& dialog) {
    auto* view = dialog.findChild<QTreeView*>(kDetailViewName);
    if (view == nullptr) {
        return;
    }
    QHeaderView* header = view->header();
    header->setStretchLastSection(false);
    for (int column = 0; column < header->count(); ++column) {
        header->setSectionResizeMode(column, column == kNameColumn ? QHeaderView::Stretch
                                                                   : QHeaderView::ResizeToContents);
    }
}

KWFileDialogHandler& Handler() {
    static KWFileDialogHandler handler;
    return handler;
}

QString ShowRealDialog(QWidget* parent, const KWFileDialogRequest& request) {
    QFileDialog dialog(parent, request.caption, request.start, request.filter);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.resize(kDialogSize);
    FitColumns(dialog);
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
