#include "CFolderSelectDlg.h"

#include "CIconButton.h"
#include "KWModalDialog.h"
#include "QXDialogKit.h"

#include <QDir>
#include <QFileIconProvider>
#include <QLabel>
#include <QStorageInfo>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

using QXDialogKit::Named;

const char* const CFolderSelectDlg::kNetworkRootText = "Network Neighborhood";

namespace {
constexpr int kPathRole = Qt::UserRole;
constexpr int kListedRole = Qt::UserRole + 1;
constexpr int kTreeWidth = 360;
constexpr int kTreeHeight = 320;

// Whether `path` is `folder` or lies below it.
bool IsWithin(const QString& path, const QString& folder) {
    if (folder == "/") {
        return path.startsWith('/');
    }
    return path == folder || path.startsWith(folder + '/');
}

// The parts of `path` below `folder`.
QStringList PartsBelow(const QString& path, const QString& folder) {
    return path.mid(folder.size()).split('/', Qt::SkipEmptyParts);
}
} // namespace

CFolderSelectDlg::CFolderSelectDlg(const QString& caption, const QString& initialPath,
                                   QWidget* parent, const QStringList& roots)
    : QDialog(parent) {
    setObjectName("201");
    setWindowTitle(caption);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Select Directory", this));
    m_tree = Named(new QTreeWidget(this), kIdTree);
    m_tree->setHeaderHidden(true);
    m_tree->setMinimumSize(kTreeWidth, kTreeHeight);
    layout->addWidget(m_tree);
    m_ok = QXDialogKit::OkButton(*this);
    m_ok->setEnabled(false);
    layout->addLayout(QXDialogKit::ButtonRow({m_ok, QXDialogKit::CancelButton(*this)}));

    for (const QString& root : roots) {
        AddFolder(nullptr, root, root);
    }
    connect(m_tree, &QTreeWidget::itemExpanded, this, &CFolderSelectDlg::ListSubfolders);
    connect(m_tree, &QTreeWidget::currentItemChanged, this,
            [this] { m_ok->setEnabled(!GetPath().isEmpty()); });
    SelectPath(initialPath);
}

QString CFolderSelectDlg::Choose(QWidget* parent, const QString& caption,
                                 const QString& initialPath) {
    CFolderSelectDlg dialog(caption, initialPath, parent);
    return KWRunModal(dialog) == QDialog::Accepted ? dialog.GetPath() : QString();
}

QStringList CFolderSelectDlg::MountedRoots() {
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        if (volume.isValid() && volume.isReady() && !roots.contains(root)) {
            roots.append(root);
        }
    }
    std::sort(roots.begin(), roots.end());
    roots.removeAll("/");
    roots.prepend("/");
    return roots;
}

QString CFolderSelectDlg::GetPath() const {
    const QTreeWidgetItem* item = m_tree->currentItem();
    return item ? item->data(0, kPathRole).toString() : QString();
}

QTreeWidgetItem* CFolderSelectDlg::AddFolder(QTreeWidgetItem* parent, const QString& label,
                                             const QString& path) {
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_tree);
    item->setText(0, label);
    item->setData(0, kPathRole, path);
    static const QIcon folderIcon = QFileIconProvider().icon(QFileIconProvider::Folder);
    item->setIcon(0, folderIcon);
    // Whether it has sub-folders is found out when it is first expanded.
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return item;
}

void CFolderSelectDlg::ListSubfolders(QTreeWidgetItem* item) {
    if (item->data(0, kListedRole).toBool()) {
        return;
    }
    item->setData(0, kListedRole, true);
    const QString path = item->data(0, kPathRole).toString();
    if (!path.isEmpty()) {
        const QDir folder(path);
        const QStringList names = folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                                                   QDir::Name | QDir::IgnoreCase);
        for (const QString& name : names) {
            AddFolder(item, name, folder.filePath(name));
        }
    }
    item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

// The item of a network path below its own top-level item: the host, then the share as given.
QTreeWidgetItem* CFolderSelectDlg::NetworkItem(const QString& path) {
    auto* network = new QTreeWidgetItem(m_tree);
    network->setText(0, kNetworkRootText);
    network->setData(0, kListedRole, true);
    const QStringList parts = path.split('/', Qt::SkipEmptyParts);
    QTreeWidgetItem* item = network;
    QString itemPath = "/";
    for (int i = 0; i < std::min<int>(2, static_cast<int>(parts.size())); ++i) {
        itemPath += '/' + parts[i];
        item = AddFolder(item, i == 0 ? "//" + parts[i] : parts[i], itemPath);
        item->parent()->setExpanded(true);
    }
    return item;
}

void CFolderSelectDlg::SelectPath(const QString& path) {
    QTreeWidgetItem* item = nullptr;
    QString itemPath;
    QString clean = path;
    if (path.startsWith("//")) {
        item = NetworkItem(path);
        itemPath = item->data(0, kPathRole).toString();
    } else {
        clean = QDir::cleanPath(path);
        for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
            QTreeWidgetItem* root = m_tree->topLevelItem(i);
            const QString rootPath = root->data(0, kPathRole).toString();
            // The innermost file system holding the path.
            if (IsWithin(clean, rootPath) && rootPath.size() >= itemPath.size()) {
                item = root;
                itemPath = rootPath;
            }
        }
    }
    if (!item) {
        return;
    }
    // Down the path one level at a time, as far as the folders exist.
    for (const QString& part : PartsBelow(clean, itemPath)) {
        ListSubfolders(item);
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < item->childCount() && !next; ++i) {
            if (item->child(i)->text(0) == part) {
                next = item->child(i);
            }
        }
        if (!next) {
            break;
        }
        item->setExpanded(true);
        item = next;
    }
    m_tree->setCurrentItem(item);
    m_tree->scrollToItem(item);
}
