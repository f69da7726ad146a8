#include "CPlayerDlg.h"
#include "KWQtPlatform.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Reelback");
    KWInstallQtPlatform();
    CPlayerDlg dialog;
    dialog.show();
    return app.exec();
}
