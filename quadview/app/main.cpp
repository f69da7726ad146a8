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
    KWSignalWatcher signalWatcher;
    CViewerDlg dialog(KWSystemDriveList(), options.isSet(audio) ? CViewerDlg::StartSound::On
                                                                : CViewerDlg::StartSound::Off);
    // An interrupt or termination request closes the window as a confirmed Close does, also
    // while a message box or dialog waits for an answer.
    signalWatcher.Run(
        [&dialog] {
            dialog.exec();
            return 0;
        },
        [&dialog] { dialog.CloseConfirmed(); });
    return 0;
}
