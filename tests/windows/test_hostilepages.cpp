// Pages that nobody here wrote, served by a web server: each row shows one to the real presenter
// with its Qt WebEngine browser and to two real children, the child program as its own process on
// 127.0.0.2 and a child in this process on 127.0.0.3, whose page and call button the test clicks
// as a student would. Whatever the page does, the teacher's >> shows the next page on every
// screen, End ends the presenter, nothing is handed to another program and the call goes out.
#include "child/childprogram.h"
#include "master/presenterbar.h"
#include "master/webbrowser.h"
#include "tests/support/childprocess.h"
#include "tests/support/pageserver.h"
#include "tests/support/presenterwindowsfixture.h"
#include "tests/support/userinput.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QWebEngineProfile>

#include <memory>

using namespace qh;
using namespace qh::master;
using namespace qh::test;
using namespace Qt::StringLiterals;

namespace {

// Bounds for a row that goes wrong; a row that goes well takes a fraction of them.
constexpr int kStepTimeoutMs = 30000;
// The longest End may take from the click, whatever the page does.
constexpr qint64 kEndWithinMs = 15000;
// The time a page gets, once shown, to start what it does.
constexpr int kScriptStartMs = 1000;
// The time a click in a page gets to have its effect.
constexpr int kClickSettleMs = 1500;
// A call from a child goes out at once, also while its page opens dialogs in a loop.
constexpr qint64 kCallWithinMs = 1000;

// A link over the whole page, so that a click anywhere follows it.
QString wholePageLink(const QString& href, const QString& extra = {})
{
    return u"<a href='%1' %2 style='position:fixed;inset:0;display:block'>link</a>"_s.arg(href, extra);
}

// A script that sets the page's title and starts the code a moment later.
QString armed(const QString& title, const QString& code)
{
    return u"<script>setTimeout(function () { document.title = '%1'; setTimeout(function () { %2 }, 100); }, 100)"
           u"</script>"_s.arg(title, code);
}

// What the desktop was asked to open by this process: the presenter and the child in it.
class DesktopHandoffs : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

// What a user sees of one screen: the title of the page it shows.
struct Screens {
    QPointer<WebBrowser> presenter;
    child::PageWindow* inProcessChild = nullptr;
    ChildProcess* childProcess = nullptr;

    QString presenterTitle() const { return presenter ? presenter->view()->title() : QString(); }
    QString childProcessTitle() const
    {
        const QList<ChildEvent>& events = childProcess->timedEvents();
        for (auto event = events.crbegin(); event != events.crend(); ++event) {
            if (event->event == u"title")
                return event->detail;
        }
        return {};
    }
    bool allShow(const QString& title) const
    {
        return presenterTitle() == title && inProcessChild->title() == title && childProcessTitle() == title;
    }
    QString describe() const
    {
        return u"presenter '%1', child in this process '%2', child program '%3'"_s.arg(
            presenterTitle(), inProcessChild->title(), childProcessTitle());
    }
};

} // namespace

class TestHostilePages : public QObject
{
    Q_OBJECT

    PageServer m_server;
    QTemporaryDir m_desktop; // the desktop's programs and the marker they leave
    DesktopHandoffs m_handoffs;
    quint16 m_childPort = 0;
    quint16 m_masterPort = 0;
    std::unique_ptr<ChildProcess> m_childProcess;
    std::unique_ptr<child::ChildProgram> m_inProcessChild;
    int m_modalBoxesClosed = 0;

    QString markerPath() const { return m_desktop.filePath(u"marker"_s); }

