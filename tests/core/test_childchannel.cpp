#include "common/computernames.h"
#include "master/childchannel.h"
#include "tests/support/loopback.h"

#include <QTest>

using namespace qh;
using namespace qh::master;
using namespace qh::test;
using namespace Qt::StringLiterals;

using SendResult = ChildChannel::SendResult;
Q_DECLARE_METATYPE(ChildChannel::SendResult)

class TestChildChannel : public QObject
{
    Q_OBJECT
private slots:
    void sendReachesTheNamedComputer_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("childPort"); // "listened": the port the children listen on
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<SendResult>("result");
        QTest::addColumn<QByteArray>("receivedBy"); // empty: nothing arrives
        QTest::newRow("address text") << u"127.0.0.2"_s << u"listened"_s << QByteArray("Command:VisibleTrue")
                                      << SendResult::Sent << QByteArray("127.0.0.2");
        QTest::newRow("another child") << u"127.0.0.3"_s << u"listened"_s << QByteArray("http://a/") << SendResult::Sent
                                       << QByteArray("127.0.0.3");
        QTest::newRow("host name") << u"localhost"_s << u"listened"_s << QByteArray("Command:") << SendResult::Sent
                                   << QByteArray("127.0.0.1");
        QTest::newRow("code page 932 bytes") << u"127.0.0.2"_s << u"listened"_s << QByteArray("\x83\x79\x81\x5b")
                                             << SendResult::Sent << QByteArray("127.0.0.2");
        QTest::newRow("unknown name") << u"nohost.invalid"_s << u"listened"_s << QByteArray("x")
                                      << SendResult::NameNotFound << QByteArray();
        QTest::newRow("empty name") << QString() << u"listened"_s << QByteArray("x") << SendResult::NameNotFound
                                    << QByteArray();
        QTest::newRow("blank name") << u" "_s << u"listened"_s << QByteArray("x") << SendResult::NameNotFound
                                    << QByteArray();
        QTest::newRow("IPv6 address") << u"::1"_s << u"listened"_s << QByteArray("x") << SendResult::NameNotFound
                                      << QByteArray();
        QTest::newRow("any address") << u"0.0.0.0"_s << u"listened"_s << QByteArray("x") << SendResult::NameNotFound
                                     << QByteArray();
        QTest::newRow("child port 0") << u"127.0.0.2"_s << u"0"_s << QByteArray("x") << SendResult::Failed
                                      << QByteArray();
        QTest::newRow("negative child port")
            << u"127.0.0.2"_s << u"-1"_s << QByteArray("x") << SendResult::Failed << QByteArray();
    }

    void sendReachesTheNamedComputer()
    {
        QFETCH(QString, name);
        QFETCH(QString, childPort);
        QFETCH(QByteArray, payload);
        QFETCH(SendResult, result);
        QFETCH(QByteArray, receivedBy);
        ChildrenListener children;
        const std::uint16_t port = children.bindFreePort();
        QVERIFY(port != 0);
        ChildChannel channel;
        QVERIFY(channel.bind(std::int16_t(freeUdpPort())));
        const QHostAddress destination = lookUpComputerName(name).address;
        QCOMPARE(channel.send(destination, std::int16_t(childPort == u"listened" ? port : childPort.toInt()), payload),
                 result);
        const QByteArrayList expected =
            receivedBy.isEmpty() ? QByteArrayList{} : QByteArrayList{receivedBy + ' ' + payload};
        QCOMPARE(children.received(), expected);
    }
};

QTEST_GUILESS_MAIN(TestChildChannel)
#include "test_childchannel.moc"
