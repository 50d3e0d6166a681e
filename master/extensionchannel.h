#pragma once

#include "common/computernames.h"
#include "common/settingsfile.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <QObject>

#include <array>

namespace qh::master {

class ChildChannel;
class ChildReports;
class ChildSender;

// How our own commands beyond the described datagrams (common/classroomdatagrams.h) reach the
// children: only to a slot in use whose child has reported since the presenter started, so that a
// child that knows only the described datagrams never sees one, and through the presenter's
// sender (ChildSender), which signs them for a child that asked. Always at the slot's configured
// computer, in the background: a computer name is looked up without holding the presenter, its
// addresses kept for kAddressReuseMs so that a request every few seconds does not ask the name
// service every time; a name not found is logged, not shown.
class ExtensionChannel : public QObject
{
    Q_OBJECT
public:
    // An address found for a slot's name is used this long before the name is looked up again.
    static constexpr qint64 kAddressReuseMs = 10000;

    enum class Timing {
        Any,
        // Asks for an answer: not sent while the presenter waits for a page (its socket is not read
        // then), so that answers cannot fill the socket's buffer and push calls out of it.
        NotWhileHeld,
    };

    // The settings, the channel, the sender and the reports must outlive this object.
    ExtensionChannel(const PresenterSettings& settings, const ChildChannel& channel, ChildSender& sender,
                     const ChildReports& reports, QObject* parent = nullptr);

    // Sends the datagram to each of the slots (0-based) whose child may have it, while open.
    void send(const QList<int>& slotIndexes, const QByteArray& datagram, Timing timing = Timing::Any);
    // Sends from the start of the presentation until End; closing drops what waits for a name.
    void setOpen(bool open);

    // Whether a datagram from `sender` comes from the slot's configured computer: one of the
    // addresses its name gave when this channel last sent to it (as the follow-up believes a
    // report only from the slot's computer). False before the first send.
    bool isSlotComputer(int slotIndex, const QHostAddress& sender) const;

private:
    struct Pending {
        QByteArray datagram;
        Timing timing;
    };
    struct Slot {
        ComputerAddress address;
        QElapsedTimer sinceFound; // invalid while no address was found
        bool lookingUp = false;
        QList<Pending> pending; // waiting for the name's answer, oldest first
    };

    bool maySend(int slotIndex) const;
    void nameAnswered(const QString& name, const ComputerAddress& address);

    const PresenterSettings& m_settings;
    const ChildChannel& m_channel;
    ChildSender& m_sender;
    const ChildReports& m_reports;
    std::array<Slot, kSlotCount> m_slots;
    ComputerNameLookup m_lookup;
    bool m_open = false;
};

} // namespace qh::master
