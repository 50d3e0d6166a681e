// The running programs' start-up against a bare Qt WebEngine view's, in turn, 9 times each:
//
// - the presenter: from its process start to the first page shown and sent to 30 children, against
//   a bare view's from process start to the same page loaded;
// - the child program: from its process start to its first page loaded, sent as the presenter
//   answers its Hello, against another bare view's start;
//
// with the steps of each start (the programs' traces, QH_PRESENTER_TRACE and QH_CHILD_TRACE, and
// the bare view's events) as medians from the process start. Then the presenter's CPU use while
// idle over 10 s, and its peak memory.
//
//     bench_process <Quillharbour_Master>    (the child program is taken from the same folder)
#include "bench/benchutil.h"
#include "common/datagrams.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QNetworkDatagram>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QUdpSocket>

#include <memory>

using namespace Qt::StringLiterals;

using namespace qh::bench;

namespace {
constexpr int kChildren = 30;
constexpr int kStartUps = 9;
constexpr int kWaitMs = 60000;

// The steps of each program's start, in order, as their traces name them.
const QStringList kPresenterSteps{u"start"_s, u"bar"_s,     u"files"_s,    u"bound"_s,  u"announced"_s,
                                  u"panel"_s, u"browser"_s, u"navigate"_s, u"loaded"_s, u"sent"_s};
const QStringList kChildSteps{u"start"_s, u"ready"_s, u"hello"_s, u"shown"_s, u"open"_s, u"loaded"_s};
const QStringList kBareSteps{u"start"_s, u"view"_s, u"loaded"_s};

// Milliseconds from the process start to each step of one start-up, by step.
using StepTimes = std::map<QString, double>;

// The first time of each event in trace lines "<program> <micros> <event> ...", or (with an empty
// program) in lines "<event> <micros> ...", as milliseconds from startNs.
StepTimes stepsOf(const QByteArray& lines, const QByteArray& program, std::int64_t startNs)
{
    StepTimes steps;
    for (const QByteArray& line : lines.split('\n')) {
        const QList<QByteArray> words = line.split(' ');
        const qsizetype first = program.isEmpty() ? 0 : 1;
        if (words.size() < first + 2 || (!program.isEmpty() && words[0] != program))
            continue;
        const QByteArray& event = program.isEmpty() ? words[0] : words[2];
        const QByteArray& micros = words[1];
        steps.emplace(QString::fromLatin1(event), double(micros.toLongLong() * 1000 - startNs) / 1e6);
    }
    return steps;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The steps of every start-up of one program, for their medians.
class StepRecord
{
public:
    explicit StepRecord(QStringList steps) : m_steps(std::move(steps)) {}
    // False when a step is missing.
    bool add(const StepTimes& times)
    {
        for (const QString& step : m_steps) {
            if (!times.contains(step)) {
                std::fprintf(stderr, "the step %s was not traced\n", qPrintable(step));
                return false;
            }
        }
        for (const QString& step : m_steps)
            m_times[step].append(times.at(step));
        return true;
    }
    void print(const char* who) const
    {
        std::printf("  %-10s", who);
        for (const QString& step : m_steps)
            std::printf(" %s %.0f", qPrintable(step), median(m_times.at(step)));
        std::printf("\n");
    }

private:
    QStringList m_steps;
    std::map<QString, QList<double>> m_times;
};

// From the process start to the first page's arrival at the last of the children; -1 on failure.
double presenterStartUpMs(QProcess& presenter, const QString& program, const QString& folder,
                          LoopbackChildren& children, const QByteArray& page, StepRecord& steps)
{
    const QString traceFile = folder + u"/presenter-trace.txt"_s;
    const std::int64_t startNs = nowNs();
    if (!startPresenterIn(presenter, program, folder, traceFile)) {
        std::fprintf(stderr, "cannot start %s\n", qPrintable(program));
        return -1;
    }
    const std::int64_t lastPageNs = waitForPage(children, page, kChildren);
    if (lastPageNs == 0) {
        std::fprintf(stderr, "the first page did not reach all children\n");
        return -1;
    }
    return steps.add(stepsOf(fileBytes(traceFile), "qh-presenter", startNs)) ? double(lastPageNs - startNs) / 1e6 : -1;
}

// From the process start of a bare view (bench_bareview) to the end of its load; -1 on failure.
double bareViewStartUpMs(const QByteArray& page, StepRecord& steps)
{
    QProcess bare;
    bare.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const std::int64_t startNs = nowNs();
    bare.start(QCoreApplication::applicationDirPath() + u"/bench_bareview"_s, {QString::fromUtf8(page)});
    QByteArray output;
    while (!output.contains("loaded ") && !output.contains("failed ") && bare.waitForReadyRead(kWaitMs))
        output += bare.readAllStandardOutput();
    bare.kill();
    bare.waitForFinished();
    const StepTimes times = stepsOf(output, {}, startNs);
    if (!times.contains(u"loaded"_s) || !steps.add(times))
        return -1;
    return times.at(u"loaded"_s);
}

// The bench as the child's presenter: the master port on 127.0.0.1, where the child says Hello.
class ChildStart
{
public:
    ChildStart(QString program, QString folder, QByteArray page)
        : m_program(std::move(program)), m_folder(std::move(folder)), m_page(std::move(page)),
          m_childPort(qh::test::freeUdpPort())
    {
        m_master.bind(QHostAddress::LocalHost, qh::test::freeUdpPort());
    }

    // From the child's process start to its first page loaded, the page sent at its Hello with
    // the presenter's answer; -1 on failure.
    double measure(StepRecord& steps)
    {
        const QString traceFile = m_folder + u"/child-trace.txt"_s;
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QH_CHILD_TRACE"_s, u"1"_s);
        environment.insert(u"TMPDIR"_s, m_folder); // its single-instance lock
        environment.remove(u"XDG_RUNTIME_DIR"_s);
        child.setProcessEnvironment(environment);
        child.setStandardErrorFile(traceFile);
        child.setStandardOutputFile(QProcess::nullDevice());
        const std::int64_t startNs = nowNs();
        child.start(m_program, {u"--number"_s, u"01"_s, u"--master"_s, u"127.0.0.1"_s, u"--port"_s,
                                QString::number(m_childPort), u"--master-port"_s, QString::number(m_master.localPort()),
                                u"--bind"_s, u"127.0.0.2"_s, u"--window"_s, u"--local-folders"_s, m_folder});
        double loadedMs = -1;
        if (waitForDatagram(qh::helloDatagram(1))) {
            const QHostAddress childAddress(u"127.0.0.2"_s);
            for (const QByteArray& answer :
                 {QByteArray("Command:VisibleTrue"), QByteArray("Command:WindowScreen"), m_page})
                m_master.writeDatagram(answer, childAddress, m_childPort);
            if (waitForDatagram(qh::showingDatagram(1, m_page))) {
                const StepTimes times = stepsOf(fileBytes(traceFile), "qh-child", startNs);
                if (steps.add(times))
                    loadedMs = times.at(u"loaded"_s);
            }
        }
        child.kill();
        child.waitForFinished();
        if (loadedMs < 0)
            std::fprintf(stderr, "the child did not load its first page\n");
        return loadedMs;
    }

private:
    bool waitForDatagram(const QByteArray& expected)
    {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < kWaitMs) {
            while (m_master.hasPendingDatagrams()) {
                if (m_master.receiveDatagram().data() == expected)
                    return true;
            }
            m_master.waitForReadyRead(100);
        }
        return false;
    }

    QString m_program;
    QString m_folder;
    QByteArray m_page;
    quint16 m_childPort;
    QUdpSocket m_master;
};

void printComparison(const char* what, const QList<double>& ours, const QList<double>& bare, const char* goal)
{
    const double oursMs = medianOfAll(ours, kStartUps, what);
    const double bareMs = medianOfAll(bare, kStartUps, "bare view start-up");
    std::printf("%s, median of %d in turn: %.0f ms; a bare view: %.0f ms from process start to the page loaded\n", what,
                kStartUps, oursMs, bareMs);
    printGoal(goal, oursMs / bareMs, 1.05, "x");
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_process <Quillharbour_Master>\n");
        return 2;
    }
    const QFileInfo presenterProgram(QString::fromLocal8Bit(argv[1]));
    const QString program = presenterProgram.absoluteFilePath();
    const QString childProgram = presenterProgram.absoluteDir().filePath(u"Quillharbour_Child"_s);
    QTemporaryDir folder;
    LoopbackChildren children;
    const std::uint16_t childPort = children.bindFreePort();
    const QByteArray page = writeClassFolder(folder.path(), kChildren, childPort, qh::test::freeUdpPort());
    ChildStart childStart(childProgram, folder.path(), page);

