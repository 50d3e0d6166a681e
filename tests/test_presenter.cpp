#include "datagrams.h"
#include "form1.h"
#include "presenterfixture.h"
#include "presentermessages.h"
#include "urllist.h"

#include <QLabel>
#include <QLockFile>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTest>

using namespace qh;
using namespace qh::master;
using namespace qh::test;

namespace {
// Slots 1 and 3 in use, slot 2 configured but switched off.
QList<SlotLine> slotsOneAndThree()
{
    return {{1, u"1"_qs, u"127.0.0.2"_qs, u"WindowScreen"_qs},
            {2, u"0"_qs, u"127.0.0.3"_qs, u"WindowScreen"_qs},
            {3, u"1"_qs, u"127.0.0.4"_qs, u"FullScreen"_qs}};
}

QList<SlotLine> slotOne()
{
    return {{1, u"1"_qs, u"127.0.0.2"_qs, u"WindowScreen"_qs}};
}

QPushButton* button(Presenter& presenter, const QString& name)
{
    return presenter.form().findChild<QPushButton*>(name);
}

// Clicks inside the follow loop and runs the click's pass and the one after it, in which a page
// held back by >> or << is due. A wake-up posted after the first pass lets the second one run
// when it has nothing to do.
bool clickInLoop(PresenterFixture& fixture, QPushButton* target)
{
    int passes = 0;
    return fixture.runLoop([target] { QTest::mouseClick(target, Qt::LeftButton); },
                           [&passes, target] {
                               if (++passes == 1)
                                   QTimer::singleShot(0, target, [] {});
                               return passes >= 2;
                           });
}

QString pageNumberShown(Presenter& presenter)
{
    return presenter.form().Label1->text();
}
} // namespace

class TestPresenter : public QObject
{
    Q_OBJECT
private slots:
    void startUpAnnouncesThenSendsTheFirstPage()
    {
        PresenterFixture fixture;
        fixture.writeUrlList({kPageA, kPageB});
        fixture.writeSettings(slotsOneAndThree());
        Presenter& presenter = fixture.make();
        qsizetype receivedWhenPanelPrepared = -1;
        bool browserOpenWhenPanelPrepared = true;
        presenter.preparePanel = [&] {
            receivedWhenPanelPrepared = fixture.children.count();
            browserOpenWhenPanelPrepared = presenter.browser() != nullptr;
        };

        QVERIFY(presenter.startUp());
        const QByteArrayList expected{to("127.0.0.2", "Command:VisibleTrue"),
                                      to("127.0.0.2", "Command:WindowScreen"),
                                      to("127.0.0.4", "Command:VisibleTrue"),
                                      to("127.0.0.4", "Command:FullScreen"),
                                      to("127.0.0.2", kPageA),
                                      to("127.0.0.4", kPageA)};
        QCOMPARE(fixture.children.received(), expected);
        QCOMPARE(receivedWhenPanelPrepared, 4);
        QVERIFY(!browserOpenWhenPanelPrepared);
        QCOMPARE(fixture.browserLog->navigations, QStringList{kPageA});
        QVERIFY(fixture.browserLog->visible);
        QVERIFY(!fixture.browserLog->toolBar);
        QVERIFY(!fixture.browserLog->menuBar);
        QCOMPARE(pageNumberShown(presenter), u"0"_qs);
        QVERIFY(presenter.form().isVisible());
        QVERIFY(presenter.form().windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(presenter.state().LastPageIndex, std::int16_t(1));
        QVERIFY(fixture.messages.messages.isEmpty());
    }

    void screenSizeChoosesTheBrowserMode_data()
    {
        QTest::addColumn<QString>("screenSize");
        QTest::addColumn<bool>("fullScreen");
        QTest::newRow("FullScreen") << u"FullScreen"_qs << true;
        QTest::newRow("WindowScreen") << u"WindowScreen"_qs << false;
        QTest::newRow("lower case") << u"fullscreen"_qs << false;
        QTest::newRow("trailing blank") << u"FullScreen "_qs << false;
        QTest::newRow("empty") << QString() << false;
    }

    void screenSizeChoosesTheBrowserMode()
    {
        QFETCH(QString, screenSize);
        QFETCH(bool, fullScreen);
        PresenterFixture fixture;
        fixture.writeUrlList({kPageA});
        fixture.writeSettings(slotOne(), screenSize);
        fixture.browserLog->fullScreen = !fullScreen;
        QVERIFY(fixture.make().startUp());
        QCOMPARE(fixture.browserLog->fullScreen, fullScreen);
    }

    void screenModeTextFollowsTheCommandPrefix_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QByteArray>("datagram");
        QTest::newRow("window") << u"WindowScreen"_qs << QByteArray("Command:WindowScreen");
        QTest::newRow("full") << u"FullScreen"_qs << QByteArray("Command:FullScreen");
        QTest::newRow("empty") << QString() << QByteArray("Command:");
        QTest::newRow("other text, code page 932") << u"全画面"_qs << QByteArray("Command:\x91\x53\x89\xe6\x96\xca");
    }

