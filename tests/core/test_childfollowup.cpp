// The presenter's answers to its own children's reports and calls: the real presenter without its
// windows, plain loopback sockets playing the children and whoever else sends to the master port.
#include "common/datagrams.h"
#include "common/signeddatagram.h"
#include "common/teacherkey.h"
#include "tests/support/logcapture.h"
#include "tests/support/presenterfixture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <thread>

using namespace qh;
using namespace qh::master;
using namespace qh::test;
using namespace Qt::StringLiterals;

namespace {
const QByteArrayList kCatchUpOfOne{to("127.0.0.2", "Command:VisibleTrue"), to("127.0.0.2", "Command:WindowScreen"),
                                   to("127.0.0.2", kPageA)};
} // namespace

class TestChildFollowUp : public QObject
{
    Q_OBJECT
private slots:
    // A child that starts late is switched on, gets its slot's screen mode and the current page, in
    // that order, at the slot's configured computer; a second Hello right after it is not answered
    // again. A Hello from any other computer is not believed: the log says so, once.
    void lateHelloIsCaughtUpAtTheSlotsComputer_data()
    {
        QTest::addColumn<QByteArray>("sender");
        QTest::addColumn<bool>("believed");
        QTest::newRow("the slot's computer") << QByteArray("127.0.0.4") << true;
        QTest::newRow("a stranger") << QByteArray("127.0.0.9") << false;
        QTest::newRow("another child") << QByteArray("127.0.0.2") << false;
    }

    void lateHelloIsCaughtUpAtTheSlotsComputer()
    {
        QFETCH(QByteArray, sender);
        QFETCH(bool, believed);
        PresenterFixture fixture;
        LogCapture log;
        QVERIFY(fixture.start({kPageA, kPageB}, fourSlots()));
        fixture.children.clear();
        QVERIFY(
            fixture.handleIncoming({{sender.constData(), helloDatagram(3)}, {sender.constData(), helloDatagram(3)}}));
        const QByteArrayList catchUp{to("127.0.0.4", "Command:VisibleTrue"), to("127.0.0.4", "Command:FullScreen"),
                                     to("127.0.0.4", kPageA)};
        QCOMPARE(fixture.children.received(), believed ? catchUp : QByteArrayList());
        QCOMPARE(log.linesWith({u"qh.channel: 03 127.0.0.4 caught up at 127.0.0.4"_s, kPageA,
                                u"Hello from "_s + QString::fromLatin1(sender)})
                     .size(),
                 believed ? 1 : 0);
        QCOMPARE(log.linesWith({u"qh.channel: 03 127.0.0.4 report from "_s + QString::fromLatin1(sender) +
                                u" ignored: not from the slot's computer (127.0.0.4)"_s})
                     .size(),
                 believed ? 0 : 1);
        QCOMPARE(fixture.presenter->slotFollowing(2).heard, believed);
    }

    // Switched-off slots, numbers outside 01..30 and anything that is not exactly a report get no
    // answer; a report of the current page needs none. After End nothing is answered at all.
    void reportsThatGetNoAnswer()
    {
        PresenterFixture fixture;
        QVERIFY(fixture.start({kPageA, kPageB}, fourSlots()));
        // Once the slots were sent their page a while ago, a report of another page would heal.
        fixture.runFor(nullptr, 1100);
        fixture.children.clear();
        const QByteArrayList unanswered{
            helloDatagram(2),
            showing(2, kPageC),
            "31Hello",
            "00Hello",
            "3Hello",
            "03Hello\r\n",
            "03hello",
            "03Showing" + kPageC.toLatin1(), // no colon
            showing(3, kPageA),              // the current page
        };
        QList<PresenterFixture::Incoming> sent;
        for (const QByteArray& datagram : unanswered)
            sent.append({"127.0.0.4", datagram});
        // Slot 01's Hello, read after them, shows the presenter has handled them all.
        sent.append({"127.0.0.2", helloDatagram(1)});
        QVERIFY(fixture.handleIncoming(sent));
        QCOMPARE(fixture.children.received(), kCatchUpOfOne);

        fixture.presenter->end();
        fixture.children.clear();
        // This presenter has answered slot 01, so it would confirm its call; slot 03 would be healed.
        QVERIFY(fixture.handleIncoming({{"127.0.0.2", callText(1).toLatin1()},
                                        {"127.0.0.4", helloDatagram(3)},
                                        {"127.0.0.4", showing(3, kPageC)}}));
        QCOMPARE(fixture.children.received(), QByteArrayList());
    }

