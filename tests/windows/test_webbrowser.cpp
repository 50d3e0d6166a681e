#include "common/untrustedpage.h"
#include "master/webbrowser.h"
#include "tests/support/filereadingpage.h"
#include "tests/support/pageserver.h"
#include "tests/support/presenterwindowsfixture.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QWebEnginePage>

using namespace qh;
using namespace qh::master;
using namespace qh::test;
using namespace Qt::StringLiterals;

namespace {
// Loads can take a while on a busy machine; this only bounds a test that would otherwise hang.
constexpr int kLoadTimeoutMs = 30000;

void writePages(const QString& folder)
{
    const QByteArray tall = "<div style='height:4000px'></div>";
    QVERIFY(writeAll(folder + u"/a.html"_s,
                     "<html><body><a id='down' href='#part'>down</a>" + tall + "<p id='part'>part</p></body></html>"));
    QVERIFY(writeAll(folder + u"/b.html"_s, "<html><body><a id='next' href='c.html'>c</a></body></html>"));
    QVERIFY(writeAll(folder + u"/c.html"_s, "<html><body>c</body></html>"));
}

QString pageUrl(const QString& folder, const QString& name)
{
    return QUrl::fromLocalFile(folder + u'/' + name).toString();
}

// Counts the lines of Qt's "js" category, where pages' consoles go, while it lives.
class ConsoleLines
{
public:
    ConsoleLines() { s_previous = qInstallMessageHandler(&ConsoleLines::count); }
    ~ConsoleLines() { qInstallMessageHandler(s_previous); }
    static inline int lines = 0;

private:
    static void count(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        if (context.category && qstrcmp(context.category, "js") == 0)
            ++lines;
        else if (s_previous)
            s_previous(type, context, message);
    }
    static inline QtMessageHandler s_previous = nullptr;
};
} // namespace

class TestWebBrowser : public QObject
{
    Q_OBJECT
private slots:
    void busyFallsForEveryAddress_data()
    {
        QTest::addColumn<QString>("address"); // "%1/" stands for the page folder's URL
        QTest::addColumn<QString>("location");
        QTest::newRow("ordinary page") << u"%1/b.html"_s << u"%1/b.html"_s;
        QTest::newRow("page that fails to load") << u"%1/missing.html"_s << u"%1/missing.html"_s;
        QTest::newRow("fragment of the page shown") << u"%1/a.html#part"_s << u"%1/a.html#part"_s;
        QTest::newRow("the page shown again") << u"%1/a.html"_s << u"%1/a.html"_s;
        QTest::newRow("fragment of another page") << u"%1/b.html#x"_s << u"%1/b.html#x"_s;
        // Every address the rules refuse (test_urllist) becomes this blank page.
        QTest::newRow("refused address") << u"javascript:document.title='x'"_s << u"about:blank"_s;
        QTest::newRow("refused connection") << u"http://127.0.0.1:1/"_s << u"http://127.0.0.1:1/"_s;
    }

    void busyFallsForEveryAddress()
    {
        QFETCH(QString, address);
        QFETCH(QString, location);
        QTemporaryDir folder;
        writePages(folder.path());
        const QString base = QUrl::fromLocalFile(folder.path()).toString();
        WebBrowser browser;
        browser.setVisible(true);
        browser.navigate(pageUrl(folder.path(), u"a.html"_s));
        QVERIFY(browser.isBusy());
        QTRY_VERIFY_WITH_TIMEOUT(!browser.isBusy(), kLoadTimeoutMs);

        browser.navigate(address.contains(u"%1") ? address.arg(base) : address);
        QTRY_VERIFY_WITH_TIMEOUT(!browser.isBusy(), kLoadTimeoutMs);
        QCOMPARE(browser.locationUrl(), location.contains(u"%1") ? location.arg(base) : location);
    }

    // A worksheet on the teacher's disk keeps its own folder's files, but reaches none of the
    // teacher's other files (which its script could send out), whatever way it tries.
    void localPageReachesOnlyItsOwnFolder()
    {
        const FileReadingPage reader;
        QVERIFY(reader.isValid());
        WebBrowser browser;
        browser.navigate(reader.url().toString());
        QTRY_VERIFY_WITH_TIMEOUT(browser.view()->title().startsWith(u"fetch-"_s), kLoadTimeoutMs);
        QCOMPARE(browser.view()->title(), u"fetch-own=own fetch-out=blocked xhr-own=own xhr-out=blocked "
                                          u"img-own=loaded img-out=blocked frame-own=ran frame-out=blocked"_s);
    }

