// A class from end to end: the real presenter with its Qt WebEngine browser drives three real
// children on 127.0.0.2 .. .4 over loopback. Children 01 and 03 run as their own processes; child
// 02 runs in this process so that the test can press its call button. Slot 03 is switched off in
// the configuration.
#include "child/childprogram.h"
#include "master/clicklabel.h"
#include "master/panelwindow.h"
#include "master/webbrowser.h"
#include "tests/support/childprocess.h"
#include "tests/support/presenterwindowsfixture.h"

#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

using namespace qh;
using namespace qh::master;
using namespace qh::test;
using namespace Qt::StringLiterals;

namespace {
QString writePage(const QString& folder, const QString& title)
{
    const QString path = folder + u'/' + title + u".html"_s;
    writeAll(path,
             "<html><head><title>" + title.toUtf8() + "</title></head><body>" + title.toUtf8() + "</body></html>");
    return QUrl::fromLocalFile(path).toString();
}
} // namespace

class TestClassroom : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { quietOffscreenWarnings(); }

    void classFollowsThePresenter()
    {
        PresenterWindowsFixture fixture;
        // The children listen on their own addresses; the fixture's listener keeps another port.
        fixture.childPort = freeUdpPort();
        const QStringList pages{writePage(fixture.folder.path(), u"P1"_s), writePage(fixture.folder.path(), u"P2"_s),
                                writePage(fixture.folder.path(), u"P3"_s)};
        fixture.writeUrlList(pages);
        fixture.writeSettings({{1, u"1"_s, u"127.0.0.2"_s, u"WindowScreen"_s},
                               {2, u"1"_s, u"127.0.0.3"_s, u"FullScreen"_s},
                               {3, u"0"_s, u"127.0.0.4"_s, u"WindowScreen"_s}});

        // The children run before the teacher starts the lesson.
        ChildProcess first;
        QVERIFY(first.startOnLoopback(1, fixture.childPort, fixture.masterPort, {u"--window"_s}));
        ChildProcess third;
        QVERIFY(third.startOnLoopback(3, fixture.childPort, fixture.masterPort));
        child::ChildSettings secondSettings = loopbackChildSettings(2, fixture.childPort, fixture.masterPort);
        secondSettings.fullScreen = false;
        child::ChildProgram second(secondSettings);
        QVERIFY(second.start());
        child::PageWindow& secondPage = second.pageWindow();
        const auto secondShows = [&secondPage](const QString& title) {
            return secondPage.isVisible() && secondPage.title() == title;
        };

        PresenterOptions options;
        options.createBrowser = [] { return std::make_unique<WebBrowser>(); };
        Presenter& presenter = fixture.make(std::move(options));

        // The start-up announcement shows the first page on the children in use, each in its mode.
        QVERIFY(presenter.startUp());
        QVERIFY(first.waitFor(u"title P1"_s));
        QCOMPARE(first.events().filter(QRegularExpression(u"^(shown|hidden|window|full-screen)$"_s)),
                 (QStringList{u"shown"_s, u"window"_s}));
        QTRY_VERIFY_WITH_TIMEOUT(secondShows(u"P1"_s), 20000);
        QVERIFY(secondPage.isFullScreen());

        // >> moves every child in use to the next page.
        qsizetype mark = first.mark();
        QPushButton* next = fixture.bar().nextButton();
        QVERIFY(fixture.runLoop([next] { QTest::mouseClick(next, Qt::LeftButton); },
                                [&] { return first.events(mark).contains(u"title P2"_s) && secondShows(u"P2"_s); }));

        // Child 01 switched off on the panel hides its page and no longer follows.
        presenter.togglePanel();
        ClickLabel* firstLabel = fixture.windows().panel().window()->slotLabel(0);
        mark = first.mark();
        QVERIFY(fixture.runLoop([firstLabel] { QTest::mouseClick(firstLabel, Qt::LeftButton); },
                                [&] { return first.events(mark).contains(u"hidden"_s); }));
        QVERIFY(
            fixture.runLoop([next] { QTest::mouseClick(next, Qt::LeftButton); }, [&] { return secondShows(u"P3"_s); }));
        QTest::qWait(300);
        QCOMPARE(first.events(mark).filter(QRegularExpression(u"^shown|P3"_s)), QStringList{});

        // A call from child 02's button is listed in the presenter's call window.
        QPushButton* call = second.bar().callButton();
        QVERIFY(fixture.runLoop([call] { QTest::mouseClick(call, Qt::LeftButton); },
                                [&] { return !callEntries(fixture.windows().calls()).isEmpty(); }));
        QCOMPARE(callEntries(fixture.windows().calls()), QStringList{u"01:コンピュータ番号:02"_s});

        // End hides the pages of the children in use.
        QPushButton* end = fixture.bar().endButton();
        QVERIFY(fixture.runLoop([end] { QTest::mouseClick(end, Qt::LeftButton); }, [] { return false; }));
        QVERIFY(presenter.hasEnded());
        QTRY_VERIFY(!secondPage.isVisible());

        // Child 03, switched off in the configuration, was never shown anything.
        QVERIFY(third.isRunning());
        QCOMPARE(third.events().filter(QRegularExpression(u"^(shown|open|title)"_s)), QStringList{});
        QVERIFY(fixture.messages.messages.isEmpty());
    }
};

QTEST_MAIN(TestClassroom)
#include "test_classroom.moc"