    // Start-ups in turn: a bare view, the presenter, a bare view, the child. The last presenter
    // stays for the rest.
    QList<double> presenterStarts;
    QList<double> childStarts;
    StepRecord presenterSteps(kPresenterSteps);
    StepRecord childSteps(kChildSteps);
    StepRecord bareSteps(kBareSteps);
    std::unique_ptr<QProcess> presenter;
    QList<double> barePresenterTurns;
    QList<double> bareChildTurns;
    for (int round = 0; round < kStartUps; ++round) {
        const double bareBeforePresenter = bareViewStartUpMs(page, bareSteps);
        if (presenter) {
            presenter->terminate();
            presenter->waitForFinished(10000);
        }
        children.take();
        presenter = std::make_unique<QProcess>();
        const double ours = presenterStartUpMs(*presenter, program, folder.path(), children, page, presenterSteps);
        const double bareBeforeChild = bareViewStartUpMs(page, bareSteps);
        const double child = childStart.measure(childSteps);
        if (bareBeforePresenter < 0 || bareBeforeChild < 0) {
            std::fprintf(stderr, "the bare view did not load the page\n");
            return 1;
        }
        if (ours < 0 || child < 0)
            return 1;
        barePresenterTurns.append(bareBeforePresenter);
        presenterStarts.append(ours);
        bareChildTurns.append(bareBeforeChild);
        childStarts.append(child);
    }
    printComparison("presenter start-up to the first page shown and sent to 30 children", presenterStarts,
                    barePresenterTurns, "start-up against a bare view");
    printComparison("child start-up to its first page loaded, sent at its Hello", childStarts, bareChildTurns,
                    "child start-up against a bare view");
    std::printf("steps, medians in ms from the process start:\n");
    presenterSteps.print("presenter");
    childSteps.print("child");
    bareSteps.print("bare view");

