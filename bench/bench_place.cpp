// The teacher's place on the children's pages, with the real presenter (its Qt WebEngine browser,
// its windows, its follow loop) and 3 real child programs on loopback, in windows of one size, on a
// long page of fixed-height sections. The page is scrolled by its own script, which reaches the
// presenter as the teacher's wheel does (Qt WebEngine's scroll signal).
//
// - From the teacher's last scroll of a short scroll (ten steps 16 ms apart, the page's clock) to
//   the last of the 3 children scrolled to the same place (their trace), median of the scrolls.
//   Goal: at most 150 ms, and at most one page change of the bare class (bench/bareclass.h),
//   measured first on the same run.
// - While the page scrolls without pause for 5 s: the datagrams each child is sent a second (goal:
//   at most 10) and the presenter's CPU (this process, all its threads, the presenter's browser
//   included) against 5 s idle (goal: at most 5 % of a core above it), and against the same scrolling
//   before any child listens, which is what the browser's drawing of the scrolling page costs (goal:
//   following it costs at most 5 % of a core more), like a bare Qt WebEngine view's of the same page.
//
//     bench_place [scrolls, default 20]
#include "bench/bareclass.h"
#include "bench/bareview.h"
#include "bench/benchutil.h"
#include "bench/childevents.h"
#include "master/presenter.h"
#include "master/webbrowser.h"
#include "tests/support/childprocess.h"
#include "tests/support/pagescript.h"
#include "tests/support/presenterwindowsfixture.h"

#include <QApplication>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <unistd.h>

#include <functional>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;
using namespace qh;
using namespace qh::bench;
using namespace qh::test;

namespace {
constexpr int kChildren = 3;
constexpr int kPhaseMs = 5000;

QString writeLongPage(const QString& folder)
{
    QByteArray sections;
    for (int section = 0; section < 12; ++section)
        sections += "<section><h2>Section " + QByteArray::number(section) + "</h2><p>" +
                    QByteArray("Text of the section, as a lesson has it. ").repeated(20) + "</p></section>";
    const QString path = folder + u"/long.html"_s;
    writeAll(path, "<html><head><title>Long</title><style>body{margin:0}section{height:700px;overflow:hidden}"
                   "</style></head><body><main id='lesson'>" +
                       sections + "</main></body></html>");
    return QUrl::fromLocalFile(path).toString();
}

// Runs the presenter's own loop for that long, with nothing looking at it meanwhile.
void runPresenter(master::Presenter& presenter, int milliseconds)
{
    QTimer::singleShot(milliseconds, &presenter, [&presenter] { presenter.stopFollowing(); });
    presenter.followBrowser();
}

// Scrolling without pause: 7 pixels every 16 ms, down and up again.
const QString kScrollWithoutPause = u"window.step = 7; window.scrolling = setInterval(function () {"
                                    u" const bottom = document.documentElement.scrollHeight - innerHeight;"
                                    u" const y = scrollY + step; if (y <= 0 || y >= bottom) step = -step;"
                                    u" scrollTo(0, y); }, 16);"_s;
const QString kStopScrolling = u"clearInterval(window.scrolling)"_s;

// The share of a core this process used while it ran (all its threads, the browsers' included).
double cpuPercentWhile(const std::function<void()>& run)
{
    const qint64 pid = QCoreApplication::applicationPid();
    const qint64 before = cpuTicks(pid);
    QElapsedTimer elapsed;
    elapsed.start();
    run();
    const double seconds = double(elapsed.elapsed()) / 1000;
    return 100.0 * double(cpuTicks(pid) - before) / double(sysconf(_SC_CLK_TCK)) / seconds;
}

// A bare Qt WebEngine view of our windows' size scrolling the same page: what the drawing costs.
double bareViewScrolling(const QString& page)
{
    QWebEngineView view;
    sizeLikeOurWindows(view);
    view.show();
    bool loaded = false;
    QObject::connect(&view, &QWebEngineView::loadFinished, &view, [&loaded] { loaded = true; });
    view.setUrl(QUrl(page));
    if (!waitUntil([&loaded] { return loaded; }, 30000, 10))
        return -1;
    view.page()->runJavaScript(kScrollWithoutPause);
    const double percent = cpuPercentWhile([] { waitUntil([] { return false; }, kPhaseMs, kPhaseMs); });
    view.page()->runJavaScript(kStopScrolling);
    return percent;
}

double bareClassChange()
{
    BareClass bare(kChildren);
    if (!bare.isStarted())
        return 0;
    QList<double> changes;
    for (int change = 0; change < 20; ++change) {
        Change one;
        if (!bare.change(kPages[(change + 1) % 2], one))
            return 0;
        changes.append(one.endToEnd);
        pause(kSettleMs);
    }
    return median(changes);
}
} // namespace

