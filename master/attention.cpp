#include "master/attention.h"

#include "common/classroomdatagrams.h"
#include "common/logcategories.h"
#include "master/extensionchannel.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace qh::master {

Attention::Attention(const PresenterSettings& settings, ExtensionChannel& channel, QObject* parent)
    : QObject(parent), m_settings(settings), m_channel(channel), m_refresh(this), m_end(this), m_liftAgain(this)
{
    m_liftAgain.setSingleShot(true);
    m_liftAgain.setInterval(kLiftRepeatMs);
    connect(&m_liftAgain, &QTimer::timeout, this, &Attention::sendLift);
    m_refresh.setInterval(kAttentionRefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, &Attention::refresh);
    m_end.setSingleShot(true);
    m_end.setTimerType(Qt::PreciseTimer);
    connect(&m_end, &QTimer::timeout, this, &Attention::timeOver);
}

void Attention::start(std::optional<int> seconds)
{
    if (seconds)
        seconds = std::clamp(*seconds, 1, kLongestAttentionSeconds);
    m_on = true;
    m_liftAgain.stop();
    if (seconds) {
        m_deadline = QDeadlineTimer(std::chrono::seconds(*seconds), Qt::PreciseTimer);
        m_end.start(std::chrono::seconds(*seconds));
    } else {
        m_deadline.reset();
        m_end.stop();
    }
    qCInfo(channelLog).noquote() << "attention on" << (seconds ? u"for %1 s"_s.arg(*seconds) : u"until lifted"_s);
    refresh();
    m_refresh.start();
    emit changed();
}

void Attention::lift()
{
    if (!m_on)
        return;
    sendLift();
    // Once more a moment later: a child that lost the first would stay covered until it misses the
    // presenter, 30 s on.
    m_liftAgain.start();
    turnOff("lifted");
}

void Attention::sendLift()
{
    m_channel.send(slotsInUse(), classroomCommandDatagram({ClassroomCommand::Kind::AttentionOff, {}, std::nullopt}));
}

void Attention::timeOver()
{
    // Nothing to send: each child was told the time left and ends at its own deadline.
    turnOff("its time is over");
}

void Attention::turnOff(const char* why)
{
    m_on = false;
    m_deadline.reset();
    m_end.stop();
    m_refresh.stop();
    qCInfo(channelLog) << "attention off:" << why;
    emit changed();
}

std::optional<qint64> Attention::remainingMs() const
{
    if (!m_on || !m_deadline)
        return std::nullopt;
    return m_deadline->remainingTime();
}

void Attention::coverAgain(int slotIndex)
{
    if (m_on)
        m_channel.send({slotIndex}, onDatagram());
}

void Attention::refresh()
{
    m_channel.send(slotsInUse(), onDatagram());
}

QByteArray Attention::onDatagram() const
{
    std::optional<int> seconds;
    if (const std::optional<qint64> remaining = remainingMs())
        seconds = std::max(1, int((*remaining + 999) / 1000)); // the child ends it, not a second early
    return classroomCommandDatagram({ClassroomCommand::Kind::AttentionOn, {}, seconds});
}

QList<int> Attention::slotsInUse() const
{
    QList<int> inUse;
    for (int index = 0; index < kSlotCount; ++index) {
        if (m_settings.childSlots[std::size_t(index)].isInUse())
            inUse.append(index);
    }
    return inUse;
}

} // namespace qh::master
