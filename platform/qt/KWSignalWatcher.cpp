#include "KWSignalWatcher.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <iterator>
#include <unistd.h>

namespace {
constexpr int kSignals[] = {SIGINT, SIGTERM};
constexpr int kExitCodeOnSignal = 0;
// The pipe's write end for the handler; -1 while no watcher exists.
volatile sig_atomic_t g_writeEnd = -1;
int g_readEnd = -1;
struct sigaction g_previous[std::size(kSignals)];
} // namespace

// Async-signal-safe: write(2) only, errno kept for the interrupted code.
void KWSignalWatcher::OnSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    if (g_writeEnd >= 0)
        (void)!write(g_writeEnd, &byte, 1);
    errno = savedErrno;
}

KWSignalWatcher::KWSignalWatcher(QObject* parent) : QObject(parent) {
    int fds[2];
    if (g_readEnd >= 0 || pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    g_readEnd = fds[0];
    g_writeEnd = fds[1];
    struct sigaction action {};
    action.sa_handler = &KWSignalWatcher::OnSignal;
    sigemptyset(&action.sa_mask);
    // The first signal asks; the handler then gives way, so a second one ends a stuck program.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        sigaction(kSignals[i], &action, &g_previous[i]);
    m_notifier = new QSocketNotifier(g_readEnd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &KWSignalWatcher::OnReadable);
}

KWSignalWatcher::~KWSignalWatcher() {
    if (!m_notifier)
        return;
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        sigaction(kSignals[i], &g_previous[i], nullptr);
    const int writeEnd = g_writeEnd;
    g_writeEnd = -1;
    delete m_notifier;
    close(writeEnd);
    close(g_readEnd);
    g_readEnd = -1;
}

void KWSignalWatcher::OnReadable() {
    char bytes[16];
    bool received = false;
    while (read(g_readEnd, bytes, sizeof bytes) > 0)
        received = true;
    if (!received)
        return;
    m_endRequested = true;
    // Ends every event loop of this thread, the nested ones of open dialogs included, and makes
    // any loop entered later (a dialog shown while the stack unwinds) return at once.
    QCoreApplication::exit(kExitCodeOnSignal);
}

int KWSignalWatcher::Run(const std::function<int()>& mainLoop,
                         const std::function<void()>& closeWithoutAsking) {
    const int exitCode = m_endRequested ? kExitCodeOnSignal : mainLoop();
    if (!m_endRequested)
        return exitCode;
    closeWithoutAsking();
    return kExitCodeOnSignal;
}
