// The control panel and the call window attached to a running presenter: real datagrams to the
// master port, real sends to the children, the scripted browser for the pages.
#include "common/datagrams.h"
#include "master/clicklabel.h"
#include "master/panelwindow.h"
#include "tests/slownames/slownames.h"
#include "tests/support/logcapture.h"
#include "tests/support/presenterwindowsfixture.h"

#include <QAccessible>
#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace qh;
using namespace qh::master;
using namespace qh::test;
using namespace Qt::StringLiterals;

namespace {
void sendCall(const PresenterWindowsFixture& fixture, const QByteArray& datagram)
{
    QVERIFY(sendDatagram("127.0.0.1", fixture.masterPort, datagram));
}

QString callNumber(int i)
{
    return u"%1"_s.arg(i % 30 + 1, 2, 10, QChar(u'0'));
}
} // namespace

class TestPresenterWindows : public QObject
{
    Q_OBJECT
public:
    static void initMain() { preloadSlowNames(); } // "nohost.qhfail" fails without a name server

private slots:
    void initTestCase() { quietOffscreenWarnings(); }

    // The bar comes up above all windows, shows each page's number, drives the presentation with
    // its buttons and goes at End; the panel's marks follow the screen mode as the browser does.
    void barDrivesThePresentation_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("fullScreen");
        QTest::newRow("FullScreen") << u"FullScreen"_s << true;
        QTest::newRow("lower case") << u"fullscreen"_s << false;
    }

    void barDrivesThePresentation()
    {
        QFETCH(QString, mode);
        QFETCH(bool, fullScreen);
        PresenterWindowsFixture fixture;
        QVERIFY(fixture.start({kPageA, kPageB}, {{1, u"1"_s, u"127.0.0.2"_s, mode}}, mode));
        PresenterBar& bar = fixture.bar();
        QVERIFY(bar.isVisible());
        QVERIFY(bar.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(bar.pageNumberLabel()->text(), u"0"_s);
        const PanelWindow* panel = fixture.windows().panel().window();
        QCOMPARE(panel->fullScreenAction()->isChecked(), fullScreen);
        QCOMPARE(panel->windowAction()->isChecked(), !fullScreen);

        fixture.children.clear();
        QVERIFY(fixture.runUntilReceived([&] { QTest::mouseClick(bar.nextButton(), Qt::LeftButton); }, 2));
        QCOMPARE(bar.pageNumberLabel()->text(), u"1"_s);
        QVERIFY(fixture.runUntilReceived([&] { QTest::mouseClick(bar.previousButton(), Qt::LeftButton); }, 4));
        QCOMPARE(bar.pageNumberLabel()->text(), u"0"_s);
        QVERIFY(fixture.runUntilReceived([&] { QTest::mouseClick(bar.homeButton(), Qt::LeftButton); }, 5));
        const QByteArray a = kPageA.toLatin1();
        const QByteArray b = kPageB.toLatin1();
        QCOMPARE(fixture.children.receivedBy("127.0.0.2"), (QByteArrayList{b, b, a, a, a}));

        QVERIFY(fixture.runLoop([&] { QTest::mouseClick(bar.endButton(), Qt::LeftButton); }, [] { return false; }));
        QVERIFY(fixture.presenter->hasEnded());
        QVERIFY(!bar.isVisible());
    }

    // A flood of datagrams is read a share at a time, so the presenter's other events keep getting
    // their turns while it is read, and every call is still listed in the order it came.
    void floodOfCallsIsReadInTurnsAndInOrder()
    {
        PresenterWindowsFixture fixture;
        QVERIFY(fixture.start({kPageA}, {}));
        PresenterWindows& windows = fixture.windows();
        constexpr int kCalls = 130;
        QStringList expected;
        for (int i = 0; i < kCalls; ++i)
            expected.append(u"%1:コンピュータ番号:"_s.arg((i + 1) % 100, 2, 10, QChar(u'0')) + callNumber(i));
        // An event that posts itself again after every turn notes how many calls were listed by then.
        QList<qint16> countsBetweenTurns;
        std::function<void()> noteCount = [&] {
            countsBetweenTurns.append(windows.calls().callCount());
            if (windows.calls().callCount() < kCalls)
                QTimer::singleShot(0, &fixture.bar(), noteCount);
        };
        QVERIFY(fixture.runLoop(
            [&] {
                for (int i = 0; i < kCalls; ++i)
                    sendCall(fixture, (callNumber(i) + u"Call"_s).toLatin1());
                QTimer::singleShot(0, &fixture.bar(), noteCount);
            },
            [&] { return windows.calls().callCount() == kCalls; }));
        QCOMPARE(callEntries(windows.calls()), expected);
        QVERIFY2(std::any_of(countsBetweenTurns.cbegin(), countsBetweenTurns.cend(),
                             [](qint16 count) { return count > 0 && count < kCalls; }),
                 "the calls were all read in one turn");
    }

    // A burst of any size, at any moment, then single calls after a pause: the master port keeps
    // being read, so every later call is listed. Part of a large burst may be lost in the buffer.
    void singleCallsAfterABurstAreListed_data()
    {
        QTest::addColumn<int>("burst");
        QTest::addColumn<QString>("moment");
        for (int burst : {64, 65, 200, 5000})
            QTest::addRow("%d idle", burst) << burst << u"idle"_s;
        QTest::addRow("200 during a page load") << 200 << u"page load"_s;
        QTest::addRow("200 while a message box is open") << 200 << u"message box"_s;
    }
    void singleCallsAfterABurstAreListed()
    {
        QFETCH(int, burst);
        QFETCH(QString, moment);
        PresenterWindowsFixture fixture;
        QVERIFY(fixture.start({kPageA, kPageB}, {{2, u"0"_s, u"nohost.qhfail"_s, u"WindowScreen"_s}}));
        Presenter& presenter = *fixture.presenter;
        PresenterWindows& windows = fixture.windows();
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
                    presenter.nextPage();
                } else {
                    windows.panel().switchChild(1); // its name is not found: a message box
                }
            },
            [&] {
                // Nothing is read while a page loads, so quiet counts from the end of the last load.
                if (windows.calls().callCount() != lastCount || fixture.scripted->isBusy()) {
                    lastCount = windows.calls().callCount();
                    sinceChange.start();
                }
                return lastCount > 0 && sinceChange.elapsed() > 300;
            }));
        QVERIFY(moment != u"message box" || burstSent);
        for (int call = 0; call < 3; ++call) {
            const qint16 before = windows.calls().callCount();
            QVERIFY2(fixture.runLoop([&] { sendCall(fixture, "17Call"); },
                                     [&] { return windows.calls().callCount() == before + 1; }, 3000),
                     qPrintable(u"call %1 after the burst was not listed"_s.arg(call + 1)));
            QCOMPARE(callEntries(windows.calls()).last().right(2), u"17"_s);
        }
    }

    void callsWaitWhileAMessageBoxIsOpen()
    {
        PresenterWindowsFixture fixture;
        QVERIFY(fixture.start({kPageA}, {{2, u"0"_s, u"nohost.qhfail"_s, u"WindowScreen"_s}}));
        Presenter& presenter = *fixture.presenter;
        PresenterWindows& windows = fixture.windows();
        presenter.togglePanel();
        qint16 countWhileOpen = -1;
        fixture.messages.whileOpen = [&] {
            if (countWhileOpen >= 0)
                return;
            sendCall(fixture, "09Call");
            QTest::qWait(100); // the box's own event loop runs; the call must not be taken now
            countWhileOpen = windows.calls().callCount();
        };
        // Switching on a child whose name does not resolve shows the not-found message.
        QVERIFY(fixture.runLoop([&] { QTest::mouseClick(windows.panel().window()->slotLabel(1), Qt::LeftButton); },
                                [&] { return windows.calls().callCount() == 1; }));
        QCOMPARE(countWhileOpen, qint16(0));
        QCOMPARE(fixture.messages.texts().value(0), u"コンピュータ名nohost.qhfailがみつかりません"_s);
        QCOMPARE(callEntries(windows.calls()), QStringList{u"01:コンピュータ番号:09"_s});
        QCOMPARE(presenter.childSlot(1).inUse, u"1"_s); // switched on all the same
    }

    // Calls that come while a page loads wait until it is shown and sent, then come in order.
    void callsWaitWhileAPageLoads()
    {
        PresenterWindowsFixture fixture;
        QVERIFY(fixture.start({kPageA, kPageB}, {{1, u"1"_s, u"127.0.0.2"_s, u"WindowScreen"_s}}));
        Presenter& presenter = *fixture.presenter;
        PresenterWindows& windows = fixture.windows();
        fixture.children.clear();
        fixture.browserLog->loadMilliseconds = 400;
        bool busyWhenChecked = false;
        qint16 countDuringLoad = -1;
        QByteArrayList sentWhenListed;
        connect(&presenter, &Presenter::datagramReceived, this,
                [&] { sentWhenListed.append(fixture.children.receivedBy("127.0.0.2").value(0)); });
        QVERIFY(fixture.runLoop(
            [&] {
                QTimer::singleShot(30, [&] {
                    sendCall(fixture, "04Call");
                    sendCall(fixture, "02Call");
                });
                QTimer::singleShot(250, [&] {
                    busyWhenChecked = fixture.scripted->isBusy();
                    countDuringLoad = windows.calls().callCount();
                });
                presenter.nextPage();
            },
            [&] { return windows.calls().callCount() == 2; }));
        QVERIFY(busyWhenChecked);
        QCOMPARE(countDuringLoad, qint16(0));
        QCOMPARE(sentWhenListed, (QByteArrayList{kPageB.toLatin1(), kPageB.toLatin1()}));
        QCOMPARE(callEntries(windows.calls()), (QStringList{u"01:コンピュータ番号:04"_s, u"02:コンピュータ番号:02"_s}));
    }

    // A child switched off on the panel stops following the pages; switched on, it gets the page
    // the browser shows.
    void panelSwitchesAChildOfTheRunningPresentation()
    {
        PresenterWindowsFixture fixture;
        QVERIFY(fixture.start({kPageA, kPageB}, {{1, u"1"_s, u"127.0.0.2"_s, u"WindowScreen"_s},
                                                 {5, u"1"_s, u"127.0.0.6"_s, u"FullScreen"_s}}));
        ControlPanel& panel = fixture.windows().panel();
        QVERIFY(panel.window() && !panel.window()->isVisible());
        fixture.children.clear();

        QTest::mouseClick(fixture.bar().panelButton(), Qt::LeftButton);
        QVERIFY(panel.window()->isVisible());
        QTest::mouseClick(panel.window()->slotLabel(4), Qt::LeftButton);
        QCOMPARE(fixture.children.received(), QByteArrayList{to("127.0.0.6", "Command:VisibleFalse")});

        fixture.children.clear();
        QVERIFY(fixture.runUntilReceived([&] { fixture.presenter->nextPage(); }, 2));
        QCOMPARE(fixture.children.received(), (QByteArrayList{to("127.0.0.2", kPageB), to("127.0.0.2", kPageB)}));

        fixture.children.clear();
        QTest::mouseClick(panel.window()->slotLabel(4), Qt::LeftButton);
        QCOMPARE(fixture.children.received(),
                 (QByteArrayList{to("127.0.0.6", "Command:VisibleTrue"), to("127.0.0.6", kPageB)}));

        panel.window()->fullScreenAction()->trigger();
        QVERIFY(fixture.browserLog->fullScreen);
        panel.window()->windowAction()->trigger();
        QVERIFY(!fixture.browserLog->fullScreen);
    }

    void switchingOnWithoutABrowserAddressSendsTheLastPageShown()
    {
        PresenterWindowsFixture fixture;
        QVERIFY(fixture.start({kPageA}, {{5, u"0"_s, u"127.0.0.6"_s, u"WindowScreen"_s}}));
        fixture.presenter->togglePanel();
        fixture.scripted->followLink(QString()); // the browser can no longer tell its address
        QTest::mouseClick(fixture.windows().panel().window()->slotLabel(4), Qt::LeftButton);
        QCOMPARE(fixture.children.received(),
                 (QByteArrayList{to("127.0.0.6", "Command:VisibleTrue"), to("127.0.0.6", kPageA)}));
    }

    // Each listed call is confirmed to its slot's computer when that child has reported since the
    // start, also while it is switched off: its call was listed all the same.
    void callsAreConfirmedToChildrenThatReported()
    {
        PresenterWindowsFixture fixture;
        LogCapture log;
        QVERIFY(fixture.start({kPageA}, fourSlots()));
        QVERIFY(fixture.handleIncoming({{"127.0.0.2", helloDatagram(1)}, {"127.0.0.3", showing(2, kPageC)}}));
        fixture.children.clear();
        QVERIFY(fixture.handleIncoming({{"127.0.0.2", "01Call"},
                                        {"127.0.0.4", "03Call"},
                                        {"127.0.0.3", "02Call"},
                                        {"127.0.0.9", "00Call"},
                                        {"127.0.0.2", " 1Call"}}));
        QCOMPARE(callEntries(fixture.windows().calls()),
                 (QStringList{u"01:コンピュータ番号:01"_s, u"02:コンピュータ番号:03"_s, u"03:コンピュータ番号:02"_s,
                              u"04:コンピュータ番号:00"_s, u"05:コンピュータ番号: 1"_s}));
        QCOMPARE(fixture.children.received(),
                 (QByteArrayList{to("127.0.0.2", "Command:CallReceived"), to("127.0.0.3", "Command:CallReceived")}));
        QCOMPARE(log.linesWith({u"qh.calls: call from"_s, u"listed"_s}).size(), 5);
        QCOMPARE(log.linesWith({u"qh.calls: call of 01 127.0.0.2 confirmed at 127.0.0.2"_s}).size(), 1);
    }

    // While the panel is shown, each label tells how its child follows, and keeps telling it as
    // reports come in, without a click.
    void panelTellsHowEachChildFollows()
    {
        PresenterWindowsFixture fixture;
        QVERIFY(fixture.start({kPageA, kPageB}, fourSlots()));
        fixture.presenter->togglePanel();
        PanelWindow* panel = fixture.windows().panel().window();
        QVERIFY(panel->isVisible());
        QCOMPARE(panel->slotLabel(0)->toolTip(), u"01 127.0.0.2: 不明"_s);
        QVERIFY(fixture.handleIncoming({{"127.0.0.2", showing(1, kPageA)}, {"127.0.0.4", showing(3, kPageC)}}));
        QVERIFY(fixture.runLoop(nullptr, [&] { return panel->slotLabel(0)->toolTip() != u"01 127.0.0.2: 不明"_s; }));

        const QStringList firstLines{u"01 127.0.0.2: 追従中"_s, u"02 127.0.0.3: 停止中"_s,
                                     u"03 127.0.0.4: 別のページ"_s, u"04 127.0.0.5: 不明"_s};
        const QStringList secondLines{kPageA, QString(), kPageC, QString()};
        QList<QColor> backgrounds;
        for (int index = 0; index < 4; ++index) {
            ClickLabel* label = panel->slotLabel(index);
            const QStringList lines = label->toolTip().split(u'\n');
            QCOMPARE(lines.first(), firstLines[index]);
            QCOMPARE(lines.value(1).section(u'（', 0, 0), secondLines[index]);
            QCOMPARE(QAccessible::queryAccessibleInterface(label)->text(QAccessible::Description), label->toolTip());
            const QColor background = label->palette().color(QPalette::Window);
            QVERIFY(!backgrounds.contains(background));
            backgrounds.append(background);
        }
        QVERIFY(!backgrounds.contains(QLabel().palette().color(QPalette::Window)));
    }
};

QTEST_MAIN(TestPresenterWindows)
#include "test_presenterwindows.moc"
