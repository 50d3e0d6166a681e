// The running program: time from process start to the first page shown and sent to 30 children
// against a bare Qt WebEngine view's time from process start to the same page loaded (in turn, 9
// times each), CPU use while idle over 10 s, and peak memory.
#include "bench/benchutil.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <memory>

using namespace Qt::StringLiterals;

using namespace qh::bench;

namespace {
constexpr int kChildren = 30;
constexpr int kStartUps = 9;

// From the process start to the first page's arrival at the last of the children; -1 on failure.
double presenterStartUpMs(QProcess& presenter, const QString& program, const QString& folder,
                          LoopbackChildren& children, const QByteArray& page)
{
    const std::int64_t startNs = nowNs();
    if (!startPresenterIn(presenter, program, folder)) {
        std::fprintf(stderr, "cannot start %s\n", qPrintable(program));
        return -1;
    }
    const std::int64_t lastPageNs = waitForPage(children, page, kChildren);
    if (lastPageNs == 0) {
        std::fprintf(stderr, "the first page did not reach all children\n");
        return -1;
    }
    return double(lastPageNs - startNs) / 1e6;
}

// From the process start of a bare view (bench_bareview) to the end of its load; -1 on failure.
double bareViewStartUpMs(const QByteArray& page)
{
    QProcess bare;
    bare.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const std::int64_t startNs = nowNs();
    bare.start(QCoreApplication::applicationDirPath() + u"/bench_bareview"_s, {QString::fromUtf8(page)});
    QByteArray output;
    while (!output.contains('\n') && bare.waitForReadyRead(60000))
        output += bare.readAllStandardOutput();
    bare.kill();
    bare.waitForFinished();
    const QList<QByteArray> words = output.split(' ');
    if (words.size() < 2 || words[0] != "loaded")
        return -1;
    return double(words[1].toLongLong() * 1000 - startNs) / 1e6;
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_process <Quillharbour_Master>\n");
        return 2;
    }
    const QString program = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    QTemporaryDir folder;
    LoopbackChildren children;
    const std::uint16_t childPort = children.bindFreePort();
    const QByteArray page = writeClassFolder(folder.path(), kChildren, childPort, qh::test::freeUdpPort());

    // Start-ups of the presenter and of a bare view in turn; the last presenter stays for the rest.
    QList<double> presenterStarts;
    QList<double> bareStarts;
    std::unique_ptr<QProcess> presenter;
    for (int round = 0; round < kStartUps; ++round) {
        const double bare = bareViewStartUpMs(page);
        if (bare < 0) {
            std::fprintf(stderr, "the bare view did not load the page\n");
            return 1;
        }
        bareStarts.append(bare);
        if (presenter) {
            presenter->terminate();
            presenter->waitForFinished(10000);
        }
        children.take();
        presenter = std::make_unique<QProcess>();
        const double ours = presenterStartUpMs(*presenter, program, folder.path(), children, page);
        if (ours < 0)
            return 1;
        presenterStarts.append(ours);
    }
    const double presenterStart = medianOfAll(presenterStarts, kStartUps, "presenter start-up");
    const double bareStart = medianOfAll(bareStarts, kStartUps, "bare view start-up");
    std::printf("start-up, median of %d in turn: %.0f ms from process start to the first page shown and sent to %d "
                "children; a bare view: %.0f ms from process start to the page loaded\n",
                kStartUps, presenterStart, kChildren, bareStart);
    printGoal("start-up against a bare view", presenterStart / bareStart, 1.05, "x");

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
