// The presenter's steps with a slow name service (slownames.h): each step looks its names up
// together, and still sends in slot order, each datagram once, with the message of a name that
// is not found at the moment of its send.
#include "common/datagrams.h"
#include "tests/slownames/slownames.h"
#include "tests/support/logcapture.h"
#include "tests/support/presenterfixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

using namespace qh;
using namespace qh::master;
using namespace qh::test;
using namespace Qt::StringLiterals;

namespace {

// The address the slow name service gives a name of the tests, "" for none.
QByteArray addressOf(const QString& name)
{
    if (name.endsWith(u".qhfail"))
        return {};
    if (name.endsWith(u".qhslow"))
        return "127.0.0." + QByteArray::number(name.section(u'.', 0, 0).mid(1).toInt());
    return name.toLatin1();
}

QString notFound(const QString& name)
{
    return u"コンピュータ名"_s + name + u"がみつかりません"_s;
}

// Slot k (1..30) in use with the name given for it; an empty name leaves the slot out.
QList<SlotLine> slotLines(const QStringList& names)
{
    QList<SlotLine> lines;
    for (int i = 0; i < names.size(); ++i) {
        if (!names[i].isEmpty())
            lines.append({i + 1, u"1"_s, names[i], u"WindowScreen"_s});
    }
    return lines;
}

QStringList thirtySlowNames()
{
    QStringList names;
    for (int slot = 1; slot <= 30; ++slot)
        names.append(u"c%1.qhslow"_s.arg(slot + 1, 2, 10, QLatin1Char('0')));
    return names;
}

// What one step sends: each text to each slot in order; a page stops at the first name not found.
void expectStep(const QStringList& names, const QList<QByteArray>& texts, bool isPage, QByteArrayList& datagrams,
                QStringList& messages)
{
    for (const QString& name : names) {
        if (name.isEmpty())
            continue;
        for (const QByteArray& text : texts) {
            if (addressOf(name).isEmpty())
                messages.append(notFound(name));
            else
                datagrams.append(addressOf(name) + ' ' + text);
        }
        if (isPage && addressOf(name).isEmpty())
            return;
    }
}

} // namespace

