#pragma once
#include <QObject>

#include <functional>

class QSocketNotifier;

// Turns SIGINT and SIGTERM into a call on the GUI thread, so that a program started from a
// terminal or a script ends the way its window's Close does. The signal handler only writes a
// byte to a pipe; the GUI thread's event loop reads it and makes the call. One watcher at a time;
// the previous handlers come back when it is destroyed.
class KWSignalWatcher : public QObject {
    Q_OBJECT
public:
    explicit KWSignalWatcher(std::function<void()> onSignal, QObject* parent = nullptr);
    ~KWSignalWatcher() override;

    // False when the pipe or the handlers could not be set up.
    bool IsWatching() const { return m_notifier != nullptr; }

private:
    static void OnSignal(int signal);
    void OnReadable();

    std::function<void()> m_onSignal;
    QSocketNotifier* m_notifier = nullptr;
};
