#pragma once
#include <QDialog>

class CCamLanguage;

// The About box of the window menu.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(const CCamLanguage& language, QWidget* parent = nullptr);
};
