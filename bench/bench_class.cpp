// Our class against a bare class on this machine, page change by page change in turn:
//
// - ours: the real presenter (its Qt WebEngine browser, its bar's >> and <<, its follow loop) and
//   real child programs on 127.0.0.2, .3, ...;
// - the bare class: a bare Qt WebEngine view for the teacher that, when its load has finished,
//   sends the address to bare child views (bench_bareview --listen, each a process of its own on
//   the same addresses, another port), each of which loads what it receives.
//
// Both show the demo's pages in windows of one size, shown, and run at the same time, so that each
// gets the same share of the machine. For 1, 3 and 6 children it prints, per round, the medians
// from the load request (the click, the bare view's setUrl) to the slowest child's loaded page, the
// teacher's own load in both, and where the time of a page change goes.
//
//     bench_class [page changes per round, default 20] [rounds, default 3]
#include "bench/bareclass.h"
#include "bench/benchutil.h"
#include "bench/childevents.h"
#include "bench/timedbrowser.h"
#include "master/presenter.h"
#include "tests/support/childprocess.h"
#include "tests/support/presenterwindowsfixture.h"

#include <QApplication>
#include <QEventLoop>
#include <QProcess>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QUdpSocket>
#include <QWebEngineView>

#include <functional>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;
using namespace qh;
using namespace qh::bench;
using namespace qh::test;

namespace {
// Our class: the presenter with its windows and `count` real child programs.
class OurClass
{
public:
    explicit OurClass(int count)
    {
        m_fixture.childPort = freeUdpPort();
        QList<SlotLine> slotLines;
        for (int slot = 1; slot <= count; ++slot)
            slotLines.append({slot, u"1"_s, u"127.0.0.%1"_s.arg(slot + 1), u"WindowScreen"_s});
        m_fixture.writeUrlList(kPages);
        m_fixture.writeSettings(slotLines);
        for (int number = 1; number <= count; ++number) {
            m_children.push_back(std::make_unique<ChildProcess>());
            if (!m_children.back()->startOnLoopback(number, m_fixture.childPort, m_fixture.masterPort, kLocalFolders))
                return;
        }
        master::PresenterOptions options;
        options.createBrowser = [this] {
            auto made = std::make_unique<TimedBrowser>();
            m_browser = made.get();
            return made;
        };
        m_started = m_fixture.make(std::move(options)).startUp() && waitAsTheFixture([this] {
                        Slowest slowest;
                        return slowestOf(events(), std::vector<qsizetype>(m_children.size(), 0), kPages[0], slowest);
                    });
    }
    ~OurClass()
    {
        if (m_fixture.presenter)
            m_fixture.presenter->end();
    }
    bool isStarted() const { return m_started; }

    // >> to the second page, << back to the first; false when the children did not all load it.
    bool change(const QString& page, Change& change)
    {
        QPushButton* button = page == kPages[1] ? m_fixture.bar().nextButton() : m_fixture.bar().previousButton();
        const std::vector<qsizetype> marks = this->marks();
        qint64 clicked = 0;
        Slowest slowest;
        m_browser->loads.clear();
        if (!m_fixture.runLoop(
                [&] {
                    clicked = nowMicros();
                    button->click();
                },
                [&] { return slowestOf(events(), marks, page, slowest); }, 30000))
            return false;
        if (m_browser->loads.isEmpty() || m_browser->loads.first().endNs == 0)
            return false;
        const TimedLoad load = m_browser->loads.first(); // the click's, on the way to the children
        change.endToEnd = double(slowest.loaded - clicked) / 1000;
        change.teacherLoad = load.milliseconds();
        change.toLoad = double(load.startNs / 1000 - clicked) / 1000;
        change.sends = double(slowest.lastArrival - load.endNs / 1000) / 1000;
        change.childLoad = double(slowest.longestLoad) / 1000;
        return true;
    }

private:
    std::vector<const QList<ChildEvent>*> events() const
    {
        std::vector<const QList<ChildEvent>*> all;
        for (const auto& child : m_children)
            all.push_back(&child->timedEvents());
        return all;
    }
    std::vector<qsizetype> marks() const
    {
        std::vector<qsizetype> all;
        for (const auto& child : m_children)
            all.push_back(child->mark());
        return all;
    }