    void screenModeTextFollowsTheCommandPrefix()
    {
        QFETCH(QString, mode);
        QFETCH(QByteArray, datagram);
        PresenterFixture fixture;
        fixture.writeUrlList({kPageA});
        fixture.writeSettings({{1, u"1"_qs, u"127.0.0.2"_qs, mode}});
        QVERIFY(fixture.make().startUp());
        const QByteArrayList expected{"Command:VisibleTrue", datagram, kPageA.toLatin1()};
        QCOMPARE(fixture.children.receivedBy("127.0.0.2"), expected);
    }

    void addressIsSentAsCodePage932Bytes()
    {
        PresenterFixture fixture;
        const QString address = u"file:///srv/ページ①～.html"_qs;
        fixture.writeUrlList({address});
        fixture.writeSettings(slotOne());
        QVERIFY(fixture.make().startUp());
        const QByteArray bytes("file:///srv/\x83\x79\x81\x5b\x83\x57\x87\x40\x81\x60.html");
        QCOMPARE(fixture.children.receivedBy("127.0.0.2").value(2), bytes);
    }

    void buttonsStepThroughTheList_data()
    {
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QStringList>("pagesSent"); // after the first page
        QTest::addColumn<QString>("label");
        const QStringList three{kPageA, kPageB, kPageC};
        QTest::newRow(">> sends the new page twice")
            << three << QStringList{u">>"_qs} << QStringList{kPageB, kPageB} << u"1"_qs;
        QTest::newRow(">> >> <<") << three << QStringList{u">>"_qs, u">>"_qs, u"<<"_qs}
                                  << QStringList{kPageB, kPageB, kPageC, kPageC, kPageB, kPageB} << u"1"_qs;
        QTest::newRow("<< on the first entry") << three << QStringList{u"<<"_qs} << QStringList{} << u"0"_qs;
        QTest::newRow(">> on the last entry") << three << QStringList{u">>"_qs, u">>"_qs, u">>"_qs}
                                              << QStringList{kPageB, kPageB, kPageC, kPageC} << u"2"_qs;
        QTest::newRow("one entry") << QStringList{kPageA} << QStringList{u">>"_qs, u"<<"_qs} << QStringList{}
                                   << u"0"_qs;
        QTest::newRow("Home on entry 0 sends it again once")
            << three << QStringList{u"Home"_qs} << QStringList{kPageA} << u"0"_qs;
        QTest::newRow("Home from entry 1 is forwarded at once")
            << three << QStringList{u">>"_qs, u"Home"_qs} << QStringList{kPageB, kPageB, kPageA, kPageA} << u"0"_qs;
    }

