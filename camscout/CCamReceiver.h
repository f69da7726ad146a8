#pragma once
#include "CKWUdpSocket.h"
#include "KWTypes.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

// The receiver thread: turns every accepted reply on the reply socket into a heap CameraRecord
// posted to the window with WM_CAM_BASE + kind. The window owns each posted record. When the
// reply port cannot be bound (another instance holds it) the window gets WM_CAM_BIND_FAILED
// and no thread runs.
class CCamReceiver {
public:
    // The pause after the datagrams of one wake-up were handled.
    static constexpr std::uint32_t kPauseAfterDatagramMs = 1;
    // Room for thousands of replies, so that a burst from a large network waits in the socket
    // while the thread catches up instead of being dropped.
    static constexpr int kReceiveBufferBytes = 4 * 1024 * 1024;
    // The thread looks at its stop flag at least this often, so a stop never waits long.
    static constexpr int kStopCheckMs = 100;

    CCamReceiver() = default;
    ~CCamReceiver();
    CCamReceiver(const CCamReceiver&) = delete;
    CCamReceiver& operator=(const CCamReceiver&) = delete;

    // Creates and binds the reply socket and starts the thread; false when the thread cannot be
    // created. A failed bind is reported to the window, not here.
    bool Start(KWWindowHandle window, const std::string& listenAddress, std::uint16_t port);
    // Sets the stop flag, wakes the socket, waits for the thread and closes the socket.
    void Stop();
    bool IsRunning() const { return m_thread.joinable(); }
    // 1 once the thread ended after a normal stop, 0 before that or when the bind failed.
    int Result() const { return m_result.load(); }

private:
    void ReceiveLoop(KWWindowHandle window);
    // Posts the reply in the buffer (NUL-terminated at `length`) when it is one.
    static void PostReply(KWWindowHandle window, char* buffer, std::size_t length);

    CKWUdpSocket m_socket;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_result{0};
    std::thread m_thread;
};
