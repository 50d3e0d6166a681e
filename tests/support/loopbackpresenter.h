#pragma once

#include "common/settingsfile.h"
#include "master/presenterservices.h"

#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QUdpSocket>

#include <array>

namespace qh::test {

using namespace Qt::StringLiterals;

// The presenter as the control panel sees it, sending real datagrams: each text as code page 932
// bytes to the slot's computer at the child port. Computer names are
// looked up in a table of its own (a name that is an address stands for itself), so no test
// depends on the machine's name service; a name it cannot find shows the presenter's message.
class LoopbackPresenter : public master::PresenterServices
{
public:
    std::array<ChildSlot, kSlotCount> childSlots;
    QString screenModeText;
    quint16 childPort = 0;
    QHash<QString, QHostAddress> hosts;
    QString location = u"http://example.com/page2.html"_s;
    QList<bool> fullScreenSettings; // every value given to setBrowserFullScreen, in order
    int sendCount = 0;              // every text asked to be sent, whether it went out or not
    // What slotFollowing() reports.
    std::array<master::SlotFollowing, kSlotCount> followings;
    bool pointerOn = false;

    ChildSlot& childSlot(int index) override { return childSlots.at(index); }
    QString screenMode() const override { return screenModeText; }
    void sendToChild(int slot, const QStringList& texts) override;
    QString browserLocation() override { return location; }
    void setBrowserFullScreen(bool fullScreen) override { fullScreenSettings.append(fullScreen); }
    master::SlotFollowing slotFollowing(int index) const override { return followings.at(index); }
    bool isPointerOn() const override { return pointerOn; }
    void setPointerOn(bool on) override { pointerOn = on; }

private:
    QUdpSocket m_socket;
};

} // namespace qh::test
