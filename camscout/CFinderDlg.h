#pragma once
#include <QDialog>

// The camera finder's main window.
class CFinderDlg : public QDialog {
    Q_OBJECT
public:
    explicit CFinderDlg(QWidget* parent = nullptr);
};
