#include "CPlayerApp.h"

#include <QApplication>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

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

bool CPlayerApp::AskRunningInstance() {
    QLocalSocket socket;
    socket.connectToServer(m_path);
    if (!socket.waitForConnected(kConnectTimeoutMs)) {
        return false;
    }
    socket.write(&kRestoreRequest, 1);
    socket.waitForBytesWritten(kConnectTimeoutMs);
    socket.disconnectFromServer();
    return true;
}

// A socket left behind by a player that did not end cleanly answers no one and is replaced.
bool CPlayerApp::BecomeInstance() {
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &CPlayerApp::OnNewConnection);
    if (m_server->listen(m_path)) {
        return true;
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
    if (AskRunningInstance()) {
        return false;
    }
    // Without the socket the player still runs, only without the single-instance rule.
    if (!BecomeInstance()) {
        std::fprintf(stderr, "reelback: cannot listen on %s: %s\n", qPrintable(m_path),
                     qPrintable(m_server->errorString()));
    }
    m_dialog = std::make_unique<CPlayerDlg>(m_audio);
    m_dialog->show();
    m_dialog->OpenCommandLine(CommandLineText(arguments));
    return true;
}

int CPlayerApp::Run(const QStringList& arguments) {
    if (!InitInstance(arguments)) {
        return 0;
    }
    // The window hides into the tray, so the program ends when the dialog ends, not when its
    // last window disappears.
    QApplication::setQuitOnLastWindowClosed(false);
    connect(m_dialog.get(), &QDialog::finished, qApp, &QCoreApplication::quit);
    return QApplication::exec();
}
