#include "tests/support/loopback.h"

#include <QRandomGenerator>

#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qh::test {

LoopbackChildren::~LoopbackChildren()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::uint16_t LoopbackChildren::bindFreePort()
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        const auto port = std::uint16_t(QRandomGenerator::global()->bounded(20000, 32000));
        if (bind(port))
            return port;
    }
    return 0;
}

bool LoopbackChildren::bind(std::uint16_t port, const char* onAddress)
{
    if (m_fd >= 0)
        ::close(m_fd);
    // Not inherited by the programs a test starts, which would keep the port after it is closed here.
    m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(m_fd, IPPROTO_IP, IP_PKTINFO, &on, sizeof on);
    ::setsockopt(m_fd, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
    // Room for every datagram of a benchmark's run.
    const int buffer = 4 << 20;
    ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (onAddress)
        ::inet_pton(AF_INET, onAddress, &address.sin_addr);
    if (::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(m_fd);
        m_fd = -1;
        return false;
    }
    m_port = port;
    return true;
}

QList<Arrival> LoopbackChildren::take()
{
    QList<Arrival> out;
    while (m_fd >= 0) {
        char buffer[70000];
        char control[512];
        iovec part{buffer, sizeof buffer};
        msghdr message{};
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        const ssize_t size = ::recvmsg(m_fd, &message, 0);
        if (size < 0)
            break;
        Arrival arrival{"?", QByteArray(buffer, size), 0};
        for (cmsghdr* header = CMSG_FIRSTHDR(&message); header; header = CMSG_NXTHDR(&message, header)) {
            if (header->cmsg_level == IPPROTO_IP && header->cmsg_type == IP_PKTINFO) {
                char text[INET_ADDRSTRLEN] = {};
                ::inet_ntop(AF_INET, &reinterpret_cast<const in_pktinfo*>(CMSG_DATA(header))->ipi_addr, text,
                            sizeof text);
                arrival.to = text;
            } else if (header->cmsg_level == SOL_SOCKET && header->cmsg_type == SO_TIMESTAMPNS) {
                const auto* stamp = reinterpret_cast<const timespec*>(CMSG_DATA(header));
                arrival.atNs = std::int64_t(stamp->tv_sec) * 1000000000 + stamp->tv_nsec;
            }
        }
        out.append(arrival);
    }
    return out;
}

bool LoopbackChildren::sendFrom(const char* fromAddress, const char* toAddress, std::uint16_t port,
                                const QByteArray& payload)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    ::inet_pton(AF_INET, toAddress, &address.sin_addr);
    // The socket listens on every address; the datagram leaves from the one given.
    char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    iovec part{const_cast<char*>(payload.constData()), size_t(payload.size())};
    msghdr message{};
    message.msg_name = &address;
    message.msg_namelen = sizeof address;
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = IPPROTO_IP;
    header->cmsg_type = IP_PKTINFO;
    header->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    in_pktinfo info{};
    ::inet_pton(AF_INET, fromAddress, &info.ipi_spec_dst);
    std::memcpy(CMSG_DATA(header), &info, sizeof info);
    return m_fd >= 0 && ::sendmsg(m_fd, &message, 0) == payload.size();
}

const QByteArrayList& ChildrenListener::received()
{
    for (const Arrival& arrival : take())
        m_received.append(arrival.to + ' ' + arrival.payload);
    return m_received;
}

QByteArrayList ChildrenListener::receivedBy(const QByteArray& address)
{
    QByteArrayList out;
    const QByteArray prefix = address + ' ';
    for (const QByteArray& entry : received()) {
        if (entry.startsWith(prefix))
            out.append(entry.mid(prefix.size()));
    }
    return out;
}

void ChildrenListener::clear()
{
    received();
    m_received.clear();
}

bool sendDatagram(const char* toAddress, std::uint16_t port, const QByteArray& payload)
{
    return sendDatagramFrom(nullptr, toAddress, port, payload);
}

bool sendDatagramFrom(const char* fromAddress, const char* toAddress, std::uint16_t port, const QByteArray& payload,
                      std::uint16_t fromPort)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fromAddress) {
        sockaddr_in source{};
        source.sin_family = AF_INET;
        source.sin_port = htons(fromPort);
        ::inet_pton(AF_INET, fromAddress, &source.sin_addr);
        if (::bind(fd, reinterpret_cast<sockaddr*>(&source), sizeof source) != 0) {
            ::close(fd);
            return false;
        }
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    ::inet_pton(AF_INET, toAddress, &address.sin_addr);
    const ssize_t sent = ::sendto(fd, payload.constData(), size_t(payload.size()), 0,
                                  reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::close(fd);
    return sent == payload.size();
}

std::uint16_t freeUdpPort()
{
    LoopbackChildren probe;
    return probe.bindFreePort();
}

} // namespace qh::test
