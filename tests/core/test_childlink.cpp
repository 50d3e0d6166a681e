// The child's socket on loopback: the check of the sender, the search for the master through a slow
// name service, what the master sends arriving as actions, the calls and the reports to the master.
#include "child/childlink.h"
#include "child/mastersource.h"
#include "common/cp932text.h"
#include "common/datagrams.h"
#include "tests/slownames/slownames.h"
#include "tests/support/actionsummary.h"
#include "tests/support/childprocess.h"
#include "tests/support/loopback.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>

using namespace qh;
using namespace qh::child;
using namespace qh::test;
using namespace Qt::StringLiterals;

class TestChildLink : public QObject
{
    Q_OBJECT
private slots:
    // Datagrams from the master's address and the master port pass in order; others are dropped.
    void onlyTheMastersDatagramsPass_data()
    {
        QTest::addColumn<QString>("masterName");
        QTest::addColumn<bool>("acceptAny");
        QTest::addColumn<QStringList>("senders"); // each sends "<address>:<port>"
        QTest::addColumn<QStringList>("passed");
        QTest::addColumn<bool>("afterFound"); // sent once the name was found, else at once
        const QStringList senders{u"127.0.0.1:5002"_s, u"127.0.0.9:5002"_s, u"127.0.0.1:5002"_s, u"127.0.0.1:40000"_s};
        const QStringList fromTheMaster{u"127.0.0.1:5002"_s, u"127.0.0.1:5002"_s};
        QTest::newRow("master by address") << u"127.0.0.1"_s << false << senders << fromTheMaster << false;
        QTest::newRow("any sender") << u"127.0.0.1"_s << true << senders << senders << false;
        QTest::newRow("master by name, found") << u"localhost"_s << false << senders << fromTheMaster << true;
        // Taken later, they could undo what the master sent since: a heal brings the page.
        QTest::newRow("master by name, still looked up")
            << u"localhost"_s << false << senders << QStringList() << false;
        QTest::newRow("IPv4 mapped into IPv6") << u"127.0.0.1"_s << false << QStringList{u"::ffff:127.0.0.1:5002"_s}
                                               << QStringList{u"::ffff:127.0.0.1:5002"_s} << false;
    }
    void onlyTheMastersDatagramsPass()
    {
        QFETCH(QString, masterName);
        QFETCH(bool, acceptAny);
        QFETCH(QStringList, senders);
        QFETCH(QStringList, passed);
        QFETCH(bool, afterFound);
        MasterSource source(masterName, 5002, acceptAny);
        QSignalSpy found(&source, &MasterSource::found);
        source.start();
        if (afterFound)
            QTRY_COMPARE(found.size(), 1);
        QStringList got;
        QObject::connect(&source, &MasterSource::accepted, &source,
                         [&got](const QByteArray& datagram) { got.append(QString::fromLatin1(datagram)); });
        QSignalSpy dropped(&source, &MasterSource::dropped);
        for (const QString& sender : senders) {
            const qsizetype colon = sender.lastIndexOf(u':');
            source.offer(sender.toLatin1(), QHostAddress(sender.left(colon)), quint16(sender.mid(colon + 1).toUInt()));
        }
        QTRY_COMPARE(got.size() + dropped.size(), senders.size());
        QCOMPARE(got, passed);
        QTRY_COMPARE(found.size(), 1);
        QCOMPARE(source.masterAddress(), QHostAddress(u"127.0.0.1"_s));
    }

    // The socket on loopback: the child says Hello to the master port as it starts, what the
    // master sends arrives as actions (and answers the Hello), a classmate's datagram is dropped,
    // a call reaches the master port, and no second child takes the same address and port.
    void linkReceivesAndCalls()
    {
        LoopbackChildren master;
        const std::uint16_t masterPort = master.bindFreePort();
        ChildSettings settings = loopbackChildSettings(7, freeUdpPort(), masterPort);
        const QByteArray address = childLoopbackAddress(7);
        ChildLink link(settings);
        QSignalSpy answered(&link, &ChildLink::masterAnswered);
        QVERIFY(link.bind());
        QVERIFY(link.isMasterKnown());
        ChildLink twin(settings);
        QVERIFY(!twin.bind());
        settings.number = 8;
        settings.bindAddress = QHostAddress(QString::fromLatin1(childLoopbackAddress(8)));
        ChildLink neighbour(settings);
        QVERIFY(neighbour.bind()); // another child on the same port of the next address

        QByteArrayList received;
        const auto receive = [&master, &received] {
            for (const Arrival& arrival : master.take()) {
                if (!arrival.payload.contains("Showing:"))
                    received.append(arrival.to + ' ' + arrival.payload);
            }
            return received;
        };
        QTRY_COMPARE(receive().size(), 2);
        QVERIFY(received.contains("127.0.0.1 07Hello"));
        QVERIFY(received.contains("127.0.0.1 08Hello"));
        QCOMPARE(answered.size(), 0);

        QStringList actions;
        QObject::connect(&link, &ChildLink::actionReceived, &link,
                         [&actions](const ChildAction& action) { actions.append(actionSummary(action)); });
        QSignalSpy dropped(&link, &ChildLink::datagramDropped);
        QVERIFY(master.sendFrom("127.0.0.1", address.constData(), settings.childPort, "Command:VisibleTrue"));
        QVERIFY(sendDatagramFrom("127.0.0.20", address.constData(), settings.childPort, "Command:VisibleFalse"));
        // Another program on the teacher's computer, not from the master port.
        QVERIFY(sendDatagramFrom("127.0.0.1", address.constData(), settings.childPort, "Command:VisibleFalse"));
        QVERIFY(master.sendFrom("127.0.0.1", address.constData(), settings.childPort, "http://example.com/"));
        QTRY_COMPARE(actions, (QStringList{u"show"_s, u"http://example.com/"_s}));
        QTRY_COMPARE(dropped.size(), 2);
        QCOMPARE(answered.size(), 1);

        QCOMPARE(link.call(), ChildLink::CallResult::Sent);
        QCOMPARE(link.call(), ChildLink::CallResult::TooSoon);
        QTRY_COMPARE(receive().size(), 3);
        QTest::qWait(50);
        QCOMPARE(receive().last(), QByteArray("127.0.0.1 07Call"));
        QCOMPARE(received.size(), 3);
    }

