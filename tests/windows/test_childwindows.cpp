// The child's windows in this process, with the real Qt WebEngine on local pages and real
// datagrams on loopback: the page window following the presenter, the bar and its call button.
#include "child/childmessages.h"
#include "child/childprogram.h"
#include "common/datagrams.h"
#include "common/keytexts.h"
#include "common/signeddatagram.h"
#include "tests/support/childprocess.h"
#include "tests/support/filereadingpage.h"
#include "tests/support/loopback.h"
#include "tests/support/pagescript.h"
#include "tests/support/pageserver.h"
#include "tests/support/testfiles.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>

#include <csignal>
#include <memory>
#include <optional>

using namespace qh;
using namespace qh::child;
using namespace qh::test;
using namespace Qt::StringLiterals;

namespace {
constexpr int kLoadTimeoutMs = 20000;

// Pages A, B, C: each titled by its letter; A links to B.
class Pages
{
public:
    Pages()
    {
        for (const char* name : {"A", "B", "C"}) {
            writeAll(m_folder.filePath(QString::fromLatin1(name) + u".html"_s),
                     QByteArray("<html><head><title>") + name + "</title></head><body><a id='next' href='B.html'>" +
                         name + "</a></body></html>");
        }
    }
    QUrl url(const QString& name) const { return QUrl::fromLocalFile(m_folder.filePath(name + u".html"_s)); }

private:
    QTemporaryDir m_folder;
};

// The context menu on screen, if there is one.
QMenu* visibleMenu()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* menu = qobject_cast<QMenu*>(widget); menu && menu->isVisible())
            return menu;
    }
    return nullptr;
}

// What the page window shows, in one line: "hidden" or "shown" with its mode, and its page.
QString state(PageWindow& window)
{
    const QString shown = !window.isVisible() ? u"hidden"_s : window.isFullScreen() ? u"full"_s : u"window"_s;
    return shown + u' ' + window.url().fileName();
}

} // namespace

class TestChildWindows : public QObject
{
    Q_OBJECT
private:
    Pages m_pages;
    LoopbackChildren m_master; // the teacher's master port, where calls arrive
    quint16 m_masterPort = 0;

    ChildSettings settings(bool fullScreen = true)
    {
        ChildSettings settings = loopbackChildSettings(7, freeUdpPort(), m_masterPort);
        settings.fullScreen = fullScreen;
        return settings;
    }

    // The calls that reached the master port since the last look.
    QByteArrayList takeCalls()
    {
        QByteArrayList calls;
        for (const Arrival& arrival : m_master.take()) {
            if (arrival.payload.endsWith("Call"))
                calls.append(arrival.payload);
        }
        return calls;
    }

private slots:
    void initTestCase()
    {
        quietOffscreenWarnings();
        m_masterPort = m_master.bindFreePort();
    }

