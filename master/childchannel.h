#pragma once

#include "common/datagramreader.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QUdpSocket>

#include <cstdint>

namespace qh::master {

// The presenter's one UDP socket (objectName Winsock1): bound to the master port, it sends every
// datagram to the children and receives their calls and reports. The socket is never connected; each send names its
// destination, the address its computer name gave for the step that sends (common/computernames.h).
class ChildChannel : public QObject
{
    Q_OBJECT
public:
    enum class SendResult {
        Sent,
        NameNotFound, // the name does not resolve or cannot be used as a destination
        Failed,       // any other send error; not reported to the user
    };

    explicit ChildChannel(QObject* parent = nullptr);

    // Binds to the master port on every local IPv4 address. False when the port is outside
    // 1..32767 or cannot be bound; sending still works then, from a port the system picks.
    bool bind(std::int16_t port);

    // Whether a datagram can go to the address: an IPv4 address of a computer, not null (a name
    // that gave no address) and not the any-address.
    static bool isUsableDestination(const QHostAddress& destination);

    // A null destination (the name gave no address) is NameNotFound, like an address no datagram
    // can go to.
    SendResult send(const QHostAddress& destination, std::int16_t childPort, const QByteArray& datagram);

    // While held (the presenter waits for a page load), arriving datagrams stay in the socket;
    // they are read, in order, once the hold ends. A message box on screen holds them the same way.
    void setReadingHeld(bool held) { m_reader.setHeld(held); }
    bool isReadingHeld() const { return m_reader.isHeld(); }

signals:
    // One datagram read from the socket, in arrival order, with the address it came from.
    void datagramRead(const QByteArray& datagram, const QHostAddress& sender);

private:
    bool writeTo(const QHostAddress& destination, quint16 port, const QByteArray& datagram);

    QUdpSocket m_socket;
    DatagramReader m_reader;
};

} // namespace qh::master
