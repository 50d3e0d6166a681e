#include "child/childlink.h"

#include "child/childtrace.h"
#include "common/datagrams.h"
#include "common/logcategories.h"
#include "common/teacherkey.h"
#include "common/thumbnail.h"

#include <algorithm>

namespace qh::child {

namespace {
// A failure that repeats (a name not found every few seconds, a network that stays down) goes to
// the log again only after this long, so that a day without the teacher's computer stays readable.
constexpr std::chrono::milliseconds kFailureLogInterval{60000};
// Reports that a load or a refused address makes due are at least this far apart: a page that
// reloads itself, or a flood of addresses, must not turn the child into a flood to the teacher.
constexpr std::chrono::milliseconds kShowingSpacing{250};
// The presenter sends the described plain copy right after each signed datagram (a page change all
// signed ones first, then the plain ones): it comes within this time of its signed twin.
constexpr std::chrono::milliseconds kPlainCopyWindow{1000};
constexpr qsizetype kRememberedSignedCount = 4;

} // namespace

ChildLink::ChildLink(const ChildSettings& settings, QObject* parent)
    : QObject(parent), m_settings(settings), m_socket(this), m_reader(m_socket),
      m_source(settings.masterName, settings.masterPort, settings.acceptAnySource), m_pageRule(settings.localFolders)
{
    m_clock.start();
    if (!settings.teacherKey.isEmpty())
        m_intake.emplace(settings.teacherKey, settings.number);
    connect(&m_reader, &DatagramReader::datagramRead, &m_source, &MasterSource::offer);
    connect(&m_source, &MasterSource::accepted, this, &ChildLink::received);
    connect(&m_source, &MasterSource::dropped, this, &ChildLink::datagramDropped);
    connect(&m_source, &MasterSource::found, this, &ChildLink::found);
    connect(&m_source, &MasterSource::lookupFailed, this, &ChildLink::lookupFailed);
    m_hello.setInterval(kHelloInterval);
    connect(&m_hello, &QTimer::timeout, this, &ChildLink::sayHelloAgain);
    m_showing.setInterval(kShowingInterval);
    connect(&m_showing, &QTimer::timeout, this, &ChildLink::sendShowing);
    m_showingSoon.setSingleShot(true);
    connect(&m_showingSoon, &QTimer::timeout, this, &ChildLink::sendShowing);
    m_helloSoon.setSingleShot(true);
    connect(&m_helloSoon, &QTimer::timeout, this, &ChildLink::sayHelloSoon);
}

bool ChildLink::bind()
{
    if (!m_socket.bind(m_settings.bindAddress, m_settings.childPort, QAbstractSocket::DontShareAddress))
        return false;
    // A page list clicked through fast must not leave the child on an older page.
    askForLargeReceiveBuffer(m_socket);
    if (!isMasterKnown()) {
        qCInfo(childLog, "looking for the teacher's computer %s", qPrintable(m_settings.masterName));
        trace(u"looking"_s, m_settings.masterName);
    }
    m_source.start();
    return true;
}

void ChildLink::found(const QHostAddress& address)
{
    if (m_masterAddress.isNull() && address.toString() != m_settings.masterName)
        qCInfo(childLog, "the teacher's computer %s is at %s", qPrintable(m_settings.masterName),
               qPrintable(address.toString()));
    else if (!m_masterAddress.isNull())
        qCInfo(childLog, "the teacher's computer %s has moved from %s to %s", qPrintable(m_settings.masterName),
               qPrintable(m_masterAddress.toString()), qPrintable(address.toString()));
    trace(u"master"_s, address.toString());
    m_masterAddress = address;
    emit masterFound(address);
    m_heard = false;
    sayHelloAgain();
    m_hello.start();
}

void ChildLink::lookupFailed(const ComputerAddress& answer)
{
    trace(u"lookup-failed"_s, m_settings.masterName);
    const QString failure =
        u"looking up the teacher's computer %1 failed: %2"_s.arg(m_settings.masterName, unfoundReason(answer.outcome));
    if (logsFailure(failure))
        qCInfo(channelLog, "%s", qPrintable(failure));
}

void ChildLink::sayHelloAgain()
{
    if (m_heard) {
        m_hello.stop();
        return;
    }
    m_source.refreshIfDue(); // a master that stays silent may have moved
    const QByteArray hello = m_intake ? helloDatagram(m_settings.number, m_intake->newChallenge(), m_intake->run())
                                      : helloDatagram(m_settings.number);
    if (sendToMaster(hello, "Hello")) {
        m_saidHello = true;
        m_lastHello = now();
        trace(u"hello"_s, m_source.masterAddress().toString());
    }
}

void ChildLink::sayHelloSoon()
{
    if (m_lastHello && now() - *m_lastHello < kSignedHelloSpacing) {
        if (!m_helloSoon.isActive())
            m_helloSoon.start(kSignedHelloSpacing - (now() - *m_lastHello));
        return;
    }
    m_helloSoon.stop();
    m_heard = false;
    sayHelloAgain();
    m_hello.start();
}

void ChildLink::received(const QByteArray& signedOrPlain)
{
    QByteArray datagram = signedOrPlain;
    if (m_intake) {
        SignedIntake::Result taken = m_intake->take(signedOrPlain);
        if (taken.verdict == SignedIntake::Verdict::Unsigned && takePlainCopy(signedOrPlain)) {
            trace(u"ignored"_s, u"plain-copy "_s + QString::fromLatin1(signedOrPlain.left(120)));
            return;
        }
        if (taken.verdict != SignedIntake::Verdict::Accepted) {
            refuse(taken.verdict, signedOrPlain);
            return;
        }
        m_lastSigned.append({taken.inner, now()});
        if (m_lastSigned.size() > kRememberedSignedCount)
            m_lastSigned.removeFirst();
        if (taken.newRun) {
            qCInfo(childLog, "following the teacher's presenter %s, signed by the teacher's key",
                   m_intake->run().toHex().constData());
            trace(u"run"_s, QString::fromLatin1(m_intake->run().toHex()));
        }
        showKeyTrouble(false);
        m_helloSoon.stop(); // the presenter knows this child
        datagram = std::move(taken.inner);
    }
    if (m_loss.loses(datagram, now())) {
        trace(u"lost"_s, QString::fromLatin1(datagram.left(200)));
        return;
    }
    m_heard = true;
    m_hello.stop();
    if (m_saidHello && !m_answered) {
        m_answered = true;
        emit masterAnswered();
    }
    if (const std::optional<ClassroomCommand> command = classroomCommandOf(datagram)) {
        if (command->kind == ClassroomCommand::Kind::Picture) {
            if (m_lastPicture && now() - *m_lastPicture < kPictureSpacing)
                return; // a flood of requests makes no flood of pictures
            m_lastPicture = now();
        }
        emit classroomCommandReceived(*command);
        return;
    }
    const ChildAction action = childActionOf(datagram, m_pageRule);
    if (isPageDatagram(datagram)) {
        m_lastPage = datagram;
        if (!m_showing.isActive())
            m_showing.start();
        if (action.kind != ChildAction::Kind::Open)
            pageSettled(); // nothing to load: the child has done with this address
    }
    emit actionReceived(action);
}

void ChildLink::refuse(SignedIntake::Verdict verdict, const QByteArray& datagram)
{
    using Verdict = SignedIntake::Verdict;
    trace(u"refused"_s, verdictName(verdict) + u' ' + QString::fromLatin1(datagram.left(120)));
    if (verdict == Verdict::Unsigned || verdict == Verdict::BadSignature) {
        // What the teacher's computer sends does not come from the teacher's key: a presenter
        // without the key, with another one, or one that does not know yet that this child asks.
        std::optional<std::chrono::milliseconds>& loggedAt = m_keyLogAt[verdict == Verdict::Unsigned ? 0 : 1];
        if (!loggedAt || now() - *loggedAt >= kFailureLogInterval) {
            loggedAt = now();
            qCInfo(childLog, "refused a datagram from the teacher's computer %s: %s the teacher's key %s",
                   qPrintable(m_source.masterAddress().toString()),
                   verdict == Verdict::Unsigned ? "not signed with" : "signed with another key than",
                   qPrintable(keyFingerprint(m_settings.teacherKey)));
        }
        // Another key is a mistake to show at once; unsigned datagrams also come for a moment
        // from a presenter that has not heard this child's Hello yet.
        if (verdict == Verdict::BadSignature || m_intake->run().isEmpty())
            showKeyTrouble(true);
    }
    if (verdict == Verdict::Unsigned || verdict == Verdict::UnknownRun)
        sayHelloSoon(); // a presenter that does not know this child: it learns from the Hello
}

bool ChildLink::takePlainCopy(const QByteArray& datagram)
{
    // Each signed datagram has one plain copy: a second one is no copy but somebody else's.
    const auto twin = std::find_if(m_lastSigned.cbegin(), m_lastSigned.cend(), [&](const auto& taken) {
        return taken.first == datagram && now() - taken.second <= kPlainCopyWindow;
    });
    if (twin == m_lastSigned.cend())
        return false;
    m_lastSigned.erase(twin);
    return true;
}

void ChildLink::showKeyTrouble(bool trouble)
{
    if (trouble != m_keyTrouble) {
        m_keyTrouble = trouble;
        emit teacherKeyTrouble(trouble);
    }
}

void ChildLink::pageSettled()
{
    if (m_showingSoon.isActive())
        return;
    const std::chrono::milliseconds since = now() - m_lastShowing.value_or(now() - kShowingSpacing);
    m_showingSoon.start(std::max(kShowingSpacing - since, std::chrono::milliseconds(0)));
}

void ChildLink::sendShowing()
{
    m_showingSoon.stop();
    m_lastShowing = now();
    if (m_lastPage && sendToMaster(showingDatagram(m_settings.number, *m_lastPage), "Showing"))
        trace(u"showing"_s);
}

void ChildLink::answerPicture(const QByteArray& token, const QImage& shown)
{
    PictureReport report{m_settings.number, token, shown.isNull(), {}};
    if (!report.hidden) {
        const qsizetype header = pictureDatagram({m_settings.number, token, false, "-"}).size() - 1;
        report.image = thumbnailBytes(shown, kLargestPictureDatagramBytes - header);
        if (report.image.isEmpty())
            return;
    }
    const QByteArray datagram = pictureDatagram(report);
    if (sendToMaster(datagram, "a picture"))
        trace(u"picture"_s, report.hidden ? u"hidden"_s : QString::number(datagram.size()));
}

ChildLink::CallResult ChildLink::call()
{
    if (!m_gate.admit(now()))
        return CallResult::TooSoon;
    m_source.refreshIfDue();
    if (!isMasterKnown()) {
        qCInfo(callsLog, "call not sent: the teacher's computer %s is not found", qPrintable(m_settings.masterName));
        return CallResult::Failed;
    }
    if (!sendToMaster(datagramBytes(callText(m_settings.number)), "the call"))
        return CallResult::Failed;
    qCInfo(callsLog, "call sent to %s port %d", qPrintable(m_source.masterAddress().toString()),
           int(m_settings.masterPort));
    return CallResult::Sent;
}

bool ChildLink::sendToMaster(const QByteArray& datagram, const char* what)
{
    const QHostAddress master = m_source.masterAddress();
    if (master.isNull())
        return false; // nowhere to go yet: the master is being looked for
    if (m_socket.writeDatagram(datagram, master, m_settings.masterPort) == datagram.size())
        return true;
    const QString failure = u"sending %1 to %2 port %3 failed: %4"_s.arg(
        QLatin1String(what), master.toString(), QString::number(m_settings.masterPort), m_socket.errorString());
    trace(u"send-failed"_s, QLatin1String(what));
    if (logsFailure(failure))
        qCInfo(channelLog, "%s", qPrintable(failure));
    return false;
}

bool ChildLink::logsFailure(const QString& failure)
{
    if (failure == m_lastFailure && now() - m_lastFailureAt < kFailureLogInterval)
        return false;
    m_lastFailure = failure;
    m_lastFailureAt = now();
    return true;
}

} // namespace qh::child
