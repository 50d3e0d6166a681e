#include "common/messagetexts.h"
#include "tests/slownames/slownames.h"
#include "tests/support/presenterfixture.h"

#include <QDir>
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTest>
#include <QTimer>

#include <ctime>
#include <list>

using namespace qh;
using namespace qh::master;
using namespace qh::test;
using namespace Qt::StringLiterals;

namespace {
// Slots 1 and 3 in use, slot 2 configured but switched off.
QList<SlotLine> slotsOneAndThree()
{
    return {{1, u"1"_s, u"127.0.0.2"_s, u"WindowScreen"_s},
            {2, u"0"_s, u"127.0.0.3"_s, u"WindowScreen"_s},
            {3, u"1"_s, u"127.0.0.4"_s, u"FullScreen"_s}};
}

QList<SlotLine> slotOne()
{
    return {{1, u"1"_s, u"127.0.0.2"_s, u"WindowScreen"_s}};
}

// Runs a step of the bar inside the follow loop and lets a few more passes run, enough for a page
// held back by >> or << to be forwarded.
void stepInLoop(PresenterFixture& fixture, void (Presenter::*step)())
{
    int ticks = 0;
    Presenter* presenter = fixture.presenter.get();
    QVERIFY(fixture.runLoop([presenter, step] { (presenter->*step)(); }, [&ticks] { return ++ticks > 4; }));
}

std::int64_t nowNs(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return std::int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}
} // namespace

class TestPresenter : public QObject
{
    Q_OBJECT
public:
    static void initMain() { preloadSlowNames(); } // "nohost.qhfail" fails without a name server

private slots:
    // The first page goes out after the announcement, as its code page 932 bytes.
    void startUpAnnouncesThenSendsTheFirstPage()
    {
        PresenterFixture fixture;
        const QString first = u"file:///srv/ページ①～.html"_s;
        const QByteArray firstBytes("file:///srv/\x83\x79\x81\x5b\x83\x57\x87\x40\x81\x60.html");
        fixture.writeUrlList({first, kPageB});
        fixture.writeSettings(slotsOneAndThree());
        Presenter& presenter = fixture.make();
        qsizetype receivedWhenPanelPrepared = -1;
        bool browserOpenWhenPanelPrepared = true;
        connect(&presenter, &Presenter::panelPreparing, this, [&] {
            receivedWhenPanelPrepared = fixture.children.count();
            browserOpenWhenPanelPrepared = fixture.scripted != nullptr;
        });

        QVERIFY(presenter.startUp());
        const QByteArrayList expected{to("127.0.0.2", "Command:VisibleTrue"),
                                      to("127.0.0.2", "Command:WindowScreen"),
                                      to("127.0.0.4", "Command:VisibleTrue"),
                                      to("127.0.0.4", "Command:FullScreen"),
                                      to("127.0.0.2", firstBytes),
                                      to("127.0.0.4", firstBytes)};
        QCOMPARE(fixture.children.received(), expected);
        QCOMPARE(receivedWhenPanelPrepared, 4);
        QVERIFY(!browserOpenWhenPanelPrepared);
        QCOMPARE(fixture.browserLog->navigations, QStringList{first});
        QVERIFY(fixture.browserLog->visible);
        QVERIFY(!fixture.browserLog->toolBar);
        QVERIFY(!fixture.browserLog->menuBar);
        QCOMPARE(fixture.pagesShown, QList<std::int16_t>{0});
        QVERIFY(fixture.barWanted);
        QVERIFY(fixture.messages.messages.isEmpty());
    }

