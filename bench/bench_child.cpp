// The child program's figures, all measured in one run:
//
// - End to end: the real presenter (its Qt WebEngine browser, its bar's >> and <<, its follow loop)
//   with 30 children in use on loopback: three real child programs on 127.0.0.2 .. .4 and plain
//   listeners for the other 27. For each of 50 page changes, the time from the click to the end of
//   the page's load in the slowest of the three children; against the presenter's own load plus
//   the time the same page takes to load in one child program running alone. All of them share
//   this machine's cores, so it also prints the CPU time a page change takes.
// - Memory: one idle child program showing a page, with its browser's helper processes (the sum
//   of their proportional set sizes), against a bare Qt WebEngine view showing the same page.
// - Idle CPU: that child program over 10 s, with its helpers.
//
//     bench_child [page changes, default 50] [real child programs, default 3]
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

#include <functional>
#include <memory>

#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace qh;
using namespace qh::bench;
using namespace qh::test;

namespace {
constexpr int kSlots = 30;
constexpr int kSettleMs = 3000;

qint64 loadedAt(const ChildProcess& child, qsizetype mark, const QString& page)
{
    return eventAt(child.timedEvents(), mark, u"loaded"_s, page);
}

// A process tree's proportional set size in KiB: shared pages count once in all.
qint64 treePssKiB(qint64 root)
{
    qint64 total = 0;
    for (const qint64 pid : processTree(root))
        total += procKiB(pid, "smaps_rollup", "Pss:");
    return total;
}

// CPU time in milliseconds that a process and its helpers have used so far.
double treeCpuMs(qint64 root)
{
    qint64 total = 0;
    for (const qint64 pid : processTree(root))
        total += cpuTicks(pid);
    return double(total) * 1000 / double(sysconf(_SC_CLK_TCK));
}

double idleCpuPercent(qint64 root, int seconds)
{
    const double before = treeCpuMs(root);
    QThread::sleep(seconds);
    return (treeCpuMs(root) - before) / 10 / seconds;
}

// One datagram to child 1 as the teacher's presenter sends it: from 127.0.0.1 and the master port.
void sendAsTeacher(quint16 port, quint16 masterPort, const QByteArray& datagram)
{
    sendDatagramFrom("127.0.0.1", "127.0.0.2", port, datagram, masterPort);
}

// Puts child 1 in the state the presenter's start-up gives the class's children: shown, in a window.
void showInAWindow(quint16 port, quint16 masterPort)
{
    sendAsTeacher(port, masterPort, "Command:VisibleTrue");
    sendAsTeacher(port, masterPort, "Command:WindowScreen");
}

// One child alone shows a page and stays idle: its memory and CPU; then, with the child gone (its
// shared pages would otherwise be split between the two), those of a bare view.
bool measureIdleChild()
{
    qint64 childPss = 0;
    qsizetype helpers = 0;
    double childCpu = 0;
    {
        const quint16 port = freeUdpPort();
        const quint16 masterPort = freeUdpPort();
        ChildProcess child;
        if (!child.startOnLoopback(1, port, masterPort, kLocalFolders)) {
            std::fprintf(stderr, "the child did not start\n");
            return false;
        }
        showInAWindow(port, masterPort);
        sendAsTeacher(port, masterPort, kPages[1].toUtf8());
        if (!child.waitFor(u"loaded "_s + kPages[1])) {
            std::fprintf(stderr, "the child did not load the page\n");
            return false;
        }
        QThread::msleep(kSettleMs);
        childPss = treePssKiB(child.processId());
        helpers = processTree(child.processId()).size() - 1;
        childCpu = idleCpuPercent(child.processId(), 10);
    }

    QProcess bare;
    bare.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    bare.start(QCoreApplication::applicationDirPath() + u"/bench_bareview"_s, {kPages[1]});
    QByteArray bareOutput;
    while (!bareOutput.contains("loaded") && bare.waitForReadyRead(30000))
        bareOutput += bare.readAll();
    if (!bareOutput.contains("loaded")) {
        std::fprintf(stderr, "the bare view did not load the page\n");
        return false;
    }
    QThread::msleep(kSettleMs);
    const qint64 barePss = treePssKiB(bare.processId());
    const double bareCpu = idleCpuPercent(bare.processId(), 10);
    bare.kill();
    bare.waitForFinished();

    std::printf("memory of an idle child showing a page: %.1f MiB with its %lld helper processes (proportional "
                "set size), a bare Qt WebEngine view: %.1f MiB; ratio %.2f\n",
                double(childPss) / 1024, static_cast<long long>(helpers), double(barePss) / 1024,
                double(childPss) / double(barePss));
    printGoal("memory of an idle child against a bare view", double(childPss) / double(barePss), 1.10, "x");
    std::printf("idle CPU over 10 s: %.2f %% of a core for the child with its helpers, %.2f %% for the bare view\n",
                childCpu, bareCpu);
    printGoal("idle CPU of a child with its helpers", childCpu, 0.5, " % of a core");
    return true;
}

// The same page changes in one child alone: the time from the datagram to the end of the load.
QList<double> loadsAlone(int changes)
{
    const quint16 port = freeUdpPort();
    const quint16 masterPort = freeUdpPort();
    ChildProcess child;
    QList<double> times;
    if (!child.startOnLoopback(1, port, masterPort, kLocalFolders))
        return times;
    showInAWindow(port, masterPort);
    if (!child.waitFor(u"window"_s))
        return times;
    for (int change = 0; change < changes + 1; ++change) {
        const QString& page = kPages[change % 2];
        const qsizetype mark = child.mark();
        const qint64 sent = nowMicros();
        sendAsTeacher(port, masterPort, page.toUtf8());
        if (!waitUntil([&] { return loadedAt(child, mark, page) != 0; }))
            return {};
        if (change > 0) // the first load also starts the renderer
            times.append(double(loadedAt(child, mark, page) - sent));
    }
    return times;
}
} // namespace

