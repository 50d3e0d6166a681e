#include "tests/support/processusage.h"

#include <QDir>
#include <QFile>

#include <map>

using namespace Qt::StringLiterals;

namespace qh::test {

QByteArray procFile(qint64 pid, const char* name)
{
    QFile file(u"/proc/%1/%2"_s.arg(pid).arg(QString::fromLatin1(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QList<QByteArray> statFields(qint64 pid)
{
    const QByteArray stat = procFile(pid, "stat");
    const qsizetype close = stat.lastIndexOf(')');
    return close < 0 ? QList<QByteArray>{} : stat.mid(close + 2).split(' ');
}

QList<qint64> processTree(qint64 root)
{
    std::multimap<qint64, qint64> children;
    for (const QString& entry : QDir(u"/proc"_s).entryList(QDir::Dirs)) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        const QList<QByteArray> fields = isPid ? statFields(pid) : QList<QByteArray>{};
        if (fields.size() > 1)
            children.emplace(fields[1].toLongLong(), pid);
    }
    QList<qint64> tree{root};
    for (qsizetype i = 0; i < tree.size(); ++i) {
        const auto range = children.equal_range(tree[i]);
        for (auto it = range.first; it != range.second; ++it)
            tree.append(it->second);
    }
    return tree;
}

qint64 procKiB(qint64 pid, const char* file, const QByteArray& key)
{
    for (const QByteArray& line : procFile(pid, file).split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').first().toLongLong();
    }
    return 0;
}

ProcessUsage usageOf(qint64 root)
{
    ProcessUsage usage;
    for (const qint64 pid : processTree(root)) {
        usage.pssKiB += procKiB(pid, "smaps_rollup", "Pss:");
        const QDir tasks(u"/proc/%1/task"_s.arg(pid));
        for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            const QByteArray name = procFile(pid, qPrintable(u"task/"_s + task + u"/comm"_s));
            const bool pooled = name.startsWith("ThreadPoolForeg") || name.startsWith("ThreadPoolBackg");
            ++(pooled ? usage.poolThreads : usage.threads);
        }
        const QDir descriptors(u"/proc/%1/fd"_s.arg(pid));
        usage.fds += descriptors.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size();
        ++usage.processes;
    }
    return usage;
}

} // namespace qh::test
