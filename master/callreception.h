#pragma once

#include <QByteArray>
#include <QObject>

#include <memory>

namespace qh::master {

class CallWindow;

// The presenter's side of the children's calls: checks each datagram that arrives on the master
// port, counts the calls and lists them in the call window, which comes up on every call.
//
// The presenter's socket hands over one datagram at a time, in arrival order, and only when it
// yields to its events; datagrams whose read failed are never handed over.
class CallReception : public QObject
{
    Q_OBJECT
public:
    explicit CallReception(QObject* parent = nullptr);
    ~CallReception() override;

    // One datagram read from the master port. A call is counted, listed and shows the window; any
    // other datagram is ignored without a trace.
    void handleDatagram(const QByteArray& datagram);

    // Calls listed since the call window was last closed (see nextCallCount() beyond 32 767).
    qint16 callCount() const { return m_callCount; }

    // The call window, or nullptr while there is none (before the first call, after a close).
    CallWindow* window() const { return m_window.get(); }

private:
    void windowClosed();

    qint16 m_callCount = 0;
    std::unique_ptr<CallWindow> m_window;
};

} // namespace qh::master
