#include "child/childlink.h"

#include "common/datagrams.h"

namespace qh::child {

ChildLink::ChildLink(const ChildSettings& settings, QObject* parent)
    : QObject(parent), m_settings(settings), m_socket(this), m_reader(m_socket),
      m_source(settings.masterName, settings.masterAddresses, settings.acceptAnySource),
      m_pageRule(settings.localFolders)
{
    m_clock.start();
    connect(&m_reader, &DatagramReader::datagramRead, &m_source, &MasterSource::offer);
    connect(&m_source, &MasterSource::accepted, this,
            [this](const QByteArray& datagram) { emit actionReceived(childActionOf(datagram, m_pageRule)); });
    connect(&m_source, &MasterSource::dropped, this, &ChildLink::datagramDropped);
}

bool ChildLink::bind()
{
    return m_socket.bind(m_settings.bindAddress, m_settings.childPort, QAbstractSocket::DontShareAddress);
}

ChildLink::CallResult ChildLink::call()
{
    if (!m_gate.admit(std::chrono::milliseconds(m_clock.elapsed())))
        return CallResult::TooSoon;
    m_source.refreshIfDue();
    const QByteArray datagram = datagramBytes(callText(m_settings.number));
    const qint64 sent = m_socket.writeDatagram(datagram, m_source.masterAddress(), m_settings.masterPort);
    return sent == datagram.size() ? CallResult::Sent : CallResult::Failed;
}

} // namespace qh::child
