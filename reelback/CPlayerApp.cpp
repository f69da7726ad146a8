#include "CPlayerApp.h"

#include "KWSignalWatcher.h"

#include <QApplication>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <cstdio>
#include <unistd.h>

namespace {
constexpr char kRestoreRequest = 'R';
} // namespace

CPlayerApp::CPlayerApp(const QString& instanceName, CKWPlaybackControl::AudioFactory audio)
    : m_path(InstancePath(instanceName)), m_audio(std::move(audio)) {}

CPlayerApp::~CPlayerApp() {
    m_dialog.reset();
    if (m_server != nullptr) {
        m_server->close();
    }
}

QString CPlayerApp::InstancePath(const QString& name) {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty()) {
        return QDir(runtime).filePath(name);
    }
    return QDir(QDir::tempPath()).filePath(name + "-" + QString::number(getuid()));
}

QString CPlayerApp::CommandLineText(const QStringList& arguments) {
    return arguments.mid(1).join(' ');
}

// No instance: nothing at the path, or a socket that refuses (left by a player that did not end
// cleanly). Anything else may be a running player that did not answer in time.
CPlayerApp::Answer CPlayerApp::AskRunningInstance() {
    QLocalSocket socket;
    socket.connectToServer(m_path);
    if (!socket.waitForConnected(kConnectTimeoutMs)) {
        const auto error = socket.error();
        return error == QLocalSocket::ServerNotFoundError ||
                       error == QLocalSocket::ConnectionRefusedError
                   ? Answer::NoInstance
                   : Answer::Unknown;
    }
    socket.write(&kRestoreRequest, 1);
    socket.waitForBytesWritten(kConnectTimeoutMs);
    socket.disconnectFromServer();
    return Answer::Restored;
}

bool CPlayerApp::BecomeInstance(bool replaceLeftOver) {
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &CPlayerApp::OnNewConnection);
    if (m_server->listen(m_path)) {
        return true;
    }
    if (!replaceLeftOver) {
        return false;
    }
    QLocalServer::removeServer(m_path);
    return m_server->listen(m_path);
}

void CPlayerApp::OnNewConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (m_dialog != nullptr) {
            m_dialog->RestoreWindow();
        }
    }
}

bool CPlayerApp::InitInstance(const QStringList& arguments) {
    const Answer answer = AskRunningInstance();
    if (answer == Answer::Restored) {
        return false;
    }
    // Without the socket the player still runs, only without the single-instance rule.
    if (!BecomeInstance(answer == Answer::NoInstance)) {
        std::fprintf(stderr, "reelback: cannot listen on %s: %s\n", qPrintable(m_path),
                     qPrintable(m_server->errorString()));
    }
    m_dialog = std::make_unique<CPlayerDlg>(m_audio);
    m_dialog->show();
    m_dialog->OpenCommandLine(CommandLineText(arguments));
    return true;
}

int CPlayerApp::Run(const QStringList& arguments) {
    // Set up first: a signal may come while the start-up reports a file it cannot open.
    KWSignalWatcher signalWatcher;
    if (!InitInstance(arguments)) {
        return 0;
    }
    // The window hides into the tray, so the program ends when the dialog ends, not when its
    // last window disappears.
    QApplication::setQuitOnLastWindowClosed(false);
    connect(m_dialog.get(), &QDialog::finished, qApp, &QCoreApplication::quit);
    return signalWatcher.Run([] { return QApplication::exec(); }, [this] { m_dialog->OnExit(); });
}
