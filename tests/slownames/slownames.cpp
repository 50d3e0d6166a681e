#include "tests/slownames/slownames.h"

#include <QDir>
#include <QFile>
#include <QUuid>

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace qh::test {

namespace {
QString temporaryPath(const char* kind)
{
    return QDir::temp().filePath(QLatin1String("qh-slownames-") + QLatin1String(kind) + u'-' +
                                 QUuid::createUuid().toString(QUuid::WithoutBraces));
}
} // namespace

void preloadSlowNames()
{
    if (::dlsym(RTLD_DEFAULT, "qh_slow_name_service"))
        return;
    if (std::getenv("QH_SLOW_NAMES_RESTARTED")) {
        std::fprintf(stderr, "the slow name service %s did not load\n", QH_SLOW_NAME_SERVICE);
        std::exit(2);
    }
    QByteArray preload = QH_SLOW_NAME_SERVICE;
    if (const QByteArray before = qgetenv("LD_PRELOAD"); !before.isEmpty())
        preload += ':' + before;
    QByteArray sanitizer = qgetenv("ASAN_OPTIONS");
    sanitizer += (sanitizer.isEmpty() ? "" : ":") + QByteArray("verify_asan_link_order=0");
    ::setenv("LD_PRELOAD", preload.constData(), 1);
    ::setenv("ASAN_OPTIONS", sanitizer.constData(), 1);
    ::setenv("QH_SLOW_NAMES_RESTARTED", "1", 1);
    // The same arguments again, as the kernel kept them.
    QFile commandLine(u"/proc/self/cmdline"_s);
    const QByteArrayList arguments =
        commandLine.open(QIODevice::ReadOnly) ? commandLine.readAll().split('\0') : QByteArrayList();
    std::vector<char*> argv;
    for (qsizetype i = 0; i + 1 < arguments.size(); ++i) // the text ends in a NUL: the last part is empty
        argv.push_back(const_cast<char*>(arguments[i].constData()));
    argv.push_back(nullptr);
    ::execv("/proc/self/exe", argv.data());
    std::perror("restarting with the slow name service");
    std::exit(2);
}

void setSlowNameDelay(int milliseconds)
{
    qputenv("QH_SLOW_NAMES_MS", QByteArray::number(milliseconds));
}

void setSlowNamesTogether(int count)
{
    qputenv("QH_SLOW_NAMES_TOGETHER", QByteArray::number(count));
}

NameLookupLog::NameLookupLog() : m_path(temporaryPath("log"))
{
    qputenv("QH_SLOW_NAMES_LOG", QFile::encodeName(m_path));
}

NameLookupLog::~NameLookupLog()
{
    qunsetenv("QH_SLOW_NAMES_LOG");
    QFile::remove(m_path);
}

NameLookups NameLookupLog::take()
{
    QFile file(m_path);
    const QByteArray all = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    const qsizetype end = all.lastIndexOf('\n') + 1; // a line still being written waits for the next call
    const QByteArray fresh = all.mid(m_read, std::max<qsizetype>(end - m_read, 0));
    m_read = std::max(m_read, end);
    NameLookups lookups;
    bool answeredInRound = true;
    for (const QByteArray& line : fresh.split('\n')) {
        if (line.startsWith("start ")) {
            lookups.names.append(line.mid(6));
            if (std::exchange(answeredInRound, false))
                ++lookups.rounds;
        } else if (line.startsWith("end ")) {
            answeredInRound = true;
        }
    }
    return lookups;
}

SlowNameAddresses::SlowNameAddresses() : m_path(temporaryPath("hosts"))
{
    qputenv("QH_SLOW_NAMES_FILE", QFile::encodeName(m_path));
}

SlowNameAddresses::~SlowNameAddresses()
{
    qunsetenv("QH_SLOW_NAMES_FILE");
    QFile::remove(m_path);
}

bool SlowNameAddresses::set(const QByteArray& lines)
{
    // Written whole and renamed into place, so that a lookup on another thread never reads half.
    const QString part = m_path + u".part"_s;
    QFile file(part);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(lines) != lines.size())
        return false;
    file.close();
    return ::rename(QFile::encodeName(part).constData(), QFile::encodeName(m_path).constData()) == 0;
}

} // namespace qh::test