    // Full screen covers the screen, also where no window manager does it; the window then gets
    // its place back.
    void fullScreenFollowsTheSetting()
    {
        WebBrowser browser;
        const QRect window(30, 40, 500, 300);
        browser.view()->setGeometry(window);
        browser.setFullScreen(true);
        QVERIFY(!browser.isVisible());
        browser.setVisible(true);
        QVERIFY(browser.view()->isFullScreen());
        QCOMPARE(browser.view()->geometry(), browser.view()->screen()->geometry());
        browser.setFullScreen(false);
        QVERIFY(!browser.view()->isFullScreen());
        QVERIFY(browser.isVisible());
        QCOMPARE(browser.view()->geometry(), window);
    }

    // A page whose script never returns cannot hold a measure of where the teacher is: the
    // document's share that Qt WebEngine knows without a script answers at once, again and again.
    void heldPageIsMeasuredWithoutItsScript()
    {
        QTemporaryDir folder;
        QVERIFY(writeAll(folder.path() + u"/held.html"_s,
                         "<html><body style='margin:0'><div style='height:4000px'></div><script>scrollTo(0, 1000);"
                         "</script></body></html>"));
        WebBrowser browser;
        browser.setVisible(true);
        browser.navigate(pageUrl(folder.path(), u"held.html"_s));
        QTRY_VERIFY_WITH_TIMEOUT(!browser.isBusy(), kLoadTimeoutMs);
        bool answered = false;
        QTRY_VERIFY_WITH_TIMEOUT(browser.view()->page()->scrollPosition().y() == 1000, kLoadTimeoutMs);
        // Held by a script that never returns: another script of the page's own gets no answer.
        browser.view()->page()->runJavaScript(u"for (;;) {}"_s);
        browser.view()->page()->runJavaScript(u"1"_s, [&answered](const QVariant&) { answered = true; });
        QTest::qWait(500);
        QVERIFY(!answered);
        QList<PageSpot> places;
        connect(&browser, &Browser::placeMeasured, this, [&places](const PageSpot& place) { places.append(place); });
        for (int measure = 1; measure <= 2; ++measure) {
            browser.measurePlace();
            QTRY_COMPARE(places.size(), measure);
            QCOMPARE(places.last(), (PageSpot{0, 250000, 0, 0, {}, {}}));
        }
    }