    void buttonsStepThroughTheList()
    {
        QFETCH(QStringList, list);
        QFETCH(QStringList, clicks);
        QFETCH(QStringList, pagesSent);
        QFETCH(QString, label);
        PresenterFixture fixture;
        fixture.writeUrlList(list);
        fixture.writeSettings(slotOne());
        Presenter& presenter = fixture.make();
        QVERIFY(presenter.startUp());
        fixture.children.clear();
        const QHash<QString, QString> buttons{
            {u">>"_qs, u"Command3"_qs}, {u"<<"_qs, u"Command4"_qs}, {u"Home"_qs, u"Command1"_qs}};
        for (const QString& click : clicks)
            QVERIFY(clickInLoop(fixture, button(presenter, buttons.value(click))));
        QCOMPARE(pageNumberShown(presenter), label);
        QCOMPARE(presenter.state().PageIndex, std::int16_t(label.toInt()));

        QVERIFY(clickInLoop(fixture, button(presenter, u"Command5"_qs)));
        QByteArrayList expected;
        for (const QString& page : pagesSent)
            expected.append(to("127.0.0.2", page));
        expected.append(to("127.0.0.2", "Command:VisibleFalse"));
        QCOMPARE(fixture.children.received(), expected);
    }

    void heldBackPageIsForwardedWithoutWaiting()
    {
        // Nothing but the loop itself may bring the second send after >>: the scripted browser
        // posts no events, and the listener is a plain socket.
        PresenterFixture fixture;
        fixture.writeUrlList({kPageA, kPageB});
        fixture.writeSettings(slotsOneAndThree());
        Presenter& presenter = fixture.make();
        QVERIFY(presenter.startUp());
        fixture.children.clear();
        // The pass that forwards the page must not have waited for some unrelated event first.
        QList<bool> waitedBeforeSends;
        qsizetype received = 0;
        QVERIFY(fixture.runLoop([&] { button(presenter, u"Command3"_qs)->click(); },
                                [&] {
                                    const qsizetype now = fixture.children.count();
                                    if (now != received)
                                        waitedBeforeSends.append(presenter.lastYieldMayWait());
                                    received = now;
                                    return now >= 4;
                                }));
        QCOMPARE(waitedBeforeSends, (QList<bool>{true, false}));
        const QByteArrayList expected{to("127.0.0.2", kPageB), to("127.0.0.4", kPageB), to("127.0.0.2", kPageB),
                                      to("127.0.0.4", kPageB)};
        QCOMPARE(fixture.children.received(), expected);
        QCOMPARE(fixture.browserLog->navigations, (QStringList{kPageA, kPageB, kPageB}));
    }

    void linkFollowedInTheBrowserReachesTheChildren()
    {
        PresenterFixture fixture;
        fixture.writeUrlList({kPageA, kPageB, kPageC});
        fixture.writeSettings(slotsOneAndThree());
        Presenter& presenter = fixture.make();
        QVERIFY(presenter.startUp());
        fixture.children.clear();
        const QString linked = u"file:///srv/pages/linked.html#part"_qs;
        QVERIFY(fixture.runUntilReceived([&] { fixture.scripted->followLink(linked); }, 2));
        QCOMPARE(fixture.children.received(), (QByteArrayList{to("127.0.0.2", linked), to("127.0.0.4", linked)}));
        QCOMPARE(pageNumberShown(presenter), u"0"_qs);
        QVERIFY(fixture.browserLog->visible);

        // >> goes on from the list position, not from the link.
        fixture.children.clear();
        QVERIFY(clickInLoop(fixture, button(presenter, u"Command3"_qs)));
        QCOMPARE(fixture.children.receivedBy("127.0.0.2"), (QByteArrayList{kPageB.toLatin1(), kPageB.toLatin1()}));
        QCOMPARE(pageNumberShown(presenter), u"1"_qs);
    }

    void idleLoopSendsNothing()
    {
        PresenterFixture fixture;
        fixture.writeUrlList({kPageA, kPageB});
        fixture.writeSettings(slotOne());
        Presenter& presenter = fixture.make();
        QVERIFY(presenter.startUp());
        fixture.children.clear();
        int passes = 0;
        QVERIFY(fixture.runLoop([] {},
                                [&] {
                                    QTimer::singleShot(0, &presenter, [] {}); // wakes the next pass
                                    return ++passes >= 5;
                                }));
        QCOMPARE(fixture.children.count(), 0);
        QCOMPARE(fixture.browserLog->navigations.size(), 1);
        QCOMPARE(pageNumberShown(presenter), u"0"_qs);
    }

