#include "child/attentionclock.h"

#include "common/classroomdatagrams.h"

#include <cstdlib>

using namespace Qt::StringLiterals;

namespace qh::child {

namespace {
// A repeat whose time differs from the time left by no more than this says nothing new: the
// presenter rounds the time up to whole seconds, and the datagram takes its time on the way.
constexpr qint64 kRepeatDriftMs = 2000;
} // namespace

QString attentionEndName(AttentionEnd end)
{
    switch (end) {
    case AttentionEnd::Lifted:
        return u"lifted"_s;
    case AttentionEnd::TimeOver:
        return u"time"_s;
    case AttentionEnd::PresenterGone:
        return u"presenter-gone"_s;
    case AttentionEnd::Hidden:
        break;
    }
    return u"hidden"_s;
}

AttentionClock::AttentionClock(QObject* parent) : QObject(parent), m_timeOver(this), m_abandoned(this)
{
    m_timeOver.setSingleShot(true);
    m_timeOver.setTimerType(Qt::PreciseTimer);
    connect(&m_timeOver, &QTimer::timeout, this, [this] { end(AttentionEnd::TimeOver); });
    m_abandoned.setSingleShot(true);
    m_abandoned.setInterval(kAttentionAbandonedMs);
    connect(&m_abandoned, &QTimer::timeout, this, [this] { end(AttentionEnd::PresenterGone); });
}

void AttentionClock::cover(std::optional<int> seconds)
{
    const std::optional<qint64> before = remainingMs();
    const bool news = !m_covered || seconds.has_value() != before.has_value() ||
                      (seconds && std::abs(*seconds * 1000LL - *before) > kRepeatDriftMs);
    m_covered = true;
    m_abandoned.start();
    if (seconds) {
        m_deadline = QDeadlineTimer(std::chrono::seconds(*seconds), Qt::PreciseTimer);
        m_timeOver.start(std::chrono::seconds(*seconds));
    } else {
        m_deadline.reset();
        m_timeOver.stop();
    }
    if (news)
        emit covered(seconds);
}

void AttentionClock::end(AttentionEnd why)
{
    if (!m_covered)
        return;
    m_covered = false;
    m_deadline.reset();
    m_timeOver.stop();
    m_abandoned.stop();
    emit uncovered(why);
}

std::optional<qint64> AttentionClock::remainingMs() const
{
    if (!m_covered || !m_deadline)
        return std::nullopt;
    return m_deadline->remainingTime();
}

} // namespace qh::child
