#pragma once
#include <QString>

#include <functional>

class QWidget;

// File and folder dialogs as one replaceable service: the programs show real dialogs, tests
// answer them without showing anything.
enum class KWFileDialogKind { Open, Save, Folder };

struct KWFileDialogRequest {
    KWFileDialogKind kind = KWFileDialogKind::Open;
    QString caption;
    QString start;  // the folder to show, or the proposed file name
    QString filter; // Qt filter text, entries separated by ";;"
    QString defaultSuffix;
};

// Returns the chosen path, empty when the user cancelled.
using KWFileDialogHandler = std::function<QString(QWidget*, const KWFileDialogRequest&)>;

QString KWShowFileDialog(QWidget* parent, const KWFileDialogRequest& request);

// Replaces the service; returns the previous handler. An empty handler restores the real dialogs.
KWFileDialogHandler KWSetFileDialogHandler(KWFileDialogHandler handler);
