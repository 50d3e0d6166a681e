#pragma once

#include <QDeadlineTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

namespace qh::child {

// Why a covered screen was uncovered.
enum class AttentionEnd {
    Lifted,        // the teacher lifted it ("Command:AttentionOff")
    TimeOver,      // the time the teacher chose is over
    PresenterGone, // no word of it from the presenter for kAttentionAbandonedMs
    Hidden,        // the page window was hidden: End, or this child switched off on the panel
};
// "lifted", "time", "presenter-gone", "hidden": as the trace writes it.
QString attentionEndName(AttentionEnd end);

// When the child's screens are covered for attention. The presenter repeats "Command:AttentionOn"
// every few seconds with the time left; each one keeps the cover for that time and for
// kAttentionAbandonedMs at most, so that the cover goes by itself when the time is over or the
// presenter is no longer there, whatever happens to the datagrams.
class AttentionClock : public QObject
{
    Q_OBJECT
public:
    explicit AttentionClock(QObject* parent = nullptr);

    // The presenter says attention is on, for that many seconds more or until lifted.
    void cover(std::optional<int> seconds);
    // Uncovers (nothing happens when not covered).
    void end(AttentionEnd why);

    bool isCovered() const { return m_covered; }
    // The time left; none while not covered or until lifted.
    std::optional<qint64> remainingMs() const;

signals:
    // The cover starts, or its time changes by more than the repeats' own drift: seconds left, or
    // none until lifted.
    void covered(std::optional<int> seconds);
    void uncovered(qh::child::AttentionEnd why);

private:
    bool m_covered = false;
    std::optional<QDeadlineTimer> m_deadline;
    QTimer m_timeOver;
    QTimer m_abandoned;
};

} // namespace qh::child