    // The same text decides the browser's mode (exactly "FullScreen") and is sent to the child as it
    // stands, in code page 932.
    void screenModeTextsAreUsedAsWritten_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("fullScreen");
        QTest::addColumn<QByteArray>("datagram");
        QTest::newRow("FullScreen") << u"FullScreen"_s << true << QByteArray("Command:FullScreen");
        QTest::newRow("WindowScreen") << u"WindowScreen"_s << false << QByteArray("Command:WindowScreen");
        QTest::newRow("lower case") << u"fullscreen"_s << false << QByteArray("Command:fullscreen");
        QTest::newRow("trailing blank") << u"FullScreen "_s << false << QByteArray("Command:FullScreen ");
        QTest::newRow("empty") << QString() << false << QByteArray("Command:");
        QTest::newRow("other text") << u"全画面"_s << false << QByteArray("Command:\x91\x53\x89\xe6\x96\xca");
    }

    void screenModeTextsAreUsedAsWritten()
    {
        QFETCH(QString, mode);
        QFETCH(bool, fullScreen);
        QFETCH(QByteArray, datagram);
        PresenterFixture fixture;
        fixture.browserLog->fullScreen = !fullScreen;
        QVERIFY(fixture.start({kPageA}, {{1, u"1"_s, u"127.0.0.2"_s, mode}}, mode));
        QCOMPARE(fixture.browserLog->fullScreen, fullScreen);
        const QByteArrayList expected{"Command:VisibleTrue", datagram, kPageA.toLatin1()};
        QCOMPARE(fixture.children.receivedBy("127.0.0.2"), expected);
    }

    void buttonsStepThroughTheList_data()
    {
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<QStringList>("clicks");    // then End
        QTest::addColumn<QStringList>("pagesSent"); // after the first page, to slot 1 and then slot 3
        QTest::addColumn<int>("page");              // the page number shown last, -1 for none
        const QStringList three{kPageA, kPageB, kPageC};
        QTest::newRow(">> sends the new page twice")
            << three << QStringList{u">>"_s} << QStringList{kPageB, kPageB} << 1;
        QTest::newRow(">> >> <<") << three << QStringList{u">>"_s, u">>"_s, u"<<"_s}
                                  << QStringList{kPageB, kPageB, kPageC, kPageC, kPageB, kPageB} << 1;
        QTest::newRow("<< on the first entry") << three << QStringList{u"<<"_s} << QStringList{} << 0;
        QTest::newRow(">> on the last entry")
            << three << QStringList{u">>"_s, u">>"_s, u">>"_s} << QStringList{kPageB, kPageB, kPageC, kPageC} << 2;
        QTest::newRow("one entry") << QStringList{kPageA} << QStringList{u">>"_s, u"<<"_s} << QStringList{} << 0;
        QTest::newRow("Home on entry 0 sends it again once")
            << three << QStringList{u"Home"_s} << QStringList{kPageA} << 0;
        QTest::newRow("Home from entry 1 is forwarded at once")
            << three << QStringList{u">>"_s, u"Home"_s} << QStringList{kPageB, kPageB, kPageA, kPageA} << 0;
        // An empty list opens a blank page, which the children are not sent.
        QTest::newRow("empty list") << QStringList{} << QStringList{u"Home"_s, u">>"_s, u"<<"_s} << QStringList{} << -1;
        QTest::newRow("End after the user closed the browser")
            << three << QStringList{u"close the browser"_s} << QStringList{} << 0;
    }

    void buttonsStepThroughTheList()
    {
        QFETCH(QStringList, list);
        QFETCH(QStringList, clicks);
        QFETCH(QStringList, pagesSent);
        QFETCH(int, page);
        PresenterFixture fixture;
        QVERIFY(fixture.start(list, slotsOneAndThree()));
        fixture.children.clear();
        const QHash<QString, void (Presenter::*)()> steps{
            {u">>"_s, &Presenter::nextPage}, {u"<<"_s, &Presenter::previousPage}, {u"Home"_s, &Presenter::home}};
        for (const QString& click : clicks) {
            if (steps.contains(click))
                stepInLoop(fixture, steps.value(click));
            else
                fixture.scripted->setVisible(false); // as the window's close box does
        }
        QCOMPARE(fixture.pagesShown.isEmpty() ? -1 : fixture.pagesShown.last(), page);
        QCOMPARE(fixture.scripted->locationUrl(), list.isEmpty() ? u"about:blank"_s : list.value(page));

        stepInLoop(fixture, &Presenter::end);
        QByteArrayList expected;
        for (const QString& sent : pagesSent)
            expected << to("127.0.0.2", sent) << to("127.0.0.4", sent);
        expected << to("127.0.0.2", "Command:VisibleFalse") << to("127.0.0.4", "Command:VisibleFalse");
        QCOMPARE(fixture.children.received(), expected);
        QVERIFY(fixture.presenter->hasEnded());
        QVERIFY(fixture.browserLog->released);
        QVERIFY(!fixture.browserLog->visible);
        QVERIFY(!fixture.barWanted);
    }

    // The page >> held back for one pass is forwarded by the loop itself: nothing else wakes it (there
    // is no window whose repaint could post an event).
    void heldBackPageIsForwardedWithoutWaiting()
    {
        PresenterFixture fixture;
        QVERIFY(fixture.start({kPageA, kPageB}, slotsOneAndThree()));
        Presenter& presenter = *fixture.presenter;
        fixture.children.clear();
        constexpr int kWatchdogMs = 1500;
        const std::int64_t startNs = nowNs(CLOCK_REALTIME);
        QTimer::singleShot(0, &presenter, [&] { presenter.nextPage(); });
        QTimer::singleShot(kWatchdogMs, &presenter, [&] { presenter.stopFollowing(); });
        presenter.followBrowser();

        const QList<Arrival> arrivals = fixture.children.take();
        QByteArrayList received;
        for (const Arrival& arrival : arrivals)
            received.append(arrival.to + ' ' + arrival.payload);
        QCOMPARE(received, (QByteArrayList{to("127.0.0.2", kPageB), to("127.0.0.4", kPageB), to("127.0.0.2", kPageB),
                                           to("127.0.0.4", kPageB)}));
        const std::int64_t forwardedAfterMs = (arrivals.last().atNs - startNs) / 1000000;
        QVERIFY2(forwardedAfterMs < kWatchdogMs / 3, qPrintable(u"forwarded after %1 ms"_s.arg(forwardedAfterMs)));
        QCOMPARE(fixture.browserLog->navigations, (QStringList{kPageA, kPageB})); // the forward loads nothing
    }

    // The teacher follows a link, goes on with >> and follows the same link again, all within the
    // half second in which a forward waits after the last: the children end on the link's page,
    // although it is the address they were last forwarded.
    void sameLinkAgainAfterAButtonIsForwarded()
    {
        PresenterFixture fixture;
        QVERIFY(fixture.start({kPageA, kPageB}, slotOne()));
        Presenter& presenter = *fixture.presenter;
        ScriptedBrowser& browser = *fixture.scripted;
        fixture.children.clear();
        const QByteArray link = kPageC.toUtf8();
        QVERIFY(fixture.runLoop(
            [&] {
                browser.followLink(kPageC);
                QTimer::singleShot(50, &presenter, [&] { presenter.nextPage(); });
                QTimer::singleShot(100, &presenter, [&] { browser.followLink(kPageC); });
            },
            [&] { return fixture.children.receivedBy("127.0.0.2").size() == 3; }, 5000));
        QCOMPARE(fixture.children.receivedBy("127.0.0.2"), (QByteArrayList{link, kPageB.toUtf8(), link}));
    }

    // Passes that find nothing to do send nothing, and an idle loop sleeps instead of spinning.
    void idleLoopSendsNothingAndSleeps()
    {
        PresenterFixture fixture;
        QVERIFY(fixture.start({kPageA, kPageB}, slotOne()));
        Presenter& presenter = *fixture.presenter;
        fixture.children.clear();
        fixture.runFor(nullptr, 50);
        QCOMPARE(fixture.children.count(), 0);
        QCOMPARE(fixture.browserLog->navigations.size(), 1);

        constexpr int kIdleMs = 300;
        QTimer::singleShot(kIdleMs, &presenter, [&] { presenter.stopFollowing(); });
        const std::int64_t cpuBeforeNs = nowNs(CLOCK_THREAD_CPUTIME_ID);
        presenter.followBrowser();
        const std::int64_t cpuMs = (nowNs(CLOCK_THREAD_CPUTIME_ID) - cpuBeforeNs) / 1000000;
        QVERIFY2(cpuMs < kIdleMs / 6, qPrintable(u"%1 ms of CPU time in %2 ms idle"_s.arg(cpuMs).arg(kIdleMs)));
        QCOMPARE(fixture.children.count(), 0);
    }

    void unresolvableNameIsReported_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("unknown host") << u"nohost.qhfail"_s;
        QTest::newRow("empty name") << QString();
    }

    void unresolvableNameIsReported()
    {
        QFETCH(QString, name);
        PresenterFixture fixture;
        QVERIFY(fixture.start({kPageA, kPageB}, {{1, u"1"_s, u"127.0.0.2"_s, u"WindowScreen"_s},
                                                 {2, u"1"_s, name, u"WindowScreen"_s},
                                                 {3, u"1"_s, u"127.0.0.4"_s, u"FullScreen"_s}}));
        // Each send to the slot is reported; the first page then reaches none of the later slots.
        const QByteArrayList expected{to("127.0.0.2", "Command:VisibleTrue"), to("127.0.0.2", "Command:WindowScreen"),
                                      to("127.0.0.4", "Command:VisibleTrue"), to("127.0.0.4", "Command:FullScreen"),
                                      to("127.0.0.2", kPageA)};
        QCOMPARE(fixture.children.received(), expected);
        const QString text = u"コンピュータ名"_s + name + u"がみつかりません"_s;
        QCOMPARE(fixture.messages.texts(), (QStringList{text, text, text}));
        for (const CapturedMessage& message : fixture.messages.messages)
            QCOMPARE(message.title, u"Quillharbour_Masterからのメッセージ"_s);
    }

    void abandonedStartUpLeavesOnlyEnd_data()
    {
        QTest::addColumn<QString>("listName");
        QTest::addColumn<QString>("listState"); // "missing", "folder", "fifo", "huge" or "written"
        QTest::addColumn<QString>("settingsState");
        QTest::addColumn<QString>("message");
        QTest::newRow("no URL list") << u"weblist.txt"_s << u"missing"_s << u"written"_s
                                     << u"weblist.txtｗｅｂアドレスリストのファイルがありません。"_s;
        QTest::newRow("no URL list named with blanks") << u"my list.txt"_s << u"missing"_s << u"written"_s
                                                       << u"my list.txtｗｅｂアドレスリストのファイルがありません。"_s;
        QTest::newRow("no configuration file")
            << u"weblist.txt"_s << u"written"_s << u"missing"_s << u"INIファイルがありません"_s;
        // What is no regular file, or too large to be a list, is not read at all.
        const QString listNotAFile =
            u"weblist.txtｗｅｂアドレスリストのファイルが通常のファイルではないため読めません。"_s;
        QTest::newRow("URL list a folder") << u"weblist.txt"_s << u"folder"_s << u"written"_s << listNotAFile;
        QTest::newRow("URL list a FIFO") << u"weblist.txt"_s << u"fifo"_s << u"written"_s << listNotAFile;
        QTest::newRow("URL list over 64 MB")
            << u"weblist.txt"_s << u"huge"_s << u"written"_s
            << u"weblist.txtｗｅｂアドレスリストのファイルが大きすぎるため読めません（64MBまで）。"_s;
        const QString settingsNotAFile = u"INIファイルが通常のファイルではないため読めません"_s;
        QTest::newRow("configuration a folder") << u"weblist.txt"_s << u"written"_s << u"folder"_s << settingsNotAFile;
        QTest::newRow("configuration a FIFO") << u"weblist.txt"_s << u"written"_s << u"fifo"_s << settingsNotAFile;
        QTest::newRow("configuration over 1 MB")
            << u"weblist.txt"_s << u"written"_s << u"huge"_s << u"INIファイルが大きすぎるため読めません（1MBまで）"_s;
    }

    void abandonedStartUpLeavesOnlyEnd()
    {
        QFETCH(QString, listName);
        QFETCH(QString, listState);
        QFETCH(QString, settingsState);
        QFETCH(QString, message);
        PresenterFixture fixture;
        const QDir folder(fixture.folder.path());
        std::list<Fifo> fifos;
        // Sparse: a file far over the cap is made at once.
        const auto makeHuge = [&](const QString& name) {
            QFile huge(folder.filePath(name));
            return huge.open(QIODevice::WriteOnly) && huge.resize(65 * 1024 * 1024);
        };
        if (listState == u"folder")
            QVERIFY(folder.mkdir(listName));
        else if (listState == u"fifo")
            QVERIFY(fifos.emplace_back(folder.filePath(listName)).isValid());
        else if (listState == u"huge")
            QVERIFY(makeHuge(listName));
        else if (listState == u"written")
            QVERIFY(fixture.folder.write(listName, kPageA.toLatin1()));
        if (settingsState == u"folder")
            QVERIFY(folder.mkdir(u"Quillharbour_Master.ini"_s));
        else if (settingsState == u"fifo")
            QVERIFY(fifos.emplace_back(folder.filePath(u"Quillharbour_Master.ini"_s)).isValid());
        else if (settingsState == u"huge")
            QVERIFY(makeHuge(u"Quillharbour_Master.ini"_s));
        else if (settingsState == u"written")
            fixture.writeSettings(slotOne());
        PresenterOptions options;
        options.urlListFileName = listName;
        Presenter& presenter = fixture.make(std::move(options));

        QVERIFY(!presenter.startUp());
        QCOMPARE(fixture.messages.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        for (const CapturedMessage& shown : fixture.messages.messages)
            QCOMPARE(shown.title, u"Quillharbour_Masterからのメッセージ"_s);
        QVERIFY(fixture.barWanted);
        QVERIFY(!presenter.hasEnded());
        presenter.home();
        presenter.nextPage();
        presenter.previousPage();
        presenter.togglePanel();
        QCOMPARE(fixture.panelToggles, 0);
        QVERIFY(fixture.scripted == nullptr); // no browser was ever made
        QVERIFY(fixture.pagesShown.isEmpty());

        QSignalSpy ended(&presenter, &Presenter::ended);
        presenter.end();
        QCOMPARE(ended.count(), 1);
        QVERIFY(!fixture.barWanted);
        QCOMPARE(fixture.children.count(), 0);
        QCOMPARE(fixture.messages.messages.size(), message.isEmpty() ? 0 : 1); // nothing more after the buttons
    }

    // Entries past the cap are dropped with one message; >> still reaches the last entry kept, and
    // stops there.
    void overlongUrlListIsCutOnce()
    {
        PresenterFixture fixture;
        QByteArray bytes;
        for (int i = 0; i <= 32760; ++i)
            bytes += "file:///srv/p" + QByteArray::number(i) + ".html\r\n";
        fixture.writeSettings({});
        QVERIFY(fixture.folder.write(u"weblist.txt"_s, bytes));
        Presenter& presenter = fixture.make();
        QVERIFY(presenter.startUp());
        QCOMPARE(fixture.messages.messages.size(), 1);
        QVERIFY(fixture.messages.texts().first().startsWith(u"weblist.txt"_s));
        QVERIFY(fixture.messages.texts().first().contains(u"32760"_s));
        for (int click = 0; click < 32760; ++click)
            presenter.nextPage();
        QCOMPARE(fixture.browserLog->navigations.size(), 32760);
        QCOMPARE(fixture.browserLog->navigations.last(), u"file:///srv/p32759.html"_s);
        QCOMPARE(fixture.pagesShown.last(), std::int16_t(32759));
    }

    // A running presenter's lock refuses a second one; the lock a crash left behind does not.
    void onlyOnePresenterRuns_data()
    {
        QTest::addColumn<bool>("holderRuns");
        QTest::newRow("another presenter runs") << true;
        QTest::newRow("lock of a crashed presenter") << false;
    }

    void onlyOnePresenterRuns()
    {
        QFETCH(bool, holderRuns);
        PresenterFixture fixture;
        QLockFile running(fixture.folder.path(u"presenter.lock"_s));
        if (holderRuns) {
            QVERIFY(running.tryLock(0));
        } else {
            QProcess gone;
            gone.start(u"true"_s);
            QVERIFY(gone.waitForStarted());
            const qint64 deadPid = gone.processId();
            QVERIFY(gone.waitForFinished());
            QVERIFY(fixture.folder.write(u"presenter.lock"_s, QByteArray::number(deadPid) + "\nQuillharbour_Master\n" +
                                                                  QSysInfo::machineHostName().toUtf8() + '\n'));
        }
        QCOMPARE(fixture.start({kPageA}, slotOne()), !holderRuns);
        QCOMPARE(fixture.presenter->hasEnded(), holderRuns);
        QCOMPARE(fixture.barWanted, !holderRuns);
        QCOMPARE(fixture.children.count(), holderRuns ? 0 : 3);
        QCOMPARE(fixture.messages.texts(),
                 holderRuns ? QStringList{u"すでにこのプログラムは起動しています"_s} : QStringList{});
        if (holderRuns)
            QCOMPARE(fixture.messages.messages.first().title, u"警告"_s);
    }

    // A port the presenter cannot use is named in one message; the presentation goes on.
    void unusablePortIsReported_data()
    {
        QTest::addColumn<QString>("master"); // "free", "in use", "missing" or the port written
        QTest::addColumn<QString>("child");  // "free" or "missing"
        QTest::addColumn<QString>("named");  // the port the message names, "" for the one in use
        QTest::addColumn<int>("received");   // datagrams that still reach slot 1
        QTest::newRow("master port in use") << u"in use"_s << u"free"_s << QString() << 3;
        QTest::newRow("master line missing") << u"missing"_s << u"free"_s << u"0"_s << 3;
        QTest::newRow("master port negative") << u"-5"_s << u"free"_s << u"-5"_s << 3;
        QTest::newRow("child line missing") << u"free"_s << u"missing"_s << u"0"_s << 0;
    }

    void unusablePortIsReported()
    {
        QFETCH(QString, master);
        QFETCH(QString, child);
        QFETCH(QString, named);
        QFETCH(int, received);
        PresenterFixture fixture;
        fixture.writeUrlList({kPageA});
        ChildrenListener occupant;
        if (master == u"in use") {
            QVERIFY(occupant.bind(fixture.masterPort));
            named = QString::number(fixture.masterPort);
        }
        const int masterPort = master == u"free" || master == u"in use" ? fixture.masterPort : master.toInt();
        QByteArray settings = settingsFileBytes(slotOne(), fixture.childPort, masterPort);
        if (master == u"missing")
            settings.replace("MyHostPortx=0\r\n", "");
        if (child == u"missing")
            settings.replace("RemotePortx=" + QByteArray::number(fixture.childPort) + "\r\n", "");
        QVERIFY(fixture.folder.write(u"Quillharbour_Master.ini"_s, settings));
        QVERIFY(fixture.make().startUp());
        QCOMPARE(fixture.messages.messages.size(), 1);
        QVERIFY2(fixture.messages.texts().first().contains(u"ポート"_s + named),
                 qPrintable(fixture.messages.texts().first()));
        QCOMPARE(fixture.messages.messages.first().title, kOwnMessageTitle);
        QCOMPARE(fixture.children.receivedBy("127.0.0.2").size(), received);
        QCOMPARE(fixture.pagesShown, QList<std::int16_t>{0});
    }
};

QTEST_GUILESS_MAIN(TestPresenter)
#include "test_presenter.moc"
