#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QRandomGenerator>
#include <QString>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

namespace qh::test {

// One real UDP socket on the child port of every loopback address (127.0.0.2, 127.0.0.3, ... all
// are loopback), standing for all the children at once: it records each datagram with the
// address it was sent to, in the order the presenter sent them. Plain sockets, so that the
// presenter's event loop is never woken by the listener.
class ChildrenListener
{
public:
    ChildrenListener() = default;
    ~ChildrenListener()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    ChildrenListener(const ChildrenListener&) = delete;
    ChildrenListener& operator=(const ChildrenListener&) = delete;

    // Binds a free port within the presenter's 16-bit signed range; 0 when none was found.
    std::uint16_t bindFreePort()
    {
        for (int attempt = 0; attempt < 50; ++attempt) {
            const auto port = std::uint16_t(QRandomGenerator::global()->bounded(20000, 32000));
            if (bind(port))
                return port;
        }
        return 0;
    }

    bool bind(std::uint16_t port)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
        const int on = 1;
        ::setsockopt(m_fd, IPPROTO_IP, IP_PKTINFO, &on, sizeof on);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_ANY);
        if (::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(m_fd);
            m_fd = -1;
            return false;
        }
        m_port = port;
        return true;
    }

    std::uint16_t port() const { return m_port; }

    // Every datagram received so far as "<address it was sent to> <payload bytes>".
    const QByteArrayList& received()
    {
        poll();
        return m_received;
    }
    // Only the payloads sent to one address.
    QByteArrayList receivedBy(const QByteArray& address)
    {
        QByteArrayList out;
        const QByteArray prefix = address + ' ';
        for (const QByteArray& entry : received()) {
            if (entry.startsWith(prefix))
                out.append(entry.mid(prefix.size()));
        }
        return out;
    }
    qsizetype count() { return received().size(); }
    void clear()
    {
        poll();
        m_received.clear();
    }

private:
    void poll()
    {
        while (m_fd >= 0) {
            char buffer[70000];
            char control[256];
            iovec part{buffer, sizeof buffer};
            msghdr message{};
            message.msg_iov = &part;
            message.msg_iovlen = 1;
            message.msg_control = control;
            message.msg_controllen = sizeof control;
            const ssize_t size = ::recvmsg(m_fd, &message, 0);
            if (size < 0)
                return;
            QByteArray to = "?";
            for (cmsghdr* header = CMSG_FIRSTHDR(&message); header; header = CMSG_NXTHDR(&message, header)) {
                if (header->cmsg_level == IPPROTO_IP && header->cmsg_type == IP_PKTINFO) {
                    const auto* info = reinterpret_cast<const in_pktinfo*>(CMSG_DATA(header));
                    char text[INET_ADDRSTRLEN] = {};
                    ::inet_ntop(AF_INET, &info->ipi_addr, text, sizeof text);
                    to = text;
                }
            }
            m_received.append(to + ' ' + QByteArray(buffer, size));
        }
    }

    int m_fd = -1;
    std::uint16_t m_port = 0;
    QByteArrayList m_received;
};

// Sends one datagram from a plain socket, as a child's call would come.
inline bool sendDatagram(const char* toAddress, std::uint16_t port, const QByteArray& payload)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    ::inet_pton(AF_INET, toAddress, &address.sin_addr);
    const ssize_t sent = ::sendto(fd, payload.constData(), size_t(payload.size()), 0,
                                  reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::close(fd);
    return sent == payload.size();
}

// A UDP port within 20000..31999 that nothing holds at the moment.
inline std::uint16_t freeMasterPort()
{
    ChildrenListener probe;
    return probe.bindFreePort();
}

} // namespace qh::test
