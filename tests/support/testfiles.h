#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <atomic>
#include <thread>

namespace qh::test {

// Folder of the test fixtures (tests/data), set by the test registration.
QString dataPath(const QString& name);

QByteArray readAll(const QString& path);
bool writeAll(const QString& path, const QByteArray& bytes);

// The offscreen platform cannot raise a window or pass on size hints and warns at every try;
// windows that come to the front on each event would flood the test log with those lines.
void quietOffscreenWarnings();

// A FIFO at the path for as long as it lives, for what must never wait on one. A program under test
// that opens it to read and waits for a writer is let go after patienceMs: the FIFO is opened for
// writing and closed again, so that the program reads an empty file and the test fails on what it
// checks instead of hanging.
class Fifo
{
public:
    explicit Fifo(const QString& path, int patienceMs = 5000);
    ~Fifo();
    Fifo(const Fifo&) = delete;
    Fifo& operator=(const Fifo&) = delete;

    bool isValid() const { return m_made; }

private:
    QByteArray m_path;
    bool m_made = false;
    std::atomic<bool> m_done = false;
    std::thread m_rescuer;
};

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
