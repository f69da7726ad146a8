#include "CViewerDlg.h"
#include "KWQtPlatform.h"
#include "KWSignalWatcher.h"
#include "QXIconSet.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quadview");
    QApplication::setWindowIcon(QXIconSet::ProgramIcon());
    KWInstallQtPlatform();
    CViewerDlg dialog;
    // An interrupt or termination request closes the window as its Close does.
    KWSignalWatcher closeOnSignal([&dialog] { dialog.close(); });
    dialog.exec();
    return 0;
}