    // A child that missed the page reports the one before; a second after the page went out the
    // presenter sends it again, then no more than once in 3 s.
    void missedPageIsHealed()
    {
        PresenterFixture fixture;
        LogCapture log;
        QVERIFY(fixture.start({kPageA, kPageB}, fourSlots()));
        fixture.children.clear();
        QVERIFY(fixture.runUntilReceived([&] { fixture.presenter->nextPage(); }, 6)); // >> and its forward
        fixture.children.clear();
        fixture.runFor(nullptr, 1100);
        QVERIFY(fixture.handleIncoming(
            {{"127.0.0.2", showing(1, kPageA)}, {"127.0.0.2", showing(1, kPageA)}, {"127.0.0.4", showing(3, kPageB)}}));
        QCOMPARE(fixture.children.received(), QByteArrayList{to("127.0.0.2", kPageB)});
        QCOMPARE(log.linesWith({u"qh.channel: 01 127.0.0.2 page healed"_s, kPageB, kPageA}).size(), 1);
    }

    // Reports wait in the socket while a page loads; those that named the old page are read right
    // after the new one went out and must not make it go out once more.
    void reportsHeldDuringALoadAreNotHealed()
    {
        PresenterFixture fixture;
        QVERIFY(fixture.start({kPageA, kPageB}, {{1, u"1"_s, u"127.0.0.2"_s, u"WindowScreen"_s}}));
        fixture.children.clear();
        fixture.browserLog->loadMilliseconds = 500;
        QSignalSpy read(fixture.presenter.get(), &Presenter::datagramReceived);
        QVERIFY(fixture.runLoop(
            [&] {
                QTimer::singleShot(100, [&] {
                    QVERIFY(sendDatagramFrom("127.0.0.2", "127.0.0.1", fixture.masterPort, showing(1, kPageA)));
                });
                fixture.presenter->nextPage();
            },
            // The page >> showed, loaded; its forward sends it again without loading it. The report may
            // be read before the forward: the wait lasts until both sends went out.
            [&] {
                return read.count() == 1 && fixture.browserLog->navigations.size() == 2 &&
                       !fixture.scripted->isBusy() && fixture.children.count() >= 2;
            }));
        QCOMPARE(fixture.children.received(), (QByteArrayList{to("127.0.0.2", kPageB), to("127.0.0.2", kPageB)}));
    }

    // A flood of calls is listed, but the log takes only so many lines a second; the next line let
    // through names how many were left out, so that every call is accounted for.
    void floodOfCallsIsCountedNotLogged()
    {
        PresenterFixture fixture;
        LogCapture log;
        QVERIFY(fixture.start({kPageA}, fourSlots()));
        constexpr int kCalls = 300;
        QList<PresenterFixture::Incoming> calls;
        for (int call = 0; call < kCalls; ++call)
            calls.append({"127.0.0.9", callText(1 + call % 30).toLatin1()});
        QVERIFY(fixture.handleIncoming(calls));
        fixture.runFor(nullptr, 1100);
        QVERIFY(fixture.handleIncoming({{"127.0.0.9", callText(2).toLatin1()}}));
        qint64 accounted = log.linesWith({u"qh.calls: call from"_s}).size();
        QVERIFY2(accounted < kCalls / 2, qPrintable(QString::number(accounted)));
        const QStringList leftOut = log.linesWith({u"lines on calls and reports left out"_s});
        QVERIFY(!leftOut.isEmpty());
        for (const QString& line : leftOut)
            accounted += line.section(u' ', 1, 1).toLongLong();
        QCOMPARE(accounted, kCalls + 1);
    }

