#include "master/extensionchannel.h"

#include "common/logcategories.h"
#include "master/childchannel.h"
#include "master/childreports.h"
#include "master/childsender.h"

using namespace Qt::StringLiterals;

namespace qh::master {

namespace {
// What waits for one slot's name: more would only be older requests and refreshes of the same.
constexpr qsizetype kMostPending = 4;
} // namespace

ExtensionChannel::ExtensionChannel(const PresenterSettings& settings, const ChildChannel& channel, ChildSender& sender,
                                   const ChildReports& reports, QObject* parent)
    : QObject(parent), m_settings(settings), m_channel(channel), m_sender(sender), m_reports(reports)
{
    connect(&m_lookup, &ComputerNameLookup::answered, this, &ExtensionChannel::nameAnswered);
}

bool ExtensionChannel::maySend(int slotIndex) const
{
    return m_settings.childSlots.at(std::size_t(slotIndex)).isInUse() && m_reports.hasSpoken(slotIndex);
}

void ExtensionChannel::send(const QList<int>& slotIndexes, const QByteArray& datagram, Timing timing)
{
    if (!m_open || (timing == Timing::NotWhileHeld && m_channel.isReadingHeld()))
        return;
    QList<ChildRecipient> ready;
    QStringList toLookUp;
    for (const int index : slotIndexes) {
        if (!maySend(index))
            continue;
        Slot& slot = m_slots.at(std::size_t(index));
        const QString& name = m_settings.childSlots[index].computerName;
        if (const std::optional<ComputerAddress> known = addressWithoutLookup(name)) {
            slot.address = *known;
            if (known->isFound())
                ready.append({index, known->address});
            continue;
        }
        const bool fresh = slot.sinceFound.isValid() && slot.sinceFound.elapsed() < kAddressReuseMs;
        if (fresh && !slot.lookingUp) {
            ready.append({index, slot.address.address});
            continue;
        }
        slot.pending.append({datagram, timing});
        if (slot.pending.size() > kMostPending)
            slot.pending.removeFirst();
        if (!slot.lookingUp) {
            slot.lookingUp = true;
            if (!toLookUp.contains(name))
                toLookUp.append(name);
        }
    }
    // One signature for all the children ready now.
    if (!ready.isEmpty())
        m_sender.sendToAll(datagram, ready, PlainCopy::OurChildren);
    if (!toLookUp.isEmpty())
        m_lookup.start(toLookUp);
}

void ExtensionChannel::setOpen(bool open)
{
    m_open = open;
    if (open)
        return;
    for (Slot& slot : m_slots)
        slot.pending.clear();
}

bool ExtensionChannel::isSlotComputer(int slotIndex, const QHostAddress& sender) const
{
    const ComputerAddress& address = m_slots.at(std::size_t(slotIndex)).address;
    return address.isFound() && address.addresses.contains(plainIpv4(sender));
}

void ExtensionChannel::nameAnswered(const QString& name, const ComputerAddress& address)
{
    for (int index = 0; index < kSlotCount; ++index) {
        Slot& slot = m_slots[std::size_t(index)];
        if (!slot.lookingUp || m_settings.childSlots[index].computerName != name)
            continue;
        slot.lookingUp = false;
        slot.address = address;
        if (address.isFound())
            slot.sinceFound.start();
        else
            slot.sinceFound.invalidate();
        const QList<Pending> pending = std::exchange(slot.pending, {});
        if (!address.isFound()) {
            if (!pending.isEmpty()) {
                qCInfo(channelLog).noquote() << u"%1 %2"_s.arg(index + 1, 2, 10, QChar(u'0')).arg(name)
                                             << "not sent our command:" << unfoundReason(address.outcome);
            }
            continue;
        }
        for (const Pending& each : pending) {
            if (m_open && maySend(index) && !(each.timing == Timing::NotWhileHeld && m_channel.isReadingHeld()))
                m_sender.sendTo(each.datagram, {index, address.address}, PlainCopy::OurChildren);
        }
    }
}

} // namespace qh::master
