#pragma once

#include "cp932text.h"
#include "messagebox.h"
#include "presenterservices.h"
#include "settingsfile.h"

#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QUdpSocket>

#include <array>

namespace qh::test {

// The presenter as the panel sees it, sending real datagrams: "Command:" + verb, or a bare
// address, as code page 932 bytes to the slot's computer at the child port. Computer names are
// looked up in a table of its own (a name that is an address stands for itself), so no test
// depends on the machine's name service; a name it cannot find shows the presenter's message.
class LoopbackPresenter : public master::PresenterServices
{
public:
    std::array<ChildSlot, kSlotCount> childSlots;
    QString screenSizeText;
    quint16 childPort = 0;
    QHash<QString, QHostAddress> hosts;
    QString location = QStringLiteral("http://example.com/page2.html");
    QList<bool> fullScreenSettings; // every value given to setBrowserFullScreen, in order
    int sendCount = 0;              // every send asked for, whether it went out or not

    ChildSlot& childSlot(int index) override { return childSlots.at(index); }
    QString screenSize() const override { return screenSizeText; }
    void SendChildCommand(int slot, const QString& verb) override { send(slot, QStringLiteral("Command:") + verb); }
    void SendPageToChild(int slot, const QString& address) override { send(slot, address); }
    QString browserLocation() override { return location; }
    void setBrowserFullScreen(bool fullScreen) override { fullScreenSettings.append(fullScreen); }

    // A datagram from the same socket, for a test to wait for: it arrives after everything sent
    // to that child before it.
    bool sendMarker(int slot, const QByteArray& marker)
    {
        const QHostAddress address = addressOf(childSlots.at(slot).computerName);
        return !address.isNull() && m_socket.writeDatagram(marker, address, childPort) == marker.size();
    }

private:
    QHostAddress addressOf(const QString& name) const
    {
        const QHostAddress address = hosts.value(name);
        return address.isNull() ? QHostAddress(name) : address;
    }

    void send(int slot, const QString& text)
    {
        ++sendCount;
        const QString& name = childSlots.at(slot).computerName;
        const QHostAddress address = addressOf(name);
        if (address.isNull()) {
            showMessage(QStringLiteral("コンピュータ名") + name + QStringLiteral("がみつかりません"),
                        ownMessageTitle());
            return;
        }
        m_socket.writeDatagram(cp932::encode(text), address, childPort);
    }

    QUdpSocket m_socket;
};

} // namespace qh::test
