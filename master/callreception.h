#pragma once

#include <QByteArray>
#include <QObject>

#include <memory>

namespace qh::master {

class Form3;

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
    void Winsock1_DataArrival(const QByteArray& datagram);

    // Calls listed since the call window was last closed (see nextCallCount() beyond 32 767).
    qint16 CallCount() const { return m_CallCount; }

    // The call window, or nullptr while there is none (before the first call, after a close).
    Form3* form() const { return m_form.get(); }

private:
    void Form3_Unload();

    qint16 m_CallCount = 0;
    std::unique_ptr<Form3> m_form;
};

} // namespace qh::master
