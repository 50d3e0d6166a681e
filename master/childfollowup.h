#pragma once

#include "common/computernames.h"
#include "common/logcategories.h"
#include "common/settingsfile.h"
#include "master/childreports.h"
#include "master/childsender.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>

#include <array>
#include <optional>
#include <utility>

namespace qh::master {

// Lines the log takes in a second from the follow-up (calls, reports and the answers to them); a
// flood beyond it is counted, not written.
inline constexpr int kFollowUpLinesPerSecond = 20;

// The presenter's answers to what its own children report on the master port: a child that has
// (re)started gets "Command:VisibleTrue", its screen mode and the current page; a child that
// shows another page gets the current page again; a child whose call was listed gets
// "Command:CallReceived". A report is believed only from the slot's configured computer (any of
// the addresses its name gives), since anyone can send one; every answer goes there too. A child
// that asks for signed datagrams gets them signed (ChildSender), its catch-up as the answer to its
// Hello.
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
    // they, the reports and the sender must outlive this object.
    ChildFollowUp(const PresenterSettings& settings, ChildReports& reports, ChildSender& sender,
                  QObject* parent = nullptr);

    // Answers go out only while the presentation runs: from the opening of the browser until End.
    // Answers still waiting for a name are dropped when it stops.
    void setAnswering(bool answering);
    // The page the presenter has just sent to the children in use: what a catch-up or a heal sends.
    void setCurrentPage(const QByteArray& datagram) { m_currentPage = datagram; }
    // What follows the page in a catch-up or a heal: where the teacher is on it (ViewFollower).
    void setCurrentView(const QByteArrayList& datagrams) { m_currentView = datagrams; }
    // The presenter has sent the slot's child a page (0-based slot index).
    void notePageSent(int slotIndex) { m_reports.notePageSent(slotIndex, m_clock.elapsed()); }

    // A datagram read from the master port, after the call list has had it: a report is answered,
    // a listed call from a child that has reported is confirmed, anything else is left alone.
    void handleDatagram(const QByteArray& datagram, const QHostAddress& sender);

    SlotFollowing following(int slotIndex) const;

signals:
    // The slot's child, (re)started, has been sent its catch-up: shown, its mode and the page.
    void caughtUp(int slotIndex);

private:
    enum Send : unsigned { CatchUp = 1, Heal = 2, Confirm = 4, Welcome = 8 };

    // Where a slot's computer name was found last, for believing its reports.
    struct SlotComputer {
        ComputerAddress address;
        qint64 atMs = -1;                                               // -1: never looked up
        std::optional<std::pair<ChildReport, QHostAddress>> heldReport; // the newest, until the lookup
    };

    void handleReport(const ChildReport& report, const QHostAddress& sender);
    // A report that came from the slot's computer.
    void believe(const ChildReport& report, const QHostAddress& sender);
    void refuseStranger(int slotIndex, const QHostAddress& sender, const ComputerAddress& computer);
    void confirmCall(const QString& computerNumber);
    // Confirms the slot's calls now, or once kConfirmIntervalMs has passed since the last
    // confirmation: the confirmation then held back answers every call that came meanwhile.
    void confirmWhenDue(int slotIndex);
    void request(int slotIndex, unsigned sends);
    void lookUp(int slotIndex);
    void nameAnswered(const QString& name, const ComputerAddress& address);
    void sendPending(int slotIndex, const ComputerAddress& address);
    // `answer`: signed as the answer to the slot's last Hello, for a child that asked; `plain`: who
    // gets the plain copy (ChildSender).
    void sendTo(const ChildRecipient& to, const QByteArray& datagram, bool answer = false,
                PlainCopy plain = PlainCopy::Everyone);
    // Whether a line of the category at that level is written and fits in the log's budget; the
    // line is only formatted then, so that a flood costs no text. Names first the lines left out
    // since the last one.
    bool mayLog(const QLoggingCategory& (*category)(), QtMsgType type = QtInfoMsg);
    // "07 PC07", how the log names a slot.
    QString slotTitle(int slotIndex) const;

    const PresenterSettings& m_settings;
    ChildReports& m_reports;
    ChildSender& m_sender;
    QElapsedTimer m_clock;
    QByteArray m_currentPage;
    QByteArrayList m_currentView;
    bool m_answering = false;
    std::array<unsigned, kSlotCount> m_pending{};         // Send flags waiting for the slot's name
    std::array<bool, kSlotCount> m_lookingUp{};           // the slot's name is being looked up
    std::array<QHostAddress, kSlotCount> m_reportSenders; // where the report now answered came from
    std::array<bool, kSlotCount> m_confirmationHeld{};    // a confirmation waits for its interval
    std::array<SlotComputer, kSlotCount> m_computers;
    std::array<std::optional<qint64>, kSlotCount> m_strangerLoggedMs;
    bool m_toldNoKey = false; // a child asked for signed datagrams while the presenter has no key
    ComputerNameLookup m_lookup;
    LogBudget m_log{kFollowUpLinesPerSecond, 1000};
};

} // namespace qh::master