    PresenterWindowsFixture m_fixture;
    std::vector<std::unique_ptr<ChildProcess>> m_children;
    TimedBrowser* m_browser = nullptr;
    bool m_started = false;
};

void printBreakdown(const char* who, const Change& median)
{
    std::printf("    %-10s %6.1f ms = %5.1f to the load request, %5.1f the teacher's load, %5.1f until the last child "
                "has the address, %5.1f the slowest child's load (medians; the parts need not add up)\n",
                who, median.endToEnd, median.toLoad, median.teacherLoad, median.sends, median.childLoad);
}
} // namespace

int main(int argc, char* argv[])
{
    prepareBrowserBench();
    QApplication app(argc, argv);
    quietOffscreenWarnings();
    const int changes = argc > 1 && std::atoi(argv[1]) > 0 ? std::atoi(argv[1]) : 20;
    const int rounds = argc > 2 && std::atoi(argv[2]) > 0 ? std::atoi(argv[2]) : 3;

    std::printf("our class against a bare class, %d page changes a round, each class in turn, on %ld cores\n", changes,
                sysconf(_SC_NPROCESSORS_ONLN));
    std::printf("children round | end to end: bare   ours  ratio | teacher's load: bare view  presenter  ratio\n");
    for (const int count : {1, 3, 6}) {
        BareClass bare(count);
        OurClass ours(count);
        if (!bare.isStarted() || !ours.isStarted()) {
            std::fprintf(stderr, "the classes of %d children did not start\n", count);
            return 1;
        }
        QList<Change> allBare;
        QList<Change> allOurs;
        for (int round = 1; round <= rounds; ++round) {
            QList<Change> bareChanges;
            QList<Change> ourChanges;
            for (int change = 0; change < changes; ++change) {
                const QString& page = kPages[(change + 1) % 2];
                Change fromBare;
                Change fromOurs;
                // Each class goes first every other time, so that neither always follows the other.
                const bool bareFirst = change % 2 == 0;
                const bool done = bareFirst
                                      ? bare.change(page, fromBare) && (pause(kSettleMs), ours.change(page, fromOurs))
                                      : ours.change(page, fromOurs) && (pause(kSettleMs), bare.change(page, fromBare));
                if (!done) {
                    std::fprintf(stderr, "a page change of the classes of %d children did not reach every child\n",
                                 count);
                    return 1;
                }
                pause(kSettleMs);
                bareChanges.append(fromBare);
                ourChanges.append(fromOurs);
            }
            const Change bareMedian = medians(bareChanges);
            const Change ourMedian = medians(ourChanges);
            std::printf("%8d %5d | %16.1f %6.1f %6.2f | %25.1f %10.1f %6.2f\n", count, round, bareMedian.endToEnd,
                        ourMedian.endToEnd, ourMedian.endToEnd / bareMedian.endToEnd, bareMedian.teacherLoad,
                        ourMedian.teacherLoad, ourMedian.teacherLoad / bareMedian.teacherLoad);
            allBare += bareChanges;
            allOurs += ourChanges;
        }
        const Change bareMedian = medians(allBare);
        const Change ourMedian = medians(allOurs);
        std::printf("  %d %s, median of all %lld page changes each:\n", count, count == 1 ? "child" : "children",
                    static_cast<long long>(allOurs.size()));
        printBreakdown("bare class", bareMedian);
        printBreakdown("ours", ourMedian);
        printGoal(qPrintable(u"end to end with %1 children against the bare class"_s.arg(count)),
                  ourMedian.endToEnd / bareMedian.endToEnd, 1.10, "x");
        printGoal(qPrintable(u"the presenter's own load against a bare view's, %1 children"_s.arg(count)),
                  ourMedian.teacherLoad / bareMedian.teacherLoad, 1.10, "x");
    }
    return 0;
}
