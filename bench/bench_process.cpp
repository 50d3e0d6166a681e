// The running program: time from process start to the first page shown and sent to 30 children,
// CPU use while idle over 10 s, and peak memory.
#include "bench/benchutil.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

using namespace Qt::StringLiterals;

using namespace qh::bench;

namespace {
constexpr int kChildren = 30;
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

    QProcess presenter;
    const std::int64_t startNs = nowNs();
    if (!startPresenterIn(presenter, program, folder.path())) {
        std::fprintf(stderr, "cannot start %s\n", argv[1]);
        return 1;
    }
    const std::int64_t lastPageNs = waitForPage(children, page, kChildren);
    if (lastPageNs == 0) {
        std::fprintf(stderr, "the first page did not reach all children\n");
        return 1;
    }
    std::printf("start-up: %.0f ms from process start to the first page shown and sent to %d children\n",
                double(lastPageNs - startNs) / 1e6, kChildren);

    QThread::sleep(2); // let the page settle
    const qint64 pid = presenter.processId();
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
                "processes (goal: under 1 %%)\n",
                ownPercent, treePercent, static_cast<long long>(tree.size() - 1));

    qint64 treePeak = 0;
    for (qint64 member : tree)
        treePeak += peakKiB(member);
    std::printf("peak memory: %.1f MiB (presenter), %.1f MiB with the helper processes\n", double(peakKiB(pid)) / 1024,
                double(treePeak) / 1024);

    presenter.terminate();
    presenter.waitForFinished(10000);
    return 0;
}