    // A child with the teacher's key names it by its fingerprint in the call bar's tooltip. While
    // what comes from the teacher's computer is not signed by that key, the bar says so in place of
    // its caption; the answer to its Hello signed by the key shows the page.
    void keyedChildShowsItsKeyAndWhenItIsMissing()
    {
        const TeacherSigningKey key = TeacherSigningKey::generate();
        ChildSettings child = settings();
        child.teacherKey = key.publicKey();
        m_master.take();
        ChildProgram program(child);
        QVERIFY(program.start());
        auto* caption = program.bar().findChild<QLabel*>(u"captionLabel"_s);
        QCOMPARE(program.bar().toolTip(), u"先生の鍵の指紋: "_s + keyFingerprint(key.publicKey()));
        QCOMPARE(caption->text(), childCaption(7));
        QByteArray hello;
        QTRY_VERIFY([&] {
            for (const Arrival& arrival : m_master.take())
                hello = arrival.payload.startsWith("07Hello:") ? arrival.payload : hello;
            return !hello.isEmpty();
        }());
        const std::optional<ChildReport> asked = childReportOf(hello);
        QVERIFY(asked && asked->challenge.size() == kHelloChallengeBytes);

        const QByteArray address = childLoopbackAddress(7);
        QVERIFY(m_master.sendFrom("127.0.0.1", address.constData(), child.childPort, m_pages.url(u"A"_s).toEncoded()));
        QTRY_COMPARE(caption->text(), kKeyTroubleText);
        SignedHeader answer{QByteArray(kRunIdBytes, 'r'), 1, {0, 7, asked->challenge}};
        for (const QByteArray& inner : {QByteArray("Command:VisibleTrue"), m_pages.url(u"B"_s).toEncoded()}) {
            QVERIFY(m_master.sendFrom("127.0.0.1", address.constData(), child.childPort,
                                      signedDatagram(key, answer, inner).value()));
            ++answer.sequence;
        }
        QTRY_COMPARE_WITH_TIMEOUT(program.pageWindow().title(), u"B"_s, kLoadTimeoutMs);
        QCOMPARE(caption->text(), childCaption(7));
        QVERIFY(program.pageWindow().isVisible());
        QCOMPARE(loopbackChildSettings(7, 1, 2).teacherKey, QByteArray()); // the other tests' children have none
        ChildProgram keyless(loopbackChildSettings(8, child.childPort, m_masterPort));
        QCOMPARE(keyless.bar().toolTip(), kNoTeacherKeyText);
    }

    // The presenter's datagrams in order, then page C: what the page window shows. It starts
    // hidden in the mode of its settings; pages change nothing about whether it is shown.
    void pageWindowFollowsThePresenter_data()
    {
        QTest::addColumn<bool>("startFullScreen");
        QTest::addColumn<QByteArrayList>("datagrams");
        QTest::addColumn<QString>("shows");
        const QByteArray show = "Command:VisibleTrue";
        const QByteArray hide = "Command:VisibleFalse";
        const QByteArray full = "Command:FullScreen";
        const QByteArray window = "Command:WindowScreen";
        QTest::newRow("at start") << true << QByteArrayList{} << u"hidden C.html"_s;
        QTest::newRow("shown in the start mode") << true << QByteArrayList{show} << u"full C.html"_s;
        QTest::newRow("window as start mode") << false << QByteArrayList{show} << u"window C.html"_s;
        QTest::newRow("mode chosen while hidden") << true << QByteArrayList{window, show} << u"window C.html"_s;
        QTest::newRow("mode switched while shown") << false << QByteArrayList{show, full} << u"full C.html"_s;
        QTest::newRow("switched back") << true << QByteArrayList{show, window, full, window} << u"window C.html"_s;
        QTest::newRow("hidden") << true << QByteArrayList{show, hide} << u"hidden C.html"_s;
        QTest::newRow("mode while hidden keeps it hidden")
            << true << QByteArrayList{show, hide, window} << u"hidden C.html"_s;
        QTest::newRow("shown again") << false << QByteArrayList{show, hide, show} << u"window C.html"_s;
    }
    void pageWindowFollowsThePresenter()
    {
        QFETCH(bool, startFullScreen);
        QFETCH(QByteArrayList, datagrams);
        QFETCH(QString, shows);
        const ChildSettings child = settings(startFullScreen);
        ChildProgram program(child);
        QVERIFY(program.start());
        QVERIFY(!program.pageWindow().isVisible());
        QVERIFY(program.bar().isVisible());
        for (const QByteArray& datagram : datagrams)
            QVERIFY(m_master.sendFrom("127.0.0.1", childLoopbackAddress(7).constData(), child.childPort, datagram));
        QVERIFY(m_master.sendFrom("127.0.0.1", childLoopbackAddress(7).constData(), child.childPort,
                                  m_pages.url(u"C"_s).toEncoded()));
        QTRY_COMPARE_WITH_TIMEOUT(program.pageWindow().title(), u"C"_s, kLoadTimeoutMs);
        QCOMPARE(state(program.pageWindow()), shows);
        QVERIFY(program.bar().isVisible());
        QCOMPARE(program.pageWindow().windowTitle(), u"C"_s); // the caption is the page's title
    }

