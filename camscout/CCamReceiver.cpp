#include "CCamReceiver.h"

#include "CCamReply.h"
#include "CamMessages.h"
#include "KWMessageTarget.h"
#include "KWTick.h"

#include <memory>
#include <system_error>

CCamReceiver::~CCamReceiver() {
    Stop();
}

bool CCamReceiver::Start(KWWindowHandle window, const std::string& listenAddress,
                         std::uint16_t port) {
    Stop();
    m_stop = false;
    m_result = 0;
    // Bound before the thread starts, so replies to a query sent right after Start are not lost.
    if (!m_socket.Open() || !m_socket.Bind(listenAddress, port)) {
        m_socket.Close();
        KWPostMessage(window, CamMessages::WM_CAM_BIND_FAILED, 0, 0);
        return true;
    }
    // A socket that keeps the system's default buffer still works, with less room for bursts.
    static_cast<void>(m_socket.SetReceiveBufferSize(kReceiveBufferBytes));
    try {
        m_thread = std::thread(&CCamReceiver::ReceiveLoop, this, window);
    } catch (const std::system_error&) {
        m_socket.Close();
        return false;
    }
    return true;
}

void CCamReceiver::Stop() {
    if (!m_thread.joinable())
        return;
    m_stop = true;
    m_socket.Shutdown();
    m_thread.join();
    m_socket.Close();
}

// Every wake-up takes all the datagrams waiting by then and pauses once afterwards; a pause per
// datagram would let a burst of replies overflow the socket's buffer.
void CCamReceiver::ReceiveLoop(KWWindowHandle window) {
    // One byte more than the largest accepted datagram, for the terminating NUL.
    char buffer[CCamReply::kMaxDatagramSize + 1];
    while (!m_stop) {
        int waitMs = kStopCheckMs;
        long received = 0;
        while (!m_stop &&
               (received = m_socket.Receive(buffer, CCamReply::kMaxDatagramSize, waitMs)) >= 0) {
            waitMs = 0;
            // Oversized datagrams are dropped.
            if (received <= static_cast<long>(CCamReply::kMaxDatagramSize))
                PostReply(window, buffer, static_cast<std::size_t>(received));
        }
        // Time-outs go straight back to waiting; errors and handled datagrams pause.
        if (received != CKWUdpSocket::kReceiveTimedOut || waitMs == 0)
            KWSleep(kPauseAfterDatagramMs);
    }
    m_result = 1;
}

void CCamReceiver::PostReply(KWWindowHandle window, char* buffer, std::size_t length) {
    buffer[length] = '\0';
    auto record = std::make_unique<CameraRecord>();
    const int kind = CCamReply::Parse(buffer, *record);
    if (kind >= 0 &&
        KWPostMessage(window, CamMessages::WM_CAM_BASE + static_cast<std::uint32_t>(kind),
                      reinterpret_cast<KWWParam>(record.get()), 0))
        record.release(); // the window owns it now
}