    // Makes every scheme handler of the desktop leave a line in the marker file: the programs that
    // xdg-open would start for qhprobe: and mailto:, and xdg-open itself where it is not installed
    // (Qt hands an address to xdg-open when it finds one on the PATH).
    void prepareDesktop()
    {
        const QString handler = m_desktop.filePath(u"handler.sh"_s);
        QVERIFY(writeAll(handler, "#!/bin/sh\necho \"$@\" >> '" + markerPath().toUtf8() + "'\n"));
        QVERIFY(QFile::setPermissions(handler, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QDir(m_desktop.path()).mkpath(u"data/applications"_s);
        QDir(m_desktop.path()).mkpath(u"config"_s);
        QVERIFY(writeAll(m_desktop.filePath(u"data/applications/qhprobe-handler.desktop"_s),
                         "[Desktop Entry]\nType=Application\nName=qhprobe\nExec=" + handler.toUtf8() +
                             " %u\nMimeType=x-scheme-handler/qhprobe;x-scheme-handler/mailto;\n"));
        QVERIFY(writeAll(m_desktop.filePath(u"config/mimeapps.list"_s),
                         "[Default Applications]\nx-scheme-handler/qhprobe=qhprobe-handler.desktop\n"
                         "x-scheme-handler/mailto=qhprobe-handler.desktop\n"));
        qputenv("XDG_DATA_HOME", m_desktop.filePath(u"data"_s).toUtf8());
        qputenv("XDG_CONFIG_HOME", m_desktop.filePath(u"config"_s).toUtf8());
        if (QStandardPaths::findExecutable(u"xdg-open"_s).isEmpty()) {
            QDir(m_desktop.path()).mkpath(u"bin"_s);
            QVERIFY(QFile::link(handler, m_desktop.filePath(u"bin/xdg-open"_s)));
            qputenv("PATH", m_desktop.filePath(u"bin"_s).toUtf8() + ':' + qgetenv("PATH"));
        }
        QDesktopServices::setUrlHandler(u"qhprobe"_s, &m_handoffs, "open");
        QDesktopServices::setUrlHandler(u"mailto"_s, &m_handoffs, "open");
    }

    void servePages()
    {
        m_server.serve(u"/start.html"_s, answer(htmlPage(u"start"_s)));
        m_server.serve(u"/next.html"_s, answer(htmlPage(u"next"_s)));
        m_server.serve(u"/other.html"_s, answer(htmlPage(u"other"_s)));
        m_server.serve(u"/popup-target.html"_s, answer(htmlPage(u"popup-target"_s)));
        PageResponse endless;
        endless.kind = PageResponse::Kind::Endless;
        endless.body = "<!DOCTYPE html><html><head><title>endless</title></head><body>more to come";
        m_server.serve(u"/endless.html"_s, endless);
        // These two name themselves only as they start what never ends.
        m_server.serve(u"/hang.html"_s, answer(htmlPage(u"loading"_s, armed(u"hang"_s, u"for (;;) {}"_s))));
        m_server.serve(u"/alerts.html"_s,
                       answer(htmlPage(u"loading"_s, armed(u"alerts"_s, u"for (;;) alert('again');"_s))));
        // Leaving is refused once the page has had a click; its confirm and prompt tell in its title.
        m_server.serve(
            u"/unload.html"_s,
            answer(htmlPage(u"unload"_s,
                            u"<div style='position:fixed;inset:0'></div><script>"
                            u"window.onbeforeunload = function (e) { e.preventDefault(); return 'stay'; };"
                            u"window.addEventListener('beforeunload', function (e) {"
                            u" e.preventDefault(); e.returnValue = 'stay'; });"
                            u"setTimeout(function () { var c = confirm('sure?'); var p = prompt('name?', 'x');"
                            u" document.title = 'unload ' + c + ' ' + p; }, 300);</script>"_s)));
        m_server.serve(u"/mailto.html"_s,
                       answer(htmlPage(u"mailto"_s, wholePageLink(u"mailto:teacher@example.com"_s))));
        m_server.serve(
            u"/scheme.html"_s,
            answer(htmlPage(u"scheme"_s, wholePageLink(u"qhprobe:clicked"_s) +
                                             u"<iframe src='qhprobe:frame'></iframe><script>"
                                             u"setTimeout(function () { location.href = 'qhprobe:script'; }, 300)"
                                             u"</script>"_s)));
        m_server.serve(u"/blank.html"_s,
                       answer(htmlPage(u"blank"_s, wholePageLink(u"other.html"_s, u"target=_blank"_s))));
        m_server.serve(
            u"/popup.html"_s,
            answer(htmlPage(u"popup"_s, u"<script>window.open('popup-target.html');"
                                        u"setTimeout(function () { window.open('popup-target.html', '_blank'); }, 300)"
                                        u"</script>"_s)));
        m_server.serve(u"/download.html"_s, answer(htmlPage(u"download"_s, wholePageLink(u"file.bin"_s))));
        PageResponse download = answer("not for this computer");
        download.contentType = "application/octet-stream";
        download.extraHeaders = {"Content-Disposition: attachment; filename=file.bin"};
        m_server.serve(u"/file.bin"_s, download);
        m_server.serve(
            u"/permission.html"_s,
            answer(htmlPage(u"permission"_s,
                            u"<script>var r = { geo: '?', notify: '?' };"
                            u"function show() { document.title = 'permission geo=' + r.geo + ' notify=' + r.notify; }"
                            u"navigator.geolocation.getCurrentPosition(function () { r.geo = 'granted'; show(); },"
                            u" function (e) { r.geo = e.code == 1 ? 'denied' : 'error'; show(); });"
                            u"Notification.requestPermission().then(function (p) { r.notify = p; show(); });"
                            u"</script>"_s)));
    }

    // Runs the presenter's loop as runLoop() does. When the step overruns its bound, modal boxes
    // that a page opened are closed as they come, so that a failing row ends instead of waiting.
    bool step(PresenterWindowsFixture& fixture, const std::function<void()>& actions, const std::function<bool()>& done,
              int timeoutMs = kStepTimeoutMs)
    {
        QTimer rescue;
        QObject::connect(&rescue, &QTimer::timeout, &rescue, [this, &rescue] {
            rescue.setInterval(500);
            if (QWidget* modal = QApplication::activeModalWidget()) {
                ++m_modalBoxesClosed;
                modal->close();
            }
        });
        rescue.start(timeoutMs);
        return fixture.runLoop(actions, done, timeoutMs);
    }

private slots:
    void initTestCase()
    {
        quietOffscreenWarnings();
        QVERIFY(m_server.isListening());
        servePages();
        prepareDesktop();
        m_childPort = freeUdpPort();
        m_masterPort = freeUdpPort();
        m_childProcess = std::make_unique<ChildProcess>();
        QVERIFY(m_childProcess->startOnLoopback(1, m_childPort, m_masterPort, {u"--window"_s}));
        child::ChildSettings settings = loopbackChildSettings(2, m_childPort, m_masterPort);
        settings.fullScreen = false;
        m_inProcessChild = std::make_unique<child::ChildProgram>(settings);
        QVERIFY(m_inProcessChild->start());
    }

    void cleanupTestCase()
    {
        m_inProcessChild.reset();
        m_childProcess.reset();
        QDesktopServices::unsetUrlHandler(u"qhprobe"_s);
        QDesktopServices::unsetUrlHandler(u"mailto"_s);
    }

    void pageCannotHoldTheLesson_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("title");       // the page's title once it has loaded
        QTest::addColumn<QString>("action");      // what the users do while it is shown
        QTest::addColumn<QString>("after");       // the title every screen shows after that
        QTest::addColumn<QStringList>("notices"); // what the presenter told the teacher, without waiting
        QTest::newRow("never-ending response")
            << u"/endless.html"_s << u"endless"_s << QString() << u"endless"_s << QStringList{};
        QTest::newRow("script that never returns")
            << u"/hang.html"_s << u"hang"_s << QString() << u"hang"_s << QStringList{};
        QTest::newRow("alert loop") << u"/alerts.html"_s << u"alerts"_s << u"call"_s << u"alerts"_s
                                    << QStringList{u"again"_s};
        QTest::newRow("leave-page handler, confirm, prompt")
            << u"/unload.html"_s << u"unload false null"_s << u"click"_s << u"unload false null"_s
            << QStringList{u"name?"_s, u"sure?"_s};
        QTest::newRow("mailto link") << u"/mailto.html"_s << u"mailto"_s << u"click"_s << u"mailto"_s << QStringList{};
        QTest::newRow("custom scheme") << u"/scheme.html"_s << u"scheme"_s << u"click"_s << u"scheme"_s
                                       << QStringList{};
        QTest::newRow("target=_blank link")
            << u"/blank.html"_s << u"blank"_s << u"click"_s << u"other"_s << QStringList{};
        QTest::newRow("window.open without a click")
            << u"/popup.html"_s << u"popup"_s << QString() << u"popup"_s << QStringList{};
        QTest::newRow("download") << u"/download.html"_s << u"download"_s << u"click"_s << u"download"_s
                                  << QStringList{u"このプログラムではファイルのダウンロードはできません。\n"
                                                 u"%S/file.bin はダウンロードしませんでした。"_s};
        QTest::newRow("permission request") << u"/permission.html"_s << u"permission geo=denied notify=denied"_s
                                            << QString() << u"permission geo=denied notify=denied"_s << QStringList{};
    }

    void pageCannotHoldTheLesson()
    {
        QFETCH(QString, path);
        QFETCH(QString, title);
        QFETCH(QString, action);
        QFETCH(QString, after);
        QFETCH(QStringList, notices);
        const QString hostile = m_server.url(path).toString();
        const QString next = m_server.url(u"/next.html"_s).toString();

        PresenterWindowsFixture fixture;
        fixture.childPort = m_childPort;
        fixture.masterPort = m_masterPort;
        fixture.writeUrlList({m_server.url(u"/start.html"_s).toString(), hostile, next});
        fixture.writeSettings(
            {{1, u"1"_s, u"127.0.0.2"_s, u"WindowScreen"_s}, {2, u"1"_s, u"127.0.0.3"_s, u"WindowScreen"_s}});
        Screens screens;
        screens.inProcessChild = &m_inProcessChild->pageWindow();
        screens.childProcess = m_childProcess.get();
        PresenterOptions options;
        options.createBrowser = [&screens] {
            auto made = std::make_unique<WebBrowser>();
            screens.presenter = made.get();
            return made;
        };
        Presenter& presenter = fixture.make(std::move(options));
        m_modalBoxesClosed = 0;
        QVERIFY(presenter.startUp());
        QVERIFY(step(fixture, {}, [&] { return screens.allShow(u"start"_s); }));

        // The teacher goes on to the page; it comes up on every screen. Its scripts get the time
        // to start what they do.
        const bool shown = step(
            fixture, [&] { userClick(fixture.bar().nextButton()); }, [&] { return screens.allShow(title); });
        qInfo("page shown: %s (%s)", shown ? "yes" : "no", qPrintable(screens.describe()));
        step(
            fixture, {}, [] { return false; }, kScriptStartMs);

        // The users act on it.
        qint64 callMs = -1;
        if (action == u"call") {
            QElapsedTimer sinceClick;
            step(
                fixture,
                [&] {
                    sinceClick.start();
                    userClick(m_inProcessChild->bar().callButton());
                },
                [&] {
                    if (callMs < 0 && !callEntries(fixture.windows().calls()).isEmpty())
                        callMs = sinceClick.elapsed();
                    return callMs >= 0;
                });
            qInfo("call listed: %s", callMs < 0 ? "never" : qPrintable(u"after %1 ms"_s.arg(callMs)));
        } else if (action == u"click") {
            step(
                fixture, [&] { userClick(screens.inProcessChild); }, [] { return false; }, kClickSettleMs);
            step(
                fixture, [&] { userClick(screens.presenter->view()); }, [] { return false; }, kClickSettleMs);
        }
        const bool settled = step(
            fixture, {}, [&] { return screens.allShow(after); }, kClickSettleMs);
        qInfo("after the action: %s (%s)", settled ? "as expected" : "not as expected", qPrintable(screens.describe()));

        // >>: the next page comes up on every screen.
        QElapsedTimer sinceNext;
        const bool nextShown = step(
            fixture,
            [&] {
                sinceNext.start();
                userClick(fixture.bar().nextButton());
            },
            [&] { return screens.allShow(u"next"_s) && fixture.bar().pageNumberLabel()->text() == u"2"; });
        qInfo("next page on every screen: %s after %lld ms (%s)", nextShown ? "yes" : "no", sinceNext.elapsed(),
              qPrintable(screens.describe()));

        // << back to the page, and End at once: the presenter ends.
        QElapsedTimer sinceEnd;
        step(
            fixture,
            [&] {
                userClick(fixture.bar().previousButton());
                QTimer::singleShot(300, &fixture.bar(), [&] {
                    sinceEnd.start();
                    userClick(fixture.bar().endButton());
                });
            },
            [] { return false; });
        const qint64 endMs = presenter.hasEnded() ? sinceEnd.elapsed() : -1;
        qInfo("End: %s", endMs < 0 ? "the presenter did not end" : qPrintable(u"ended after %1 ms"_s.arg(endMs)));

        qInfo("modal boxes the test had to close: %d", m_modalBoxesClosed);
        const QStringList marker = QString::fromUtf8(readAll(markerPath())).split(u'\n', Qt::SkipEmptyParts);
        qInfo("handed to the desktop: %lld in this process, %lld by the child program", qint64(m_handoffs.urls.size()),
              qint64(marker.size()));
        const QString downloads = QWebEngineProfile::defaultProfile()->downloadPath();
        const bool downloaded = QFileInfo::exists(downloads + u"/file.bin"_s) ||
                                QFileInfo::exists(QDir::homePath() + u"/Downloads/file.bin"_s);

        QStringList noticed = fixture.messages.noticeTexts();
        noticed.removeDuplicates();
        noticed.sort();
        QCOMPARE(noticed, notices.replaceInStrings(u"%S"_s, m_server.url(QString()).toString()));
        QCOMPARE(fixture.messages.texts(), QStringList{});
        QCOMPARE(m_modalBoxesClosed, 0);
        QVERIFY(shown);
        QVERIFY2(settled, qPrintable(screens.describe()));
        QVERIFY(action != u"call" || (callMs >= 0 && callMs <= kCallWithinMs));
        QVERIFY(nextShown);
        QVERIFY(endMs >= 0 && endMs <= kEndWithinMs);
        QCOMPARE(m_handoffs.urls, QList<QUrl>{});
        QCOMPARE(marker, QStringList{});
        QVERIFY(!downloaded);
        QCOMPARE(m_server.requestCount(u"/popup-target.html"_s), 0);
    }
};

QTEST_MAIN(TestHostilePages)
#include "test_hostilepages.moc"
