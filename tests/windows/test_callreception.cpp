#include "master/callentry.h"
#include "master/callreception.h"
#include "master/callwindow.h"
#include "master/childchannel.h"
#include "tests/support/presenterwindowsfixture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

#include <unistd.h>

using namespace qh;
using namespace qh::master;
using namespace qh::test;
using namespace Qt::StringLiterals;

namespace {
#ifdef __SANITIZE_ADDRESS__
// AddressSanitizer keeps freed memory in quarantine (256 MiB): the process's size says nothing then.
constexpr bool kMemoryTellsGrowth = false;
#else
constexpr bool kMemoryTellsGrowth = true;
#endif

// The memory the process holds now.
qint64 residentBytes()
{
    QFile statm(u"/proc/self/statm"_s);
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    return statm.readAll().split(' ').value(1).toLongLong() * ::sysconf(_SC_PAGESIZE);
}

// Calls back each time the window is shown.
class WatchShows : public QObject
{
public:
    WatchShows(QWidget* window, std::function<void()> shown) : m_shown(std::move(shown))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            m_shown();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_shown;
};
} // namespace

// The children's calls reach a CallReception through the presenter's real channel, bound on
// loopback at the master port, from a plain socket that stands for the children.
class TestCallReception : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<CallReception> m_reception;
    std::unique_ptr<ChildChannel> m_channel;
    std::uint16_t m_masterPort = 0;

    bool send(const QByteArray& datagram) { return sendDatagram("127.0.0.1", m_masterPort, datagram); }

    QStringList entries() const { return callEntries(*m_reception); }

    int entryCount() const { return m_reception->window() ? m_reception->window()->callList()->count() : 0; }

