#include "master/childsender.h"

#include "master/childreports.h"

namespace qh::master {

ChildSender::ChildSender(const PresenterSettings& settings, ChildChannel& channel, const ChildReports& reports)
    : m_settings(settings), m_channel(channel), m_reports(reports), m_run(randomBytes(kRunIdBytes))
{}

void ChildSender::setKey(std::optional<TeacherSigningKey> key)
{
    m_key = std::move(key);
}

bool ChildSender::asksSigned(int slot) const
{
    return !m_reports.challenge(slot).isEmpty();
}

std::optional<QByteArray> ChildSender::Prepared::signedFor(int slot) const
{
    return (m_signedSlots & (1u << slot)) ? std::optional(m_signed) : std::nullopt;
}

std::optional<QByteArray> ChildSender::Prepared::plainFor(int slot) const
{
    return (m_plainSlots & (1u << slot)) ? std::optional(m_plain) : std::nullopt;
}

ChildSender::Prepared ChildSender::prepare(const QByteArray& datagram, const QList<int>& slotIndexes, PlainCopy plain)
{
    return prepareFor(datagram, slotIndexes, plain, std::nullopt);
}

ChildSender::Prepared ChildSender::prepareAnswer(const QByteArray& datagram, int slot, PlainCopy plain)
{
    return prepareFor(datagram, {slot}, plain, slot);
}

ChildSender::Prepared ChildSender::prepareFor(const QByteArray& datagram, const QList<int>& slotIndexes,
                                              PlainCopy plain, std::optional<int> answered)
{
    Prepared prepared;
    prepared.m_plain = datagram;
    quint32 asking = 0;
    for (int slot : slotIndexes) {
        const bool signs = m_key && asksSigned(slot);
        if (signs)
            asking |= 1u << slot;
        if (plain == PlainCopy::Everyone || (!signs && m_reports.hasSpoken(slot)))
            prepared.m_plainSlots |= 1u << slot;
    }
    if (!asking)
        return prepared;
    SignedHeader header{m_run, m_sequence + 1, {}};
    if (answered) {
        header.recipients.answeredNumber = *answered + 1;
        header.recipients.challenge = m_reports.challenge(*answered);
    } else {
        header.recipients.childMask = asking; // bit (number - 1) is bit slot
    }
    if (const std::optional<QByteArray> signedBytes = signedDatagram(*m_key, header, datagram)) {
        ++m_sequence;
        prepared.m_signed = *signedBytes;
        prepared.m_signedSlots = asking;
    } else {
        prepared.m_tooLong = true;
    }
    return prepared;
}

ChildChannel::SendResult ChildSender::send(const Prepared& prepared, const ChildRecipient& to, Copies copies)
{
    const ChildChannel::SendResult signedResult =
        copies == Copies::Plain ? ChildChannel::SendResult::Sent : sendBytes(prepared.signedFor(to.slot), to);
    const ChildChannel::SendResult plainResult =
        copies == Copies::Signed ? ChildChannel::SendResult::Sent : sendBytes(prepared.plainFor(to.slot), to);
    return signedResult != ChildChannel::SendResult::Sent ? signedResult : plainResult;
}

ChildChannel::SendResult ChildSender::sendBytes(const std::optional<QByteArray>& bytes, const ChildRecipient& to)
{
    if (!bytes)
        return ChildChannel::SendResult::Sent; // nothing for this child
    return m_channel.send(to.address, m_settings.childPort, *bytes);
}

void ChildSender::sendToAll(const QByteArray& datagram, const QList<ChildRecipient>& to, PlainCopy plain)
{
    QList<int> slotIndexes;
    for (const ChildRecipient& recipient : to)
        slotIndexes.append(recipient.slot);
    const Prepared prepared = prepare(datagram, slotIndexes, plain);
    for (const ChildRecipient& recipient : to)
        send(prepared, recipient, Copies::Signed);
    for (const ChildRecipient& recipient : to)
        send(prepared, recipient, Copies::Plain);
}

ChildChannel::SendResult ChildSender::sendTo(const QByteArray& datagram, const ChildRecipient& to, PlainCopy plain)
{
    return send(prepare(datagram, {to.slot}, plain), to);
}

} // namespace qh::master