    // "07Showing:" carries the bytes of the last page address the master sent, exactly: once its
    // load has ended (`settle`: the page window says so), or at once for an address the child does
    // not open. A datagram "@20 ..." comes from a classmate's computer.
    void showingNamesTheLastAddressExactly_data()
    {
        QTest::addColumn<QByteArrayList>("datagrams");
        QTest::addColumn<bool>("settle");
        QTest::addColumn<QByteArray>("showing"); // null: none is sent
        const QByteArray japanese = cp932::encode(u"file:///srv/授業.html"_s);
        QTest::newRow("code page 932 address") << QByteArrayList{japanese} << true << "07Showing:" + japanese;
        QTest::newRow("address refused, told at once")
            << QByteArrayList{"javascript:alert(1)"} << false << QByteArray("07Showing:javascript:alert(1)");
        QTest::newRow("empty address") << QByteArrayList{QByteArray("")} << false << QByteArray("07Showing:");
        QTest::newRow("commands after the page")
            << QByteArrayList{"http://example.com/a", "Command:VisibleTrue", "Command:CallReceived", "Command:Other"}
            << true << QByteArray("07Showing:http://example.com/a");
        QTest::newRow("a classmate's page") << QByteArrayList{"http://example.com/a", "@20 http://example.com/x"}
                                            << true << QByteArray("07Showing:http://example.com/a");
        QTest::newRow("no page yet") << QByteArrayList{"Command:VisibleTrue"} << true << QByteArray();
        // The longest address a datagram brings, reported by as many bytes as a report carries.
        const QByteArray longest = "javascript:" + QByteArray(kLargestDatagramBytes - 11, 'x');
        QTest::newRow("too long to report whole")
            << QByteArrayList{longest} << false << "07Showing:" + longest.first(kLargestDatagramBytes - 10);
    }
    void showingNamesTheLastAddressExactly()
    {
        QFETCH(QByteArrayList, datagrams);
        QFETCH(bool, settle);
        QFETCH(QByteArray, showing);
        LoopbackChildren master;
        const ChildSettings settings = loopbackChildSettings(7, freeUdpPort(), master.bindFreePort());
        ChildLink link(settings);
        QVERIFY(link.bind());
        QSignalSpy actions(&link, &ChildLink::actionReceived);
        QSignalSpy dropped(&link, &ChildLink::datagramDropped);
        for (const QByteArray& datagram : datagrams) {
            if (datagram.startsWith("@20 "))
                QVERIFY(sendDatagramFrom("127.0.0.20", childLoopbackAddress(7).constData(), settings.childPort,
                                         datagram.mid(4)));
            else
                QVERIFY(
                    master.sendFrom("127.0.0.1", childLoopbackAddress(7).constData(), settings.childPort, datagram));
        }
        QTRY_COMPARE(actions.size() + dropped.size(), datagrams.size());
        if (settle)
            link.pageSettled();
        QByteArrayList reports;
        const auto showings = [&master, &reports] {
            for (const Arrival& arrival : master.take()) {
                if (arrival.payload != "07Hello")
                    reports.append(arrival.payload);
            }
            return reports.size();
        };
        if (showing.isNull()) {
            QTest::qWait(300);
            QCOMPARE(showings(), 0);
        } else {
            QTRY_VERIFY(showings() > 0);
            QCOMPARE(reports.last(), showing);
        }
    }

    // 300 pages in a burst and one more, while the child is too busy to read: the child gets
    // them all and ends on the last.
    void burstLeavesTheChildOnTheLastPage()
    {
        LoopbackChildren master;
        const ChildSettings settings = loopbackChildSettings(7, freeUdpPort(), master.bindFreePort());
        ChildLink link(settings);
        QVERIFY(link.bind());
        QStringList pages;
        QObject::connect(&link, &ChildLink::actionReceived, &link,
                         [&pages](const ChildAction& action) { pages.append(actionSummary(action)); });
        for (int i = 1; i <= 301; ++i) {
            const QByteArray page = "http://example.com/lesson/page" + QByteArray::number(i) + ".html";
            QVERIFY(master.sendFrom("127.0.0.1", childLoopbackAddress(7).constData(), settings.childPort, page));
        }
        QTRY_COMPARE(pages.size(), 301);
        QCOMPARE(pages.last(), u"http://example.com/lesson/page301.html"_s);
    }

