#include "master/childfollowup.h"

#include "common/logcategories.h"
#include "master/callentry.h"
#include "master/childchannel.h"

#include <QTimer>

#include <chrono>

using namespace Qt::StringLiterals;

namespace qh::master {

namespace {
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

ChildFollowUp::ChildFollowUp(const PresenterSettings& settings, ChildChannel& channel, QObject* parent)
    : QObject(parent), m_settings(settings), m_channel(channel)
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
    const bool mayAnswer = m_answering && m_settings.childSlots.at(std::size_t(index)).isInUse();
    switch (m_reports.hear(report, mayAnswer, m_currentPage, m_clock.elapsed())) {
    case ChildReports::Answer::CatchUp:
        m_reportSenders[index] = sender;
        request(index, CatchUp);
        break;
    case ChildReports::Answer::Heal:
        m_reportSenders[index] = sender;
        request(index, Heal);
        break;
    case ChildReports::Answer::None:
        break;
    }
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
    if (const std::optional<ComputerAddress> known = addressWithoutLookup(name)) {
        sendPending(slotIndex, *known);
        return;
    }
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
        if (m_lookingUp[index] && m_settings.childSlots[index].computerName == name) {
            m_lookingUp[index] = false;
            sendPending(index, address);
        }
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
    // Switched off while its name was looked up: the child stays as the panel left it.
    if ((sends & (CatchUp | Heal)) && slot.isInUse()) {
        if (sends & CatchUp) {
            sendTo(slotIndex, destination, datagramBytes(commandText(kVerbVisibleTrue)));
            sendTo(slotIndex, destination, datagramBytes(commandText(slot.screenMode)));
        }
        if (!m_currentPage.isEmpty()) {
            sendTo(slotIndex, destination, m_currentPage);
            notePageSent(slotIndex);
            for (const QByteArray& datagram : m_currentView)
                sendTo(slotIndex, destination, datagram);
        }
        // The report's sender is named too: an answer to a report that did not come from the slot's
        // computer shows someone else speaking for it.
        if (mayLog(channelLog)) {
            if (sends & CatchUp) {
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
    }
    if (sends & Confirm) {
        sendTo(slotIndex, destination, datagramBytes(commandText(kVerbCallReceived)));
        if (mayLog(callsLog))
            qCInfo(callsLog).noquote() << "call of" << slotTitle(slotIndex) << "confirmed at" << destination.toString();
    }
}

void ChildFollowUp::sendTo(int slotIndex, const QHostAddress& destination, const QByteArray& datagram)
{
    if (m_channel.send(destination, m_settings.childPort, datagram) != ChildChannel::SendResult::Sent &&
        mayLog(channelLog)) {
        qCInfo(channelLog).noquote() << "send to" << slotTitle(slotIndex) << "at" << destination.toString()
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
