#include "child/mastersource.h"

#include <algorithm>

namespace qh::child {

MasterSource::MasterSource(const QString& masterName, quint16 masterPort, bool acceptAnySource, QObject* parent)
    : QObject(parent), m_masterName(masterName), m_masterPort(masterPort), m_acceptAnySource(acceptAnySource),
      m_nameIsAddress(addressWithoutLookup(masterName).has_value())
{
    if (const std::optional<ComputerAddress> known = addressWithoutLookup(masterName))
        m_addresses = known->addresses;
    m_dueLookup.setSingleShot(true);
    connect(&m_dueLookup, &QTimer::timeout, this, &MasterSource::startLookup);
    connect(&m_lookup, &ComputerNameLookup::answered, this, &MasterSource::lookedUp);
}

void MasterSource::start()
{
    if (!m_nameIsAddress)
        startLookup();
    else if (!m_addresses.isEmpty())
        emit found(masterAddress());
}

bool MasterSource::isMaster(const QHostAddress& sender) const
{
    return m_addresses.contains(plainIpv4(sender));
}

void MasterSource::offer(const QByteArray& datagram, const QHostAddress& sender, quint16 senderPort)
{
    if (m_acceptAnySource || (isMaster(sender) && senderPort == m_masterPort)) {
        emit accepted(datagram);
        return;
    }
    emit dropped(sender);
    // A known sender from another port is another program on the teacher's computer; an address
    // does not move.
    if (!m_nameIsAddress && !isMaster(sender))
        lookUpWhenDue();
}

void MasterSource::refreshIfDue()
{
    if (m_nameIsAddress || m_lookup.pending() > 0 || m_dueLookup.isActive())
        return;
    if (!m_sinceLookup.isValid() || m_sinceLookup.elapsed() >= kMasterLookupInterval.count())
        startLookup();
}

void MasterSource::lookUpWhenDue()
{
    if (m_lookup.pending() > 0 || m_dueLookup.isActive())
        return;
    const qint64 sinceLookup = m_sinceLookup.isValid() ? m_sinceLookup.elapsed() : kMasterLookupInterval.count();
    m_dueLookup.start(
        int(std::clamp<qint64>(kMasterLookupInterval.count() - sinceLookup, 0, kMasterLookupInterval.count())));
}

void MasterSource::startLookup()
{
    m_sinceLookup.start();
    m_lookup.start({m_masterName});
}

void MasterSource::lookedUp(const QString& name, const ComputerAddress& answer)
{
    if (name != m_masterName)
        return;
    if (answer.isFound()) {
        const QHostAddress before = masterAddress();
        m_addresses = answer.addresses;
        // A name service that gives the addresses in turns has not moved the master.
        if (const qsizetype kept = m_addresses.indexOf(before); kept > 0)
            m_addresses.move(kept, 0);
        if (masterAddress() != before)
            emit found(masterAddress());
    } else {
        // A name service that does not answer now does not make a master found before unknown.
        emit lookupFailed(answer);
    }
    if (m_addresses.isEmpty())
        lookUpWhenDue(); // looked for until it is found
}

} // namespace qh::child
