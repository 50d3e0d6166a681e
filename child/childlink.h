#pragma once

#include "child/callgate.h"
#include "child/childsettings.h"
#include "child/mastersource.h"
#include "child/pageloss.h"
#include "child/signedintake.h"
#include "common/childaction.h"
#include "common/classroomdatagrams.h"
#include "common/datagramreader.h"
#include "common/pagerule.h"

#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QTimer>
#include <QUdpSocket>

#include <array>
#include <chrono>
#include <optional>

namespace qh::child {

// Until the master has said anything, the child says Hello this often.
inline constexpr std::chrono::milliseconds kHelloInterval{5000};
// Once the master has sent a page, the child says this often which one it has.
inline constexpr std::chrono::milliseconds kShowingInterval{3000};
// Picture requests are answered at most this often; the presenter asks every 3 s.
inline constexpr std::chrono::milliseconds kPictureSpacing{1000};
// A child that holds the teacher's key says Hello again soon when the presenter does not seem to
// know it (it sends plain datagrams, or signs for a run the child does not follow): at once, but not
// sooner than this after its last Hello, since the presenter answers a slot's Hello at most once in
// 2 seconds.
inline constexpr std::chrono::milliseconds kSignedHelloSpacing{2500};

// The child's one UDP socket: bound to the child port, it receives the presenter's datagrams and
// sends to the master port. Each datagram that the master sent is turned into what the child does
// with it; the rest are dropped.
//
// It also keeps our presenter told about this child, so that a child that starts late or misses a
// page catches up: "NNHello" once the master is found, every kHelloInterval until the master sends
// anything, and again whenever the master is found at another address; "NNShowing:" with the exact
// bytes of the last page address received, when that page is settled (see pageSettled()) and
// every kShowingInterval. A presenter that knows only the calls ignores both.
//
// With the teacher's key (ChildSettings::teacherKey) the child obeys only what the key signed for
// it (SignedIntake); its Hello asks for signed datagrams, and it says Hello again whenever the
// presenter does not seem to know that it asks (a presenter that restarted), until one answers.
class ChildLink : public QObject
{
    Q_OBJECT
public:
    enum class CallResult { Sent, TooSoon, Failed };

    explicit ChildLink(const ChildSettings& settings, QObject* parent = nullptr);

    // Binds the child port on the settings' address, for this program alone (a second program on
    // the same address and port would take datagrams meant for this one), and starts looking for
    // the master. False when it cannot bind; bindError() then says why.
    bool bind();
    QAbstractSocket::SocketError bindError() const { return m_socket.error(); }

    bool isMasterKnown() const { return !m_source.masterAddress().isNull(); }

    // Sends this child's call to the master port, unless a call went out less than
    // kCallInterval ago. A call fails while the master is not found.
    CallResult call();

    // The last page address received has been loaded, or its load failed: the master is told, in
    // the next turn of the event loop at the soonest.
    void pageSettled();

    // Answers a picture request with a picture of the page window (shown: not null), or with the
    // word that it is hidden (null).
    void answerPicture(const QByteArray& token, const QImage& shown);

    // The time on the steady clock that spaces the calls out.
    std::chrono::milliseconds now() const { return std::chrono::milliseconds(m_clock.elapsed()); }

signals:
    // A datagram from the master, in arrival order, turned into an action (also one that does
    // nothing, so that it can be traced).
    void actionReceived(const qh::child::ChildAction& action);
    void datagramDropped(const QHostAddress& sender);
    // The master has been found at this address: the first time, or at another one than before.
    void masterFound(const QHostAddress& address);
    // The master has answered this child (it sent something after the child's Hello): it is our
    // presenter, which confirms the calls it lists.
    void masterAnswered();
    // One of our presenter's classroom commands (attention, a picture request). Picture requests
    // that come sooner than kPictureSpacing after the last one answered are dropped.
    void classroomCommandReceived(const qh::ClassroomCommand& command);
    // With the teacher's key: datagrams from the teacher's computer come signed by another key, or
    // unsigned while no presenter signs for this child (true); one it obeys comes again (false).
    void teacherKeyTrouble(bool trouble);

private:
    void received(const QByteArray& datagram);
    void refuse(SignedIntake::Verdict verdict, const QByteArray& datagram);
    // The plain copy of a signed datagram just taken, taken once.
    bool takePlainCopy(const QByteArray& datagram);
    // Says Hello again now, or kSignedHelloSpacing after the last one when that is later.
    void sayHelloSoon();
    void showKeyTrouble(bool trouble);
    void found(const QHostAddress& address);
    void lookupFailed(const qh::ComputerAddress& answer);
    void sayHelloAgain();
    void sendShowing();
    // False when it could not be sent (logged), or the master is not found yet.
    bool sendToMaster(const QByteArray& datagram, const char* what);
    bool logsFailure(const QString& failure);

    const ChildSettings m_settings;
    QUdpSocket m_socket;
    DatagramReader m_reader;
    MasterSource m_source;
    PageRule m_pageRule;
    CallGate m_gate;
    PageLoss m_loss = PageLoss::fromEnvironment();
    std::optional<SignedIntake> m_intake; // with the teacher's key
    QElapsedTimer m_clock;
    QTimer m_hello;
    QTimer m_showing;
    QTimer m_showingSoon;
    QTimer m_helloSoon; // the Hello that sayHelloSoon() could not say at once
    std::optional<std::chrono::milliseconds> m_lastShowing;
    std::optional<std::chrono::milliseconds> m_lastPicture;
    QHostAddress m_masterAddress; // where the last Hello went
    bool m_heard = false;         // the master has sent something since the last Hello
    bool m_keyTrouble = false;
    std::optional<std::chrono::milliseconds> m_lastHello;
    // The inner bytes of the last signed datagrams taken, and when: the described plain copy that
    // the presenter sends beside each is no sign of a presenter that does not know this child.
    QList<std::pair<QByteArray, std::chrono::milliseconds>> m_lastSigned;
    std::array<std::optional<std::chrono::milliseconds>, 2> m_keyLogAt; // unsigned, bad signature
    bool m_saidHello = false;
    bool m_answered = false;
    std::optional<QByteArray> m_lastPage; // the last page address received, exactly
    QString m_lastFailure;                // the last send or lookup failure logged, and when
    std::chrono::milliseconds m_lastFailureAt{};
};

} // namespace qh::child
