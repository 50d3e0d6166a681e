#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace qh::test {

// Folder of the test fixtures (tests/data), set by the test registration.
QString dataPath(const QString& name);

QByteArray readAll(const QString& path);
bool writeAll(const QString& path, const QByteArray& bytes);

// The offscreen platform cannot raise a window or pass on size hints and warns at every try;
// windows that come to the front on each event would flood the test log with those lines.
void quietOffscreenWarnings();

// A temporary folder made the current working directory for as long as it lives, since the
// programs open their files by bare name.
class WorkingFolder
{
public:
    WorkingFolder();
    ~WorkingFolder();
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString path() const { return m_dir.path(); }
    bool isValid() const { return m_dir.isValid(); }
    bool write(const QString& name, const QByteArray& bytes) const { return writeAll(path(name), bytes); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

} // namespace qh::test
