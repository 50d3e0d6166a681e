#include "tests/support/testfiles.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>

using namespace Qt::StringLiterals;

namespace qh::test {

QString dataPath(const QString& name)
{
    return qEnvironmentVariable("QH_TEST_DATA") + u'/' + name;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

void quietOffscreenWarnings()
{
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (message.startsWith(u"This plugin does not support "_s))
            return;
        if (previous)
            previous(type, context, message);
    });
}

Fifo::Fifo(const QString& path, int patienceMs) : m_path(QFile::encodeName(path))
{
    m_made = ::mkfifo(m_path.constData(), 0600) == 0;
    if (!m_made)
        return;
    m_rescuer = std::thread([this, patienceMs] {
        const auto rescueAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(patienceMs);
        while (!m_done) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (std::chrono::steady_clock::now() < rescueAt)
                continue;
            // Opens only while someone has the FIFO open to read, the waiting reader included.
            if (const int fd = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC); fd >= 0)
                ::close(fd);
        }
    });
}

Fifo::~Fifo()
{
    m_done = true;
    if (m_rescuer.joinable())
        m_rescuer.join();
    if (m_made)
        ::unlink(m_path.constData());
}

WorkingFolder::WorkingFolder() : m_previous(QDir::currentPath())
{
    QDir::setCurrent(m_dir.path());
}

WorkingFolder::~WorkingFolder()
{
    QDir::setCurrent(m_previous);
}

} // namespace qh::test