    QThread::sleep(2); // let the page settle
    const qint64 pid = presenter->processId();
    const QList<qint64> tree = processTree(pid);
    auto sumTicks = [&tree] {
        qint64 total = 0;
        for (qint64 member : tree)
            total += cpuTicks(member);
        return total;
    };
    const qint64 ownBefore = cpuTicks(pid);
    const qint64 treeBefore = sumTicks();
    QThread::sleep(10);
    const double ticksPerSecond = double(sysconf(_SC_CLK_TCK));
    const double ownPercent = double(cpuTicks(pid) - ownBefore) / ticksPerSecond / 10.0 * 100.0;
    const double treePercent = double(sumTicks() - treeBefore) / ticksPerSecond / 10.0 * 100.0;
    std::printf("idle CPU over 10 s: %.2f %% of a core (presenter), %.2f %% with the browser's %lld helper "
                "processes\n",
                ownPercent, treePercent, static_cast<long long>(tree.size() - 1));
    printGoal("idle CPU of the presenter with its helpers", treePercent, 0.5, " % of a core");

    qint64 treePeak = 0;
    for (qint64 member : tree)
        treePeak += peakKiB(member);
    std::printf("peak memory: %.1f MiB (presenter), %.1f MiB with the helper processes\n", double(peakKiB(pid)) / 1024,
                double(treePeak) / 1024);

    presenter->terminate();
    presenter->waitForFinished(10000);
    return 0;
}
