#include "master/childfollowup.h"

#include "common/logcategories.h"
#include "common/messages.h"
#include "master/callentry.h"
#include "master/childsender.h"
#include "master/presentermessages.h"

#include <QTimer>

#include <chrono>

using namespace Qt::StringLiterals;

namespace qh::master {

namespace {
// A slot's computer found at most this long ago vouches for the reports from there; a report from
// another address makes the presenter look again.
constexpr qint64 kComputerFreshMs = 30000;
// A report from another address than the one found is checked by a new lookup only this long after
// the last one: the computer may have got another address meanwhile.
constexpr qint64 kComputerRecheckMs = 5000;
// The lookup that confirmed a report is fresh enough to send the answer to.
constexpr qint64 kComputerFreshForSendMs = 2000;
// At most one line a slot in this time on reports from someone else than the slot's computer.
constexpr qint64 kStrangerLogIntervalMs = 10000;

// The slot (0-based) a call's two characters name, when they are two digits 01 to 30.
std::optional<int> slotOfCall(const QString& computerNumber)
{
    const auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    if (computerNumber.size() != 2 || !isDigit(computerNumber.at(0)) || !isDigit(computerNumber.at(1)))
        return std::nullopt;
    const int number = computerNumber.toInt();
    if (number < 1 || number > kSlotCount)
        return std::nullopt;
    return number - 1;
}
} // namespace

ChildFollowUp::ChildFollowUp(const PresenterSettings& settings, ChildReports& reports, ChildSender& sender,
                             QObject* parent)
    : QObject(parent), m_settings(settings), m_reports(reports), m_sender(sender)
{
    m_clock.start();
    connect(&m_lookup, &ComputerNameLookup::answered, this, &ChildFollowUp::nameAnswered);
}

void ChildFollowUp::setAnswering(bool answering)
{
    m_answering = answering;
    if (!answering)
        m_pending.fill(0);
}

void ChildFollowUp::handleDatagram(const QByteArray& datagram, const QHostAddress& sender)
{
    if (const std::optional<ChildReport> report = childReportOf(datagram))
        handleReport(*report, sender);
    else if (const std::optional<QString> computerNumber = callNumberOfDatagram(datagram))
        confirmCall(*computerNumber);
}

SlotFollowing ChildFollowUp::following(int slotIndex) const
{
    const bool inUse = m_settings.childSlots.at(std::size_t(slotIndex)).isInUse();
    return m_reports.following(slotIndex, inUse, m_currentPage, m_clock.elapsed());
}

void ChildFollowUp::handleReport(const ChildReport& report, const QHostAddress& sender)
{
    const int index = report.computerNumber - 1;
    const bool hello = report.kind == ChildReport::Kind::Hello;
    if (mayLog(channelLog, QtDebugMsg)) {
        qCDebug(channelLog).noquote() << slotTitle(index) << "from" << sender.toString() << "reports"
                                      << (hello ? kHelloVerb : kShowingVerb + readableAddress(report.address));
    }
    const QString& name = m_settings.childSlots.at(std::size_t(index)).computerName;
    SlotComputer& computer = m_computers[index];
    std::optional<ComputerAddress> known = addressWithoutLookup(name);
    const qint64 age = m_clock.elapsed() - computer.atMs;
    if (!known && computer.atMs >= 0 && age < kComputerFreshMs) {
        // A computer found just now is not looked for again for every stranger's report.
        if (computer.address.addresses.contains(plainIpv4(sender)) || age < kComputerRecheckMs)
            known = computer.address;
    }
    if (!known) {
        // Believed or not once the name service has said where the slot's computer is now.
        computer.heldReport = std::pair(report, sender);
        lookUp(index);
        return;
    }
    if (known->addresses.contains(plainIpv4(sender)))
        believe(report, sender);
    else
        refuseStranger(index, sender, *known);
}

void ChildFollowUp::believe(const ChildReport& report, const QHostAddress& sender)
{
    const int index = report.computerNumber - 1;
    if (!report.challenge.isEmpty() && !m_sender.hasKey() && !m_toldNoKey) {
        m_toldNoKey = true;
        if (mayLog(channelLog)) {
            qCInfo(channelLog).noquote() << slotTitle(index) << "asks for datagrams signed with the teacher's key;"
                                         << "this presenter has none and does not answer it";
        }
        showNotice(childAsksForKeyText(index + 1));
    }
    const ChildReports::Answering answering = !m_answering ? ChildReports::Answering::Nothing
                                              : m_settings.childSlots.at(std::size_t(index)).isInUse()
                                                  ? ChildReports::Answering::Everything
                                                  : ChildReports::Answering::SwitchedOff;
    const QByteArray signingRun = m_sender.hasKey() ? m_sender.runId() : QByteArray();
    switch (m_reports.hear(report, answering, m_currentPage, m_clock.elapsed(), signingRun)) {
    case ChildReports::Answer::CatchUp:
        m_reportSenders[index] = sender;
        request(index, CatchUp);
        break;
    case ChildReports::Answer::Heal:
        m_reportSenders[index] = sender;
        request(index, Heal);
        break;
    case ChildReports::Answer::Welcome:
        m_reportSenders[index] = sender;
        request(index, Welcome);
        break;
    case ChildReports::Answer::None:
        break;
    }
}

void ChildFollowUp::refuseStranger(int slotIndex, const QHostAddress& sender, const ComputerAddress& computer)
{
    const qint64 now = m_clock.elapsed();
    std::optional<qint64>& logged = m_strangerLoggedMs[slotIndex];
    if ((logged && now - *logged < kStrangerLogIntervalMs) || !mayLog(channelLog))
        return;
    logged = now;
    const QString where = computer.isFound() ? computer.address.toString() : unfoundReason(computer.outcome);
    qCInfo(channelLog).noquote() << slotTitle(slotIndex) << "report from" << sender.toString()
                                 << u"ignored: not from the slot's computer (%1)"_s.arg(where);
}

void ChildFollowUp::confirmCall(const QString& computerNumber)
{
    const std::optional<int> index = slotOfCall(computerNumber);
    if (!m_answering) {
        if (mayLog(callsLog)) {
            qCInfo(callsLog).noquote() << "call from" << computerNumber
                                       << "listed; not confirmed: the presentation is not running";
        }
    } else if (!index) {
        if (mayLog(callsLog))
            qCInfo(callsLog).noquote() << "call from" << computerNumber << "listed; no slot to confirm it to";
    } else if (!m_reports.hasSpoken(*index)) {
        if (mayLog(callsLog)) {
            qCInfo(callsLog).noquote() << "call from" << slotTitle(*index)
                                       << "listed; not confirmed: its child has not reported since the start";
        }
    } else {
        const bool due = !m_confirmationHeld[*index] && m_reports.confirmationWait(*index, m_clock.elapsed()) == 0;
        if (mayLog(callsLog)) {
            qCInfo(callsLog).noquote() << "call from" << slotTitle(*index)
                                       << (due ? "listed; confirming it"
                                               : "listed; confirming it with the next confirmation, one in 2 s");
        }
        confirmWhenDue(*index);
    }
}

void ChildFollowUp::confirmWhenDue(int slotIndex)
{
    if (m_confirmationHeld[slotIndex])
        return;
    const qint64 nowMs = m_clock.elapsed();
    if (const qint64 waitMs = m_reports.confirmationWait(slotIndex, nowMs); waitMs > 0) {
        m_confirmationHeld[slotIndex] = true;
        QTimer::singleShot(std::chrono::milliseconds(waitMs), Qt::PreciseTimer, this, [this, slotIndex] {
            m_confirmationHeld[slotIndex] = false;
            if (m_answering)
                confirmWhenDue(slotIndex);
        });
        return;
    }
    m_reports.noteConfirmation(slotIndex, nowMs);
    request(slotIndex, Confirm);
}

void ChildFollowUp::request(int slotIndex, unsigned sends)
{
    m_pending[slotIndex] |= sends;
    if (m_lookingUp[slotIndex])
        return; // the answer of the lookup under way sends these too
    const QString& name = m_settings.childSlots.at(std::size_t(slotIndex)).computerName;
    const SlotComputer& computer = m_computers[slotIndex];
    if (const std::optional<ComputerAddress> known = addressWithoutLookup(name))
        sendPending(slotIndex, *known);
    else if (computer.atMs >= 0 && m_clock.elapsed() - computer.atMs < kComputerFreshForSendMs)
        sendPending(slotIndex, computer.address); // just found, for the report now answered
    else
        lookUp(slotIndex);
}

void ChildFollowUp::lookUp(int slotIndex)
{
    if (m_lookingUp[slotIndex])
        return;
    const QString& name = m_settings.childSlots.at(std::size_t(slotIndex)).computerName;
    bool nameUnderWay = false;
    for (int other = 0; other < kSlotCount; ++other)
        nameUnderWay = nameUnderWay || (m_lookingUp[other] && m_settings.childSlots[other].computerName == name);
    m_lookingUp[slotIndex] = true;
    if (!nameUnderWay)
        m_lookup.start({name});
}

void ChildFollowUp::nameAnswered(const QString& name, const ComputerAddress& address)
{
    for (int index = 0; index < kSlotCount; ++index) {
        if (!m_lookingUp[index] || m_settings.childSlots[index].computerName != name)
            continue;
        m_lookingUp[index] = false;
        SlotComputer& computer = m_computers[index];
        computer.address = address;
        computer.atMs = m_clock.elapsed();
        if (const auto held = std::exchange(computer.heldReport, std::nullopt)) {
            if (address.addresses.contains(plainIpv4(held->second)))
                believe(held->first, held->second);
            else
                refuseStranger(index, held->second, address);
        }
        sendPending(index, address);
    }
}

void ChildFollowUp::sendPending(int slotIndex, const ComputerAddress& address)
{
    const unsigned sends = std::exchange(m_pending[slotIndex], 0);
    if (!sends || !m_answering)
        return;
    if (!address.isFound()) {
        if (mayLog(channelLog))
            qCInfo(channelLog).noquote() << slotTitle(slotIndex) << "not answered:" << unfoundReason(address.outcome);
        return;
    }
    const ChildSlot& slot = m_settings.childSlots.at(std::size_t(slotIndex));
    const QHostAddress& destination = address.address;
    const ChildRecipient to{slotIndex, destination};
    // Switched off while its name was looked up: the child stays as the panel left it.
    if ((sends & (CatchUp | Heal)) && slot.isInUse()) {
        // A catch-up answers the child's Hello: a child that asked for signed datagrams learns from
        // it which run of the presenter signs for it.
        const bool catchUp = sends & CatchUp;
        if (catchUp) {
            sendTo(to, datagramBytes(commandText(kVerbVisibleTrue)), true);
            sendTo(to, datagramBytes(commandText(slot.screenMode)), true);
        }
        if (!m_currentPage.isEmpty()) {
            sendTo(to, m_currentPage, catchUp);
            notePageSent(slotIndex);
            for (const QByteArray& datagram : m_currentView)
                sendTo(to, datagram, false, PlainCopy::OurChildren);
        }
        // The report's sender is named too: a slot whose computer has several addresses may report
        // from another one than the answers go to.
        if (mayLog(channelLog)) {
            if (catchUp) {
                qCInfo(channelLog).noquote() << slotTitle(slotIndex) << "caught up at" << destination.toString()
                                             << "with" << readableAddress(m_currentPage) << "after its Hello from"
                                             << m_reportSenders[slotIndex].toString();
            } else {
                qCInfo(channelLog).noquote() << slotTitle(slotIndex) << "page healed at" << destination.toString()
                                             << "with" << readableAddress(m_currentPage) << "after its report of"
                                             << readableAddress(m_reports.lastAddress(slotIndex)) << "from"
                                             << m_reportSenders[slotIndex].toString();
            }
        }
        if (catchUp)
            emit caughtUp(slotIndex);
    } else if ((sends & (Welcome | CatchUp)) && m_sender.asksSigned(slotIndex)) {
        sendTo(to, datagramBytes(commandText(kVerbWelcome)), true, PlainCopy::OurChildren);
    }
    if (sends & Confirm) {
        sendTo(to, datagramBytes(commandText(kVerbCallReceived)), false, PlainCopy::OurChildren);
        if (mayLog(callsLog))
            qCInfo(callsLog).noquote() << "call of" << slotTitle(slotIndex) << "confirmed at" << destination.toString();
    }
}

void ChildFollowUp::sendTo(const ChildRecipient& to, const QByteArray& datagram, bool answer, PlainCopy plain)
{
    const ChildSender::Prepared prepared =
        answer ? m_sender.prepareAnswer(datagram, to.slot, plain) : m_sender.prepare(datagram, {to.slot}, plain);
    if (prepared.tooLongToSign() && mayLog(channelLog)) {
        qCInfo(channelLog).noquote() << "signed send to" << slotTitle(to.slot) << "at" << to.address.toString()
                                     << "left out: too long to sign:" << readableAddress(datagram);
    }
    if (m_sender.send(prepared, to) != ChildChannel::SendResult::Sent && mayLog(channelLog)) {
        qCInfo(channelLog).noquote() << "send to" << slotTitle(to.slot) << "at" << to.address.toString()
                                     << "failed:" << readableAddress(datagram);
    }
}

bool ChildFollowUp::mayLog(const QLoggingCategory& (*category)(), QtMsgType type)
{
    if (!category().isEnabled(type) || !m_log.mayWrite(m_clock.elapsed()))
        return false;
    if (const qint64 heldBack = m_log.takeHeldBack()) {
        qCInfo(category).noquote() << heldBack << "lines on calls and reports left out: more than"
                                   << kFollowUpLinesPerSecond << "a second";
    }
    return true;
}

QString ChildFollowUp::slotTitle(int slotIndex) const
{
    return u"%1 %2"_s.arg(slotIndex + 1, 2, 10, QChar(u'0'))
        .arg(m_settings.childSlots.at(std::size_t(slotIndex)).computerName);
}

} // namespace qh::master
