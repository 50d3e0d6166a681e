#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QNetworkDatagram>
#include <QObject>
#include <QUdpSocket>

#include <functional>

namespace qh::test {

// A socket bound on loopback that hands every datagram it reads, in arrival order, to a handler,
// the way the presenter's socket hands datagrams to its arrival handler. Failed reads are skipped.
class DatagramFeeder : public QObject
{
public:
    explicit DatagramFeeder(std::function<void(const QByteArray&)> handler,
                            const QHostAddress& address = QHostAddress::LocalHost, quint16 port = 0)
        : m_handler(std::move(handler))
    {
        m_bound = m_socket.bind(address, port);
        connect(&m_socket, &QUdpSocket::readyRead, this, [this] {
            while (m_socket.hasPendingDatagrams()) {
                const QNetworkDatagram datagram = m_socket.receiveDatagram();
                if (datagram.isValid())
                    m_handler(datagram.data());
            }
        });
    }

    bool isBound() const { return m_bound; }
    quint16 port() const { return m_socket.localPort(); }
    QHostAddress address() const { return m_socket.localAddress(); }

private:
    std::function<void(const QByteArray&)> m_handler;
    QUdpSocket m_socket;
    bool m_bound = false;
};

// A listener that keeps every datagram it receives: a child computer, for the tests.
class DatagramRecorder : public DatagramFeeder
{
public:
    explicit DatagramRecorder(const QHostAddress& address = QHostAddress::LocalHost, quint16 port = 0)
        : DatagramFeeder([this](const QByteArray& datagram) { received.append(datagram); }, address, port)
    {}
    QList<QByteArray> received;
};

// Sends datagrams from its own socket; datagrams from one socket to one listener on loopback keep
// their order, which lets a test send a marker after a datagram and wait for the marker.
class DatagramSender
{
public:
    bool send(const QByteArray& datagram, const QHostAddress& address, quint16 port)
    {
        return m_socket.writeDatagram(datagram, address, port) == datagram.size();
    }

private:
    QUdpSocket m_socket;
};

} // namespace qh::test
