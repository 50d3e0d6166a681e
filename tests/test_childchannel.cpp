#include "childchannel.h"
#include "messagebox.h"
#include "udplisteners.h"

#include <QSignalSpy>
#include <QTest>

using namespace qh;
using namespace qh::master;
using namespace qh::test;

using SendResult = ChildChannel::SendResult;
Q_DECLARE_METATYPE(ChildChannel::SendResult)

class TestChildChannel : public QObject
{
    Q_OBJECT
private slots:
    void sendReachesTheNamedComputer_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<SendResult>("result");
        QTest::addColumn<QByteArray>("receivedBy"); // empty: nothing arrives
        QTest::newRow("address text") << u"127.0.0.2"_qs << QByteArray("Command:VisibleTrue") << SendResult::Sent
                                      << QByteArray("127.0.0.2");
        QTest::newRow("another child") << u"127.0.0.3"_qs << QByteArray("http://a/") << SendResult::Sent
                                       << QByteArray("127.0.0.3");
        QTest::newRow("host name") << u"localhost"_qs << QByteArray("Command:") << SendResult::Sent
                                   << QByteArray("127.0.0.1");
        QTest::newRow("code page 932 bytes")
            << u"127.0.0.2"_qs << QByteArray("\x83\x79\x81\x5b") << SendResult::Sent << QByteArray("127.0.0.2");
        QTest::newRow("unknown name") << u"nohost.invalid"_qs << QByteArray("x") << SendResult::NameNotFound
                                      << QByteArray();
        QTest::newRow("empty name") << QString() << QByteArray("x") << SendResult::NameNotFound << QByteArray();
        QTest::newRow("blank name") << u" "_qs << QByteArray("x") << SendResult::NameNotFound << QByteArray();
        QTest::newRow("any address") << u"0.0.0.0"_qs << QByteArray("x") << SendResult::NameNotFound << QByteArray();
    }

    void sendReachesTheNamedComputer()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, payload);
        QFETCH(SendResult, result);
        QFETCH(QByteArray, receivedBy);
        ChildrenListener children;
        const std::uint16_t port = children.bindFreePort();
        QVERIFY(port != 0);
        ChildChannel channel;
        QVERIFY(channel.Bind(std::int16_t(freeMasterPort())));
        QCOMPARE(channel.send(name, std::int16_t(port), payload), result);
        const QByteArrayList expected =
            receivedBy.isEmpty() ? QByteArrayList{} : QByteArrayList{receivedBy + ' ' + payload};
        QCOMPARE(children.received(), expected);
    }

    void sendToAnUnusableChildPortFailsQuietly()
    {
        ChildChannel channel;
        QCOMPARE(channel.send(u"127.0.0.2"_qs, 0, "x"), SendResult::Failed);
        QCOMPARE(channel.send(u"127.0.0.2"_qs, -1, "x"), SendResult::Failed);
    }

    void bindTakesOnlyAFreeUsablePort_data()
    {
        QTest::addColumn<int>("port");
        QTest::addColumn<bool>("occupied");
        QTest::addColumn<bool>("bound");
        QTest::newRow("free") << 0 << false << true;
        QTest::newRow("in use") << 0 << true << false;
        QTest::newRow("zero") << -1 << false << false;
        QTest::newRow("negative") << -2 << false << false;
    }

    void bindTakesOnlyAFreeUsablePort()
    {
        QFETCH(int, port);
        QFETCH(bool, occupied);
        QFETCH(bool, bound);
        ChildrenListener occupant;
        if (port == 0)
            port = freeMasterPort();
        else
            port = port + 1; // -1 -> 0, -2 -> -1
        if (occupied)
            QVERIFY(occupant.bind(std::uint16_t(port)));
        ChildChannel channel;
        QCOMPARE(channel.Bind(std::int16_t(port)), bound);
        if (bound)
            QCOMPARE(int(channel.Winsock1().localPort()), port);

        // Sending works either way.
        ChildrenListener children;
        const std::uint16_t childPort = children.bindFreePort();
        QCOMPARE(channel.send(u"127.0.0.2"_qs, std::int16_t(childPort), "Command:VisibleTrue"), SendResult::Sent);
        QCOMPARE(children.received(), QByteArrayList{"127.0.0.2 Command:VisibleTrue"});
    }

    void callsAreReadInOrderOnceNothingHoldsThem()
    {
        ChildChannel channel;
        const std::uint16_t port = freeMasterPort();
        QVERIFY(channel.Bind(std::int16_t(port)));
        QByteArrayList read;
        connect(&channel, &ChildChannel::datagramRead, this,
                [&read](const QByteArray& datagram) { read.append(datagram); });

        QVERIFY(sendDatagram("127.0.0.1", port, "01Call"));
        QVERIFY(sendDatagram("127.0.0.1", port, "02Call"));
        QTRY_COMPARE(read, (QByteArrayList{"01Call", "02Call"}));

        // Held while a page loads.
        read.clear();
        channel.setReadingHeld(true);
        QVERIFY(sendDatagram("127.0.0.1", port, "03Call"));
        QTest::qWait(50);
        QVERIFY(read.isEmpty());
        channel.setReadingHeld(false);
        QTRY_COMPARE(read, QByteArrayList{"03Call"});

        // Held while a message box is open.
        read.clear();
        MessageCapture capture;
        qsizetype readDuringBox = -1;
        capture.whileOpen = [&] {
            QVERIFY(sendDatagram("127.0.0.1", port, "04Call"));
            QVERIFY(sendDatagram("127.0.0.1", port, "05Call"));
            QTest::qWait(50);
            readDuringBox = read.size();
        };
        showMessage(u"box"_qs);
        QCOMPARE(readDuringBox, 0);
        QTRY_COMPARE(read, (QByteArrayList{"04Call", "05Call"}));
    }

    void namesAreResolvedAtEachCall()
    {
        QCOMPARE(resolveComputerName(u"127.0.0.9"_qs), QHostAddress(u"127.0.0.9"_qs));
        QCOMPARE(resolveComputerName(u"localhost"_qs), QHostAddress(QHostAddress::LocalHost));
        QVERIFY(resolveComputerName(u"nohost.invalid"_qs).isNull());
        QVERIFY(resolveComputerName(QString()).isNull());
    }
};

QTEST_GUILESS_MAIN(TestChildChannel)
#include "test_childchannel.moc"
