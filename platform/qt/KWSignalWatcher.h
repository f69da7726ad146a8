#pragma once
#include <QObject>

#include <functional>

class QSocketNotifier;

// Ends a program on SIGINT and SIGTERM the way its window's confirmed Close does, whatever the
// user is being asked at the time (a system shutdown cannot answer a question). The signal
// handler only writes a byte to a pipe; the GUI thread's event loop reads it and ends every
// event loop it runs - open dialogs and message boxes return as cancelled, later ones at once -
// and Run, back in the program's main, then closes the window without asking. A second signal
// while the program ends takes the signal's default action. One watcher at a time; the previous
// handlers come back when it is destroyed.
class KWSignalWatcher : public QObject {
    Q_OBJECT
public:
    explicit KWSignalWatcher(QObject* parent = nullptr);
    ~KWSignalWatcher() override;

    // False when the pipe or the handlers could not be set up.
    bool IsWatching() const { return m_notifier != nullptr; }
    // True once a signal asked the program to end.
    bool IsEndRequested() const { return m_endRequested; }

    // Runs the program's main loop and returns its exit code. When a signal ended the loop, or
    // came before it (while a start-up message waited), the loop is not entered again,
    // closeWithoutAsking runs - the window's Close as if confirmed, which stops the engines -
    // and the exit code is 0.
    int Run(const std::function<int()>& mainLoop, const std::function<void()>& closeWithoutAsking);

private:
    static void OnSignal(int signal);
    void OnReadable();

    QSocketNotifier* m_notifier = nullptr;
    bool m_endRequested = false;
};
