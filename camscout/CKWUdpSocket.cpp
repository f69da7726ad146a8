#include "CKWUdpSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
sockaddr_in MakeAddress(std::uint32_t networkOrder, std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = networkOrder;
    return address;
}
} // namespace

CKWUdpSocket::~CKWUdpSocket() {
    Close();
}

bool CKWUdpSocket::ParseAddress(const std::string& text, std::uint32_t& networkOrder) {
    in_addr parsed{};
    if (inet_pton(AF_INET, text.c_str(), &parsed) != 1)
        return false;
    networkOrder = parsed.s_addr;
    return true;
}

bool CKWUdpSocket::Open() {
    Close();
    m_fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (m_fd < 0)
        return false;
    const int enable = 1;
    if (setsockopt(m_fd, SOL_SOCKET, SO_BROADCAST, &enable, sizeof(enable)) != 0) {
        Close();
        return false;
    }
    return true;
}

bool CKWUdpSocket::Bind(const std::string& address, std::uint16_t port) {
    std::uint32_t host = 0;
    if (m_fd < 0 || !ParseAddress(address, host))
        return false;
    const sockaddr_in local = MakeAddress(host, port);
    return bind(m_fd, reinterpret_cast<const sockaddr*>(&local), sizeof(local)) == 0;
}

bool CKWUdpSocket::SetReceiveBufferSize(int bytes) {
    if (m_fd < 0)
        return false;
    // SO_RCVBUFFORCE passes the system's maximum but needs CAP_NET_ADMIN; SO_RCVBUF is capped.
    return setsockopt(m_fd, SOL_SOCKET, SO_RCVBUFFORCE, &bytes, sizeof(bytes)) == 0 ||
           setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof(bytes)) == 0;
}

int CKWUdpSocket::ReceiveBufferSize() const {
    int bytes = 0;
    socklen_t length = sizeof(bytes);
    if (m_fd < 0 || getsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &bytes, &length) != 0)
        return 0;
    return bytes;
}

std::uint16_t CKWUdpSocket::LocalPort() const {
    sockaddr_in local{};
    socklen_t length = sizeof(local);
    if (m_fd < 0 || getsockname(m_fd, reinterpret_cast<sockaddr*>(&local), &length) != 0)
        return 0;
    return ntohs(local.sin_port);
}

bool CKWUdpSocket::SendTo(std::string_view data, const std::string& address, std::uint16_t port) {
    std::uint32_t host = 0;
    if (m_fd < 0 || !ParseAddress(address, host))
        return false;
    const sockaddr_in remote = MakeAddress(host, port);
    const ssize_t sent = sendto(m_fd, data.data(), data.size(), 0,
                                reinterpret_cast<const sockaddr*>(&remote), sizeof(remote));
    return sent == static_cast<ssize_t>(data.size());
}

long CKWUdpSocket::Receive(char* buffer, std::size_t size, int timeoutMs) {
    if (m_fd < 0)
        return kReceiveError;
    pollfd waiting{m_fd, POLLIN, 0};
    const int ready = poll(&waiting, 1, timeoutMs);
    if (ready == 0)
        return kReceiveTimedOut;
    if (ready < 0)
        return kReceiveError;
    // MSG_TRUNC makes the call report the datagram's real length, so an oversized one shows.
    sockaddr_in sender{};
    socklen_t senderLength = sizeof(sender);
    const ssize_t received = recvfrom(m_fd, buffer, size, MSG_TRUNC | MSG_DONTWAIT,
                                      reinterpret_cast<sockaddr*>(&sender), &senderLength);
    return received < 0 ? kReceiveError : static_cast<long>(received);
}

void CKWUdpSocket::Shutdown() {
    if (m_fd >= 0)
        shutdown(m_fd, SHUT_RDWR);
}

void CKWUdpSocket::Close() {
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
}
