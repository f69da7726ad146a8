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
    // Installed before the window: an interrupt or termination request during the start ends
    // it too. Later it closes the window as a confirmed Close does, also while a message box or
    // dialog waits for an answer.
    KWSignalWatcher signalWatcher;
    CViewerDlg dialog(KWSystemDriveList(), options.isSet(audio) ? CViewerDlg::StartSound::On
                                                                : CViewerDlg::StartSound::Off);
    // A refused start has told the user why; it is not an error of the program.
    if (dialog.IsRefused())
        return 0;
    return signalWatcher.Run(
        [&dialog] {
            dialog.exec();
            return 0;
        },
        [&dialog] { dialog.CloseConfirmed(); });
}
