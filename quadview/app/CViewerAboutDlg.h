#pragma once
#include <QDialog>

// The About box: the program's picture, name and version.
class CViewerAboutDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kIdPicture = 185;
    static constexpr int kIdTitle = 1132;
    static constexpr int kIdNote = 1097;
    static constexpr int kPictureSize = 48;

    explicit CViewerAboutDlg(QWidget* parent = nullptr);

    // "PC Viewer - " and the version.
    static QString TitleLine();
};
