#include "master/childchannel.h"

#include "common/messagegate.h"

#include <QHostInfo>
#include <QNetworkDatagram>
#include <QTimer>
#include <QVariant>

#ifdef Q_OS_UNIX
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

using namespace Qt::StringLiterals;
#endif

namespace qh::master {

namespace {
// A socket that keeps failing its reads must not hold the presenter in a loop.
constexpr int kMaxFailedReads = 16;
// Datagrams read in one turn before the user's clicks and the browser get theirs: a flood of
// datagrams must not freeze the presenter's windows.
constexpr int kMaxReadsPerTurn = 64;
// The largest payload an IPv4 UDP datagram can carry.
constexpr qint64 kLargestDatagram = 65507;
// The receive buffer asked of the system for the master port, so that a class calling at once
// loses nothing; the system may grant less (net.core.rmem_max).
constexpr int kReceiveBufferBytes = 4 * 1024 * 1024;
} // namespace

// The children's addresses come from the presenter, which looks up the names of each step together
// (common/computernames.h); send() takes them as they are.

ChildChannel::ChildChannel(QObject* parent) : QObject(parent), m_socket(this)
{
    m_socket.setObjectName(u"Winsock1"_s);
    connect(&m_socket, &QUdpSocket::readyRead, this, &ChildChannel::readPending);
    // Datagrams that arrived while a message box was open are read once it has closed, from the
    // event loop rather than from inside the closing box.
    connect(&MessageGate::instance(), &MessageGate::closed, this, &ChildChannel::resumeReading);
}

bool ChildChannel::bind(std::int16_t port)
{
    if (port <= 0)
        return false;
    if (!m_socket.bind(QHostAddress::AnyIPv4, quint16(port)))
        return false;
    m_socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, QVariant(kReceiveBufferBytes));
    return true;
}

ChildChannel::SendResult ChildChannel::send(const QHostAddress& destination, std::int16_t childPort,
                                            const QByteArray& datagram)
{
    if (destination.isNull() || destination.protocol() != QAbstractSocket::IPv4Protocol ||
        destination == QHostAddress(QHostAddress::AnyIPv4))
        return SendResult::NameNotFound;
    if (childPort <= 0)
        return SendResult::Failed;
    return writeTo(destination, quint16(childPort), datagram) ? SendResult::Sent : SendResult::Failed;
}

bool ChildChannel::writeTo(const QHostAddress& destination, quint16 port, const QByteArray& datagram)
{
#ifdef Q_OS_UNIX
    // A page goes to up to 30 children in a row, right after its load: the bound socket's own
    // sendto() takes about half the time of QUdpSocket's general path for each of them.
    const qintptr descriptor = m_socket.socketDescriptor();
    if (descriptor >= 0) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(destination.toIPv4Address());
        const ssize_t sent = ::sendto(int(descriptor), datagram.constData(), size_t(datagram.size()), 0,
                                      reinterpret_cast<const sockaddr*>(&address), sizeof address);
        return sent == datagram.size();
    }
#endif
    // Not bound (the master port was unusable): Qt binds a port of the system's choosing.
    return m_socket.writeDatagram(datagram, destination, port) == datagram.size();
}

void ChildChannel::setReadingHeld(bool held)
{
    m_held = held;
    if (!held)
        resumeReading();
}

void ChildChannel::resumeReading()
{
    if (m_deferred)
        QTimer::singleShot(0, this, &ChildChannel::readPending);
}

void ChildChannel::readPending()
{
    if (m_reading || m_held || MessageGate::isOpen()) {
        m_deferred = true;
        return;
    }
    m_deferred = false;
    m_reading = true;
    int reads = 0;
    int failedReads = 0;
    while (reads < kMaxReadsPerTurn && failedReads < kMaxFailedReads) {
        if (m_held || MessageGate::isOpen()) {
            m_deferred = true; // a handler opened a box: the rest waits until it closes
            break;
        }
        // QUdpSocket announces readyRead once and announces again only after a read has been
        // attempted. A notification can come after the datagrams it announced were already read
        // (by the previous turn), so a read is attempted even when nothing seems pending: it either
        // finds a datagram that has just arrived or re-arms the announcement. Without it the socket
        // would stay silent for the rest of the run.
        const qint64 size = m_socket.pendingDatagramSize();
        const QNetworkDatagram datagram = m_socket.receiveDatagram(size >= 0 ? size : kLargestDatagram);
        if (!datagram.isValid()) {
            if (!m_socket.hasPendingDatagrams())
                break;
            ++failedReads; // read errors (an unreachable child's port) are ignored
            continue;
        }
        failedReads = 0;
        ++reads;
        emit datagramRead(datagram.data());
    }
    // Datagrams still pending are announced again in the next turn of the event loop, since the
    // last read re-armed the announcement; the user's clicks and the browser get their turn first.
    m_reading = false;
}

} // namespace qh::master