private slots:
    void initTestCase() { quietOffscreenWarnings(); }

    void init()
    {
        m_reception = std::make_unique<CallReception>();
        m_channel = std::make_unique<ChildChannel>();
        m_masterPort = freeUdpPort();
        QVERIFY(m_channel->bind(std::int16_t(m_masterPort)));
        connect(m_channel.get(), &ChildChannel::datagramRead, m_reception.get(), &CallReception::handleDatagram);
    }

    void cleanup()
    {
        m_channel.reset();
        m_reception.reset();
    }

    void eachDatagramIsCheckedOnItsOwn_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<QString>("number"); // the computer number listed, or empty when ignored
        QTest::newRow("05Call") << QByteArray("05Call") << u"05"_s;
        QTest::newRow("30Call") << QByteArray("30Call") << u"30"_s;
        QTest::newRow("31Call") << QByteArray("31Call") << QString();
        QTest::newRow("99Call") << QByteArray("99Call") << QString();
        QTest::newRow("00Call") << QByteArray("00Call") << u"00"_s;
        QTest::newRow("-1Call") << QByteArray("-1Call") << u"-1"_s;
        QTest::newRow("blank and 7") << QByteArray(" 7Call") << u" 7"_s;
        QTest::newRow("digit and blank") << QByteArray("9 Call") << u"9 "_s;
        QTest::newRow("one digit") << QByteArray("7Call") << QString();
        QTest::newRow("lower case") << QByteArray("07call") << QString();
        QTest::newRow("CR LF after") << QByteArray("07Call\r\n") << QString();
        QTest::newRow("LF after") << QByteArray("07Call\n") << QString();
        QTest::newRow("NUL after") << QByteArray("07Call\0", 7) << QString();
        QTest::newRow("blank before") << QByteArray(" 07Call") << QString();
        QTest::newRow("verb twice") << QByteArray("07CallCall") << QString();
        QTest::newRow("two characters") << QByteArray("07") << QString();
        QTest::newRow("one character") << QByteArray("0") << QString();
        QTest::newRow("empty") << QByteArray() << QString();
        // Positions count characters: two wide digits are four bytes but two characters.
        QTest::newRow("wide digits") << QByteArray("\x82\x4f\x82\x54"
                                                   "Call")
                                     << u"０５"_s;
        QTest::newRow("wide 31") << QByteArray("\x82\x52\x82\x50"
                                               "Call")
                                 << u"３１"_s;
        QTest::newRow("lead byte left at the end") << QByteArray("07Call\x81") << QString();
        QTest::newRow("foreign text") << QByteArray("Command:VisibleTrue") << QString();
    }

    void eachDatagramIsCheckedOnItsOwn()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(QString, number);
        // A call sent after the datagram is read after it: once it is listed, the datagram has been
        // handled.
        QVERIFY(send(datagram));
        QVERIFY(send("01Call"));
        const QStringList expected = number.isEmpty()
                                         ? QStringList{u"01:コンピュータ番号:01"_s}
                                         : QStringList{u"01:コンピュータ番号:"_s + number, u"02:コンピュータ番号:01"_s};
        QTRY_COMPARE(entries(), expected);
        QCOMPARE(m_reception->callCount(), qint16(expected.size()));
    }

    void everyCallShowsTheOneWindow()
    {
        QVERIFY(!m_reception->window());
        QVERIFY(send("05Call"));
        QTRY_VERIFY(m_reception->window());
        CallWindow* window = m_reception->window();
        QVERIFY(window->isVisible());
        window->hide();
        QVERIFY(send("31Call")); // ignored: leaves the window hidden
        QVERIFY(send("12Call"));
        QTRY_COMPARE(entryCount(), 2);
        QCOMPARE(m_reception->window(), window);
        QTRY_VERIFY(window->isVisible()); // within a quarter of a second of the first call
        QCOMPARE(entries(), (QStringList{u"01:コンピュータ番号:05"_s, u"02:コンピュータ番号:12"_s}));
    }

    // The list shows the last two digits of the count, in arrival order; the count holds 32 767 at
    // most and then steps back by a multiple of 100, so the two digits go on without a jump.
    void sequenceKeepsTwoDigits_data()
    {
        QTest::addColumn<int>("calls");
        QTest::addColumn<QStringList>("lastSequences");
        QTest::newRow("first") << 1 << QStringList{u"01"_s};
        QTest::newRow("tenth") << 10 << QStringList{u"09"_s, u"10"_s};
        QTest::newRow("past 100") << 101 << QStringList{u"99"_s, u"00"_s, u"01"_s};
        QTest::newRow("past the count's top") << 32769 << QStringList{u"66"_s, u"67"_s, u"68"_s, u"69"_s};
    }

    void sequenceKeepsTwoDigits()
    {
        QFETCH(int, calls);
        QFETCH(QStringList, lastSequences);
        // All but the last are handed over directly, for speed; the last one travels by socket.
        for (int call = 1; call < calls; ++call)
            m_reception->handleDatagram("05Call");
        const qint16 countBefore = m_reception->callCount();
        QVERIFY(send("05Call"));
        QTRY_VERIFY(m_reception->callCount() != countBefore);
        const int listed = std::min(calls, kCallListLimit);
        QCOMPARE(entryCount(), listed);
        QStringList expected;
        for (const QString& sequence : lastSequences)
            expected.append(sequence + u":コンピュータ番号:05"_s);
        QCOMPARE(entries().mid(listed - lastSequences.size()), expected);
    }

    // A flood of calls, as anyone on the network can send: the window keeps the newest calls, the
    // sequence going on, comes up at most four times a second, and the presenter's memory stays
    // where it was, give or take 20 MiB. (bench_calls --flood sends a million through the socket.)
    void floodOfCallsIsBounded()
    {
        constexpr int kCalls = 150000;
        m_reception->handleDatagram("30Call"); // the window exists before the measure
        CallWindow* window = m_reception->window();
        // The test takes the window away each time it comes up, to see it come up again.
        int broughtUp = 0;
        auto shows = std::make_unique<WatchShows>(window, [&] {
            ++broughtUp;
            QTimer::singleShot(0, window, &QWidget::hide);
        });
        window->hide();
        QCoreApplication::processEvents();
        const qint64 before = residentBytes();
        QElapsedTimer flood;
        flood.start();
        for (int call = 1; call <= kCalls; ++call) {
            m_reception->handleDatagram(u"%1Call"_s.arg(call % 30 + 1, 2, 10, QChar(u'0')).toLatin1());
            if (call % 1000 == 0)
                QCoreApplication::processEvents(); // the presenter's other events between shares
        }
        const qint64 floodMs = flood.elapsed();
        const qint64 grown = residentBytes() - before;
        shows.reset();
        QTest::qWait(2 * kCallWindowIntervalMs);
        window->hide();
        // After a quiet moment, a call brings the window up at once.
        m_reception->handleDatagram("07Call");
        QVERIFY(window->isVisible());
        qInfo("%d calls in %lld ms: the window came up %d times, memory grew by %lld KiB", kCalls, floodMs, broughtUp,
              grown / 1024);

        QCOMPARE(m_reception->window(), window);
        QCOMPARE(entryCount(), kCallListLimit);
        const QStringList listed = entries();
        // Call n (30Call is the first, 07Call the last) is listed with the last two digits of n.
        const auto entryOf = [](int n, int number) {
            return u"%1:コンピュータ番号:%2"_s.arg(n % 100, 2, 10, QChar(u'0')).arg(number, 2, 10, QChar(u'0'));
        };
        QCOMPARE(listed.last(), entryOf(kCalls + 2, 7));
        QCOMPARE(listed.at(kCallListLimit - 2), entryOf(kCalls + 1, kCalls % 30 + 1));
        QCOMPARE(listed.first(), entryOf(kCalls + 3 - kCallListLimit, (kCalls + 2 - kCallListLimit) % 30 + 1));
        QVERIFY2(!kMemoryTellsGrowth || grown < 20 * 1024 * 1024, qPrintable(u"grew by %1 KiB"_s.arg(grown / 1024)));
        QVERIFY2(broughtUp <= floodMs / kCallWindowIntervalMs + 2, qPrintable(u"came up %1 times"_s.arg(broughtUp)));
    }

    void closingStartsAFreshList_data()
    {
        QTest::addColumn<bool>("byButton");
        QTest::newRow("閉じる") << true;
        QTest::newRow("close box") << false;
    }

    void closingStartsAFreshList()
    {
        QFETCH(bool, byButton);
        QVERIFY(send("05Call"));
        QVERIFY(send("06Call"));
        QTRY_COMPARE(entryCount(), 2);
        QPointer<CallWindow> window = m_reception->window();
        if (byButton)
            QTest::mouseClick(window->findChild<QPushButton*>(u"Command1"_s), Qt::LeftButton);
        else
            QVERIFY(window->close()); // what the frame's close box does
        QCOMPARE(m_reception->callCount(), qint16(0));
        QVERIFY(!m_reception->window());
        QTRY_VERIFY(!window); // discarded, not kept hidden

        QVERIFY(send("07Call"));
        QTRY_VERIFY(m_reception->window());
        QCOMPARE(entries(), QStringList{u"01:コンピュータ番号:07"_s});
        QVERIFY(m_reception->window()->isVisible());
    }
};

QTEST_MAIN(TestCallReception)
#include "test_callreception.moc"
