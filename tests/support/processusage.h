#pragma once

#include <QByteArray>
#include <QList>

// What /proc tells about a process and the processes it started (Qt WebEngine's helpers), for the
// tests and benchmarks that watch a program over many pages.
namespace qh::test {

QByteArray procFile(qint64 pid, const char* name);
// Fields of /proc/<pid>/stat after the command name.
QList<QByteArray> statFields(qint64 pid);
// The process and all its descendants.
QList<qint64> processTree(qint64 root);
// A value of /proc/<pid>/<file> in KiB, such as "VmHWM:" of status or "Pss:" of smaps_rollup.
qint64 procKiB(qint64 pid, const char* file, const QByteArray& key);

// A process tree's use at one moment. Qt WebEngine's worker pools (threads named
// ThreadPoolForeground... and ThreadPoolBackground...) start workers as work comes and end them
// after half a minute without any, so their number says how busy the last minute was: they are
// counted apart from the other threads.
struct ProcessUsage {
    qint64 pssKiB = 0; // the sum of the proportional set sizes: shared pages count once in all
    qint64 fds = 0;
    qint64 threads = 0;     // beside the worker pools
    qint64 poolThreads = 0; // workers of the pools
    qint64 processes = 0;
};
ProcessUsage usageOf(qint64 root);

} // namespace qh::test