    // A flood of addresses that the child does not open does not become a flood of reports to the
    // teacher's computer; the last report still names the last address.
    void floodOfAddressesIsToldSparingly()
    {
        LoopbackChildren master;
        const ChildSettings settings = loopbackChildSettings(7, freeUdpPort(), master.bindFreePort());
        ChildLink link(settings);
        QVERIFY(link.bind());
        QSignalSpy actions(&link, &ChildLink::actionReceived);
        for (int i = 1; i <= 300; ++i)
            QVERIFY(master.sendFrom("127.0.0.1", childLoopbackAddress(7).constData(), settings.childPort,
                                    "javascript:" + QByteArray::number(i)));
        QTRY_COMPARE(actions.size(), 300);
        QByteArrayList showings;
        QTRY_VERIFY((
            showings +=
            [&master] {
                QByteArrayList each;
                for (const Arrival& arrival : master.take()) {
                    if (arrival.payload.contains("Showing:"))
                        each.append(arrival.payload);
                }
                return each;
            }(),
            showings.endsWith("07Showing:javascript:300")));
        QVERIFY2(showings.size() < 30, qPrintable(QString::number(showings.size())));
    }

    // A master whose name is not found at first is looked for until it is; meanwhile the child
    // takes nothing from anyone and cannot call. A master that moves is followed, and told Hello
    // at its new address; what it sent before the child knew is dropped, not taken late. The slow
    // name service answers the names: teacher.qhslow (child 07) is not found until the test gives
    // it 127.0.0.1; moved.qhslow (child 08) moves to 127.0.0.40.
    void masterIsLookedForAndFollowed()
    {
        SlowNameAddresses names;
        QVERIFY(names.set("teacher.qhslow -\n"));
        LoopbackChildren master;
        const std::uint16_t masterPort = master.bindFreePort();
        ChildSettings lateSettings = loopbackChildSettings(7, freeUdpPort(), masterPort);
        lateSettings.masterName = u"teacher.qhslow"_s;
        ChildSettings movedSettings = loopbackChildSettings(8, lateSettings.childPort, masterPort);
        movedSettings.masterName = u"moved.qhslow"_s;
        ChildLink late(lateSettings);
        ChildLink moved(movedSettings);
        QSignalSpy movedFound(&moved, &ChildLink::masterFound);
        QSignalSpy lateDropped(&late, &ChildLink::datagramDropped);
        QStringList actions;
        for (ChildLink* link : {&late, &moved}) {
            QObject::connect(link, &ChildLink::actionReceived, link, [&actions, link](const ChildAction& action) {
                actions.append(QString::number(link->isMasterKnown()) + actionSummary(action));
            });
        }
        QVERIFY(late.bind());
        QVERIFY(moved.bind());
        QTRY_COMPARE(movedFound.size(), 1);

        QVERIFY(!late.isMasterKnown());
        QCOMPARE(late.call(), ChildLink::CallResult::Failed);
        const quint16 port = lateSettings.childPort;
        QVERIFY(sendDatagramFrom("127.0.0.20", childLoopbackAddress(7).constData(), port, "Command:VisibleFalse"));
        QVERIFY(master.sendFrom("127.0.0.1", childLoopbackAddress(7).constData(), port, "Command:WindowScreen"));
        QVERIFY(names.set("teacher.qhslow 127.0.0.1\nmoved.qhslow 127.0.0.40\n"));
        QVERIFY(master.sendFrom("127.0.0.40", childLoopbackAddress(8).constData(), port, "Command:WindowScreen"));

        QSet<QByteArray> hellos; // where each child's Hello went; 08 may have said it twice at 127.0.0.1
        const QSet<QByteArray> expected{"127.0.0.1 08Hello", "127.0.0.40 08Hello", "127.0.0.1 07Hello"};
        QTRY_VERIFY_WITH_TIMEOUT((
                                     [&] {
                                         for (const Arrival& arrival : master.take())
                                             hellos.insert(arrival.to + ' ' + arrival.payload);
                                     }(),
                                     hellos == expected),
                                 15000);
        QCOMPARE(lateDropped.size(), 2);
        QVERIFY(master.sendFrom("127.0.0.1", childLoopbackAddress(7).constData(), port, "Command:VisibleTrue"));
        QVERIFY(master.sendFrom("127.0.0.40", childLoopbackAddress(8).constData(), port, "Command:FullScreen"));
        QTRY_COMPARE(actions.size(), 2);
        QCOMPARE(QSet<QString>(actions.begin(), actions.end()), (QSet<QString>{u"1show"_s, u"1full"_s}));
    }
};

int main(int argc, char* argv[])
{
    preloadSlowNames();
    QCoreApplication app(argc, argv);
    TestChildLink test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_childlink.moc"