    void unresolvableNameIsReported_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("unknown host") << u"nohost.invalid"_qs;
        QTest::newRow("empty name") << QString();
    }

    void unresolvableNameIsReported()
    {
        QFETCH(QString, name);
        PresenterFixture fixture;
        fixture.writeUrlList({kPageA, kPageB});
        fixture.writeSettings({{1, u"1"_qs, u"127.0.0.2"_qs, u"WindowScreen"_qs},
                               {2, u"1"_qs, name, u"WindowScreen"_qs},
                               {3, u"1"_qs, u"127.0.0.4"_qs, u"FullScreen"_qs}});
        QVERIFY(fixture.make().startUp());
        // Each send to the slot is reported; the first page then reaches none of the later slots.
        const QByteArrayList expected{to("127.0.0.2", "Command:VisibleTrue"), to("127.0.0.2", "Command:WindowScreen"),
                                      to("127.0.0.4", "Command:VisibleTrue"), to("127.0.0.4", "Command:FullScreen"),
                                      to("127.0.0.2", kPageA)};
        QCOMPARE(fixture.children.received(), expected);
        const QString text = u"コンピュータ名"_qs + name + u"がみつかりません"_qs;
        QCOMPARE(fixture.messages.texts(), (QStringList{text, text, text}));
        for (const CapturedMessage& message : fixture.messages.messages)
            QCOMPARE(message.title, u"Quillharbour_Masterからのメッセージ"_qs);
    }

    void endTellsTheChildrenThenReleasesTheBrowser_data()
    {
        QTest::addColumn<bool>("browserClosedByUser");
        QTest::newRow("browser shown") << false;
        QTest::newRow("browser closed by the user") << true;
    }

    void endTellsTheChildrenThenReleasesTheBrowser()
    {
        QFETCH(bool, browserClosedByUser);
        PresenterFixture fixture;
        fixture.writeUrlList({kPageA});
        fixture.writeSettings(slotsOneAndThree());
        Presenter& presenter = fixture.make();
        QVERIFY(presenter.startUp());
        if (browserClosedByUser)
            fixture.scripted->setVisible(false);
        fixture.children.clear();
        QSignalSpy ended(&presenter, &Presenter::ended);
        QVERIFY(fixture.runLoop([&] { QTest::mouseClick(button(presenter, u"Command5"_qs), Qt::LeftButton); },
                                [] { return false; }));
        QCOMPARE(fixture.children.received(),
                 (QByteArrayList{to("127.0.0.2", "Command:VisibleFalse"), to("127.0.0.4", "Command:VisibleFalse")}));
        QCOMPARE(ended.count(), 1);
        QVERIFY(presenter.hasEnded());
        QVERIFY(fixture.browserLog->released);
        QVERIFY(!fixture.browserLog->visible);
        QVERIFY(!presenter.form().isVisible());
    }

    void abandonedStartUpLeavesOnlyEnd_data()
    {
        QTest::addColumn<QString>("listName");
        QTest::addColumn<QString>("listState"); // "missing", "folder" or "written"
        QTest::addColumn<QString>("settingsState");
        QTest::addColumn<QString>("message");
        QTest::newRow("no URL list") << u"weblist.txt"_qs << u"missing"_qs << u"written"_qs
                                     << u"weblist.txtｗｅｂアドレスリストのファイルがありません。"_qs;
        QTest::newRow("no URL list named with blanks") << u"my list.txt"_qs << u"missing"_qs << u"written"_qs
                                                       << u"my list.txtｗｅｂアドレスリストのファイルがありません。"_qs;
        QTest::newRow("no configuration file")
            << u"weblist.txt"_qs << u"written"_qs << u"missing"_qs << u"INIファイルがありません"_qs;
        QTest::newRow("URL list unreadable") << u"weblist.txt"_qs << u"folder"_qs << u"written"_qs << QString();
        QTest::newRow("configuration unreadable") << u"weblist.txt"_qs << u"written"_qs << u"folder"_qs << QString();
    }

    void abandonedStartUpLeavesOnlyEnd()
    {
        QFETCH(QString, listName);
        QFETCH(QString, listState);
        QFETCH(QString, settingsState);
        QFETCH(QString, message);
        PresenterFixture fixture;
        const QDir folder(fixture.folder.path());
        if (listState == u"folder")
            QVERIFY(folder.mkdir(listName));
        else if (listState == u"written")
            fixture.writeFile(listName, cp932::writeLines({kPageA}));
        if (settingsState == u"folder")
            QVERIFY(folder.mkdir(u"Quillharbour_Master.ini"_qs));
        else if (settingsState == u"written")
            fixture.writeSettings(slotOne());
        PresenterOptions options;
        options.urlListFileName = listName;
        Presenter& presenter = fixture.make(std::move(options));
        int panelClicks = 0;
        presenter.panelButton = [&panelClicks] { ++panelClicks; };

        QVERIFY(!presenter.startUp());
        // A file that exists but cannot be read abandons the start-up without a message.
        QCOMPARE(fixture.messages.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        for (const CapturedMessage& shown : fixture.messages.messages)
            QCOMPARE(shown.title, u"Quillharbour_Masterからのメッセージ"_qs);
        QVERIFY(presenter.form().isVisible());
        QVERIFY(!presenter.hasEnded());
        QVERIFY(fixture.scripted == nullptr);
        for (const QString& name : {u"Command1"_qs, u"Command3"_qs, u"Command4"_qs, u"Command2"_qs})
            QTest::mouseClick(button(presenter, name), Qt::LeftButton);
        QCOMPARE(panelClicks, 0);
        QCOMPARE(presenter.state().PageIndex, std::int16_t(0));

        QSignalSpy ended(&presenter, &Presenter::ended);
        QTest::mouseClick(button(presenter, u"Command5"_qs), Qt::LeftButton);
        QCOMPARE(ended.count(), 1);
        QVERIFY(!presenter.form().isVisible());
        QCOMPARE(fixture.children.count(), 0);
        QCOMPARE(fixture.messages.messages.size(), message.isEmpty() ? 0 : 1); // nothing more after the buttons
    }

    void emptyUrlListOpensABlankPage()
    {
        PresenterFixture fixture;
        fixture.writeFile(u"weblist.txt"_qs, QByteArray());
        fixture.writeSettings(slotOne());
        Presenter& presenter = fixture.make();
        QVERIFY(presenter.startUp());
        QCOMPARE(presenter.state().LastPageIndex, std::int16_t(-1));
        QCOMPARE(fixture.browserLog->navigations, QStringList{QString()});
        QCOMPARE(fixture.scripted->LocationURL(), u"about:blank"_qs);
        for (const QString& name : {u"Command1"_qs, u"Command3"_qs, u"Command4"_qs})
            QVERIFY(clickInLoop(fixture, button(presenter, name)));
        QVERIFY(clickInLoop(fixture, button(presenter, u"Command5"_qs)));
        const QByteArrayList expected{"Command:VisibleTrue", "Command:WindowScreen", "Command:VisibleFalse"};
        QCOMPARE(fixture.children.receivedBy("127.0.0.2"), expected);
        QCOMPARE(fixture.browserLog->navigations.size(), 1);
        QVERIFY(fixture.messages.messages.isEmpty());
    }

    void overlongUrlListIsCutOnce()
    {
        PresenterFixture fixture;
        QByteArray bytes;
        for (int i = 0; i <= kMaxUrlListEntries; ++i)
            bytes += "file:///srv/p" + QByteArray::number(i) + ".html\r\n";
        fixture.writeFile(u"weblist.txt"_qs, bytes);
        fixture.writeSettings(slotOne());
        Presenter& presenter = fixture.make();
        QVERIFY(presenter.startUp());
        QCOMPARE(fixture.messages.texts(), QStringList{urlListTruncatedText(u"weblist.txt"_qs, 32760)});
        QCOMPARE(presenter.state().UrlList.size(), 32760);
        QCOMPARE(presenter.state().LastPageIndex, std::int16_t(32759));
        QCOMPARE(presenter.state().UrlList.last(), u"file:///srv/p32759.html"_qs);
        QCOMPARE(fixture.children.receivedBy("127.0.0.2").value(2), QByteArray("file:///srv/p0.html"));
    }

    void secondInstanceIsRefused()
    {
        PresenterFixture fixture;
        fixture.writeUrlList({kPageA});
        fixture.writeSettings(slotOne());
        QLockFile running(fixture.folder.filePath(u"presenter.lock"_qs));
        QVERIFY(running.tryLock(0));
        Presenter& presenter = fixture.make();
        QSignalSpy ended(&presenter, &Presenter::ended);
        presenter.Form_Load();
        QCOMPARE(fixture.messages.texts(), QStringList{u"すでにこのプログラムは起動しています"_qs});
        QCOMPARE(fixture.messages.messages.first().title, u"警告"_qs);
        QCOMPARE(ended.count(), 1);
        QVERIFY(presenter.hasEnded());
        QVERIFY(!presenter.form().isVisible());
        QCOMPARE(fixture.children.count(), 0);
    }

    void lockOfACrashedPresenterDoesNotBlock()
    {
        PresenterFixture fixture;
        fixture.writeUrlList({kPageA});
        fixture.writeSettings(slotOne());
        // The lock of a process that is gone, as a crash leaves it.
        QProcess gone;
        gone.start(u"true"_qs);
        QVERIFY(gone.waitForStarted());
        const qint64 deadPid = gone.processId();
        QVERIFY(gone.waitForFinished());
        fixture.writeFile(u"presenter.lock"_qs, QByteArray::number(deadPid) + "\nQuillharbour_Master\n" +
                                                    QSysInfo::machineHostName().toUtf8() + '\n');
        Presenter& presenter = fixture.make();
        QVERIFY(presenter.startUp());
        QVERIFY(fixture.messages.messages.isEmpty());
        QCOMPARE(fixture.children.count(), 3);
    }

    void unusableMasterPortIsReported_data()
    {
        QTest::addColumn<int>("port");
        QTest::addColumn<bool>("occupied");
        QTest::newRow("port in use") << 0 << true;
        QTest::newRow("line missing") << 0 << false;
        QTest::newRow("negative") << -5 << false;
    }

    void unusableMasterPortIsReported()
    {
        QFETCH(int, port);
        QFETCH(bool, occupied);
        PresenterFixture fixture;
        ChildrenListener occupant;
        if (occupied) {
            QVERIFY(occupant.bind(fixture.masterPort));
            port = fixture.masterPort;
        }
        fixture.writeUrlList({kPageA});
        QByteArray settings = settingsFileBytes(slotOne(), fixture.childPort, port);
        if (!occupied && port == 0)
            settings.replace("MyHostPortx=0\r\n", "");
        fixture.writeFile(u"Quillharbour_Master.ini"_qs, settings);
        QVERIFY(fixture.make().startUp());
        QCOMPARE(fixture.messages.texts(), QStringList{masterPortUnusableText(std::int16_t(port))});
        QVERIFY(fixture.messages.texts().first().contains(QString::number(port)));
        // Sending goes on from another port.
        const QByteArrayList expected{"Command:VisibleTrue", "Command:WindowScreen", kPageA.toLatin1()};
        QCOMPARE(fixture.children.receivedBy("127.0.0.2"), expected);
    }

    void unusableChildPortIsReported()
    {
        PresenterFixture fixture;
        fixture.writeUrlList({kPageA});
        QByteArray settings = settingsFileBytes(slotOne(), 0, fixture.masterPort);
        settings.replace("RemotePortx=0\r\n", "");
        fixture.writeFile(u"Quillharbour_Master.ini"_qs, settings);
        Presenter& presenter = fixture.make();
        QVERIFY(presenter.startUp());
        QCOMPARE(fixture.messages.texts(), QStringList{childPortUnusableText(0)});
        QCOMPARE(fixture.children.count(), 0);
        QCOMPARE(presenter.form().Label1->text(), u"0"_qs);
    }

    void panelButtonCallsThePanel()
    {
        PresenterFixture fixture;
        fixture.writeUrlList({kPageA});
        fixture.writeSettings(slotOne());
        Presenter& presenter = fixture.make();
        int panelClicks = 0;
        presenter.panelButton = [&panelClicks] { ++panelClicks; };
        QVERIFY(presenter.startUp());
        QVERIFY(clickInLoop(fixture, button(presenter, u"Command2"_qs)));
        QCOMPARE(panelClicks, 1);
    }

    void callsArriveInOrderAfterPageLoadsAndBoxes()
    {
        PresenterFixture fixture;
        fixture.writeUrlList({kPageA, kPageB});
        fixture.writeSettings({{1, u"1"_qs, u"127.0.0.2"_qs, u"WindowScreen"_qs},
                               {2, u"0"_qs, u"nohost.invalid"_qs, u"WindowScreen"_qs}});
        Presenter& presenter = fixture.make();
        QByteArrayList arrived;
        QStringList shownWhenArrived;
        presenter.datagramArrived = [&](const QByteArray& datagram) {
            arrived.append(datagram);
            shownWhenArrived.append(pageNumberShown(presenter));
        };
        QVERIFY(presenter.startUp());

        // Calls that come while a page loads wait until it is shown and sent.
        fixture.browserLog->loadMilliseconds = 100;
        QVERIFY(fixture.runLoop(
            [&] {
                QVERIFY(sendDatagram("127.0.0.1", fixture.masterPort, "01Call"));
                QVERIFY(sendDatagram("127.0.0.1", fixture.masterPort, "02Call"));
                button(presenter, u"Command3"_qs)->click();
            },
            [&] { return arrived.size() >= 2; }));
        QCOMPARE(arrived, (QByteArrayList{"01Call", "02Call"}));
        QCOMPARE(shownWhenArrived, (QStringList{u"1"_qs, u"1"_qs}));

        // Calls that come while a message box is open wait until it has closed.
        fixture.browserLog->loadMilliseconds = 0;
        arrived.clear();
        int arrivedDuringBox = -1;
        fixture.messages.whileOpen = [&] {
            QVERIFY(sendDatagram("127.0.0.1", fixture.masterPort, "03Call"));
            QTest::qWait(50);
            arrivedDuringBox = int(arrived.size());
        };
        QVERIFY(fixture.runLoop([&] { presenter.SendChildCommand(1, kVerbVisibleTrue); },
                                [&] { return arrived.size() >= 1; }));
        QCOMPARE(arrivedDuringBox, 0);
        QCOMPARE(arrived, QByteArrayList{"03Call"});
        QCOMPARE(fixture.messages.texts(), QStringList{u"コンピュータ名nohost.invalidがみつかりません"_qs});
    }

    void servicesReportTheBrowserAndTheSlots()
    {
        PresenterFixture fixture;
        fixture.writeUrlList({kPageA});
        fixture.writeSettings(slotsOneAndThree(), u"FullScreen"_qs);
        Presenter& presenter = fixture.make();
        QVERIFY(presenter.startUp());
        PresenterServices& services = presenter;
        QCOMPARE(services.browserLocation(), kPageA);
        QCOMPARE(services.screenSize(), u"FullScreen"_qs);
        QCOMPARE(services.childSlot(2).computerName, u"127.0.0.4"_qs);
        services.setBrowserFullScreen(false);
        QVERIFY(!fixture.browserLog->fullScreen);
        fixture.children.clear();
        services.childSlot(1).inUse = u"1"_qs;
        services.SendChildCommand(1, kVerbVisibleTrue);
        services.SendPageToChild(1, services.browserLocation());
        QCOMPARE(fixture.children.received(),
                 (QByteArrayList{to("127.0.0.3", "Command:VisibleTrue"), to("127.0.0.3", kPageA)}));
        presenter.End();
        QCOMPARE(services.browserLocation(), kPageA); // the browser is gone: the last page shown
    }
};

QTEST_MAIN(TestPresenter)
#include "test_presenter.moc"