    // With the teacher's key, a child that asks for signed datagrams gets each one signed: its
    // catch-up as the answer to its Hello, switched off a Welcome alone, then the pages of the
    // lesson and the confirmation of its call; one signature serves every child of a fan-out that
    // asked. It still gets every described datagram plain as well, after its signed copy; what is
    // ours alone it gets signed only. A child that does not ask gets the plain datagrams, and a
    // Hello from elsewhere than the slot's computer asks for nothing.
    void childrenThatAskGetSignedDatagrams()
    {
        PresenterFixture fixture;
        const KeyPairWrite key = writeTeacherKeyPair(fixture.folder.path());
        QVERIFY(fixture.start({kPageA, kPageB}, fourSlots()));
        QVERIFY(fixture.messages.messages.isEmpty());
        fixture.children.clear();
        const auto challenge = [](char filler) { return QByteArray(kHelloChallengeBytes, filler); };
        QByteArray run;
        quint64 lastSequence = 0;
        // "<inner>@<for>", each signed by the teacher's key for this run, sequence numbers growing,
        // each described one followed by its plain copy.
        const auto opened = [&](const QByteArrayList& datagrams) {
            QStringList texts;
            for (qsizetype i = 0; i < datagrams.size(); ++i) {
                const QByteArray& datagram = datagrams[i];
                const OpenedDatagram read = openSignedDatagram(datagram, key.publicKey);
                if (read.status != OpenedDatagram::Status::Verified || read.header.sequence <= lastSequence ||
                    (!run.isEmpty() && read.header.run != run))
                    return QStringList{u"not signed for this run: "_s + QString::fromLatin1(datagram.left(60))};
                run = read.header.run;
                lastSequence = read.header.sequence;
                const SignedRecipients& to = read.header.recipients;
                texts.append(QString::fromLatin1(read.inner) + u'@' +
                             (to.isAnswer() ? u"%1-%2"_s.arg(to.answeredNumber).arg(QLatin1Char(to.challenge.at(0)))
                                            : QString::number(to.childMask, 16)));
                const bool ours = read.inner == "Command:Welcome" || read.inner == "Command:CallReceived";
                if (!ours && (i + 1 == datagrams.size() || datagrams[++i] != read.inner))
                    return QStringList{u"no plain copy after "_s + QString::fromLatin1(read.inner)};
            }
            return texts;
        };
        QVERIFY(fixture.handleIncoming({{"127.0.0.4", helloDatagram(3, challenge('c'))},
                                        {"127.0.0.3", helloDatagram(2, challenge('b'))},
                                        {"127.0.0.9", helloDatagram(4, challenge('d'))},
                                        {"127.0.0.2", helloDatagram(1)}}));
        QCOMPARE(opened(fixture.children.receivedBy("127.0.0.4")),
                 (QStringList{u"Command:VisibleTrue@3-c"_s, u"Command:FullScreen@3-c"_s, kPageA + u"@3-c"_s}));
        QCOMPARE(opened(fixture.children.receivedBy("127.0.0.3")), QStringList{u"Command:Welcome@2-b"_s});
        QCOMPARE(fixture.children.receivedBy("127.0.0.2"),
                 (QByteArrayList{"Command:VisibleTrue", "Command:WindowScreen", datagramBytes(kPageA)}));
        QCOMPARE(fixture.children.receivedBy("127.0.0.5"), QByteArrayList());

        // 04 asks too: the next page goes to 03 and 04 in one signed datagram.
        QVERIFY(fixture.handleIncoming({{"127.0.0.5", helloDatagram(4, challenge('e'), QByteArray(8, 'o'))}}));
        QCOMPARE(opened(fixture.children.receivedBy("127.0.0.5")).size(), 3); // it followed another run
        fixture.children.clear();
        QVERIFY(fixture.runUntilReceived([&] { fixture.presenter->nextPage(); }, 10)); // >> and its forward
        const QByteArrayList toThird = fixture.children.receivedBy("127.0.0.4");
        QCOMPARE(fixture.children.receivedBy("127.0.0.5"), toThird);
        QCOMPARE(opened(toThird), (QStringList{kPageB + u"@c"_s, kPageB + u"@c"_s})); // 03 and 04: bits 2 and 3
        QCOMPARE(fixture.children.receivedBy("127.0.0.2"),
                 (QByteArrayList{datagramBytes(kPageB), datagramBytes(kPageB)}));

        fixture.children.clear();
        QVERIFY(fixture.handleIncoming({{"127.0.0.4", callText(3).toLatin1()}}));
        QCOMPARE(opened(fixture.children.receivedBy("127.0.0.4")), QStringList{u"Command:CallReceived@4"_s});
    }

