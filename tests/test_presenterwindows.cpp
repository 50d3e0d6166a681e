// The control panel and the call window attached to a running presenter: real datagrams to the
// master port, real sends to the children, the scripted browser for the pages.
#include "clicklabel.h"
#include "form1.h"
#include "form2.h"
#include "form3.h"
#include "presenterfixture.h"
#include "presenterwindows.h"

#include <QAction>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace qh;
using namespace qh::master;
using namespace qh::test;

namespace {
QStringList callList(PresenterWindows& windows)
{
    QStringList entries;
    if (const Form3* form = windows.calls().form()) {
        for (int row = 0; row < form->List1()->count(); ++row)
            entries.append(form->List1()->item(row)->text());
    }
    return entries;
}

void sendCall(const PresenterFixture& fixture, const QByteArray& datagram)
{
    QVERIFY(sendDatagram("127.0.0.1", fixture.masterPort, datagram));
}
} // namespace

class TestPresenterWindows : public QObject
{
    Q_OBJECT
private slots:
    void callsReachTheCallWindowThroughTheMasterPort()
    {
        PresenterFixture fixture;
        fixture.writeUrlList({kPageA});
        fixture.writeSettings({});
        Presenter& presenter = fixture.make();
        PresenterWindows windows(presenter);
        QVERIFY(presenter.startUp());
        QVERIFY(windows.calls().form() == nullptr);
        QVERIFY(fixture.runLoop(
            [&] {
                for (const QByteArray& datagram : {"05Call", "31Call", "07call", "12Call"})
                    sendCall(fixture, datagram);
            },
            [&] { return windows.calls().CallCount() == 2; }));
        QCOMPARE(callList(windows), (QStringList{u"01:コンピュータ番号:05"_qs, u"02:コンピュータ番号:12"_qs}));
        QVERIFY(windows.calls().form()->isVisible());
    }

    // A flood of datagrams is read a share at a time, so the presenter's windows keep getting their
    // turns, and every call is still listed in the order it came.
    void floodOfCallsIsReadInTurnsAndInOrder()
    {
        PresenterFixture fixture;
        fixture.writeUrlList({kPageA});
        fixture.writeSettings({});
        Presenter& presenter = fixture.make();
        PresenterWindows windows(presenter);
        QVERIFY(presenter.startUp());
        constexpr int kCalls = 130;
        QStringList expected;
        for (int i = 0; i < kCalls; ++i) {
            const QString number = u"%1"_qs.arg(i % 30 + 1, 2, 10, QChar(u'0'));
            expected.append(u"%1:コンピュータ番号:%2"_qs.arg((i + 1) % 100, 2, 10, QChar(u'0')).arg(number));
        }
        int passes = 0;
        QVERIFY(fixture.runLoop(
            [&] {
                for (int i = 0; i < kCalls; ++i)
                    sendCall(fixture, u"%1Call"_qs.arg(i % 30 + 1, 2, 10, QChar(u'0')).toLatin1());
            },
            [&] {
                ++passes;
                return windows.calls().CallCount() == kCalls;
            }));
        QCOMPARE(callList(windows), expected);
        QVERIFY2(passes >= 3, qPrintable(u"all calls were read in %1 passes"_qs.arg(passes)));
    }

