#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace qh::bench {

inline std::int64_t nowNs()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return std::int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

inline double median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// One UDP socket on the child port of every loopback address, standing for all children; each
// datagram comes with the kernel's time of arrival.
class LoopbackChildren
{
public:
    struct Arrival {
        QByteArray to;
        QByteArray payload;
        std::int64_t atNs = 0;
    };

    ~LoopbackChildren()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    std::uint16_t bindFreePort()
    {
        for (int attempt = 0; attempt < 50; ++attempt) {
            const auto port = std::uint16_t(QRandomGenerator::global()->bounded(20000, 32000));
            m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
            const int on = 1;
            ::setsockopt(m_fd, IPPROTO_IP, IP_PKTINFO, &on, sizeof on);
            ::setsockopt(m_fd, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
            const int buffer = 4 << 20;
            ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_port = htons(port);
            if (::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
                return port;
            ::close(m_fd);
            m_fd = -1;
        }
        return 0;
    }

    // Everything that has arrived since the last call.
    QList<Arrival> take()
    {
        QList<Arrival> out;
        while (true) {
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
                return out;
            Arrival arrival;
            arrival.payload = QByteArray(buffer, size);
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
    }

private:
    int m_fd = -1;
};

// The configuration file of a presenter whose children are 127.0.0.2 .. 127.0.0.(1 + count).
inline QByteArray settingsFor(int childCount, int childPort, int masterPort)
{
    QByteArray text = "[ChildComp]\r\n";
    for (int slot = 1; slot <= 30; ++slot) {
        text += "ChildComp" + QByteArray::number(slot).rightJustified(2, '0') + '=';
        text += slot <= childCount ? "1127.0.0." + QByteArray::number(slot + 1) + ",WindowScreen\r\n" : " ,\r\n";
    }
    text += "RemotePortx=" + QByteArray::number(childPort) + "\r\nMyHostPortx=" + QByteArray::number(masterPort) +
            "\r\nScreenSizex=WindowScreen\r\n";
    return text;
}

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

inline std::uint16_t freePort()
{
    LoopbackChildren probe;
    return probe.bindFreePort();
}

} // namespace qh::bench
