#pragma once

#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// Computer names as the destinations of the children's datagrams: an IPv4 address in text form
// stands for itself, any other name is asked of the system's name service (getaddrinfo, with
// QHostInfo's rules: the name in its ASCII form, the first IPv4 address it gives). All programs
// use these rules: the presenter to send, the settings tool to check the names before a lesson,
// the child to find the teacher's computer and to know its datagrams.
namespace qh {

// Where a computer name sends datagrams, or why it sends them nowhere.
struct ComputerAddress {
    enum class Outcome {
        Found,    // address is the IPv4 destination
        NoName,   // the name is empty
        NotFound, // the name service does not know the name, or it cannot be a host name
        NoIPv4,   // the name has addresses, none of them IPv4
        Unusable, // the name is, or gives, an address no datagram can go to (0.0.0.0, IPv6)
    };
    Outcome outcome = Outcome::NoName;
    QHostAddress address; // null unless Found
    // Unless Found, empty; else address first, then the name's other usable IPv4 addresses (a
    // computer with two network cards may send from either).
    QList<QHostAddress> addresses;

    bool isFound() const { return outcome == Outcome::Found; }
};

// The address as a plain IPv4 address when it is one mapped into IPv6 (as a socket that listens on
// both reports an IPv4 sender), else unchanged: the form in which ComputerAddress holds them.
QHostAddress plainIpv4(const QHostAddress& address);

// Why a name sends datagrams nowhere, for the logs: "the name was not found" and the like.
QString unfoundReason(ComputerAddress::Outcome outcome);

// The answer for a name that needs no name service: the empty name and addresses in text form.
// Empty when the name must be looked up.
std::optional<ComputerAddress> addressWithoutLookup(const QString& name);

// The answer for any name, looked up on this thread when needed: blocks until the name service
// answers.
ComputerAddress lookUpComputerName(const QString& name);

// Looks names up at the same time, each on a thread of its own, so that thirty slow names take
// about as long as the slowest of them. QHostInfo::lookupHost would run at most 20 at once and
// answer a name again from its cache for a minute; here every start() asks the name service anew.
// The answers arrive as signals in this object's thread. When the object is destroyed, lookups
// still running are abandoned: their threads end on their own and their answers are dropped.
class ComputerNameLookup : public QObject
{
    Q_OBJECT
public:
    explicit ComputerNameLookup(QObject* parent = nullptr);
    ~ComputerNameLookup() override;

    // Starts looking up each distinct name of the list; answered() follows once for each of them.
    void start(const QStringList& names);
    // Names started and not yet answered.
    int pending() const { return m_pending; }

signals:
    void answered(const QString& name, const qh::ComputerAddress& address);

private:
    struct Shared;
    void deliver(const QString& name, const ComputerAddress& address);

    std::shared_ptr<Shared> m_shared;
    int m_pending = 0;
};

} // namespace qh
