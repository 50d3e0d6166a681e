#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

namespace qh::test {

// Folder of the test fixtures, set by the test registration.
inline QString dataPath(const QString& name)
{
    return QString::fromLocal8Bit(qgetenv("QH_TEST_DATA")) + u'/' + name;
}

inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

inline bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// The offscreen platform cannot raise a window or pass on size hints and warns at every try;
// windows that come to the front on each event would flood the test log with those lines.
inline void quietOffscreenWarnings()
{
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (message.startsWith(QStringLiteral("This plugin does not support ")))
            return;
        if (previous)
            previous(type, context, message);
    });
}

} // namespace qh::test
