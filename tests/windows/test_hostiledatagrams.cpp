// Hostile datagrams to the presenter's master port: each is followed by a well-formed call, which
// must be listed as the only call, with the presenter still reading and nothing else counted.
#include "tests/support/presenterwindowsfixture.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;

using namespace qh;
using namespace qh::master;
using namespace qh::test;

namespace {
// Sends the datagrams, then one call per datagram group, and runs the presenter until `calls`
// calls are listed.
bool sendAndWait(PresenterWindowsFixture& fixture, const QByteArrayList& datagrams, int calls)
{
    bool sent = true;
    return fixture.runLoop(
               [&] {
                   for (const QByteArray& datagram : datagrams)
                       sent = sendDatagram("127.0.0.1", fixture.masterPort, datagram) && sent;
               },
               [&] { return fixture.windows().calls().callCount() >= calls; }, 5000) &&
           sent;
}
} // namespace

class TestHostileDatagrams : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { quietOffscreenWarnings(); }

    void hostileDatagramIsIgnored_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("one byte") << QByteArray("7");
        QTest::newRow("largest datagram") << QByteArray(65507, 'C');
        QTest::newRow("largest, ending in Call") << QByteArray(65503, '0') + "Call";
        QTest::newRow("NUL bytes") << QByteArray("07\0Call", 7);
        QTest::newRow("NUL after the call") << QByteArray("07Call\0", 7);
        QTest::newRow("invalid code page 932") << QByteArray("\x80\xff\xa0\xfd\xfe");
        QTest::newRow("lone lead byte") << QByteArray("\x81");
        QTest::newRow("lead byte before Call") << QByteArray("0\x81"
                                                             "Call");
        QTest::newRow("number above 30") << QByteArray("31Call");
        QTest::newRow("lower case") << QByteArray("07call");
        QTest::newRow("line end") << QByteArray("07Call\r\n");
        QTest::newRow("three digits") << QByteArray("107Call");
        QTest::newRow("Call twice") << QByteArray("07CallCall");
        QTest::newRow("command") << QByteArray("Command:VisibleFalse");
    }
    void hostileDatagramIsIgnored()
    {
        QFETCH(QByteArray, datagram);
        PresenterWindowsFixture fixture;
        fixture.writeUrlList({kPageA});
        fixture.writeSettings({});
        fixture.make();
        QVERIFY(fixture.presenter->startUp());
        QVERIFY(sendAndWait(fixture, {datagram, "17Call"}, 1));
        QCOMPARE(callEntries(fixture.windows().calls()), QStringList{u"01:コンピュータ番号:17"_s});
    }

    // Random datagrams of every length up to 2 000 bytes, a call after every hundred of them (so
    // that none is lost to a full buffer): only the calls are listed, in order.
    void randomDatagramsAreIgnored()
    {
        PresenterWindowsFixture fixture;
        fixture.writeUrlList({kPageA});
        fixture.writeSettings({});
        fixture.make();
        QVERIFY(fixture.presenter->startUp());
        QRandomGenerator random(20261208);
        QStringList expected;
        for (int round = 1; round <= 100; ++round) {
            QByteArrayList datagrams;
            for (int i = 0; i < 100; ++i) {
                QByteArray bytes(random.bounded(2001), Qt::Uninitialized);
                for (char& byte : bytes)
                    byte = char(random.bounded(256));
                if (!bytes.endsWith("Call"))
                    datagrams.append(bytes);
            }
            datagrams.append("23Call");
            QVERIFY2(sendAndWait(fixture, datagrams, round), qPrintable(u"round %1"_s.arg(round)));
            expected.append(u"%1:コンピュータ番号:23"_s.arg(round % 100, 2, 10, QChar(u'0')));
        }
        QCOMPARE(callEntries(fixture.windows().calls()), expected);
    }
};

QTEST_MAIN(TestHostileDatagrams)
#include "test_hostiledatagrams.moc"
