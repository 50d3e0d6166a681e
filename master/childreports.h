#pragma once

#include "common/datagrams.h"
#include "common/settingsfile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <optional>

namespace qh::master {

// How closely a slot's child follows the presentation, as the control panel shows it.
enum class FollowState {
    Following,   // its last report, at most 10 s old, names the current page
    OtherPage,   // its last report, at most 10 s old, names another page (or none: it has just started)
    Silent,      // heard from since the presenter started, but not for more than 10 s
    Unknown,     // never heard from: not started, or a child that does not report
    SwitchedOff, // switched off on the panel
};

// What the control panel shows of one slot.
struct SlotFollowing {
    FollowState state = FollowState::Unknown;
    bool heard = false;        // a report came since the presenter started
    bool lastWasHello = false; // the last report was the child's start, which names no page
    QByteArray address;        // the page bytes of the last report
    qint64 ageMs = 0;          // since the last report
};

// A report older than this no longer tells what the child shows.
inline constexpr qint64 kReportFreshMs = 10000;
// At most one catch-up answer to a slot's Hello in this time: a child that restarts again and
// again, or anyone sending its Hello, costs at most that.
inline constexpr qint64 kCatchUpIntervalMs = 2000;
// A report that comes sooner after the slot was sent a page may have crossed that page on the way.
inline constexpr qint64 kHealGraceMs = 1000;
// At most one page sent again to a slot in this time.
inline constexpr qint64 kHealIntervalMs = 3000;
// At most one confirmation of a slot's calls in this time. A child calls at most once in as long
// (its call gate), so a flood of calls under its number costs one confirmation in that time.
inline constexpr qint64 kConfirmIntervalMs = 2000;

// The children's reports, one record per slot and nothing more, so a flood of reports costs no
// memory: when each slot was last heard from and what it said, when it was last sent a page, and
// the rules for answering a report. Times are milliseconds of one monotonic clock, given by the
// caller.
class ChildReports
{
public:
    enum class Answer {
        None,
        CatchUp, // the child has (re)started: switch it on, its screen mode and the current page
        Heal,    // the child shows another page than the current one: send the current page again
        Welcome, // a child that asks for signed datagrams needs only to learn the presenter's run
    };
    // What the presenter may answer now.
    enum class Answering {
        Nothing,     // the presentation does not run
        SwitchedOff, // it runs, the slot is switched off: a child that asks for signed datagrams may
                     // still learn the run, so that it can take the confirmation of its calls
        Everything,  // it runs and the slot is switched on
    };

    // Notes the report and says how to answer it. currentPage: the bytes of the current page, empty
    // while there is none. signingRun: the presenter's run when it signs, else empty: a Hello that
    // asks for signed datagrams and already follows that run is answered with a Welcome alone, and
    // without a key such a Hello gets no answer (its child would refuse every plain one).
    Answer hear(const ChildReport& report, Answering answering, QByteArrayView currentPage, qint64 nowMs,
                QByteArrayView signingRun = {});
    // The slot's child was sent a page (0-based slot index).
    void notePageSent(int slotIndex, qint64 nowMs);
    // How long a confirmation of the slot's calls must still wait; 0 when it may go out now.
    qint64 confirmationWait(int slotIndex, qint64 nowMs) const;
    void noteConfirmation(int slotIndex, qint64 nowMs) { m_slots.at(std::size_t(slotIndex)).confirmMs = nowMs; }
    // The slot's child has reported since the presenter started.
    bool hasSpoken(int slotIndex) const { return m_slots.at(std::size_t(slotIndex)).reportMs.has_value(); }
    // The page the slot's last report named (none for a Hello).
    const QByteArray& lastAddress(int slotIndex) const { return m_slots.at(std::size_t(slotIndex)).address; }
    // The challenge of the slot's last Hello; empty when it did not ask for signed datagrams.
    const QByteArray& challenge(int slotIndex) const { return m_slots.at(std::size_t(slotIndex)).challenge; }
    SlotFollowing following(int slotIndex, bool inUse, QByteArrayView currentPage, qint64 nowMs) const;

private:
    struct Slot {
        std::optional<qint64> reportMs;
        bool hello = false;
        QByteArray address;
        QByteArray challenge;
        std::optional<qint64> pageSentMs;
        std::optional<qint64> catchUpMs;
        std::optional<qint64> healMs;
        std::optional<qint64> confirmMs;
    };
    std::array<Slot, kSlotCount> m_slots;
};

// A reported page as a person reads it: the code page 932 text, control characters shown as "�"
// and at most 200 characters, so that a hostile report cannot flood a tooltip or the log.
QString readableAddress(QByteArrayView bytes);

} // namespace qh::master
