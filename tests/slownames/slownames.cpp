#include "tests/slownames/slownames.h"

#include <QDir>
#include <QFile>
#include <QUuid>

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace qh::test {

namespace {
QString temporaryPath(const char* kind)
{
    return QDir::temp().filePath(QLatin1String("qh-slownames-") + QLatin1String(kind) + u'-' +
                                 QUuid::createUuid().toString(QUuid::WithoutBraces));
}
} // namespace

void preloadSlowNames(char** argv)
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
    ::execv("/proc/self/exe", argv);
    std::perror("restarting with the slow name service");
    std::exit(2);
}

void setSlowNameDelay(int milliseconds)
{
    qputenv("QH_SLOW_NAMES_MS", QByteArray::number(milliseconds));
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

QByteArrayList NameLookupLog::take()
{
    QFile file(m_path);
    const QByteArray all = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    const QByteArray fresh = all.mid(m_read);
    m_read = all.size();
    QByteArrayList names = fresh.split('\n');
    names.removeAll(QByteArray());
    return names;
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
