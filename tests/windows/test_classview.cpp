// The class view and attention from end to end: the real presenter with its windows and its Qt
// WebEngine browser, and real child programs on 127.0.0.2 and up, as their own processes.
#include "master/classviewwindow.h"
#include "master/panelwindow.h"
#include "tests/support/childprocess.h"
#include "tests/support/presenterwindowsfixture.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include <csignal>

using namespace qh;
using namespace qh::master;
using namespace qh::test;
using namespace Qt::StringLiterals;

namespace {
QString writePage(const QString& folder, const QString& title, const char* colour)
{
    const QString path = folder + u'/' + title + u".html"_s;
    writeAll(path, "<html><head><title>" + title.toUtf8() + "</title></head><body style='background:" + colour + "'>" +
                       title.toUtf8() + "</body></html>");
    return QUrl::fromLocalFile(path).toString();
}

// How red the picture is against how blue: 1 for a red page, -1 for a blue one.
double redness(const QImage& picture)
{
    double red = 0;
    double blue = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QColor colour = picture.pixelColor(x, y);
            red += colour.redF();
            blue += colour.blueF();
        }
    }
    return (red - blue) / std::max(1.0, red + blue);
}

qsizetype eventCount(const ChildProcess& child, const QString& event, qsizetype since = 0)
{
    qsizetype count = 0;
    for (const QString& text : child.events(since))
        count += text.startsWith(event);
    return count;
}

QAction* classAction(PresenterWindowsFixture& fixture, const QString& name)
{
    return fixture.windows().classMenu().menu()->findChild<QAction*>(name);
}

// A class of children running as processes, each showing the first of the pages, and the presenter
// with its windows.
struct Class {
    explicit Class(int children)
    {
        fixture.childPort = freeUdpPort(); // the children listen on their own addresses
        pages = {writePage(fixture.folder.path(), u"Red"_s, "#d00000"),
                 writePage(fixture.folder.path(), u"Blue"_s, "#0000d0")};
        fixture.writeUrlList(pages);
        QList<SlotLine> slotLines{{4, u"0"_s, u" "_s, u""_s}}; // no computer: no tile
        for (int number = 1; number <= children; ++number) {
            slotLines.append({number, u"1"_s, QString::fromLatin1(childLoopbackAddress(number)), u"WindowScreen"_s});
            processes.push_back(std::make_unique<ChildProcess>());
            processes.back()->launchOnLoopback(number, fixture.childPort, fixture.masterPort, {u"--window"_s});
        }
        fixture.writeSettings(slotLines);
    }
    bool start()
    {
        for (const auto& child : processes) {
            if (!child->waitFor(u"ready %1"_s.arg(fixture.childPort)))
                return false;
        }
        if (!fixture.makeWithWebBrowser().startUp() || !showAll(u"title Red"_s))
            return false;
        // Our children, once they have reported: the presenter speaks our extension with them.
        return fixture.runLoop(nullptr, [&] {
            for (int index = 0; index < int(processes.size()); ++index) {
                if (!fixture.presenter->slotFollowing(index).heard)
                    return false;
            }
            return true;
        });
    }
    // Runs the presenter until every child has written the event since its mark.
    bool showAll(const QString& event, int timeoutMs = 20000)
    {
        return fixture.runLoop(
            nullptr,
            [&] {
                return std::all_of(processes.begin(), processes.end(),
                                   [&](const auto& child) { return child->events(marks(child)).contains(event); });
            },
            timeoutMs);
    }
    qsizetype marks(const std::unique_ptr<ChildProcess>& child) const { return marksAt.value(child.get(), 0); }
    void mark()
    {
        for (const auto& child : processes)
            marksAt[child.get()] = child->mark();
    }
    ClassTile* tile(int number) const
    {
        ClassViewWindow* window = fixture.windows().classView().window();
        return window ? window->tile(number - 1) : nullptr;
    }

    mutable PresenterWindowsFixture fixture;
    QStringList pages;
    std::vector<std::unique_ptr<ChildProcess>> processes;
    QHash<const ChildProcess*, qsizetype> marksAt;
};
} // namespace

