#include "tests/support/childprocess.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace qh::test {

QString testPagesFolder()
{
    return QDir::tempPath();
}

QString childProgramPath()
{
    return QStringLiteral(QH_CHILD_PROGRAM);
}

ChildProcess::ChildProcess()
{
    QObject::connect(&m_process, &QProcess::readyReadStandardError, &m_process, [this] { readErrorOutput(); });
    QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &m_process,
                     [this] { m_standardOutput += QString::fromUtf8(m_process.readAllStandardOutput()); });
}

ChildProcess::~ChildProcess()
{
    if (isRunning()) {
        m_process.kill();
        m_process.waitForFinished(10000);
    }
}

void ChildProcess::start(const QStringList& arguments, const QString& workingFolder)
{
    // One folder for the locks of all children of a test, as all programs of one user share one.
    static const QTemporaryDir lockFolder;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"QH_CHILD_TRACE"_s, u"1"_s);
    // Its single-instance lock lies apart from any other run of the tests on this machine.
    environment.remove(u"XDG_RUNTIME_DIR"_s);
    environment.insert(u"TMPDIR"_s, lockFolder.path());
    m_process.setProcessEnvironment(environment);
    if (!workingFolder.isEmpty())
        m_process.setWorkingDirectory(workingFolder);
    m_process.start(childProgramPath(), arguments);
}

bool ChildProcess::startOnLoopback(int number, quint16 childPort, quint16 masterPort, const QStringList& more)
{
    launchOnLoopback(number, childPort, masterPort, more);
    return waitFor(u"ready %1"_s.arg(childPort));
}

void ChildProcess::launchOnLoopback(int number, quint16 childPort, quint16 masterPort, const QStringList& more)
{
    m_address = childLoopbackAddress(number);
    start(QStringList{u"--number"_s, QString::number(number), u"--master"_s, u"127.0.0.1"_s, u"--port"_s,
                      QString::number(childPort), u"--master-port"_s, QString::number(masterPort), u"--bind"_s,
                      QString::fromLatin1(m_address), u"--local-folders"_s, testPagesFolder(),
                      // No key unless `more` names one, whatever this computer's own children use.
                      u"--teacher-key="_s} +
          more);
}

void ChildProcess::readErrorOutput()
{
    m_pending += m_process.readAllStandardError();
    qsizetype end = 0;
    while ((end = m_pending.indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(m_pending.left(end));
        m_pending.remove(0, end + 1);
        // qh-child <micros> <event> [<detail>]
        const QStringList parts = line.split(u' ');
        if (parts.size() < 3 || parts[0] != u"qh-child") {
            m_otherOutput += line + u'\n';
            continue;
        }
        m_events.append({parts[1].toLongLong(), parts[2], parts.mid(3).join(u' ')});
    }
}

bool ChildProcess::waitFor(const QString& text, qsizetype since, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!events(since).contains(text)) {
        if (deadline.hasExpired() || !isRunning())
            return events(since).contains(text);
        QTest::qWait(5);
    }
    return true;
}

bool ChildProcess::waitForExit(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (isRunning() && !deadline.hasExpired())
        QTest::qWait(10);
    readErrorOutput();
    return !isRunning();
}

QStringList ChildProcess::events(qsizetype since) const
{
    QStringList texts;
    for (qsizetype i = since; i < m_events.size(); ++i)
        texts.append(m_events[i].text());
    return texts;
}

QByteArray childLoopbackAddress(int number)
{
    return "127.0.0." + QByteArray::number(1 + number);
}

child::ChildSettings loopbackChildSettings(int number, quint16 childPort, quint16 masterPort)
{
    child::ChildSettings settings;
    settings.number = number;
    settings.masterName = u"127.0.0.1"_s;
    settings.childPort = childPort;
    settings.masterPort = masterPort;
    settings.bindAddress = QHostAddress(QString::fromLatin1(childLoopbackAddress(number)));
    settings.localFolders = {testPagesFolder()};
    return settings;
}

} // namespace qh::test
