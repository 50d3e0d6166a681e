#include "tests/support/loopbackpresenter.h"

#include "common/datagrams.h"
#include "common/messages.h"
#include "common/messagetexts.h"
#include "master/presentermessages.h"

namespace qh::test {

void LoopbackPresenter::sendToChild(int slot, const QStringList& texts)
{
    const QString& name = childSlots.at(slot).computerName;
    QHostAddress address = hosts.value(name);
    if (address.isNull())
        address = QHostAddress(name);
    for (const QString& text : texts) {
        ++sendCount;
        if (address.isNull())
            showMessage(master::computerNotFoundText(name), kOwnMessageTitle);
        else
            m_socket.writeDatagram(datagramBytes(text), address, childPort);
    }
}

} // namespace qh::test