class TestClassView : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { quietOffscreenWarnings(); }

    // Three children: their tiles in the panel's order fill with pictures of their pages, a page
    // change changes them; 02 switched off says so and is no longer asked; 03 killed is greyed
    // with its last picture; with the view closed nothing is asked.
    void tilesShowWhatTheChildrenShow()
    {
        Class room(3);
        QVERIFY(room.start());
        room.fixture.presenter->togglePanel();
        QAction* open = classAction(room.fixture, u"classViewAction"_s);
        QVERIFY(open);
        open->trigger();
        ClassViewWindow* view = room.fixture.windows().classView().window();
        QVERIFY(view && view->isVisible());
        QCOMPARE(view->slotIndexes(), (QList<int>{0, 1, 2}));
        QCOMPARE(room.tile(1)->content().title, u"01 127.0.0.2"_s);
        // A picture taken before the page was painted may come first.
        QVERIFY(room.fixture.runLoop(nullptr, [&] {
            return redness(room.tile(1)->content().picture) > 0.5 && redness(room.tile(2)->content().picture) > 0.5 &&
                   redness(room.tile(3)->content().picture) > 0.5;
        }));
        for (int number = 1; number <= 3; ++number) {
            const TileContent& content = room.tile(number)->content();
            QVERIFY(content.picture.width() <= 200 && content.picture.height() <= 200);
            QCOMPARE(content.stateText, u"追従中"_s);
            QVERIFY(!content.stale);
        }
        QVERIFY(room.fixture.runLoop(nullptr, [&] {
            return std::all_of(room.processes.begin(), room.processes.end(),
                               [](const auto& child) { return eventCount(*child, u"picture "_s) >= 1; });
        }));

        // >>: the children's pictures turn blue.
        QPushButton* next = room.fixture.bar().nextButton();
        QVERIFY(room.fixture.runLoop([next] { next->click(); },
                                     [&] { return redness(room.tile(1)->content().picture) < -0.5; }));

        // 02 switched off, 03 killed.
        room.fixture.windows().panel().switchChild(1);
        QCOMPARE(::kill(pid_t(room.processes[2]->processId()), SIGKILL), 0);
        // A request sent just before the switch may still be on its way, or answered.
        room.fixture.runFor(nullptr, 300);
        room.mark();
        const ChildProcess& first = *room.processes[0];
        const ChildProcess& second = *room.processes[1];
        room.fixture.runFor(nullptr, 3300);
        QVERIFY(eventCount(first, u"picture "_s, room.marks(room.processes[0])) >= 1);
        QCOMPARE(eventCount(second, u"picture "_s, room.marks(room.processes[1])), 0);
        QCOMPARE(room.tile(2)->content().stateText, u"停止中"_s);

        // Closed: nothing is asked, and 03's picture grows old meanwhile.
        view->close();
        room.mark();
        room.fixture.runFor(nullptr, 4000);
        QCOMPARE(eventCount(first, u"picture "_s, room.marks(room.processes[0])), 0);
        open->trigger();
        const TileContent killed = room.tile(3)->content();
        QVERIFY(killed.stale);
        QVERIFY(!killed.picture.isNull());
        QVERIFY(killed.age.endsWith(u"秒前"_s));
        const QImage greyed = ClassTile::drawnPicture(killed);
        QVERIFY(greyed.pixelColor(greyed.width() / 2, greyed.height() / 2).hsvSaturationF() < 0.05);
        QVERIFY(room.fixture.messages.messages.isEmpty());
    }

    // A whole class on a small laptop's screen (1366 x 768, less a title bar and a panel): every
    // tile is in the window, apart from the others, with room for a readable picture.
    void thirtyTilesFitASmallScreen()
    {
        QList<int> slotIndexes;
        for (int index = 0; index < 30; ++index)
            slotIndexes.append(index);
        ClassViewWindow view(slotIndexes);
        view.resize(1366, 700);
        view.show();
        QRegion taken;
        for (const int index : slotIndexes) {
            ClassTile* tile = view.tile(index);
            const QRect box(tile->mapTo(&view, QPoint(0, 0)), tile->size());
            QVERIFY(view.rect().contains(box));
            QVERIFY(!taken.intersects(box));
            taken += box;
            QVERIFY2(box.width() >= 150 && box.height() >= 110,
                     qPrintable(u"%1x%2"_s.arg(box.width()).arg(box.height())));
        }
    }

    // Attention for a time lifts itself; until lifted, a restarted child is covered again, the
    // menu and the class view say so, and the view's button lifts it; End uncovers.
    void attentionCoversEveryChild()
    {
        Class room(2);
        QVERIFY(room.start());
        room.fixture.presenter->togglePanel();
        Classroom& classroom = room.fixture.presenter->classroom();
        // The menu that says attention is on fits the panel's menu bar, not hidden behind its
        // overflow button; its first item is the pointer's.
        const auto menuFitsThePanel = [&room] {
            QMenuBar* bar = room.fixture.windows().panel().window()->menuBar();
            QMenu* menu = room.fixture.windows().classMenu().menu();
            const QRect shown = bar->actionGeometry(menu->menuAction());
            return bar->actions().last() == menu->menuAction() && shown.isValid() && shown.right() < bar->width();
        };
        room.mark();
        classroom.startAttention(2);
        QVERIFY(room.showAll(u"attention on 2"_s));
        QVERIFY(room.fixture.windows().classMenu().menu()->title().startsWith(u"注目中 あと0:0"_s));
        QVERIFY(menuFitsThePanel());
        QVERIFY(room.showAll(u"attention off time"_s, 6000));
        QCOMPARE(room.fixture.windows().classMenu().menu()->title(), u"クラス"_s);

        room.mark();
        classAction(room.fixture, u"attentionUntilLiftedAction"_s)->trigger();
        QVERIFY(room.showAll(u"attention on until-lifted"_s));
        QCOMPARE(room.fixture.windows().classMenu().menu()->title(), u"注目中"_s);
        QVERIFY(menuFitsThePanel());
        QCOMPARE(room.fixture.windows().classMenu().menu()->actions().first()->objectName(), u"pointerAction"_s);

        ChildProcess& second = *room.processes[1];
        QCOMPARE(::kill(pid_t(second.processId()), SIGKILL), 0);
        QVERIFY(second.waitForExit());
        ChildProcess restarted;
        QVERIFY(room.fixture.runLoop(
            [&] { restarted.launchOnLoopback(2, room.fixture.childPort, room.fixture.masterPort, {u"--window"_s}); },
            [&] { return restarted.events().contains(u"attention on until-lifted"_s); }));
        QVERIFY(restarted.events().indexOf(u"shown"_s) < restarted.events().indexOf(u"attention on until-lifted"_s));

        classAction(room.fixture, u"classViewAction"_s)->trigger();
        ClassViewWindow* view = room.fixture.windows().classView().window();
        QVERIFY(view->liftButton()->isVisible());
        room.mark();
        const qsizetype restartedMark = restarted.mark();
        view->liftButton()->click();
        QVERIFY(room.fixture.runLoop(nullptr, [&] {
            return room.processes[0]->events(room.marks(room.processes[0])).contains(u"attention off lifted"_s) &&
                   restarted.events(restartedMark).contains(u"attention off lifted"_s);
        }));
        QVERIFY(!view->liftButton()->isVisible());

        // End: the AttentionOff, then the hidden page, each uncovers.
        classroom.startAttention(60);
        QVERIFY(room.fixture.runLoop(nullptr, [&] { return restarted.events().contains(u"attention on 60"_s); }));
        const qsizetype endMark = restarted.mark();
        QVERIFY(room.fixture.runLoop([&] { room.fixture.bar().endButton()->click(); }, [] { return false; }));
        QTRY_VERIFY(restarted.events(endMark).contains(u"attention off lifted"_s));
        QTRY_VERIFY(restarted.events(endMark).contains(u"hidden"_s)); // the datagram after
    }
};

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    TestClassView test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_classview.moc"
