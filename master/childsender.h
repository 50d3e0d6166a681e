#pragma once

#include "common/settingsfile.h"
#include "common/signeddatagram.h"
#include "common/teacherkey.h"
#include "master/childchannel.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>

#include <optional>

namespace qh::master {

class ChildReports;

// One child a send goes to: its slot (0-based) and the address its computer name gave for the step.
struct ChildRecipient {
    int slot = 0;
    QHostAddress address;
};

// Who gets the plain datagram.
enum class PlainCopy {
    Everyone,    // a described datagram (a page, a command): every child, as always
    OurChildren, // one of our own: a child that has reported and did not ask for signed ones; no other peer
};

// The one way the presenter's datagrams go to its children. Every child gets the described
// datagrams exactly as before. With the teacher's key, a child that asked for signed datagrams in its
// Hello (common/datagrams.h) gets each one signed (common/signeddatagram.h) as well, just before the
// plain copy, which it refuses: a peer that knows only the described datagrams sees no difference.
// One signature serves all children of a fan-out: prepare() signs once for every slot of the send,
// send() gives each slot its bytes.
//
// Each signed datagram carries this presenter run's random id and the next sequence number of the
// run. An answer to a child's Hello (prepareAnswer()) is signed for that Hello's challenge, which
// makes the child follow this run.
//
// Everything new that the presenter sends a child goes this way, with PlainCopy::OurChildren (a
// child that asked for signing then gets the signed datagram alone), and starts with "Command:", so
// that a child that knows only the described datagrams ignores it even if it arrived.
class ChildSender
{
public:
    // The settings (the child port) and the channel must outlive the sender; the reports tell which
    // slots asked for signed datagrams.
    ChildSender(const PresenterSettings& settings, ChildChannel& channel, const ChildReports& reports);

    // Signs from now on with the key, or (none) sends only plain datagrams.
    void setKey(std::optional<TeacherSigningKey> key);
    bool hasKey() const { return m_key.has_value(); }
    // The random id of this run of the presenter (kRunIdBytes); the same for the whole run.
    const QByteArray& runId() const { return m_run; }
    // The slot's child asked for signed datagrams in its last Hello.
    bool asksSigned(int slot) const;

    // The bytes of one send for each of its slots.
    class Prepared
    {
    public:
        // What the slot gets signed, and plain; either may be none.
        std::optional<QByteArray> signedFor(int slot) const;
        std::optional<QByteArray> plainFor(int slot) const;
        // A slot of the send asked for signed datagrams but the datagram is too long to sign: those
        // children get nothing.
        bool tooLongToSign() const { return m_tooLong; }

    private:
        friend class ChildSender;
        QByteArray m_plain;
        QByteArray m_signed;
        quint32 m_signedSlots = 0; // bit per slot index
        quint32 m_plainSlots = 0;
        bool m_tooLong = false;
    };

    // The datagram for the slots: signed once for those that asked (when there is a key), plain for
    // the others that `plain` names.
    Prepared prepare(const QByteArray& datagram, const QList<int>& slotIndexes, PlainCopy plain = PlainCopy::Everyone);
    // The same for one slot, signed as the answer to its last Hello.
    Prepared prepareAnswer(const QByteArray& datagram, int slot, PlainCopy plain = PlainCopy::Everyone);
    // Which of a slot's bytes a send takes: both (the signed datagram first), or one of them, for a
    // fan-out that sends every signed datagram before the plain ones.
    enum class Copies { Both, Signed, Plain };
    // Sends the slot's bytes of the send to the address; a slot that gets nothing is Sent.
    ChildChannel::SendResult send(const Prepared& prepared, const ChildRecipient& to, Copies copies = Copies::Both);

    // prepare() and send() to each: one datagram to these children, or to this one.
    void sendToAll(const QByteArray& datagram, const QList<ChildRecipient>& to, PlainCopy plain);
    ChildChannel::SendResult sendTo(const QByteArray& datagram, const ChildRecipient& to, PlainCopy plain);

private:
    Prepared prepareFor(const QByteArray& datagram, const QList<int>& slotIndexes, PlainCopy plain,
                        std::optional<int> answered);
    ChildChannel::SendResult sendBytes(const std::optional<QByteArray>& bytes, const ChildRecipient& to);

    const PresenterSettings& m_settings;
    ChildChannel& m_channel;
    const ChildReports& m_reports;
    std::optional<TeacherSigningKey> m_key;
    QByteArray m_run;
    quint64 m_sequence = 0; // the last one signed
};

} // namespace qh::master
