#include "childchannel.h"

#include "messagebox.h"

#include <QHostInfo>
#include <QNetworkDatagram>
#include <QTimer>

namespace qh::master {

namespace {
// A socket that keeps failing its reads must not hold the presenter in a loop.
constexpr int kMaxFailedReads = 16;
} // namespace

QHostAddress resolveComputerName(const QString& computerName)
{
    if (computerName.isEmpty())
        return {};
    QHostAddress literal;
    if (literal.setAddress(computerName))
        return literal;
    const QHostInfo info = QHostInfo::fromName(computerName);
    if (info.error() != QHostInfo::NoError)
        return {};
    for (const QHostAddress& address : info.addresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol)
            return address;
    }
    return {};
}

ChildChannel::ChildChannel(QObject* parent) : QObject(parent), m_socket(this)
{
    m_socket.setObjectName(QStringLiteral("Winsock1"));
    connect(&m_socket, &QUdpSocket::readyRead, this, &ChildChannel::readPending);
    // Datagrams that arrived while a message box was open are read once it has closed, from the
    // event loop rather than from inside the closing box.
    connect(&MessageBoxNotifier::instance(), &MessageBoxNotifier::closed, this, &ChildChannel::resumeReading);
}

bool ChildChannel::Bind(std::int16_t port)
{
    if (port <= 0)
        return false;
    return m_socket.bind(QHostAddress::AnyIPv4, quint16(port));
}

ChildChannel::SendResult ChildChannel::send(const QString& computerName, std::int16_t childPort,
                                            const QByteArray& datagram)
{
    const QHostAddress destination = resolveComputerName(computerName);
    if (destination.isNull() || destination.protocol() != QAbstractSocket::IPv4Protocol ||
        destination == QHostAddress(QHostAddress::AnyIPv4))
        return SendResult::NameNotFound;
    if (childPort <= 0)
        return SendResult::Failed;
    const qint64 written = m_socket.writeDatagram(datagram, destination, quint16(childPort));
    return written == datagram.size() ? SendResult::Sent : SendResult::Failed;
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
    if (m_reading || m_held || messageBoxOpen()) {
        m_deferred = true;
        return;
    }
    m_deferred = false;
    m_reading = true;
    int failedReads = 0;
    while (m_socket.hasPendingDatagrams() && failedReads < kMaxFailedReads) {
        if (m_held || messageBoxOpen()) {
            m_deferred = true; // a handler opened a box: the rest waits until it closes
            break;
        }
        const QNetworkDatagram datagram = m_socket.receiveDatagram();
        if (!datagram.isValid()) {
            ++failedReads; // read errors (an unreachable child's port) are ignored
            continue;
        }
        failedReads = 0;
        emit datagramRead(datagram.data());
    }
    m_reading = false;
}

} // namespace qh::master
