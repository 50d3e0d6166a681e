#pragma once

#include "common/computernames.h"
#include "common/logcategories.h"
#include "common/settingsfile.h"
#include "master/childreports.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>

#include <array>

namespace qh::master {

// Lines the log takes in a second from the follow-up (calls, reports and the answers to them); a
// flood beyond it is counted, not written.
inline constexpr int kFollowUpLinesPerSecond = 20;

class ChildChannel;

// The presenter's answers to what its own children report on the master port: a child that has
// (re)started gets "Command:VisibleTrue", its screen mode and the current page; a child that
// shows another page gets the current page again; a child whose call was listed gets
// "Command:CallReceived". Every answer goes to the slot's configured computer, never to where the
// report came from, since anyone can send a report.
//
// These sends happen in the background: no one asked for them, so a computer name is looked up
// without holding the presenter and a name that is not found is logged (qh.channel), not shown.
// Rate limits per slot keep a flood of reports or calls cheap, and every log line it writes goes
// through one budget.
class ChildFollowUp : public QObject
{
    Q_OBJECT
public:
    // The settings hold the slots (their names, screen modes and in-use flags) and the child port;
    // they and the channel must outlive this object.
    ChildFollowUp(const PresenterSettings& settings, ChildChannel& channel, QObject* parent = nullptr);

    // Answers go out only while the presentation runs: from the opening of the browser until End.
    // Answers still waiting for a name are dropped when it stops.
    void setAnswering(bool answering);
    // The page the presenter has just sent to the children in use: what a catch-up or a heal sends.
    void setCurrentPage(const QByteArray& datagram) { m_currentPage = datagram; }
    // What follows the page in a catch-up or a heal: where the teacher is on it (ViewFollower).
    void setCurrentView(const QByteArrayList& datagrams) { m_currentView = datagrams; }
    // The slot's child has reported since the presenter started: it speaks our extension.
    bool hasReported(int slotIndex) const { return m_reports.hasSpoken(slotIndex); }
    // The presenter has sent the slot's child a page (0-based slot index).
    void notePageSent(int slotIndex) { m_reports.notePageSent(slotIndex, m_clock.elapsed()); }

    // A datagram read from the master port, after the call list has had it: a report is answered,
    // a listed call from a child that has reported is confirmed, anything else is left alone.
    void handleDatagram(const QByteArray& datagram, const QHostAddress& sender);

    SlotFollowing following(int slotIndex) const;

private:
    enum Send : unsigned { CatchUp = 1, Heal = 2, Confirm = 4 };

    void handleReport(const ChildReport& report, const QHostAddress& sender);
    void confirmCall(const QString& computerNumber);
    // Confirms the slot's calls now, or once kConfirmIntervalMs has passed since the last
    // confirmation: the confirmation then held back answers every call that came meanwhile.
    void confirmWhenDue(int slotIndex);
    void request(int slotIndex, unsigned sends);
    void nameAnswered(const QString& name, const ComputerAddress& address);
    void sendPending(int slotIndex, const ComputerAddress& address);
    void sendTo(int slotIndex, const QHostAddress& destination, const QByteArray& datagram);
    // Whether a line of the category at that level is written and fits in the log's budget; the
    // line is only formatted then, so that a flood costs no text. Names first the lines left out
    // since the last one.
    bool mayLog(const QLoggingCategory& (*category)(), QtMsgType type = QtInfoMsg);
    // "07 PC07", how the log names a slot.
    QString slotTitle(int slotIndex) const;

    const PresenterSettings& m_settings;
    ChildChannel& m_channel;
    ChildReports m_reports;
    QElapsedTimer m_clock;
    QByteArray m_currentPage;
    QByteArrayList m_currentView;
    bool m_answering = false;
    std::array<unsigned, kSlotCount> m_pending{};         // Send flags waiting for the slot's name
    std::array<bool, kSlotCount> m_lookingUp{};           // the slot's name is being looked up
    std::array<QHostAddress, kSlotCount> m_reportSenders; // where the report now answered came from
    std::array<bool, kSlotCount> m_confirmationHeld{};    // a confirmation waits for its interval
    ComputerNameLookup m_lookup;
    LogBudget m_log{kFollowUpLinesPerSecond, 1000};
};

} // namespace qh::master
