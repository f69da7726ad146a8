#include "KWSignalWatcher.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr int kSignals[] = {SIGINT, SIGTERM};
// The pipe's write end for the handler; -1 while no watcher exists.
volatile sig_atomic_t g_writeEnd = -1;
int g_readEnd = -1;
struct sigaction g_previous[2];
} // namespace

void KWSignalWatcher::OnSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    if (g_writeEnd >= 0)
        (void)!write(g_writeEnd, &byte, 1);
    errno = savedErrno;
}

KWSignalWatcher::KWSignalWatcher(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), m_onSignal(std::move(onSignal)) {
    int fds[2];
    if (g_readEnd >= 0 || pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    g_readEnd = fds[0];
    g_writeEnd = fds[1];
    struct sigaction action {};
    action.sa_handler = &KWSignalWatcher::OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 2; ++i)
        sigaction(kSignals[i], &action, &g_previous[i]);
    m_notifier = new QSocketNotifier(g_readEnd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &KWSignalWatcher::OnReadable);
}

KWSignalWatcher::~KWSignalWatcher() {
    if (!m_notifier)
        return;
    for (int i = 0; i < 2; ++i)
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
    if (received && m_onSignal)
        m_onSignal();
}