int main(int argc, char* argv[])
{
    prepareBrowserBench();
    QApplication app(argc, argv);
    quietOffscreenWarnings();
    const int changes = argc > 1 && std::atoi(argv[1]) > 0 ? std::atoi(argv[1]) : 50;
    int realChildren = 3;
    if (argc > 2 && std::atoi(argv[2]) >= 1 && std::atoi(argv[2]) <= kSlots)
        realChildren = std::atoi(argv[2]);

    if (!measureIdleChild())
        return 1;
    const QList<double> alone = loadsAlone(changes);
    if (alone.size() != changes) {
        std::fprintf(stderr, "the child alone did not load every page\n");
        return 1;
    }

    // The class: 30 children in use, three of them real programs, the rest plain listeners.
    PresenterWindowsFixture fixture;
    fixture.childPort = freeUdpPort();
    QList<SlotLine> slotLines;
    for (int slot = 1; slot <= kSlots; ++slot)
        slotLines.append({slot, u"1"_s, u"127.0.0.%1"_s.arg(slot + 1), u"WindowScreen"_s});
    fixture.writeUrlList(kPages);
    fixture.writeSettings(slotLines);
    std::vector<std::unique_ptr<QUdpSocket>> listeners;
    for (int slot = realChildren + 1; slot <= kSlots; ++slot) {
        listeners.push_back(std::make_unique<QUdpSocket>());
        listeners.back()->bind(QHostAddress(u"127.0.0.%1"_s.arg(slot + 1)), fixture.childPort);
    }
    std::vector<std::unique_ptr<ChildProcess>> children;
    for (int number = 1; number <= realChildren; ++number) {
        children.push_back(std::make_unique<ChildProcess>());
        if (!children.back()->startOnLoopback(number, fixture.childPort, fixture.masterPort, kLocalFolders)) {
            std::fprintf(stderr, "child %d did not start\n", number);
            return 1;
        }
    }
    TimedBrowser* browser = nullptr;
    master::PresenterOptions options;
    options.createBrowser = [&browser] {
        auto made = std::make_unique<TimedBrowser>();
        browser = made.get();
        return made;
    };
    if (!fixture.make(std::move(options)).startUp()) {
        std::fprintf(stderr, "the presenter did not start\n");
        return 1;
    }
    const auto allLoaded = [&](const std::vector<qsizetype>& marks, const QString& page) {
        for (std::size_t i = 0; i < children.size(); ++i) {
            if (loadedAt(*children[i], marks[i], page) == 0)
                return false;
        }
        return true;
    };
    if (!waitUntil([&] { return allLoaded(std::vector<qsizetype>(children.size(), 0), kPages[0]); })) {
        std::fprintf(stderr, "the children did not show the first page\n");
        return 1;
    }

    const auto childrenCpuMs = [&children] {
        double total = 0;
        for (const auto& child : children)
            total += treeCpuMs(child->processId());
        return total;
    };
    const double childrenCpuBefore = childrenCpuMs();
    // The child programs are this process's children too: the presenter's share is the rest.
    const double presenterCpuBefore = treeCpuMs(getpid()) - childrenCpuBefore;
    QList<double> endToEnd;
    QList<double> presenterLoads;
    QList<double> arrivals;   // from the click to the page's address reaching the last of the children
    QList<double> childLoads; // from there to the end of the load, the slowest child
    for (int change = 0; change < changes; ++change) {
        const QString& page = kPages[(change + 1) % 2];
        QPushButton* button = change % 2 == 0 ? fixture.bar().nextButton() : fixture.bar().previousButton();
        std::vector<qsizetype> marks;
        for (const auto& child : children)
            marks.push_back(child->mark());
        qint64 clicked = 0;
        browser->loads.clear();
        if (!fixture.runLoop(
                [&] {
                    clicked = nowMicros();
                    button->click();
                },
                [&] { return allLoaded(marks, page); }, 30000)) {
            std::fprintf(stderr, "page change %d did not reach every child\n", change + 1);
            return 1;
        }
        qint64 slowest = 0;
        qint64 lastArrival = 0;
        qint64 slowestLoad = 0;
        for (std::size_t i = 0; i < children.size(); ++i) {
            const qint64 loaded = loadedAt(*children[i], marks[i], page);
            const qint64 arrived = eventAt(children[i]->timedEvents(), marks[i], u"open"_s, page);
            slowest = std::max(slowest, loaded);
            lastArrival = std::max(lastArrival, arrived);
            slowestLoad = std::max(slowestLoad, loaded - arrived);
        }
        endToEnd.append(double(slowest - clicked));
        arrivals.append(double(lastArrival - clicked));
        childLoads.append(double(slowestLoad));
        // The load the click started: the one on the way to the children.
        if (!browser->loads.isEmpty() && browser->loads.first().endNs != 0)
            presenterLoads.append(browser->loads.first().milliseconds() * 1000);
    }
    const double childrenCpu = childrenCpuMs();
    const double childCpuPerChange = (childrenCpu - childrenCpuBefore) / changes / realChildren;
    const double presenterCpuPerChange = (treeCpuMs(getpid()) - childrenCpu - presenterCpuBefore) / changes;
    fixture.presenter->end();

    const double endToEndMs = median(endToEnd) / 1000;
    const double presenterMs = medianOfAll(presenterLoads, changes, "the presenter's own load") / 1000;
    const double aloneMs = median(alone) / 1000;
    std::printf("end to end, median of %d page changes: %.1f ms from >> to the page loaded in the slowest of %d "
                "child programs (30 children in use)\n",
                changes, endToEndMs, realChildren);
    std::printf("  of which: %.1f ms until the address reached the last child, %.1f ms for the slowest child's load\n",
                median(arrivals) / 1000, median(childLoads) / 1000);
    std::printf("the presenter's own load: %.1f ms; the same page in one child program alone: %.1f ms\n", presenterMs,
                aloneMs);
    printGoal("end to end against the presenter's load plus one child's load", endToEndMs / (presenterMs + aloneMs),
              1.3, "x");
    // On one machine the children share its cores, which computers of their own would not: the
    // work of a page change spread over all cores is the least time it can take here.
    const long cores = sysconf(_SC_NPROCESSORS_ONLN);
    const double leastMs = (presenterCpuPerChange + childCpuPerChange * realChildren) / double(cores);
    std::printf("CPU per page change: %.1f ms for each child program with its helpers, %.1f ms for the presenter with "
                "its helpers and this bench; spread over the %ld cores here that is at least %.1f ms "
                "(%.2f of the presenter's load plus one child's load), the end to end time is %.2f of it\n",
                childCpuPerChange, presenterCpuPerChange, cores, leastMs, leastMs / (presenterMs + aloneMs),
                endToEndMs / leastMs);
    return 0;
}
