#pragma once
#include <QDialog>

// The player's main window.
class CPlayerDlg : public QDialog {
    Q_OBJECT
public:
    explicit CPlayerDlg(QWidget* parent = nullptr);
};
