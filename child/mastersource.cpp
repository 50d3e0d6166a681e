#include "child/mastersource.h"

#include <QHostInfo>

#include <algorithm>

namespace qh::child {

namespace {
constexpr int kLookupIntervalMs = 30000;
constexpr qsizetype kMaxWaiting = 64;

QHostAddress plainIpv4(const QHostAddress& address)
{
    bool isIpv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIpv4); // also an IPv4 address mapped into IPv6
    return isIpv4 ? QHostAddress(ipv4) : address;
}
} // namespace

MasterSource::MasterSource(const QString& masterName, const QList<QHostAddress>& addresses, bool acceptAnySource,
                           QObject* parent)
    : QObject(parent), m_masterName(masterName), m_addresses(addresses), m_acceptAnySource(acceptAnySource),
      m_nameIsAddress(!QHostAddress(masterName).isNull())
{
    m_dueLookup.setSingleShot(true);
    connect(&m_dueLookup, &QTimer::timeout, this, &MasterSource::startLookup);
}

MasterSource::~MasterSource()
{
    if (m_lookupId >= 0)
        QHostInfo::abortHostLookup(m_lookupId);
}

QHostAddress MasterSource::masterAddress() const
{
    return m_addresses.value(0);
}

bool MasterSource::isMaster(const QHostAddress& sender) const
{
    return m_addresses.contains(plainIpv4(sender));
}

void MasterSource::offer(const QByteArray& datagram, const QHostAddress& sender)
{
    if (m_acceptAnySource || isMaster(sender)) {
        emit accepted(datagram);
        return;
    }
    if (m_nameIsAddress) {
        emit dropped(sender); // an address does not move
        return;
    }
    m_waiting.append({datagram, sender});
    if (m_waiting.size() > kMaxWaiting)
        emit dropped(m_waiting.takeFirst().second);
    if (m_lookupId >= 0 || m_dueLookup.isActive())
        return;
    const qint64 sinceLookup = m_sinceLookup.isValid() ? m_sinceLookup.elapsed() : kLookupIntervalMs;
    m_dueLookup.start(int(std::max<qint64>(0, kLookupIntervalMs - sinceLookup)));
}

void MasterSource::refreshIfDue()
{
    if (m_nameIsAddress || m_lookupId >= 0 || m_dueLookup.isActive())
        return;
    if (!m_sinceLookup.isValid() || m_sinceLookup.elapsed() >= kLookupIntervalMs)
        startLookup();
}

void MasterSource::startLookup()
{
    m_sinceLookup.start();
    m_lookupId = QHostInfo::lookupHost(m_masterName, this, &MasterSource::lookedUp);
}

void MasterSource::lookedUp(const QHostInfo& info)
{
    m_lookupId = -1;
    QList<QHostAddress> found;
    for (const QHostAddress& address : info.addresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !found.contains(address))
            found.append(address);
    }
    // A name service that does not answer now does not make the master unknown.
    if (!found.isEmpty())
        m_addresses = found;
    const QList<std::pair<QByteArray, QHostAddress>> waiting = std::exchange(m_waiting, {});
    for (const auto& [datagram, sender] : waiting) {
        if (isMaster(sender))
            emit accepted(datagram);
        else
            emit dropped(sender);
    }
}

} // namespace qh::child
