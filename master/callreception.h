#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <memory>

namespace qh::master {

class CallWindow;

// The presenter's side of the children's calls: checks each datagram that arrives on the master
// port, counts the calls and lists the newest of them (kCallListLimit) in the call window, which
// comes up on a call, at most once in kCallWindowIntervalMs: a flood of calls costs neither memory
// nor the teacher's windows.
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
    void bringUpWindow();

    qint16 m_callCount = 0;
    std::unique_ptr<CallWindow> m_window;
    QElapsedTimer m_sinceBroughtUp; // invalid until the window first came up
    QTimer m_bringUpLater;          // a call came too soon after the last: the window comes up then
};

} // namespace qh::master
