#pragma once

#include "common/computernames.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTimer>

#include <chrono>

namespace qh::child {

// Lookups of the master's name are at least this far apart: while the name is not found, one
// every such interval; later, when a datagram comes from an unknown sender or something is to be
// sent.
inline constexpr std::chrono::milliseconds kMasterLookupInterval{5000};

// Knows where the master computer is, and lets through only the datagrams that come from it, from
// the master port (our presenter sends from the port it listens on), so that a classmate cannot
// push pages or hide screens, nor another program on the teacher's computer; when told to, it
// lets every datagram through.
//
// A master given as an address is known from the start and never moves. A name is looked up in
// the background (the program starts without waiting for the name service) and again every
// kMasterLookupInterval until it is found. A master whose address changed since (a new lease from
// DHCP) would be shut out for the rest of the day, so a datagram from an unknown sender starts a
// lookup of the name, as does something to be sent. The datagrams of unknown senders are dropped,
// also those that turn out to have come from the master's new address: once the lookup has found
// it there, the child says Hello at the new address and the presenter brings it up to date.
class MasterSource : public QObject
{
    Q_OBJECT
public:
    MasterSource(const QString& masterName, quint16 masterPort, bool acceptAnySource, QObject* parent = nullptr);

    // Announces a master given as an address, or starts looking the name up.
    void start();

    void offer(const QByteArray& datagram, const QHostAddress& sender, quint16 senderPort);

    // Where datagrams for the master go: the first address its name gave; null until it is found.
    QHostAddress masterAddress() const { return m_addresses.value(0); }

    // Looks the name up again in the background when the last lookup is kMasterLookupInterval old:
    // before a send, so that sends follow a master that moved even when every sender is let through.
    void refreshIfDue();

signals:
    void accepted(const QByteArray& datagram);
    void dropped(const QHostAddress& sender);
    // The master is known at this address: the first time, or at another one than before.
    void found(const QHostAddress& address);
    // The name was not found, or gave no address a datagram can go to.
    void lookupFailed(const qh::ComputerAddress& answer);

private:
    bool isMaster(const QHostAddress& sender) const;
    void lookUpWhenDue();
    void startLookup();
    void lookedUp(const QString& name, const qh::ComputerAddress& answer);

    const QString m_masterName;
    const quint16 m_masterPort;
    const bool m_acceptAnySource;
    const bool m_nameIsAddress;
    QList<QHostAddress> m_addresses; // the master's IPv4 addresses; empty while not found
    ComputerNameLookup m_lookup;
    QElapsedTimer m_sinceLookup; // invalid until the first lookup
    QTimer m_dueLookup;
};

} // namespace qh::child
