#include "common/computernames.h"
#include "master/childchannel.h"
#include "tests/slownames/slownames.h"
#include "tests/support/loopback.h"

#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace qh;
using namespace qh::master;
using namespace qh::test;
using namespace Qt::StringLiterals;

using SendResult = ChildChannel::SendResult;
Q_DECLARE_METATYPE(ChildChannel::SendResult)

class TestChildChannel : public QObject
{
    Q_OBJECT
public:
    static void initMain() { preloadSlowNames(); } // "nohost.qhfail" fails without a name server

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
        QTest::newRow("unknown name") << u"nohost.qhfail"_s << u"listened"_s << QByteArray("x")
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

    // The master port is the presenter's alone: no other program can bind it beside the presenter,
    // not even one that asks to share it, and so none can send from it as the presenter.
    void masterPortIsNotShared()
    {
        ChildChannel channel;
        const std::uint16_t port = freeUdpPort();
        QVERIFY(channel.bind(std::int16_t(port)));
        for (const char* address : {"0.0.0.0", "127.0.0.1"}) {
            const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
            const int on = 1;
            ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
            ::setsockopt(fd, SOL_SOCKET, SO_REUSEPORT, &on, sizeof on);
            sockaddr_in beside{};
            beside.sin_family = AF_INET;
            beside.sin_port = htons(port);
            ::inet_pton(AF_INET, address, &beside.sin_addr);
            const int bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&beside), sizeof beside);
            ::close(fd);
            QVERIFY2(bound != 0, address);
        }
    }
};

QTEST_GUILESS_MAIN(TestChildChannel)
#include "test_childchannel.moc"
