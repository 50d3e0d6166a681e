#include "tests/support/loopbackpresenter.h"

#include "common/datagrams.h"
#include "common/messages.h"
#include "common/messagetexts.h"
#include "master/presentermessages.h"

namespace qh::test {

void LoopbackPresenter::sendChildCommand(int slot, const QString& verb)
{
    send(slot, commandText(verb));
}

void LoopbackPresenter::sendPageToChild(int slot, const QString& address)
{
    send(slot, address);
}

void LoopbackPresenter::send(int slot, const QString& text)
{
    ++sendCount;
    const QString& name = childSlots.at(slot).computerName;
    QHostAddress address = hosts.value(name);
    if (address.isNull())
        address = QHostAddress(name);
    if (address.isNull()) {
        showMessage(master::computerNotFoundText(name), kOwnMessageTitle);
        return;
    }
    m_socket.writeDatagram(datagramBytes(text), address, childPort);
}

} // namespace qh::test
