#include "master/childchannel.h"

#include "common/settingsfile.h"

#include <QVariant>

#ifdef Q_OS_UNIX
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

using namespace Qt::StringLiterals;

namespace qh::master {

// The children's addresses come from the presenter, which looks up the names of each step together
// (common/computernames.h); send() takes them as they are.

ChildChannel::ChildChannel(QObject* parent) : QObject(parent), m_socket(this), m_reader(m_socket)
{
    m_socket.setObjectName(u"Winsock1"_s);
    connect(&m_reader, &DatagramReader::datagramRead, this, &ChildChannel::datagramRead);
}

bool ChildChannel::bind(std::int16_t port)
{
    if (!isUsablePort(port))
        return false;
    // For this program alone: another program of any user bound beside it on the same port could
    // send as the teacher's presenter (our children take the teacher's datagrams from this port only)
    // or read the children's calls.
    if (!m_socket.bind(QHostAddress::AnyIPv4, quint16(port), QAbstractSocket::DontShareAddress))
        return false;
    askForLargeReceiveBuffer(m_socket);
    return true;
}

bool ChildChannel::isUsableDestination(const QHostAddress& destination)
{
    return !destination.isNull() && destination.protocol() == QAbstractSocket::IPv4Protocol &&
           destination != QHostAddress(QHostAddress::AnyIPv4);
}

ChildChannel::SendResult ChildChannel::send(const QHostAddress& destination, std::int16_t childPort,
                                            const QByteArray& datagram)
{
    if (!isUsableDestination(destination))
        return SendResult::NameNotFound;
    if (!isUsablePort(childPort))
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

} // namespace qh::master