class TestSlowNames : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { setSlowNameDelay(50); }

    void cleanup() { setSlowNameDelay(50); }

    // Start-up, >> (with its forward) and End. Each step asks for each distinct name once, all of
    // them at the same time; the forward of >> asks for none: it goes to the addresses its page was
    // just sent to.
    void stepsSendInSlotOrder_data()
    {
        QTest::addColumn<QStringList>("names");       // slot 1, 2, ...: "" leaves the slot out
        QTest::addColumn<QByteArrayList>("lookedUp"); // the names each step asks for, in any order
        const QStringList slow = thirtySlowNames();
        QByteArrayList slowAsked;
        for (const QString& name : slow)
            slowAsked.append(name.toLatin1());
        QTest::newRow("30 slow names") << slow << slowAsked;
        QStringList failing = slow;
        failing[11] = u"x12.qhfail"_s;
        QByteArrayList failingAsked = slowAsked;
        failingAsked[11] = "x12.qhfail";
        QTest::newRow("one name not found among 30 slow ones") << failing << failingAsked;
        QTest::newRow("a name in two slots, an address, a slot left out")
            << QStringList{u"c02.qhslow"_s, u"127.0.0.3"_s, QString(), u"c02.qhslow"_s, u"c05.qhslow"_s}
            << QByteArrayList{"c02.qhslow", "c05.qhslow"};
        QTest::newRow("addresses only") << QStringList{u"127.0.0.2"_s, u"127.0.0.3"_s} << QByteArrayList{};
        QTest::newRow("the first name not found") << QStringList{u"x02.qhfail"_s, u"c03.qhslow"_s, u"c04.qhslow"_s}
                                                  << QByteArrayList{"x02.qhfail", "c03.qhslow", "c04.qhslow"};
    }

    void stepsSendInSlotOrder()
    {
        QFETCH(QStringList, names);
        QFETCH(QByteArrayList, lookedUp);
        setSlowNamesTogether(int(lookedUp.size()));
        const auto alone = qScopeGuard([] { setSlowNamesTogether(0); });
        NameLookupLog log;
        PresenterFixture fixture;
        QVERIFY(fixture.start({kPageA, kPageB}, slotLines(names)));
        QByteArrayList datagrams;
        QStringList messages;
        expectStep(names, {"Command:VisibleTrue", "Command:WindowScreen"}, false, datagrams, messages);
        expectStep(names, {kPageA.toLatin1()}, true, datagrams, messages);
        QCOMPARE(fixture.children.received(), datagrams);
        QCOMPARE(fixture.messages.texts(), messages);
        const auto sorted = [](QByteArrayList list) {
            std::sort(list.begin(), list.end());
            return list;
        };
        const int rounds = lookedUp.isEmpty() ? 0 : 1; // of one step
        NameLookups lookups = log.take();
        QCOMPARE(sorted(lookups.names), sorted(lookedUp + lookedUp)); // the announcement, the first page
        QCOMPARE(lookups.rounds, 2 * rounds);

        expectStep(names, {kPageB.toLatin1()}, true, datagrams, messages);
        expectStep(names, {kPageB.toLatin1()}, true, datagrams, messages);
        QVERIFY(fixture.runLoop([&] { fixture.presenter->nextPage(); },
                                [&] {
                                    return fixture.children.count() >= datagrams.size() &&
                                           fixture.messages.messages.size() >= messages.size();
                                }));
        QCOMPARE(fixture.children.received(), datagrams);
        QCOMPARE(fixture.messages.texts(), messages);
        lookups = log.take();
        QCOMPARE(sorted(lookups.names), sorted(lookedUp));
        QCOMPARE(lookups.rounds, rounds);

        expectStep(names, {"Command:VisibleFalse"}, false, datagrams, messages);
        QVERIFY(fixture.runLoop([&] { fixture.presenter->end(); }, [] { return false; }));
        QVERIFY(fixture.presenter->hasEnded());
        QCOMPARE(fixture.children.received(), datagrams);
        QCOMPARE(fixture.messages.texts(), messages);
        lookups = log.take();
        QCOMPARE(sorted(lookups.names), sorted(lookedUp));
        QCOMPARE(lookups.rounds, rounds);
    }

    // A name the name service does not answer holds a step for at most 10 s: it then counts as not
    // found, as the teacher is told, and the presenter goes on.
    void unansweredNameEndsTheWait()
    {
        PresenterFixture fixture;
        QVERIFY(fixture.start({kPageA}, {{1, u"0"_s, u"c03.qhslow"_s, u"WindowScreen"_s}}));
        setSlowNameDelay(60000);
        QElapsedTimer step;
        step.start();
        fixture.presenter->sendToChild(0, {u"Command:VisibleTrue"_s});
        const qint64 waited = step.elapsed();
        setSlowNameDelay(50);
        QCOMPARE(fixture.messages.texts(), QStringList{notFound(u"c03.qhslow"_s)});
        QCOMPARE(fixture.children.received(), QByteArrayList{});
        QVERIFY2(waited < 30000, qPrintable(u"the step waited %1 ms for the name"_s.arg(waited)));
    }

    // A name is asked for anew at every step: what it gave an earlier step is never used again.
    // A send of several datagrams to one slot (a switch on the panel) asks once for all of them.
    void eachStepLooksItsNamesUpAnew()
    {
        NameLookupLog log;
        SlowNameAddresses addresses;
        QVERIFY(addresses.set("a.qhslow 127.0.0.2\n"));
        PresenterFixture fixture;
        QVERIFY(fixture.start({kPageA, kPageB}, {{1, u"1"_s, u"a.qhslow"_s, u"FullScreen"_s}}));
        QCOMPARE(fixture.children.received(),
                 (QByteArrayList{to("127.0.0.2", "Command:VisibleTrue"), to("127.0.0.2", "Command:FullScreen"),
                                 to("127.0.0.2", kPageA)}));
        fixture.children.clear();

        QVERIFY(addresses.set("a.qhslow 127.0.0.3\n"));
        QVERIFY(fixture.runUntilReceived([&] { fixture.presenter->home(); }, 1));
        QVERIFY(addresses.set("a.qhslow -\n"));
        QVERIFY(fixture.runLoop([&] { fixture.presenter->nextPage(); },
                                [&] { return fixture.messages.messages.size() >= 2; }));
        QCOMPARE(fixture.messages.texts(), (QStringList{notFound(u"a.qhslow"_s), notFound(u"a.qhslow"_s)}));
        QVERIFY(addresses.set("a.qhslow 127.0.0.4\n"));
        Presenter& presenter = *fixture.presenter;
        QVERIFY(fixture.runUntilReceived([&] { presenter.sendToChild(0, {u"Command:VisibleFalse"_s}); }, 2));
        QVERIFY(fixture.runUntilReceived(
            [&] {
                presenter.sendToChild(0, {u"Command:VisibleTrue"_s, presenter.browserLocation()});
            },
            4));
        QCOMPARE(fixture.children.received(),
                 (QByteArrayList{to("127.0.0.3", kPageA), to("127.0.0.4", "Command:VisibleFalse"),
                                 to("127.0.0.4", "Command:VisibleTrue"), to("127.0.0.4", kPageB)}));
        // Start-up twice, Home, >> once for both of its sends, each switch once.
        QCOMPARE(log.take().names, QByteArrayList(6, "a.qhslow"));
    }

    // The answers to the children's reports look the names up without holding the presenter: a
    // call that came right after a Hello is handled before the answer to the Hello can go out. The
    // Hello of a slot whose name is not found is not believed: that is logged, never shown.
    void answersLookNamesUpInTheBackground()
    {
        PresenterFixture fixture;
        QVERIFY(fixture.start({kPageA}, {{1, u"1"_s, u"c02.qhslow"_s, u"FullScreen"_s},
                                         {2, u"1"_s, u"x03.qhfail"_s, u"WindowScreen"_s}}));
        fixture.messages.messages.clear(); // the start-up's own, at each send to x03.qhfail
        fixture.children.clear();
        setSlowNameDelay(300);
        LogCapture log;
        qsizetype answeredWhenCallRead = -1;
        connect(fixture.presenter.get(), &Presenter::datagramReceived, this, [&](const QByteArray& datagram) {
            if (datagram.endsWith("Call"))
                answeredWhenCallRead = fixture.children.count();
        });
        QVERIFY(fixture.runLoop(
            [&] {
                QVERIFY(sendDatagramFrom("127.0.0.2", "127.0.0.1", fixture.masterPort, helloDatagram(1)));
                QVERIFY(sendDatagramFrom("127.0.0.3", "127.0.0.1", fixture.masterPort, helloDatagram(2)));
                QVERIFY(sendDatagramFrom("127.0.0.9", "127.0.0.1", fixture.masterPort, "05Call"));
            },
            [&] { return fixture.children.count() >= 3 && !log.linesWith({u"x03.qhfail"_s}).isEmpty(); }));
        QCOMPARE(answeredWhenCallRead, 0);
        QCOMPARE(fixture.children.received(),
                 (QByteArrayList{to("127.0.0.2", "Command:VisibleTrue"), to("127.0.0.2", "Command:FullScreen"),
                                 to("127.0.0.2", kPageA)}));
        QCOMPARE(fixture.messages.messages.size(), 0);
        QCOMPARE(log.linesWith({u"qh.channel: 02 x03.qhfail report from 127.0.0.3 ignored: not from the slot's "
                                u"computer (the name was not found)"_s})
                     .size(),
                 1);
    }

    // End tells the children to hide their pages: no answer still waiting for its name may follow.
    void endDropsAnswersWaitingForTheirName()
    {
        PresenterFixture fixture;
        QVERIFY(fixture.start({kPageA}, {{1, u"1"_s, u"c02.qhslow"_s, u"WindowScreen"_s}}));
        fixture.children.clear();
        setSlowNameDelay(300);
        QSignalSpy read(fixture.presenter.get(), &Presenter::datagramReceived);
        QVERIFY(fixture.runLoop(
            [&] { QVERIFY(sendDatagramFrom("127.0.0.2", "127.0.0.1", fixture.masterPort, helloDatagram(1))); },
            [&] { return read.count() == 1; }));
        fixture.presenter->end();
        QTest::qWait(700);
        QCOMPARE(fixture.children.received(), QByteArrayList{to("127.0.0.2", "Command:VisibleFalse")});
    }
};

int main(int argc, char* argv[])
{
    preloadSlowNames();
    QCoreApplication app(argc, argv);
    TestSlowNames test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_slownames.moc"
