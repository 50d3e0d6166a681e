#include "common/datagramreader.h"

#include "common/datagrams.h"
#include "common/messagegate.h"

#include <QNetworkDatagram>
#include <QTimer>
#include <QUdpSocket>
#include <QVariant>

namespace qh {

namespace {
// A socket that keeps failing its reads must not hold the program in a loop.
constexpr int kMaxFailedReads = 16;
// Datagrams read in one turn before the user's clicks and the browser get theirs: a flood of
// datagrams must not freeze the program's windows.
constexpr int kMaxReadsPerTurn = 64;
constexpr int kReceiveBufferBytes = 4 * 1024 * 1024;
} // namespace

void askForLargeReceiveBuffer(QUdpSocket& socket)
{
    socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, QVariant(kReceiveBufferBytes));
}

DatagramReader::DatagramReader(QUdpSocket& socket, QObject* parent) : QObject(parent), m_socket(socket)
{
    connect(&m_socket, &QUdpSocket::readyRead, this, &DatagramReader::readPending);
    // Datagrams that arrived while a message box was open are read once it has closed, from the
    // event loop rather than from inside the closing box.
    connect(&MessageGate::instance(), &MessageGate::closed, this, &DatagramReader::resumeReading);
}

void DatagramReader::setHeld(bool held)
{
    m_held = held;
    if (!held)
        resumeReading();
}

void DatagramReader::resumeReading()
{
    if (m_deferred)
        QTimer::singleShot(0, this, &DatagramReader::readPending);
}

void DatagramReader::readPending()
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
        const QNetworkDatagram datagram = m_socket.receiveDatagram(size >= 0 ? size : kLargestDatagramBytes);
        if (!datagram.isValid()) {
            if (!m_socket.hasPendingDatagrams())
                break;
            ++failedReads; // read errors (an unreachable peer's port) are ignored
            continue;
        }
        failedReads = 0;
        ++reads;
        emit datagramRead(datagram.data(), datagram.senderAddress(), quint16(datagram.senderPort()));
    }
    // Datagrams still pending are announced again in the next turn of the event loop, since the
    // last read re-armed the announcement; the user's clicks and the browser get their turn first.
    m_reading = false;
}

} // namespace qh