    // A key the presenter cannot use is named once at the start, and the presenter sends unsigned;
    // a child that asks for signed datagrams then is named once in a notice, and gets no answer,
    // which it would refuse. Without a key file at all the presenter says nothing until a child asks.
    void unusableKeyIsNamedOnce_data()
    {
        QTest::addColumn<QByteArray>("keyFile"); // null: none
        QTest::addColumn<bool>("othersMayRead");
        QTest::addColumn<QString>("message");
        QTest::newRow("no key file") << QByteArray() << false << QString();
        QTest::newRow("readable by others") << QByteArray(32, 'k').toBase64() << true << u"ほかの人にも読める"_s;
        QTest::newRow("truncated") << QByteArray(32, 'k').toBase64().left(20) << false << u"鍵ではありません"_s;
    }
    void unusableKeyIsNamedOnce()
    {
        QFETCH(QByteArray, keyFile);
        QFETCH(bool, othersMayRead);
        QFETCH(QString, message);
        PresenterFixture fixture;
        if (!keyFile.isNull()) {
            QVERIFY(fixture.folder.write(kTeacherKeyFileName, keyFile + '\n'));
            QVERIFY(QFile::setPermissions(fixture.folder.path(kTeacherKeyFileName),
                                          othersMayRead ? QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                              QFileDevice::ReadGroup | QFileDevice::ReadOther
                                                        : QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        }
        QVERIFY(fixture.start({kPageA}, fourSlots()));
        QCOMPARE(fixture.messages.texts().size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QVERIFY2(fixture.messages.texts().first().contains(kTeacherKeyFileName) &&
                         fixture.messages.texts().first().contains(message),
                     qPrintable(fixture.messages.texts().first()));
        }
        fixture.children.clear();
        QVERIFY(fixture.handleIncoming({{"127.0.0.4", helloDatagram(3, QByteArray(16, 'c'))},
                                        {"127.0.0.5", helloDatagram(4, QByteArray(16, 'd'))}}));
        QCOMPARE(fixture.children.received(), QByteArrayList());
        QCOMPARE(fixture.messages.noticeTexts().size(), 1);
        QVERIFY2(fixture.messages.noticeTexts().first().contains(u"子機03"_s),
                 qPrintable(fixture.messages.noticeTexts().first()));
    }

    // An address too long to sign reaches a child that asked for signed datagrams only plain, which
    // it refuses, never signed and cut: the teacher is told once, also when the page goes out
    // twice; a child that did not ask gets it as ever.
    void addressTooLongToSignIsNamed()
    {
        PresenterFixture fixture;
        const KeyPairWrite key = writeTeacherKeyPair(fixture.folder.path());
        const QString longest = u"http://class/"_s + QString(kLargestSignedInnerBytes - 13, u'x');
        const QString tooLong = longest + u'x';
        QVERIFY(fixture.start({kPageA, tooLong, longest}, fourSlots()));
        QVERIFY(fixture.handleIncoming({{"127.0.0.4", helloDatagram(3, QByteArray(16, 'c'))}}));
        fixture.children.clear();
        QVERIFY(fixture.runUntilReceived([&] { fixture.presenter->nextPage(); }, 4)); // 01 and 04, twice
        const QByteArrayList plainOnly{datagramBytes(tooLong), datagramBytes(tooLong)};
        QCOMPARE(fixture.children.receivedBy("127.0.0.4"), plainOnly);
        QCOMPARE(fixture.children.receivedBy("127.0.0.2"), plainOnly);
        QCOMPARE(fixture.messages.texts().size(), 1);
        QVERIFY(fixture.messages.texts().first().contains(QString::number(kLargestSignedInnerBytes)));
        fixture.children.clear();
        QVERIFY(fixture.runUntilReceived([&] { fixture.presenter->nextPage(); }, 6));
        QCOMPARE(fixture.children.receivedBy("127.0.0.4").size(), 4);
        QCOMPARE(openSignedDatagram(fixture.children.receivedBy("127.0.0.4").first(), key.publicKey).inner,
                 datagramBytes(longest));
    }

    // One report, then a flood of calls under its number: its child is sent at most one
    // confirmation in 2 s, the last call confirmed as well, and every line the flood causes goes
    // through the log's budget, also when no confirmation can be sent (child port 0).
    void floodOfCallsAfterAReportIsBounded_data()
    {
        QTest::addColumn<bool>("sendsFail");
        QTest::newRow("confirmations go out") << false;
        QTest::newRow("confirmations cannot be sent") << true;
    }

    void floodOfCallsAfterAReportIsBounded()
    {
        QFETCH(bool, sendsFail);
        PresenterFixture fixture;
        if (sendsFail)
            fixture.childPort = 0;
        LogCapture log;
        QVERIFY(fixture.start({kPageA}, fourSlots()));
        QVERIFY(fixture.handleIncoming({{"127.0.0.5", showing(4, kPageA)}}));
        fixture.children.clear();
        log.lines.clear();
        QElapsedTimer elapsed;
        elapsed.start();
        QVERIFY(fixture.handleIncoming(QList<PresenterFixture::Incoming>(200, {"127.0.0.9", "04Call"})));
        if (!sendsFail) {
            // The confirmation held back goes out once 2 s have passed since the first.
            QVERIFY(fixture.runLoop(nullptr, [&] { return fixture.children.receivedBy("127.0.0.5").size() >= 2; }));
            fixture.runFor(nullptr, 100);
            const QByteArrayList sent = fixture.children.receivedBy("127.0.0.5");
            QVERIFY2(sent.size() <= 1 + elapsed.elapsed() / kConfirmIntervalMs,
                     qPrintable(QString::number(sent.size())));
            QCOMPARE(QSet<QByteArray>(sent.cbegin(), sent.cend()), QSet<QByteArray>{"Command:CallReceived"});
        }
        const qint64 mostLines = 2 * kFollowUpLinesPerSecond * (elapsed.elapsed() / 1000 + 1);
        QVERIFY2(log.lines.size() <= mostLines, qPrintable(log.lines.join(u'\n')));
    }

    // Anyone can send reports as fast as the network takes them: the presenter reads them a share
    // at a time between its other events, answers each slot no more often than its limits allow,
    // and still reads what comes after.
    void floodOfReportsLeavesThePresenterResponsive()
    {
        PresenterFixture fixture;
        QList<SlotLine> all;
        for (int number = 1; number <= 30; ++number)
            all.append({number, u"1"_s, u"127.0.0.%1"_s.arg(number + 1), u"WindowScreen"_s});
        QVERIFY(fixture.start({kPageA, kPageB}, all));
        fixture.children.clear();
        constexpr int kFlood = 20000;
        QByteArrayList flood;
        for (int i = 0; i < kFlood; ++i) {
            const int number = i % 30 + 1;
            const QByteArray kinds[] = {helloDatagram(number), showing(number, kPageC), showing(number, kPageA),
                                        "99Showing:" + QByteArray(1000, 'x')};
            flood.append(kinds[(i / 30) % 4]);
        }
        const QByteArray last = "the end of the flood";
        std::atomic<bool> floodSent = false;
        QSignalSpy read(fixture.presenter.get(), &Presenter::datagramReceived);
        QList<qsizetype> readBetweenTurns;
        std::function<void()> noteTurn = [&] {
            readBetweenTurns.append(read.count());
            if (!floodSent)
                QTimer::singleShot(0, fixture.presenter.get(), noteTurn);
        };
        QElapsedTimer elapsed;
        elapsed.start();
        std::thread sender([&] {
            // Each slot's reports come from its computer, where they are believed.
            std::array<int, 30> fds{};
            for (int slot = 0; slot < 30; ++slot) {
                fds[slot] = ::socket(AF_INET, SOCK_DGRAM, 0);
                sockaddr_in source{};
                source.sin_family = AF_INET;
                source.sin_addr.s_addr = htonl(INADDR_LOOPBACK + 1 + slot); // 127.0.0.2 for slot 01
                ::bind(fds[slot], reinterpret_cast<sockaddr*>(&source), sizeof source);
            }
            sockaddr_in master{};
            master.sin_family = AF_INET;
            master.sin_port = htons(fixture.masterPort);
            master.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            for (qsizetype i = 0; i < flood.size(); ++i) {
                const QByteArray& datagram = flood[i];
                ::sendto(fds[i % 30], datagram.constData(), size_t(datagram.size()), 0,
                         reinterpret_cast<sockaddr*>(&master), sizeof master);
            }
            for (const int fd : fds)
                ::close(fd);
            floodSent = true;
        });
        QTimer lastAgain; // the flood may have filled the socket's buffer: the last one is sent until read
        connect(&lastAgain, &QTimer::timeout, this,
                [&] { sendDatagramFrom("127.0.0.9", "127.0.0.1", fixture.masterPort, last); });
        const bool done = fixture.runLoop(
            [&] {
                QTimer::singleShot(0, fixture.presenter.get(), noteTurn);
                lastAgain.start(100);
            },
            [&] { return floodSent && !read.isEmpty() && read.last().first().toByteArray() == last; }, 60000);
        sender.join();
        QVERIFY(done);
        const qint64 ms = elapsed.elapsed();

        QVERIFY2(std::any_of(readBetweenTurns.cbegin(), readBetweenTurns.cend(),
                             [&](qsizetype count) { return count > 0 && count < read.count() - 1; }),
                 "the reports were all read in one turn");
        // At most one catch-up (three datagrams) in 2 s and one heal in 3 s, for each slot.
        const qsizetype mostPerSlot = 3 * (ms / 2000 + 1) + (ms / 3000 + 1);
        for (int number = 1; number <= 30; ++number) {
            const qsizetype answers = fixture.children.receivedBy("127.0.0." + QByteArray::number(number + 1)).size();
            QVERIFY2(answers >= 3 && answers <= mostPerSlot,
                     qPrintable(u"%1 answers to slot %2 in %3 ms"_s.arg(answers).arg(number).arg(ms)));
        }
    }
};

QTEST_MAIN(TestChildFollowUp)
#include "test_childfollowup.moc"
