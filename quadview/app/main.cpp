#include "CViewerDlg.h"
#include "KWQtPlatform.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quadview");
    KWInstallQtPlatform();
    CViewerDlg dialog;
    dialog.show();
    return app.exec();
}
