#pragma once
#include "CPlayerDlg.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class QLocalServer;

// The player program: one instance per user session. A second start asks the running one to
// restore its window and ends without opening anything, even with a file argument. The first
// start shows the main window and opens the file named on the command line.
class CPlayerApp : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kInstanceName = "Sniffer";
    static constexpr int kConnectTimeoutMs = 2000;

    // The instance name is a parameter so that tests do not meet a player the user runs.
    explicit CPlayerApp(const QString& instanceName = kInstanceName,
                        CKWPlaybackControl::AudioFactory audio = nullptr);
    ~CPlayerApp() override;

    // Where the instance's socket lives: the user's runtime folder, else the temporary folder
    // with the user's id.
    static QString InstancePath(const QString& name);
    // The text after the program on the command line: the arguments after the first, joined by
    // single blanks as they stood on the command line.
    static QString CommandLineText(const QStringList& arguments);

    // Either asks the running instance to restore its window and returns false, or becomes the
    // instance, creates and shows the main window, opens the command line's file and returns true.
    bool InitInstance(const QStringList& arguments);
    // InitInstance, then runs until the main window closes; the program's exit code.
    int Run(const QStringList& arguments);

    CPlayerDlg* Dialog() const { return m_dialog.get(); }

private:
    enum class Answer { Restored, NoInstance, Unknown };
    Answer AskRunningInstance();
    bool BecomeInstance(bool replaceLeftOver);
    void OnNewConnection();

    QString m_path;
    CKWPlaybackControl::AudioFactory m_audio;
    QLocalServer* m_server = nullptr;
    std::unique_ptr<CPlayerDlg> m_dialog;
};
