#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QList>

#include <cstdint>

namespace qh::test {

// One datagram as a child computer received it.
struct Arrival {
    QByteArray to;         // the address it was sent to, "127.0.0.2"
    QByteArray payload;    // its bytes
    std::int64_t atNs = 0; // the kernel's time of arrival (CLOCK_REALTIME)
};

// One real UDP socket on the child port of every loopback address (127.0.0.2, 127.0.0.3, ... all
// are loopback), standing for all the children at once. A plain socket, so that the presenter's
// event loop is never woken by it.
class LoopbackChildren
{
public:
    LoopbackChildren() = default;
    ~LoopbackChildren();
    LoopbackChildren(const LoopbackChildren&) = delete;
    LoopbackChildren& operator=(const LoopbackChildren&) = delete;

    // Binds a free port within the presenter's 16-bit signed range; 0 when none was found.
    std::uint16_t bindFreePort();
    // On every address, or on one: a child computer of its own beside the child programs.
    bool bind(std::uint16_t port, const char* address = nullptr);
    std::uint16_t port() const { return m_port; }

    // Everything that has arrived since the last call, in arrival order.
    QList<Arrival> take();

    // Sends one datagram from this socket's port and the given loopback address, as the teacher's
    // presenter sends from its master port.
    bool sendFrom(const char* fromAddress, const char* toAddress, std::uint16_t port, const QByteArray& payload);

private:
    int m_fd = -1;
    std::uint16_t m_port = 0;
};

// The children's listener for tests: keeps every datagram as "<address it was sent to> <payload>".
class ChildrenListener : public LoopbackChildren
{
public:
    const QByteArrayList& received();
    // Only the payloads sent to one address.
    QByteArrayList receivedBy(const QByteArray& address);
    qsizetype count() { return received().size(); }
    void clear();

private:
    QByteArrayList m_received;
};

// Sends one datagram from a plain socket, as a child's call would come.
bool sendDatagram(const char* toAddress, std::uint16_t port, const QByteArray& payload);
// The same from a socket bound to the given loopback address (and port, unless 0), as another
// computer would send it.
bool sendDatagramFrom(const char* fromAddress, const char* toAddress, std::uint16_t port, const QByteArray& payload,
                      std::uint16_t fromPort = 0);

// A UDP port within 20000..31999 that nothing holds at the moment.
std::uint16_t freeUdpPort();

} // namespace qh::test