    // The presenter sends every page twice: the page shown is not loaded again, unless the user
    // has left it by a link.
    void samePageIsNotLoadedAgain_data()
    {
        QTest::addColumn<bool>("followLink");
        QTest::addColumn<bool>("loadedAgain");
        QTest::newRow("same page again") << false << false;
        QTest::newRow("after the user followed a link") << true << true;
    }
    void samePageIsNotLoadedAgain()
    {
        QFETCH(bool, followLink);
        QFETCH(bool, loadedAgain);
        PageWindow window(PageRule({testPagesFolder()}));
        window.open(m_pages.url(u"A"_s));
        QTRY_COMPARE_WITH_TIMEOUT(window.title(), u"A"_s, kLoadTimeoutMs);
        evaluateInPage(window.page(), u"window.marker = 1"_s);
        if (followLink) {
            evaluateInPage(window.page(), u"document.getElementById('next').click()"_s);
            QTRY_COMPARE_WITH_TIMEOUT(window.title(), u"B"_s, kLoadTimeoutMs);
            // The title can come before the load's end, which is not the one counted below.
            QTRY_VERIFY_WITH_TIMEOUT(!window.isSettling(), kLoadTimeoutMs);
        }
        QSignalSpy ends(&window, &PageWindow::loadEnded);
        QList<QUrl> started;
        connect(window.page(), &QWebEnginePage::loadingChanged, &window, [&started](const QWebEngineLoadingInfo& info) {
            if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus)
                started.append(info.url());
        });
        window.open(m_pages.url(u"A"_s));
        if (loadedAgain) {
            QTRY_COMPARE_WITH_TIMEOUT(ends.size(), 1, kLoadTimeoutMs);
            QCOMPARE(started, QList<QUrl>{m_pages.url(u"A"_s)});
        }
        QCOMPARE(window.title(), u"A"_s);
        QCOMPARE(evaluateInPage(window.page(), u"window.marker === 1"_s).toBool(), !loadedAgain);
        // A later page's load starts after any load of A that was asked for before it.
        window.open(m_pages.url(u"C"_s));
        QTRY_COMPARE_WITH_TIMEOUT(window.title(), u"C"_s, kLoadTimeoutMs);
        QCOMPARE(started.first(), m_pages.url(loadedAgain ? u"A"_s : u"C"_s));
        QCOMPARE(started.size(), loadedAgain ? 2 : 1);
    }

    // A page still loading is replaced by the next page, which stays when the first answers late;
    // also one that is shown but still loads a picture. The next page's load ends as its own,
    // although Qt WebEngine then tells that end under the first page's address.
    void newPageReplacesALoadInProgress_data()
    {
        QTest::addColumn<bool>("firstShown");
        QTest::newRow("first page not answered yet") << false;
        QTest::newRow("first page shown, its picture not answered yet") << true;
    }
    // The next page comes while the first still loads, at one moment or another of that load: its
    // end is told once, whatever Qt WebEngine tells of the two loads (at some moments the end of
    // both under the first page's address, at others nothing at all of the second).
    void nextPageEndsAfterAReplacedLoad()
    {
        for (int delayMs = 0; delayMs <= 30; delayMs += 2) {
            PageWindow window(PageRule({testPagesFolder()}));
            QList<QUrl> ends;
            connect(&window, &PageWindow::loadEnded, &window, [&ends](const QUrl& page) { ends.append(page); });
            bool sent = false;
            connect(window.page(), &QWebEnginePage::loadingChanged, &window, [&] {
                if (!std::exchange(sent, true))
                    QTimer::singleShot(delayMs, &window, [&] { window.open(m_pages.url(u"B"_s)); });
            });
            window.open(m_pages.url(u"A"_s));
            QTRY_COMPARE_WITH_TIMEOUT(window.title(), u"B"_s, kLoadTimeoutMs);
            QTRY_VERIFY2_WITH_TIMEOUT(ends.contains(m_pages.url(u"B"_s)), qPrintable(u"%1 ms"_s.arg(delayMs)),
                                      kLoadTimeoutMs);
            QCOMPARE(ends.count(m_pages.url(u"B"_s)), 1);
        }
    }

    void newPageReplacesALoadInProgress()
    {
        QFETCH(bool, firstShown);
        PageServer server;
        PageResponse held;
        held.kind = PageResponse::Kind::Held;
        server.serve(u"/picture.png"_s, held);
        server.serve(u"/slow.html"_s, firstShown ? answer(htmlPage(u"slow"_s, u"<img src='/picture.png'>"_s)) : held);
        PageWindow window(PageRule({testPagesFolder()}));
        QSignalSpy ends(&window, &PageWindow::loadEnded);
        window.open(server.url(u"/slow.html"_s));
        QTRY_COMPARE_WITH_TIMEOUT(server.requestCount(firstShown ? u"/picture.png"_s : u"/slow.html"_s), 1,
                                  kLoadTimeoutMs);
        window.open(m_pages.url(u"B"_s));
        QTRY_COMPARE_WITH_TIMEOUT(window.title(), u"B"_s, kLoadTimeoutMs);
        QTRY_COMPARE_WITH_TIMEOUT(ends.size(), 1, kLoadTimeoutMs);
        QCOMPARE(ends.first(), (QVariantList{m_pages.url(u"B"_s), true}));
        server.release(u"/slow.html"_s, answer(htmlPage(u"slow"_s)));
        QTest::qWait(500); // what must not happen: the late answer taking the window over
        QCOMPARE(window.url(), m_pages.url(u"B"_s));
        QCOMPARE(window.title(), u"B"_s);
        QCOMPARE(server.requestCount(u"/slow.html"_s), 1);
    }

    // A local page in the child's folders reaches no file outside them, whatever way it tries: a
    // script's fetch or XMLHttpRequest, a picture, a frame; each request is told. Its own files in
    // the folders it keeps.
    void localPageReachesNoFileOutsideTheFolders()
    {
        const FileReadingPage reader;
        QVERIFY(reader.isValid());
        PageWindow window(PageRule({reader.pagesFolder()}));
        QSet<QString> refused;
        connect(&window, &PageWindow::navigationRefused, &window, [&refused](const QUrl& url, Refusal refusal) {
            refused.insert(url.fileName() + u' ' + refusalName(refusal));
        });
        window.open(reader.url());
        QTRY_VERIFY_WITH_TIMEOUT(window.title().startsWith(u"fetch-"_s), kLoadTimeoutMs);
        QCOMPARE(window.title(), u"fetch-own=own fetch-out=blocked xhr-own=own xhr-out=blocked img-own=loaded "
                                 u"img-out=blocked frame-own=ran frame-out=blocked"_s);
        QCOMPARE(refused, (QSet<QString>{u"secret.txt file-outside"_s, u"secret.png file-outside"_s,
                                         u"secret.html file-outside"_s}));
    }

    // A renderer that dies reloads the last page by itself.
    void crashedRendererReloadsThePage()
    {
        PageWindow window(PageRule({testPagesFolder()}));
        window.open(m_pages.url(u"A"_s));
        QTRY_COMPARE_WITH_TIMEOUT(window.title(), u"A"_s, kLoadTimeoutMs);
        window.open(m_pages.url(u"B"_s));
        QTRY_COMPARE_WITH_TIMEOUT(window.title(), u"B"_s, kLoadTimeoutMs);
        QSignalSpy reloads(&window, &PageWindow::reloadingAfterCrash);
        QSignalSpy ends(&window, &PageWindow::loadEnded);
        const qint64 renderer = window.page()->renderProcessPid();
        QVERIFY(renderer > 0);
        QCOMPARE(::kill(pid_t(renderer), SIGKILL), 0);
        QTRY_COMPARE_WITH_TIMEOUT(reloads.size(), 1, kLoadTimeoutMs);
        QCOMPARE(reloads.first().first().toUrl(), m_pages.url(u"B"_s));
        QTRY_VERIFY_WITH_TIMEOUT(!ends.isEmpty() && ends.last().at(1).toBool(), kLoadTimeoutMs);
        QVERIFY(window.page()->renderProcessPid() != renderer);
        QCOMPARE(evaluateInPage(window.page(), u"document.title"_s).toString(), u"B"_s);
    }

    // A right click on a link offers what stays in the page (copying the link) and nothing that
    // would leave it: no new window, no download, no saving, no source, no inspector.
    void contextMenuStaysInThePage()
    {
        PageWindow window(PageRule({testPagesFolder()}));
        window.resize(400, 300);
        window.show();
        window.open(m_pages.url(u"A"_s));
        QTRY_COMPARE_WITH_TIMEOUT(window.title(), u"A"_s, kLoadTimeoutMs);
        const QVariantList centre =
            evaluateInPage(window.page(), u"(function () { var r = document.getElementById('next')"
                                          u".getBoundingClientRect(); return [r.x + r.width / 2,"
                                          u" r.y + r.height / 2]; })()"_s)
                .toList();
        QCOMPARE(centre.size(), 2);
        const QPoint link(int(centre[0].toDouble()), int(centre[1].toDouble()));
        QTest::mouseClick(window.focusProxy(), Qt::RightButton, {}, link);
        QMenu* menu = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((menu = visibleMenu()) != nullptr, kLoadTimeoutMs);
        const auto offers = [&](QWebEnginePage::WebAction action) {
            return menu->actions().contains(window.page()->action(action));
        };
        QVERIFY(offers(QWebEnginePage::CopyLinkToClipboard));
        for (const QWebEnginePage::WebAction leaving :
             {QWebEnginePage::OpenLinkInThisWindow, QWebEnginePage::OpenLinkInNewWindow,
              QWebEnginePage::OpenLinkInNewTab, QWebEnginePage::OpenLinkInNewBackgroundTab,
              QWebEnginePage::DownloadLinkToDisk, QWebEnginePage::SavePage, QWebEnginePage::ViewSource,
              QWebEnginePage::InspectElement})
            QVERIFY2(!offers(leaving), qPrintable(window.page()->action(leaving)->text()));
        menu->close();
    }

    // The button calls the teacher: the call goes out once, the button says so, and for two
    // seconds no further click goes out. A presenter that never answered confirms nothing, and the
    // button then simply reads 呼び出し again.
    void callButtonCallsTheTeacherOnceInTwoSeconds()
    {
        m_master.take();
        ChildProgram program(settings());
        QVERIFY(program.start());
        QPushButton* button = program.bar().callButton();
        QCOMPARE(button->text(), u"呼び出し"_s);
        QTest::mouseClick(button, Qt::LeftButton);
        QTest::mouseClick(button, Qt::LeftButton);
        QTest::keyClick(button, Qt::Key_Space); // a key held down clicks again and again
        QTest::keyClick(button, Qt::Key_Space);
        QCOMPARE(button->text(), kCallSentText);
        QByteArrayList calls;
        QTRY_VERIFY((calls += takeCalls(), !calls.isEmpty()));
        QTRY_COMPARE_WITH_TIMEOUT(button->text(), u"呼び出し"_s, 3000);
        calls += takeCalls();
        QCOMPARE(calls, QByteArrayList{"07Call"});
        QTest::mouseClick(button, Qt::LeftButton);
        QTRY_VERIFY((calls += takeCalls(), calls.size() == 2));
    }

    // Our presenter confirms each call it lists. Once it has answered the child (here with a page
    // after the child's Hello), a call it does not confirm in time is told, and the student can
    // call again at once.
    void callButtonTellsWhetherTheCallArrived_data()
    {
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<QString>("reads");
        QTest::newRow("confirmed") << true << u"届きました"_s;
        QTest::newRow("not confirmed") << false << u"届いていません"_s;
    }
    void callButtonTellsWhetherTheCallArrived()
    {
        QFETCH(bool, confirmed);
        QFETCH(QString, reads);
        const ChildSettings child = settings();
        ChildProgram program(child);
        QVERIFY(program.start());
        const QByteArray address = childLoopbackAddress(7);
        QVERIFY(m_master.sendFrom("127.0.0.1", address.constData(), child.childPort, m_pages.url(u"A"_s).toEncoded()));
        QTRY_COMPARE_WITH_TIMEOUT(program.pageWindow().title(), u"A"_s, kLoadTimeoutMs);
        m_master.take();
        QPushButton* button = program.bar().callButton();
        QTest::mouseClick(button, Qt::LeftButton);
        QByteArrayList calls;
        QTRY_VERIFY((calls += takeCalls(), !calls.isEmpty()));
        QCOMPARE(calls, QByteArrayList{"07Call"});
        if (confirmed)
            QVERIFY(m_master.sendFrom("127.0.0.1", address.constData(), child.childPort, "Command:CallReceived"));
        QTRY_COMPARE_WITH_TIMEOUT(button->text(), reads, 5000);
        QVERIFY(!program.pageWindow().url().toString().contains(u"CallReceived"_s));
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(button->text() == kCallSentText, !confirmed);
    }

    // While the teacher's computer is not found, the bar says that it is looked for; once found,
    // it carries the child's number again.
    void barSaysWhileTheMasterIsLookedFor_data()
    {
        QTest::addColumn<QString>("master");
        QTest::addColumn<QString>("caption");
        QTest::newRow("found") << u"localhost"_s << u"Quillharbour_Child 07"_s;
        QTest::newRow("not found") << u"teacher-pc.invalid"_s << kLookingForMasterText;
    }
    void barSaysWhileTheMasterIsLookedFor()
    {
        QFETCH(QString, master);
        QFETCH(QString, caption);
        ChildSettings child = settings();
        child.masterName = master;
        ChildProgram program(child);
        QVERIFY(program.start());
        auto* label = program.bar().findChild<QLabel*>(u"captionLabel"_s);
        QVERIFY(label);
        QCOMPARE(label->text(), kLookingForMasterText);
        QTest::qWait(300);
        QTRY_COMPARE(label->text(), caption);
        QCOMPARE(program.bar().windowTitle(), u"Quillharbour_Child 07"_s);
    }

    // The bar carries the child's number, stays above the other windows, is dragged by its
    // caption like the presenter's bar, and a student cannot close it.
    void barStaysAndIsDragged()
    {
        ChildProgram program(settings());
        QVERIFY(program.start());
        ChildBar& bar = program.bar();
        QCOMPARE(bar.windowTitle(), u"Quillharbour_Child 07"_s);
        auto* caption = bar.findChild<QLabel*>(u"captionLabel"_s);
        QVERIFY(caption);
        QCOMPARE(caption->text(), u"Quillharbour_Child 07"_s);
        QVERIFY(bar.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        const QPoint before = bar.pos();
        QTest::mousePress(caption, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseMove(caption, QPoint(45, 25));
        QTest::mouseRelease(caption, Qt::LeftButton, {}, QPoint(45, 25));
        QCOMPARE(bar.pos(), before + QPoint(40, 20));
        QVERIFY(!bar.close());
        QVERIFY(bar.isVisible());
    }
};

QTEST_MAIN(TestChildWindows)
#include "test_childwindows.moc"
