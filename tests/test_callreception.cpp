#include "callentry.h"
#include "callreception.h"
#include "form3.h"
#include "testutil.h"
#include "twips.h"
#include "udptestutil.h"

#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>

using namespace qh;
using namespace qh::master;

namespace {

QStringList entriesOf(const CallReception& reception)
{
    QStringList entries;
    if (!reception.form())
        return entries;
    const QListWidget* list = reception.form()->List1();
    for (int row = 0; row < list->count(); ++row)
        entries.append(list->item(row)->text());
    return entries;
}

int entryCount(const CallReception& reception)
{
    return reception.form() ? reception.form()->List1()->count() : 0;
}

} // namespace

// The calls of the children reach a CallReception through a real socket bound on loopback, the
// presenter's master port, from a test socket that stands for the children.
class TestCallReception : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<CallReception> m_reception;
    std::unique_ptr<test::DatagramFeeder> m_masterPort;
    test::DatagramSender m_child;

    bool send(const QByteArray& datagram)
    {
        return m_child.send(datagram, m_masterPort->address(), m_masterPort->port());
    }

private slots:
    void initTestCase() { test::quietOffscreenWarnings(); }

    void init()
    {
        m_reception = std::make_unique<CallReception>();
        m_masterPort = std::make_unique<test::DatagramFeeder>(
            [this](const QByteArray& datagram) { m_reception->Winsock1_DataArrival(datagram); });
        QVERIFY(m_masterPort->isBound());
    }

    void cleanup()
    {
        m_masterPort.reset();
        m_reception.reset();
    }

    void eachDatagramIsCheckedOnItsOwn_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<QString>("number"); // the computer number listed, or empty when ignored

        QTest::newRow("05Call") << QByteArray("05Call") << u"05"_qs;
        QTest::newRow("30Call") << QByteArray("30Call") << u"30"_qs;
        QTest::newRow("31Call") << QByteArray("31Call") << QString();
        QTest::newRow("99Call") << QByteArray("99Call") << QString();
        QTest::newRow("00Call") << QByteArray("00Call") << u"00"_qs;
        QTest::newRow("-1Call") << QByteArray("-1Call") << u"-1"_qs;
        QTest::newRow("blank and 7") << QByteArray(" 7Call") << u" 7"_qs;
        QTest::newRow("digit and blank") << QByteArray("9 Call") << u"9 "_qs;
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
                                     << u"０５"_qs;
        QTest::newRow("wide 31") << QByteArray("\x82\x52\x82\x50"
                                               "Call")
                                 << u"３１"_qs;
        QTest::newRow("lead byte left at the end") << QByteArray("07Call\x81") << QString();
        QTest::newRow("foreign text") << QByteArray("Command:VisibleTrue") << QString();
    }

    void eachDatagramIsCheckedOnItsOwn()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(QString, number);

        const std::optional<QString> parsed = callNumberOfDatagram(datagram);
        QCOMPARE(parsed.value_or(QString()), number);
        QCOMPARE(parsed.has_value(), !number.isEmpty());

        // A well-formed call sent after the datagram arrives after it: once it is listed, the
        // datagram has been handled.
        QVERIFY(send(datagram));
        QVERIFY(send("01Call"));
        QStringList expected;
        if (!number.isEmpty())
            expected.append(u"01:コンピュータ番号:"_qs + number);
        expected.append(callEntry(qint16(expected.size() + 1), u"01"_qs));
        QTRY_COMPARE(entriesOf(*m_reception), expected);
        QCOMPARE(m_reception->CallCount(), qint16(expected.size()));
    }

    void firstCallsBuildAndShowTheWindow()
    {
        QVERIFY(!m_reception->form());
        QVERIFY(send("05Call"));
        QTRY_VERIFY(m_reception->form());
        Form3* window = m_reception->form();
        QVERIFY(window->isVisible());
        QCOMPARE(entriesOf(*m_reception), QStringList{u"01:コンピュータ番号:05"_qs});
        QVERIFY(send("12Call"));
        QTRY_COMPARE(entriesOf(*m_reception),
                     (QStringList{u"01:コンピュータ番号:05"_qs, u"02:コンピュータ番号:12"_qs}));
        QCOMPARE(m_reception->form(), window);
    }

    void everyCallShowsTheWindowAgain()
    {
        QVERIFY(send("03Call"));
        QTRY_VERIFY(m_reception->form());
        m_reception->form()->hide();
        QVERIFY(!m_reception->form()->isVisible());
        QVERIFY(send("31Call")); // ignored: leaves the window hidden
        QVERIFY(send("04Call"));
        QTRY_COMPARE(entryCount(*m_reception), 2);
        QVERIFY(m_reception->form()->isVisible());
    }

    void sequenceKeepsTwoDigits()
    {
        // Sent in groups so that no datagram can overflow the socket's buffer.
        for (int group = 0; group < 101; group += 20) {
            for (int call = group; call < qMin(group + 20, 101); ++call)
                QVERIFY(send(QByteArray::number(call % 30 + 1).rightJustified(2, '0') + "Call"));
            QTRY_COMPARE(entryCount(*m_reception), qMin(group + 20, 101));
        }
        const QStringList entries = entriesOf(*m_reception);
        QCOMPARE(entries.at(0), u"01:コンピュータ番号:01"_qs);
        QCOMPARE(entries.at(11), u"12:コンピュータ番号:12"_qs);
        QCOMPARE(entries.at(98), u"99:コンピュータ番号:09"_qs);
        QCOMPARE(entries.at(99), u"00:コンピュータ番号:10"_qs);
        QCOMPARE(entries.at(100), u"01:コンピュータ番号:11"_qs);
        QCOMPARE(m_reception->CallCount(), qint16(101));
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
        QTRY_COMPARE(entryCount(*m_reception), 2);
        QPointer<Form3> window = m_reception->form();
        if (byButton)
            QTest::mouseClick(window->findChild<QPushButton*>(u"Command1"_qs), Qt::LeftButton);
        else
            QVERIFY(window->close()); // what the frame's close box does
        QCOMPARE(m_reception->CallCount(), qint16(0));
        QVERIFY(!m_reception->form());
        QTRY_VERIFY(!window); // discarded, not kept hidden

        QVERIFY(send("07Call"));
        QTRY_VERIFY(m_reception->form());
        QCOMPARE(entriesOf(*m_reception), QStringList{u"01:コンピュータ番号:07"_qs});
        QVERIFY(m_reception->form()->isVisible());
    }

    void callCountWrapsWithoutAJump()
    {
        // The datagrams before the last two are handed over directly; the last two travel by socket.
        for (int call = 1; call <= 32766; ++call)
            m_reception->Winsock1_DataArrival("05Call");
        QCOMPARE(m_reception->CallCount(), qint16(32766));
        QVERIFY(send("06Call"));
        QVERIFY(send("07Call"));
        QTRY_COMPARE(entryCount(*m_reception), 32768);
        const QStringList entries = entriesOf(*m_reception);
        QCOMPARE(entries.at(32765), u"66:コンピュータ番号:05"_qs);
        QCOMPARE(entries.at(32766), u"67:コンピュータ番号:06"_qs);
        QCOMPARE(entries.at(32767), u"68:コンピュータ番号:07"_qs);
        QCOMPARE(m_reception->CallCount(), qint16(68));
        m_reception->Winsock1_DataArrival("08Call");
        QCOMPARE(entriesOf(*m_reception).constLast(), u"69:コンピュータ番号:08"_qs);
    }

    void counterSteps_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("next");
        QTest::newRow("start") << 0 << 1;
        QTest::newRow("to 100") << 99 << 100;
        QTest::newRow("to the top") << 32766 << 32767;
        QTest::newRow("past the top") << 32767 << 68;
    }

    void counterSteps()
    {
        QFETCH(int, count);
        QFETCH(int, next);
        QCOMPARE(int(nextCallCount(qint16(count))), next);
    }

    void entryUsesTheLastTwoDigits_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("entry");
        QTest::newRow("1") << 1 << u"05"_qs << u"01:コンピュータ番号:05"_qs;
        QTest::newRow("3") << 3 << u"07"_qs << u"03:コンピュータ番号:07"_qs;
        QTest::newRow("12") << 12 << u"12"_qs << u"12:コンピュータ番号:12"_qs;
        QTest::newRow("100") << 100 << u"30"_qs << u"00:コンピュータ番号:30"_qs;
        QTest::newRow("123") << 123 << u" 7"_qs << u"23:コンピュータ番号: 7"_qs;
        QTest::newRow("32767") << 32767 << u"01"_qs << u"67:コンピュータ番号:01"_qs;
        QTest::newRow("negative") << -32768 << u"01"_qs << u"68:コンピュータ番号:01"_qs;
    }

    void entryUsesTheLastTwoDigits()
    {
        QFETCH(int, count);
        QFETCH(QString, number);
        QFETCH(QString, entry);
        QCOMPARE(callEntry(qint16(count), number), entry);
    }

    void windowFollowsItsLayout()
    {
        QVERIFY(send("05Call"));
        QTRY_VERIFY(m_reception->form());
        Form3* window = m_reception->form();
        QCOMPARE(window->windowTitle(), u"Quillharbour_Master_Call"_qs);
        QCOMPARE(window->size(), twips::sizeToPixels(3465, 930));
        QVERIFY(!(window->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(window->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(window->windowFlags() & Qt::WindowCloseButtonHint);
        auto* list = window->findChild<QListWidget*>(u"List1"_qs);
        auto* button = window->findChild<QPushButton*>(u"Command1"_qs);
        QVERIFY(list && button);
        QCOMPARE(list->geometry(), twips::rectToPixels(240, 120, 2175, 600));
        QCOMPARE(button->geometry(), twips::rectToPixels(2520, 120, 855, 255));
        QCOMPARE(button->text(), u"閉じる"_qs);
        QVERIFY(!list->isSortingEnabled());
    }
};

QTEST_MAIN(TestCallReception)
#include "test_callreception.moc"
