#include "tests/support/testfiles.h"

#include <QDir>
#include <QFile>

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

WorkingFolder::WorkingFolder() : m_previous(QDir::currentPath())
{
    QDir::setCurrent(m_dir.path());
}

WorkingFolder::~WorkingFolder()
{
    QDir::setCurrent(m_previous);
}

} // namespace qh::test
