#include "CFinderDlg.h"
#include "KWQtPlatform.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Camscout");
    KWInstallQtPlatform();
    CFinderDlg dialog;
    dialog.show();
    return app.exec();
}
