#pragma once

#include "child/callgate.h"
#include "child/childaction.h"
#include "child/childsettings.h"
#include "child/mastersource.h"
#include "child/pagerule.h"
#include "common/datagramreader.h"

#include <QElapsedTimer>
#include <QObject>
#include <QUdpSocket>

namespace qh::child {

// The child's one UDP socket: bound to the child port, it receives the presenter's datagrams and
// sends the calls to the master port. Each datagram that the master sent is turned into what the
// child does with it; the rest are dropped.
class ChildLink : public QObject
{
    Q_OBJECT
public:
    enum class CallResult { Sent, TooSoon, Failed };

    explicit ChildLink(const ChildSettings& settings, QObject* parent = nullptr);

    // Binds the child port on the settings' address, for this program alone: a second program on
    // the same address and port would take datagrams meant for this one. False when it cannot.
    bool bind();

    // Sends this child's call to the master port, unless a call went out less than
    // kCallInterval ago.
    CallResult call();

signals:
    // A datagram from the master, in arrival order, turned into an action (also one that does
    // nothing, so that it can be traced).
    void actionReceived(const qh::child::ChildAction& action);
    void datagramDropped(const QHostAddress& sender);

private:
    const ChildSettings m_settings;
    QUdpSocket m_socket;
    DatagramReader m_reader;
    MasterSource m_source;
    PageRule m_pageRule;
    CallGate m_gate;
    QElapsedTimer m_clock;
};

} // namespace qh::child
