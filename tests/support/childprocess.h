#pragma once

#include "child/childsettings.h"

#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace qh::test {

// One line of a child program's trace (QH_CHILD_TRACE): "loaded file:///a.html" at that time.
struct ChildEvent {
    qint64 atMicros = 0; // since 1970, on the system clock
    QString event;       // "loaded"
    QString detail;      // "file:///a.html"; empty for an event without one

    QString text() const { return detail.isEmpty() ? event : event + u' ' + detail; }
};

// The real child program, Quillharbour_Child, as its own process with its trace on. The children
// of one test share a lock folder apart from other runs. Its events are collected while the
// caller's event loop runs.
class ChildProcess
{
public:
    ChildProcess();
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts the program in the working folder (the current one when empty).
    void start(const QStringList& arguments, const QString& workingFolder = {});
    // Starts child `number` on its loopback address 127.0.0.(1 + number), its master at 127.0.0.1,
    // showing files from the tests' pages folder, without the teacher's key (options in `more`
    // override these), and waits
    // until it listens. False when it did not get so far.
    bool startOnLoopback(int number, quint16 childPort, quint16 masterPort, const QStringList& more = {});
    // The same without the wait, so that several children start at once; waitFor() the event
    // "ready <port>" then.
    void launchOnLoopback(int number, quint16 childPort, quint16 masterPort, const QStringList& more = {});

    // Waits, running the event loop, until the program has written the event since the mark
    // (0: since start), or has ended. True when the event came.
    bool waitFor(const QString& text, qsizetype since = 0, int timeoutMs = 20000);
    bool waitForExit(int timeoutMs = 20000);

    // The events so far, as text; a mark is the count of events at that moment.
    QStringList events(qsizetype since = 0) const;
    const QList<ChildEvent>& timedEvents() const { return m_events; }
    qsizetype mark() const { return m_events.size(); }
    // Everything it wrote to its standard error that is not a trace line.
    QString otherOutput() const { return m_otherOutput; }
    QString standardOutput() const { return m_standardOutput; }

    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    int exitCode() const { return m_process.exitCode(); }
    QProcess::ExitStatus exitStatus() const { return m_process.exitStatus(); }
    qint64 processId() const { return m_process.processId(); }
    // The address it listens on when started by startOnLoopback().
    QByteArray address() const { return m_address; }

private:
    void readErrorOutput();

    QProcess m_process;
    QByteArray m_pending;
    QList<ChildEvent> m_events;
    QString m_otherOutput;
    QString m_standardOutput;
    QByteArray m_address;
};

// The program built with the tests.
QString childProgramPath();

// Where the tests keep the pages they have children show: the temp folder, which holds their
// temporary folders. The children of the tests have it as their local folder.
QString testPagesFolder();

// Where child `number` listens in the tests: 127.0.0.(1 + number), one child port for all.
QByteArray childLoopbackAddress(int number);

// The settings of child `number` on its loopback address with its master at 127.0.0.1 and the tests'
// pages folder as its local folder, as ChildProcess::startOnLoopback() gives them on the command line.
child::ChildSettings loopbackChildSettings(int number, quint16 childPort, quint16 masterPort);

} // namespace qh::test
