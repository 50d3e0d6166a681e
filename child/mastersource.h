#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTimer>

#include <utility>

class QHostInfo;

namespace qh::child {

// Lets through only the datagrams that come from the master computer, so that a classmate cannot
// push pages or hide screens; when told to, it lets every datagram through.
//
// The master is known by the addresses its name had at start. A master whose address changed
// since (a new lease from DHCP) would be shut out for the rest of the day, so a datagram from an
// unknown sender starts a lookup of the name in the background, at most one every 30 seconds. The
// datagrams of unknown senders wait until that lookup has answered (the newest 64 of them): those
// that came from the master's new address are then let through in their order, the others dropped.
class MasterSource : public QObject
{
    Q_OBJECT
public:
    MasterSource(const QString& masterName, const QList<QHostAddress>& addresses, bool acceptAnySource,
                 QObject* parent = nullptr);
    ~MasterSource() override;

    void offer(const QByteArray& datagram, const QHostAddress& sender);

    // Where calls go: the master's first known address.
    QHostAddress masterAddress() const;

    // Looks the name up again in the background when the last lookup is 30 seconds old: before a
    // call, so that calls follow a master that moved even when every sender is let through.
    void refreshIfDue();

signals:
    void accepted(const QByteArray& datagram);
    void dropped(const QHostAddress& sender);

private:
    bool isMaster(const QHostAddress& sender) const;
    void startLookup();
    void lookedUp(const QHostInfo& info);

    const QString m_masterName;
    QList<QHostAddress> m_addresses;
    const bool m_acceptAnySource;
    const bool m_nameIsAddress;
    QList<std::pair<QByteArray, QHostAddress>> m_waiting; // from unknown senders, oldest first
    QElapsedTimer m_sinceLookup;                          // invalid until the first lookup
    QTimer m_dueLookup;
    int m_lookupId = -1;
};

} // namespace qh::child
