#pragma once
#include <QDialog>

// The viewer's main window.
class CViewerDlg : public QDialog {
    Q_OBJECT
public:
    explicit CViewerDlg(QWidget* parent = nullptr);
    static QString WindowTitle();
};
