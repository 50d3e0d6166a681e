#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>

class QUdpSocket;

namespace qh {

// Asks the system for a receive buffer on the bound socket large enough for a burst (a class
// calling at once, a page list clicked through): Linux grants at most net.core.rmem_max, twice
// counted. Without it a burst of some 260 short datagrams fills the default buffer.
void askForLargeReceiveBuffer(QUdpSocket& socket);

// Reads every datagram that arrives on a bound UDP socket and hands each one over, in arrival
// order, on the user-interface thread. Both programs read their one socket through it.
//
// A flood is read a share at a time, so that the user's clicks and the browser get their turns
// between the shares, and the socket never goes deaf after a burst: see readPending(). While held,
// or while a message is on screen (MessageGate), datagrams wait in the socket and are read in
// order once the hold ends or the message has closed.
class DatagramReader : public QObject
{
    Q_OBJECT
public:
    // Reads from the socket, which must outlive the reader.
    explicit DatagramReader(QUdpSocket& socket, QObject* parent = nullptr);

    void setHeld(bool held);
    bool isHeld() const { return m_held; }

signals:
    // One datagram read from the socket, with the address and the port it came from.
    void datagramRead(const QByteArray& datagram, const QHostAddress& sender, quint16 senderPort);

private:
    void readPending();
    void resumeReading();

    QUdpSocket& m_socket;
    bool m_held = false;
    bool m_reading = false;
    bool m_deferred = false;
};

} // namespace qh