    // A burst of any size, at any moment, then single calls after a pause: the master port keeps
    // being read, so every later call is listed. Part of a large burst may be lost in the buffer.
    void singleCallsAfterABurstAreListed_data()
    {
        QTest::addColumn<int>("burst");
        QTest::addColumn<QString>("moment");
        for (int burst : {64, 65, 200, 5000})
            QTest::addRow("%d idle", burst) << burst << u"idle"_qs;
        QTest::addRow("200 during a page load") << 200 << u"page load"_qs;
        QTest::addRow("200 while a message box is open") << 200 << u"message box"_qs;
    }
    void singleCallsAfterABurstAreListed()
    {
        QFETCH(int, burst);
        QFETCH(QString, moment);
        PresenterFixture fixture;
        fixture.writeUrlList({kPageA, kPageB});
        fixture.writeSettings({{2, u"0"_qs, u"nohost.invalid"_qs, u"WindowScreen"_qs}});
        Presenter& presenter = fixture.make();
        PresenterWindows windows(presenter);
        QVERIFY(presenter.startUp());
        const auto sendBurst = [&] {
            for (int i = 0; i < burst; ++i)
                sendCall(fixture, "09Call");
        };
        bool burstSent = false;
        fixture.messages.whileOpen = [&] {
            sendBurst();
            burstSent = true;
            QTest::qWait(100);
        };
        fixture.browserLog->loadMilliseconds = 300;
        // Wakes the loop while the burst drains, so that quiet can be noticed.
        QTimer tick;
        tick.start(20);
        QElapsedTimer sinceChange;
        qint16 lastCount = -1;
        QVERIFY(fixture.runLoop(
            [&] {
                if (moment == u"idle") {
                    sendBurst();
                } else if (moment == u"page load") {
                    QTimer::singleShot(30, [&] { sendBurst(); });
                    presenter.NextPage();
                } else {
                    windows.panel().form()->Label1_Click(1); // its name is not found: a message box
                }
            },
            [&] {
                if (windows.calls().CallCount() != lastCount) {
                    lastCount = windows.calls().CallCount();
                    sinceChange.start();
                }
                return lastCount > 0 && sinceChange.elapsed() > 300;
            }));
        QVERIFY(moment != u"message box" || burstSent);
        for (int call = 0; call < 3; ++call) {
            const qint16 before = windows.calls().CallCount();
            QVERIFY2(fixture.runLoop([&] { sendCall(fixture, "17Call"); },
                                     [&] { return windows.calls().CallCount() == before + 1; }, 3000),
                     qPrintable(u"call %1 after the burst was not listed"_qs.arg(call + 1)));
            QCOMPARE(callList(windows).last().right(2), u"17"_qs);
        }
    }

    void callsWaitWhileAMessageBoxIsOpen()
    {
        PresenterFixture fixture;
        fixture.writeUrlList({kPageA});
        fixture.writeSettings({{2, u"0"_qs, u"nohost.invalid"_qs, u"WindowScreen"_qs}});
        Presenter& presenter = fixture.make();
        PresenterWindows windows(presenter);
        QVERIFY(presenter.startUp());
        presenter.Panel();
        qint16 countWhileOpen = -1;
        fixture.messages.whileOpen = [&] {
            if (countWhileOpen >= 0)
                return;
            sendCall(fixture, "09Call");
            QTest::qWait(100); // the box's own event loop runs; the call must not be taken now
            countWhileOpen = windows.calls().CallCount();
        };
        // Switching on a child whose name does not resolve shows the not-found message.
        QVERIFY(fixture.runLoop([&] { QTest::mouseClick(windows.panel().form()->Label1(1), Qt::LeftButton); },
                                [&] { return windows.calls().CallCount() == 1; }));
        QCOMPARE(countWhileOpen, qint16(0));
        QVERIFY(!fixture.messages.messages.isEmpty());
        QCOMPARE(callList(windows), QStringList{u"01:コンピュータ番号:09"_qs});
        QCOMPARE(presenter.childSlot(1).inUse, u"1"_qs); // switched on all the same
    }

    void callsWaitWhileAPageLoads()
    {
        PresenterFixture fixture;
        fixture.writeUrlList({kPageA, kPageB});
        fixture.writeSettings({});
        Presenter& presenter = fixture.make();
        PresenterWindows windows(presenter);
        QVERIFY(presenter.startUp());
        fixture.browserLog->loadMilliseconds = 400;
        bool busyWhenChecked = false;
        qint16 countDuringLoad = -1;
        QVERIFY(fixture.runLoop(
            [&] {
                QTimer::singleShot(30, [&] { sendCall(fixture, "04Call"); });
                QTimer::singleShot(250, [&] {
                    busyWhenChecked = fixture.scripted->Busy();
                    countDuringLoad = windows.calls().CallCount();
                });
                presenter.NextPage();
            },
            [&] { return windows.calls().CallCount() == 1; }));
        QVERIFY(busyWhenChecked);
        QCOMPARE(countDuringLoad, qint16(0));
        QCOMPARE(callList(windows), QStringList{u"01:コンピュータ番号:04"_qs});
    }