    // A page change fetches its page once: the forward of the page >> or << showed sends it again
    // without loading it again, and a link the teacher follows is loaded once and sent once. Home
    // on the page shown loads it anew.
    void pageChangeFetchesThePageOnce_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("sent");   // the pages slot 1 was sent after the first, then End
        QTest::addColumn<QList<int>>("fetches"); // of a, b and c
        QTest::newRow(">> and <<") << QStringList{u">>"_s, u"<<"_s} << QStringList{u"b"_s, u"b"_s, u"a"_s, u"a"_s}
                                   << QList<int>{2, 1, 0};
        QTest::newRow("Home on the page shown") << QStringList{u"Home"_s} << QStringList{u"a"_s} << QList<int>{2, 0, 0};
        QTest::newRow("a link, then >>") << QStringList{u"link"_s, u">>"_s} << QStringList{u"c"_s, u"b"_s, u"b"_s}
                                         << QList<int>{1, 1, 1};
    }

    void pageChangeFetchesThePageOnce()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, sent);
        QFETCH(QList<int>, fetches);
        PageServer server;
        QVERIFY(server.isListening());
        server.serve(u"/a.html"_s, answer(htmlPage(u"a"_s, u"<a id='next' href='/c.html'>c</a>"_s)));
        server.serve(u"/b.html"_s, answer(htmlPage(u"b"_s)));
        server.serve(u"/c.html"_s, answer(htmlPage(u"c"_s)));
        const auto page = [&server](const QString& name) { return server.url(u'/' + name + u".html"_s).toString(); };
        PresenterWindowsFixture fixture;
        fixture.writeUrlList({page(u"a"_s), page(u"b"_s)});
        fixture.writeSettings({{1, u"1"_s, u"127.0.0.2"_s, u"WindowScreen"_s}});
        QVERIFY(fixture.makeWithWebBrowser().startUp());
        WebBrowser* web = fixture.webBrowser();
        fixture.children.clear();

        PresenterBar& bar = fixture.bar();
        const QHash<QString, QPushButton*> buttons{
            {u">>"_s, bar.nextButton()}, {u"<<"_s, bar.previousButton()}, {u"Home"_s, bar.homeButton()}};
        for (const QString& step : steps) {
            // The forward of >> and << comes after the page's own send: the second datagram ends the step.
            const qsizetype sends = fixture.children.count() + (step == u">>" || step == u"<<" ? 2 : 1);
            QVERIFY(fixture.runUntilReceived(
                [&] {
                    if (step == u"link")
                        web->view()->page()->runJavaScript(u"document.getElementById('next').click()"_s);
                    else
                        QTest::mouseClick(buttons.value(step), Qt::LeftButton);
                },
                sends));
        }
        QVERIFY(fixture.runLoop([&] { QTest::mouseClick(bar.endButton(), Qt::LeftButton); }, [] { return false; }));

        QByteArrayList expected;
        for (const QString& name : sent)
            expected.append(page(name).toUtf8());
        expected.append("Command:VisibleFalse");
        QCOMPARE(fixture.children.receivedBy("127.0.0.2"), expected);
        QCOMPARE((QList<int>{server.requestCount(u"/a.html"_s), server.requestCount(u"/b.html"_s),
                             server.requestCount(u"/c.html"_s)}),
                 fetches);
    }

    // A page's console reaches the log, but a script that writes to it in a loop cannot fill the
    // session's journal over a day: a few lines get through, the rest are left out.
    void pageConsoleIsBounded()
    {
        QTemporaryDir folder;
        QVERIFY(writeAll(folder.path() + u"/noisy.html"_s,
                         "<html><body><script>for (let i = 0; i < 200; ++i) { console.error('noisy ' + i); "
                         "console.warn('noisy ' + i); } document.title = 'done';</script></body></html>"));
        ConsoleLines::lines = 0;
        const ConsoleLines console;
        WebBrowser browser;
        browser.navigate(pageUrl(folder.path(), u"noisy.html"_s));
        QTRY_COMPARE_WITH_TIMEOUT(browser.view()->title(), u"done"_s, kLoadTimeoutMs);
        QTRY_COMPARE_WITH_TIMEOUT(ConsoleLines::lines, kPageConsoleLines, kLoadTimeoutMs);
        QTest::qWait(500); // the lines after those would have come by now
        QCOMPARE(ConsoleLines::lines, kPageConsoleLines);
    }

    // A page that pushes a new address every 50 ms: the children are sent at most one of them in
    // half a second, and the last one it pushed.
    void addressLoopReachesTheChildrenSparingly()
    {
        PageServer server;
        server.serve(u"/loop.html"_s,
                     answer(htmlPage(u"loop"_s, u"<script>let n = 0; const loop = setInterval(() => {"
                                                u" history.pushState(null, '', '?n=' + ++n);"
                                                u" if (n == 20) clearInterval(loop); }, 50);</script>"_s)));
        const QString page = server.url(u"/loop.html"_s).toString();
        PresenterWindowsFixture fixture;
        fixture.writeUrlList({page});
        fixture.writeSettings({{1, u"1"_s, u"127.0.0.2"_s, u"WindowScreen"_s}});
        QVERIFY(fixture.makeWithWebBrowser().startUp());
        QList<Arrival> pushed;
        const QByteArray last = page.toUtf8() + "?n=20";
        QVERIFY(fixture.runLoop(nullptr, [&] {
            for (const Arrival& arrival : fixture.children.take()) {
                if (arrival.payload.startsWith(page.toUtf8() + "?n="))
                    pushed.append(arrival);
            }
            return !pushed.isEmpty() && pushed.last().payload == last;
        }));
        for (qsizetype i = 1; i < pushed.size(); ++i) {
            const qint64 gapMs = (pushed[i].atNs - pushed[i - 1].atNs) / 1000000;
            QVERIFY2(gapMs >= 500,
                     qPrintable(u"%1 ms between %2 and %3"_s.arg(gapMs).arg(QString::fromUtf8(pushed[i - 1].payload),
                                                                            QString::fromUtf8(pushed[i].payload))));
        }
    }

    void presentationRunsWithTheRealBrowser()
    {
        PresenterWindowsFixture fixture;
        writePages(fixture.folder.path());
        const QString a = pageUrl(fixture.folder.path(), u"a.html"_s);
        const QString b = pageUrl(fixture.folder.path(), u"b.html"_s);
        const QString c = pageUrl(fixture.folder.path(), u"c.html"_s);
        fixture.writeUrlList({a, b});
        fixture.writeSettings(
            {{1, u"1"_s, u"127.0.0.2"_s, u"WindowScreen"_s}, {3, u"1"_s, u"127.0.0.4"_s, u"FullScreen"_s}});
        Presenter& presenter = fixture.makeWithWebBrowser();
        QVERIFY(presenter.startUp());
        const QPointer<WebBrowser> web = fixture.webBrowser();
        QCOMPARE(fixture.children.received(),
                 (QByteArrayList{"127.0.0.2 Command:VisibleTrue", "127.0.0.2 Command:WindowScreen",
                                 "127.0.0.4 Command:VisibleTrue", "127.0.0.4 Command:FullScreen",
                                 "127.0.0.2 " + a.toUtf8(), "127.0.0.4 " + a.toUtf8()}));
        QCOMPARE(web->locationUrl(), a);
        QVERIFY(web->isVisible());

        // A fragment link moves within the page and is forwarded too.
        fixture.children.clear();
        QVERIFY(fixture.runUntilReceived(
            [web] { web->view()->page()->runJavaScript(u"document.getElementById('down').click()"_s); }, 2));
        QCOMPARE(fixture.children.receivedBy("127.0.0.2"), QByteArrayList{a.toUtf8() + "#part"});

        // >>: the new page twice, once from the button and once from the loop.
        fixture.children.clear();
        QPushButton* next = fixture.bar().nextButton();
        QVERIFY(fixture.runUntilReceived([next] { QTest::mouseClick(next, Qt::LeftButton); }, 4));
        QCOMPARE(fixture.children.receivedBy("127.0.0.2"), (QByteArrayList{b.toUtf8(), b.toUtf8()}));
        QCOMPARE(fixture.bar().pageNumberLabel()->text(), u"1"_s);

        // A link followed in the page reaches the children under the same page number.
        fixture.children.clear();
        QVERIFY(fixture.runUntilReceived(
            [web] { web->view()->page()->runJavaScript(u"document.getElementById('next').click()"_s); }, 2));
        QCOMPARE(fixture.children.received(), (QByteArrayList{"127.0.0.2 " + c.toUtf8(), "127.0.0.4 " + c.toUtf8()}));
        QCOMPARE(fixture.bar().pageNumberLabel()->text(), u"1"_s);
        QCOMPARE(web->locationUrl(), c);

        // The user closes the browser window; << shows it again.
        QVERIFY(!web->view()->close()); // only hidden: the presentation goes on
        QVERIFY(!web->isVisible());
        fixture.children.clear();
        QPushButton* previous = fixture.bar().previousButton();
        QVERIFY(fixture.runUntilReceived([previous] { QTest::mouseClick(previous, Qt::LeftButton); }, 4));
        QCOMPARE(fixture.children.receivedBy("127.0.0.4"), (QByteArrayList{a.toUtf8(), a.toUtf8()}));
        QVERIFY(web->isVisible());

        fixture.children.clear();
        QPushButton* end = fixture.bar().endButton();
        QVERIFY(fixture.runLoop([end] { QTest::mouseClick(end, Qt::LeftButton); }, [] { return false; }));
        QVERIFY(presenter.hasEnded());
        QVERIFY(web.isNull()); // released
        QCOMPARE(fixture.children.received(),
                 (QByteArrayList{"127.0.0.2 Command:VisibleFalse", "127.0.0.4 Command:VisibleFalse"}));
        QVERIFY(fixture.messages.messages.isEmpty());
    }
};

QTEST_MAIN(TestWebBrowser)
#include "test_webbrowser.moc"