int main(int argc, char* argv[])
{
    prepareBrowserBench();
    QApplication app(argc, argv);
    quietOffscreenWarnings();
    const int scrolls = argc > 1 && std::atoi(argv[1]) > 0 ? std::atoi(argv[1]) : 20;

    const double bareChange = bareClassChange();
    if (bareChange == 0) {
        std::fprintf(stderr, "the bare class did not change its page\n");
        return 1;
    }

    PresenterWindowsFixture fixture;
    fixture.childPort = freeUdpPort();
    const QString page = writeLongPage(fixture.folder.path());
    const double bareScrolling = bareViewScrolling(page);
    if (bareScrolling < 0) {
        std::fprintf(stderr, "the bare view did not load the page\n");
        return 1;
    }
    fixture.writeUrlList({page});
    QList<SlotLine> slotLines;
    for (int slot = 1; slot <= kChildren; ++slot)
        slotLines.append({slot, u"1"_s, u"127.0.0.%1"_s.arg(slot + 1), u"WindowScreen"_s});
    fixture.writeSettings(slotLines);
    master::Presenter& presenter = fixture.makeWithWebBrowser();
    if (!presenter.startUp()) {
        std::fprintf(stderr, "the presenter did not start\n");
        return 1;
    }
    QWebEnginePage* teacherPage = fixture.webBrowser()->view()->page();
    runPresenter(presenter, 500);

    const double idle = cpuPercentWhile([&presenter] { runPresenter(presenter, kPhaseMs); });
    teacherPage->runJavaScript(kScrollWithoutPause);
    const double scrollingAlone = cpuPercentWhile([&presenter] { runPresenter(presenter, kPhaseMs); });
    teacherPage->runJavaScript(kStopScrolling);

    std::vector<std::unique_ptr<ChildProcess>> children;
    for (int number = 1; number <= kChildren; ++number) {
        children.push_back(std::make_unique<ChildProcess>());
        children.back()->launchOnLoopback(number, fixture.childPort, fixture.masterPort);
    }
    const auto allHave = [&children](const QString& event, const std::vector<qsizetype>& marks) {
        for (std::size_t i = 0; i < children.size(); ++i) {
            if (!children[i]->events(marks[i]).contains(event))
                return false;
        }
        return true;
    };
    if (!fixture.runLoop(
            nullptr, [&] { return allHave(u"loaded "_s + page, std::vector<qsizetype>(kChildren, 0)); }, 60000)) {
        std::fprintf(stderr, "the children did not show the page\n");
        return 1;
    }
    runPresenter(presenter, 500);

    // The pace of the sends while the scrolling goes on: from the first to the last of them.
    QList<qint64> sendsNs;
    const QMetaObject::Connection timing = QObject::connect(&presenter.view(), &master::ViewFollower::datagramReady,
                                                            &presenter, [&sendsNs] { sendsNs.append(nowNs()); });
    teacherPage->runJavaScript(kScrollWithoutPause);
    const double scrollingFollowed = cpuPercentWhile([&presenter] { runPresenter(presenter, kPhaseMs); });
    teacherPage->runJavaScript(kStopScrolling);
    if (sendsNs.size() < 2) {
        std::fprintf(stderr, "the scrolling page sent the children nothing\n");
        return 1;
    }
    const double perChildPerSecond = double(sendsNs.size() - 1) * 1e9 / double(sendsNs.last() - sendsNs.first());
    QObject::disconnect(timing);
    runPresenter(presenter, 1500); // past the once-more send of the still view

    QList<double> latencies;
    int target = 0;
    for (int scroll = 0; scroll < scrolls; ++scroll) {
        target = 700 + (target + 1337) % 6000;
        std::vector<qsizetype> marks;
        for (const auto& child : children)
            marks.push_back(child->mark());
        teacherPage->runJavaScript(
            u"(function () { const from = scrollY; let step = 0; const steps = setInterval(function () {"
            u" ++step; scrollTo(0, Math.round(from + (%1 - from) * step / 10)); if (step === 10) {"
            u" clearInterval(steps); window.lastScroll = performance.timeOrigin + performance.now(); } }, 16); })()"_s
                .arg(target));
        const QString scrolled = u"scrolled 0 %1"_s.arg(target);
        if (!fixture.runLoop(
                nullptr, [&] { return allHave(scrolled, marks); }, 20000)) {
            std::fprintf(stderr, "scroll %d: the children did not all reach %d\n", scroll + 1, target);
            for (std::size_t i = 0; i < children.size(); ++i)
                std::fprintf(stderr, "  %s\n", qPrintable(children[i]->events(marks[i]).join(u", "_s)));
            return 1;
        }
        qint64 lastChild = 0;
        for (std::size_t i = 0; i < children.size(); ++i) {
            for (const ChildEvent& event : children[i]->timedEvents().mid(marks[i])) {
                if (event.text() == scrolled) {
                    lastChild = std::max(lastChild, event.atMicros);
                    break;
                }
            }
        }
        const double lastScrollMs = evaluateInPage(teacherPage, u"window.lastScroll"_s, 10000).toDouble();
        if (lastScrollMs == 0) {
            std::fprintf(stderr, "scroll %d: the page did not tell when it scrolled last\n", scroll + 1);
            return 1;
        }
        latencies.append(double(lastChild) / 1000 - lastScrollMs);
        runPresenter(presenter, 200);
    }
    presenter.end();

    const double latency = medianOfAll(latencies, scrolls, "scrolls");
    std::printf("from the teacher's last scroll to the last of %d children scrolled, median of %d: %.1f ms; one page "
                "change of the bare class (%d bare children): %.1f ms\n",
                kChildren, scrolls, latency, kChildren, bareChange);
    std::printf("while the page scrolls without pause for %d s: %.1f datagrams to each child a second; the presenter "
                "used %.1f %% of a core (%.1f %% before any child listened, %.1f %% idle; a bare view scrolling "
                "the same page %.1f %%)\n",
                kPhaseMs / 1000, perChildPerSecond, scrollingFollowed, scrollingAlone, idle, bareScrolling);
    printGoal("teacher's last scroll to the last child scrolled, median", latency, 150, " ms");
    printGoal("that against one page change of the bare class", latency / bareChange, 1, "x");
    printGoal("datagrams to each child a second while scrolling", perChildPerSecond, 10);
    printGoal("the presenter's CPU while scrolling, above idle", scrollingFollowed - idle, 5, " %");
    // The browser drawing the scrolling page is most of it, with or without children that follow.
    printGoal("the presenter's CPU while scrolling, above the same scrolling without a child following",
              scrollingFollowed - scrollingAlone, 5, " %");
    return 0;
}
