#include "CViewerDlg.h"
#include "KWQtPlatform.h"
#include "KWSignalWatcher.h"
#include "QXIconSet.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quadview");
    QApplication::setWindowIcon(QXIconSet::ProgramIcon());
    QCommandLineParser options;
    options.setApplicationDescription("Plays the recordings of DVR disks and MYS files.");
    options.addHelpOption();
    const QCommandLineOption audio("audio", "Start with the sound on (it starts off).");
    options.addOption(audio);
    // Unknown options end the program with a message and exit code 1.
    options.process(app);

    KWInstallQtPlatform();
    // An interrupt or termination request closes the window as a confirmed Close does, also
    // while a message box or dialog waits for an answer: every event loop ends. During the
    // start (the window does not exist yet) it ends the start.
    CViewerDlg* window = nullptr;
    bool ended = false;
    KWSignalWatcher closeOnSignal([&window, &ended] {
        ended = true;
        if (window)
            window->CloseConfirmed();
        QCoreApplication::exit(0);
    });
    CViewerDlg dialog(KWSystemDriveList(), options.isSet(audio) ? CViewerDlg::StartSound::On
                                                                : CViewerDlg::StartSound::Off);
    window = &dialog;
    // A refused start has told the user why; it is not an error of the program.
    if (ended || dialog.IsRefused())
        return 0;
    dialog.exec();
    return 0;
}
