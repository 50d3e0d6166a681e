#pragma once

#include "tests/support/loopback.h"
#include "tests/support/processusage.h"
#include "tests/support/testfiles.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QThread>
#include <QUrl>

#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace qh::bench {

using test::Arrival;
using test::LoopbackChildren;

inline std::int64_t nowNs()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return std::int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Before the application object of a bench that opens Qt WebEngine views: the offscreen platform
// unless one is chosen, and the shared OpenGL contexts that Qt WebEngine needs.
inline void prepareBrowserBench()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

inline double median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The median of samples that must all have been taken: a figure from fewer (a page that never
// arrived, a load that was not timed) would look as good as any, so a missing one ends the run.
inline double medianOfAll(const QList<double>& samples, qsizetype expected, const char* what)
{
    if (samples.size() != expected || expected == 0) {
        std::fprintf(stderr, "%s: %lld of %lld samples taken\n", what, static_cast<long long>(samples.size()),
                     static_cast<long long>(expected));
        std::exit(1);
    }
    return median(samples);
}

// The datagrams that have reached the children since the last take, waiting up to a second for
// the count: the kernel may deliver a loopback datagram after sendto() has returned. Their times
// of arrival are the kernel's, so the wait does not change them.
inline QList<Arrival> arrivalsOf(LoopbackChildren& children, qsizetype count)
{
    QList<Arrival> arrivals = children.take();
    const std::int64_t deadline = nowNs() + 1000000000;
    while (arrivals.size() < count && nowNs() < deadline)
        arrivals += children.take();
    return arrivals;
}

// A figure against its goal, on a line of its own that scripts/bench.sh gathers into the run's
// summary.
inline void printGoal(const char* what, double value, double limit, const char* unit = "")
{
    std::printf("goal: %s: %.2f%s, at most %.2f%s: %s\n", what, value, unit, limit, unit,
                value <= limit ? "met" : "NOT MET");
}

// The configuration file of a presenter whose children are 127.0.0.2 .. 127.0.0.(1 + count).
inline QByteArray settingsFor(int childCount, int childPort, int masterPort)
{
    QByteArray text = "[ChildComp]\r\n";
    for (int slot = 1; slot <= 30; ++slot) {
        text += "ChildComp" + QByteArray::number(slot).rightJustified(2, '0') + '=';
        text += slot <= childCount ? "1127.0.0." + QByteArray::number(slot + 1) + ",WindowScreen\r\n" : " ,\r\n";
    }
    text += "RemotePortx=" + QByteArray::number(childPort) + "\r\nMyHostPortx=" + QByteArray::number(masterPort) +
            "\r\nScreenSizex=WindowScreen\r\n";
    return text;
}

// A class folder for the presenter program: one page, the URL list that names it, and the settings
// of `childCount` loopback children. Returns the page's address as the URL list holds it.
inline QByteArray writeClassFolder(const QString& folder, int childCount, int childPort, int masterPort)
{
    const QString pagePath = QDir(folder).filePath(QStringLiteral("page.html"));
    const QByteArray page = QUrl::fromLocalFile(pagePath).toString().toUtf8();
    test::writeAll(pagePath, "<html><body><h1>page</h1></body></html>");
    test::writeAll(QDir(folder).filePath(QStringLiteral("weblist.txt")), page + "\r\n");
    test::writeAll(QDir(folder).filePath(QStringLiteral("Quillharbour_Master.ini")),
                   settingsFor(childCount, childPort, masterPort));
    return page;
}

// Starts the presenter program in the class folder, with a single-instance lock of its own and its
// output dropped. With a trace file, its trace (QH_PRESENTER_TRACE) and everything else it writes
// to its standard error go there. False when it cannot be started.
inline bool startPresenterIn(QProcess& presenter, const QString& program, const QString& folder,
                             const QString& traceFile = {})
{
    presenter.setWorkingDirectory(folder);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), folder);
    if (!traceFile.isEmpty()) {
        environment.insert(QStringLiteral("QH_PRESENTER_TRACE"), QStringLiteral("1"));
        presenter.setStandardErrorFile(traceFile);
    } else {
        presenter.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    }
    presenter.setProcessEnvironment(environment);
    presenter.setStandardOutputFile(QProcess::nullDevice());
    presenter.start(program, {});
    return presenter.waitForStarted();
}

// Waits up to a minute for the page to reach `childCount` children. Returns when the last of them
// received it (CLOCK_REALTIME), 0 when it did not reach them all.
inline std::int64_t waitForPage(LoopbackChildren& children, const QByteArray& page, int childCount)
{
    int arrived = 0;
    std::int64_t lastNs = 0;
    QElapsedTimer waited;
    waited.start();
    while (arrived < childCount && waited.elapsed() < 60000) {
        for (const Arrival& arrival : children.take()) {
            if (arrival.payload == page) {
                ++arrived;
                lastNs = arrival.atNs;
            }
        }
        QThread::msleep(1);
    }
    return arrived < childCount ? 0 : lastNs;
}

// What /proc tells about a process and the processes it started (the browser's helpers).
using test::procFile;
using test::processTree;
using test::procKiB;
using test::statFields;

// User and system CPU time in clock ticks.
inline qint64 cpuTicks(qint64 pid)
{
    const QList<QByteArray> fields = statFields(pid);
    return fields.size() > 12 ? fields[11].toLongLong() + fields[12].toLongLong() : 0;
}

// CPU time of all threads of the process, in nanoseconds (the first field of each schedstat).
inline qint64 processCpuNs(qint64 pid)
{
    qint64 total = 0;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile file(tasks.filePath(task + QStringLiteral("/schedstat")));
        if (file.open(QIODevice::ReadOnly))
            total += file.readAll().split(' ').value(0).toLongLong();
    }
    return total;
}

inline qint64 peakKiB(qint64 pid)
{
    return procKiB(pid, "status", "VmHWM:");
}

} // namespace qh::bench
