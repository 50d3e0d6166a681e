#include "lesson/pagecheck.h"

#include "common/browseraddress.h"
#include "lesson/entrywarnings.h"

#include <QSet>
#include <QTimer>

namespace qh::lesson {

PageCheck::PageCheck(const std::vector<PageProbe*>& probes, std::chrono::milliseconds timeLimit, QObject* parent)
    : QObject(parent), m_slots(probes.size()), m_timeLimit(timeLimit)
{
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
        Slot& slot = m_slots[i];
        slot.probe = probes[i];
        slot.timer = new QTimer(this);
        slot.timer->setSingleShot(true);
        connect(slot.probe, &PageProbe::finished, this,
                [this, i](const PageOutcome& outcome) { slotFinished(m_slots[i], outcome); });
        connect(slot.timer, &QTimer::timeout, this, [this, i] {
            Slot& timedOut = m_slots[i];
            if (timedOut.entry.isEmpty())
                return;
            timedOut.probe->stop();
            PageOutcome outcome;
            outcome.kind = PageOutcome::Kind::TimedOut;
            slotFinished(timedOut, outcome);
        });
    }
}

void PageCheck::start(const QStringList& entries)
{
    cancel();
    m_queue.clear();
    QSet<QString> seen;
    for (const QString& entry : entries) {
        if (presenterLoads(entry) && !seen.contains(entry)) {
            seen.insert(entry);
            m_queue.append(entry);
        }
    }
    m_next = 0;
    m_done = 0;
    m_running = true;
    ++m_run;
    emit progressed(0, total());
    if (m_queue.isEmpty() || m_slots.empty()) {
        m_running = false;
        emit finished(false);
        return;
    }
    for (Slot& slot : m_slots)
        startNext(slot);
}

void PageCheck::cancel()
{
    if (!m_running)
        return;
    stopProbes();
    emit finished(true);
}

void PageCheck::stopProbes()
{
    m_running = false;
    for (Slot& slot : m_slots) {
        slot.timer->stop();
        slot.entry.clear();
        slot.probe->stop();
    }
}

void PageCheck::startNext(Slot& slot)
{
    if (!m_running || !slot.entry.isEmpty() || m_next >= m_queue.size())
        return;
    slot.entry = m_queue[m_next++];
    emit checking(slot.entry);
    slot.timer->start(m_timeLimit);
    slot.probe->load(browserUrl(slot.entry));
}

void PageCheck::slotFinished(Slot& slot, const PageOutcome& outcome)
{
    if (slot.entry.isEmpty())
        return; // a stopped load that still reported
    const QString entry = std::exchange(slot.entry, QString());
    slot.timer->stop();
    ++m_done;
    emit checked(entry, outcome);
    emit progressed(m_done, total());
    if (m_done == total()) {
        // The last pages go with the check: nothing they run stays behind.
        stopProbes();
        emit finished(false);
        return;
    }
    // The next page starts from the event loop: a probe that answers at once must not recurse
    // through a long list, and the window gets its turn between pages.
    QTimer::singleShot(0, this, [this, &slot, run = m_run] {
        if (run == m_run)
            startNext(slot);
    });
}

} // namespace qh::lesson
