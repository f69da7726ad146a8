#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// An IPv4 UDP socket with broadcasting allowed. Addresses are dotted quads.
class CKWUdpSocket {
public:
    static constexpr long kReceiveError = -1;
    static constexpr long kReceiveTimedOut = -2;

    CKWUdpSocket() = default;
    ~CKWUdpSocket();
    CKWUdpSocket(const CKWUdpSocket&) = delete;
    CKWUdpSocket& operator=(const CKWUdpSocket&) = delete;

    // Creates the socket with SO_BROADCAST set.
    bool Open();
    bool IsOpen() const { return m_fd >= 0; }
    bool Bind(const std::string& address, std::uint16_t port);
    // Asks for a receive buffer of the given size, beyond the system's usual limit where the
    // process may; false when the system refused both.
    bool SetReceiveBufferSize(int bytes);
    // The receive buffer the system granted, 0 when unknown.
    int ReceiveBufferSize() const;
    // The local port the socket is bound to, 0 when unknown.
    std::uint16_t LocalPort() const;

    // One datagram to address:port; true when the system accepted it whole.
    bool SendTo(std::string_view data, const std::string& address, std::uint16_t port);

    // Waits at most timeoutMs for one datagram and copies up to size bytes of it into buffer.
    // Returns the datagram's full length, which exceeds size when it did not fit (the rest is
    // lost), kReceiveTimedOut when nothing came, kReceiveError on failure.
    long Receive(char* buffer, std::size_t size, int timeoutMs);

    // Makes a pending or later Receive return at once; safe while another thread receives.
    void Shutdown();
    void Close();

    // A dotted quad as a network address; false when the text is not one.
    static bool ParseAddress(const std::string& text, std::uint32_t& networkOrder);

private:
    int m_fd = -1;
};
