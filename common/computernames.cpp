#include "common/computernames.h"

#include <QUrl>

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace qh {

namespace {

// What the name service said, in plain values: the lookup runs on a thread without Qt, which
// may still be running when the program ends.
struct LookupAnswer {
    int error = EAI_NONAME;
    std::vector<std::uint32_t> ipv4; // host byte order, in the service's order, each once
    bool anyAddress = false;
};

LookupAnswer askNameService(const QByteArray& asciiName)
{
    addrinfo hints{}; // addresses of every family, as QHostInfo asks for them
    hints.ai_flags = AI_ADDRCONFIG;
    addrinfo* found = nullptr;
    LookupAnswer answer;
    answer.error = ::getaddrinfo(asciiName.constData(), nullptr, &hints, &found);
    if (answer.error == EAI_BADFLAGS) { // as QHostInfo does: once more without AI_ADDRCONFIG
        hints.ai_flags = 0;
        answer.error = ::getaddrinfo(asciiName.constData(), nullptr, &hints, &found);
    }
    if (answer.error != 0)
        return answer;
    for (const addrinfo* node = found; node; node = node->ai_next) {
        answer.anyAddress = true;
        if (node->ai_family != AF_INET)
            continue;
        const std::uint32_t ipv4 = ntohl(reinterpret_cast<const sockaddr_in*>(node->ai_addr)->sin_addr.s_addr);
        if (std::find(answer.ipv4.begin(), answer.ipv4.end(), ipv4) == answer.ipv4.end())
            answer.ipv4.push_back(ipv4);
    }
    ::freeaddrinfo(found);
    return answer;
}

bool isDestination(const QHostAddress& address)
{
    return address.protocol() == QAbstractSocket::IPv4Protocol && address != QHostAddress(QHostAddress::AnyIPv4);
}

ComputerAddress fromDestination(const QHostAddress& address)
{
    if (!isDestination(address))
        return {ComputerAddress::Outcome::Unusable, {}, {}};
    return {ComputerAddress::Outcome::Found, address, {address}};
}

ComputerAddress fromAnswer(const LookupAnswer& answer)
{
    if (!answer.ipv4.empty()) {
        ComputerAddress found = fromDestination(QHostAddress(answer.ipv4.front()));
        for (std::size_t i = 1; found.isFound() && i < answer.ipv4.size(); ++i) {
            if (const QHostAddress other(answer.ipv4[i]); isDestination(other))
                found.addresses.append(other);
        }
        return found;
    }
    if (answer.error == 0 && answer.anyAddress)
        return {ComputerAddress::Outcome::NoIPv4, {}, {}};
    return {ComputerAddress::Outcome::NotFound, {}, {}};
}

} // namespace

QHostAddress plainIpv4(const QHostAddress& address)
{
    bool isIpv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIpv4);
    return isIpv4 ? QHostAddress(ipv4) : address;
}

QString unfoundReason(ComputerAddress::Outcome outcome)
{
    using namespace Qt::StringLiterals;
    switch (outcome) {
    case ComputerAddress::Outcome::NoName:
        return u"the name is empty"_s;
    case ComputerAddress::Outcome::NoIPv4:
        return u"the name has no IPv4 address"_s;
    case ComputerAddress::Outcome::Unusable:
        return u"the name gives no address a datagram can go to"_s;
    case ComputerAddress::Outcome::NotFound:
    case ComputerAddress::Outcome::Found:
        break;
    }
    return u"the name was not found"_s;
}

std::optional<ComputerAddress> addressWithoutLookup(const QString& name)
{
    if (name.isEmpty())
        return ComputerAddress{};
    QHostAddress literal;
    if (literal.setAddress(name))
        return fromDestination(literal);
    // A name with no ASCII form (a blank, a character a host name cannot hold) is no host name.
    if (QUrl::toAce(name).isEmpty())
        return ComputerAddress{ComputerAddress::Outcome::NotFound, {}, {}};
    return std::nullopt;
}

ComputerAddress lookUpComputerName(const QString& name)
{
    if (const std::optional<ComputerAddress> known = addressWithoutLookup(name))
        return *known;
    return fromAnswer(askNameService(QUrl::toAce(name)));
}

// Shared between the object and its lookup threads; a thread that answers after the object has
// gone finds no receiver.
struct ComputerNameLookup::Shared {
    std::mutex mutex;
    ComputerNameLookup* receiver = nullptr;
};

ComputerNameLookup::ComputerNameLookup(QObject* parent) : QObject(parent), m_shared(std::make_shared<Shared>())
{
    m_shared->receiver = this;
}

ComputerNameLookup::~ComputerNameLookup()
{
    const std::lock_guard lock(m_shared->mutex);
    m_shared->receiver = nullptr;
    // An answer already posted to this object is discarded with it.
}

void ComputerNameLookup::start(const QStringList& names)
{
    QStringList distinct = names;
    distinct.removeDuplicates();
    for (const QString& name : std::as_const(distinct)) {
        ++m_pending;
        if (const std::optional<ComputerAddress> known = addressWithoutLookup(name)) {
            QMetaObject::invokeMethod(
                this, [this, name, address = *known] { deliver(name, address); }, Qt::QueuedConnection);
            continue;
        }
        const QByteArray asciiName = QUrl::toAce(name);
        const auto lookUp = [shared = m_shared, name, asciiName] {
            const LookupAnswer answer = askNameService(asciiName);
            const std::lock_guard lock(shared->mutex);
            if (ComputerNameLookup* receiver = shared->receiver) {
                QMetaObject::invokeMethod(
                    receiver, [receiver, name, answer] { receiver->deliver(name, fromAnswer(answer)); },
                    Qt::QueuedConnection);
            }
        };
        try {
            // Detached: a lookup the name service keeps waiting must hold up neither a closing
            // window nor the end of the program.
            std::thread(lookUp).detach();
        } catch (const std::system_error&) {
            lookUp(); // no thread to be had: look it up here, one after another
        }
    }
}

void ComputerNameLookup::deliver(const QString& name, const ComputerAddress& address)
{
    --m_pending;
    emit answered(name, address);
}

} // namespace qh
