#pragma once
#include <QDialog>
#include <QStringList>

class CIconButton;
class QTreeWidget;
class QTreeWidgetItem;

// Chooses a folder from a tree of directories only. The top-level items are the mounted file
// systems (the root first); a network path ("//host/share/...") appears below an item of its own.
// Directories are listed when first expanded.
class CFolderSelectDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kIdTree = 1039;
    static const char* const kNetworkRootText;

    // `roots` are the top-level folders; by default the mounted file systems.
    CFolderSelectDlg(const QString& caption, const QString& initialPath, QWidget* parent = nullptr,
                     const QStringList& roots = MountedRoots());

    // Runs the dialog modally; the chosen folder, or an empty string when cancelled.
    static QString Choose(QWidget* parent, const QString& caption, const QString& initialPath);

    // The mount points of the file systems that hold files (no kernel or device file systems),
    // "/" first, then by name.
    static QStringList MountedRoots();

    // The full path of the selected folder; empty when nothing is selected.
    QString GetPath() const;
    // Opens the tree down to `path` one level at a time, as far as its folders exist, and
    // selects the deepest one reached.
    void SelectPath(const QString& path);

private:
    QTreeWidgetItem* AddFolder(QTreeWidgetItem* parent, const QString& label, const QString& path);
    void ListSubfolders(QTreeWidgetItem* item);
    QTreeWidgetItem* NetworkItem(const QString& path);

    QTreeWidget* m_tree = nullptr;
    CIconButton* m_ok = nullptr;
};