    // A child switched off on the panel stops following the pages; switched on, it gets the page
    // the browser shows.
    void panelSwitchesAChildOfTheRunningPresentation()
    {
        PresenterFixture fixture;
        fixture.writeUrlList({kPageA, kPageB});
        fixture.writeSettings(
            {{1, u"1"_qs, u"127.0.0.2"_qs, u"WindowScreen"_qs}, {5, u"1"_qs, u"127.0.0.6"_qs, u"FullScreen"_qs}});
        Presenter& presenter = fixture.make();
        PresenterWindows windows(presenter);
        QVERIFY(presenter.startUp());
        QVERIFY(windows.panel().form() && !windows.panel().form()->isVisible());
        fixture.children.clear();

        QTest::mouseClick(presenter.form().findChild<QPushButton*>(u"Command2"_qs), Qt::LeftButton);
        QVERIFY(windows.panel().PanelShown());
        QVERIFY(windows.panel().form()->isVisible());
        QTest::mouseClick(windows.panel().form()->Label1(4), Qt::LeftButton);
        QCOMPARE(fixture.children.received(), QByteArrayList{to("127.0.0.6", u"Command:VisibleFalse"_qs)});
        QCOMPARE(presenter.childSlot(4).inUse, u"0"_qs);

        fixture.children.clear();
        QVERIFY(fixture.runUntilReceived([&] { presenter.NextPage(); }, 2));
        QCOMPARE(fixture.children.received(), (QByteArrayList{to("127.0.0.2", kPageB), to("127.0.0.2", kPageB)}));

        fixture.children.clear();
        QTest::mouseClick(windows.panel().form()->Label1(4), Qt::LeftButton);
        QCOMPARE(fixture.children.received(),
                 (QByteArrayList{to("127.0.0.6", u"Command:VisibleTrue"_qs), to("127.0.0.6", kPageB)}));

        windows.panel().form()->findChild<QAction*>(u"Menu12"_qs)->trigger();
        QVERIFY(fixture.browserLog->fullScreen);
        windows.panel().form()->findChild<QAction*>(u"Menu13"_qs)->trigger();
        QVERIFY(!fixture.browserLog->fullScreen);
    }

    void switchingOnWithoutABrowserAddressSendsTheLastPageShown()
    {
        PresenterFixture fixture;
        fixture.writeUrlList({kPageA});
        fixture.writeSettings({{5, u"0"_qs, u"127.0.0.6"_qs, u"WindowScreen"_qs}});
        Presenter& presenter = fixture.make();
        PresenterWindows windows(presenter);
        QVERIFY(presenter.startUp());
        fixture.scripted->followLink(QString()); // the browser can no longer tell its address
        windows.panel().form()->Label1_Click(4);
        QCOMPARE(fixture.children.received(),
                 (QByteArrayList{to("127.0.0.6", u"Command:VisibleTrue"_qs), to("127.0.0.6", kPageA)}));
    }

    void panelButtonDoesNothingAfterAnAbandonedStartUp()
    {
        PresenterFixture fixture;
        fixture.writeUrlList({kPageA}); // no configuration file
        Presenter& presenter = fixture.make();
        PresenterWindows windows(presenter);
        QVERIFY(!presenter.startUp());
        QTest::mouseClick(presenter.form().findChild<QPushButton*>(u"Command2"_qs), Qt::LeftButton);
        QVERIFY(!windows.panel().PanelShown());
        QVERIFY(windows.panel().form() == nullptr || !windows.panel().form()->isVisible());
    }
};

QTEST_MAIN(TestPresenterWindows)
#include "test_presenterwindows.moc"
