// The running program with 30 children that report to it: the presenter's CPU use while each child
// sends its Hello once and then the page it shows every 3 s, against the same time with no reports,
// and while every child reports another page (so that each is sent the page again every 3 s).
// Plain sockets on 127.0.0.2 .. 127.0.0.31 play the children; the reports are spread evenly over
// the 3 s, as children started at different moments would send them.
//
//     bench_reports <Quillharbour_Master> [seconds per phase, default 20]
#include "bench/benchutil.h"
#include "common/datagrams.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace qh::bench;

namespace {
constexpr int kChildren = 30;
constexpr int kReportIntervalMs = 3000;

// The children's sockets, each bound to its own loopback address, as 30 computers would send.
class ReportingChildren
{
public:
    explicit ReportingChildren(std::uint16_t masterPort)
    {
        m_master.sin_family = AF_INET;
        m_master.sin_port = htons(masterPort);
        m_master.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        for (int number = 1; number <= kChildren; ++number) {
            const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
            sockaddr_in own{};
            own.sin_family = AF_INET;
            own.sin_addr.s_addr = htonl((127u << 24) | std::uint32_t(number + 1));
            ::bind(fd, reinterpret_cast<sockaddr*>(&own), sizeof own);
            m_sockets.append(fd);
        }
    }
    ~ReportingChildren()
    {
        for (int fd : m_sockets)
            ::close(fd);
    }

    void send(int number, const QByteArray& datagram)
    {
        ::sendto(m_sockets[number - 1], datagram.constData(), size_t(datagram.size()), 0,
                 reinterpret_cast<const sockaddr*>(&m_master), sizeof m_master);
    }

    // Each child reports the page every 3 s, one child every 100 ms, for the given time.
    void reportFor(int seconds, const QByteArray& page)
    {
        QElapsedTimer clock;
        clock.start();
        for (qint64 report = 0;; ++report) {
            const qint64 dueMs = report * kReportIntervalMs / kChildren;
            if (dueMs >= seconds * 1000LL)
                break;
            const qint64 waitMs = dueMs - clock.elapsed();
            if (waitMs > 0)
                QThread::msleep(std::uint32_t(waitMs));
            const int number = int(report % kChildren) + 1;
            send(number, qh::showingDatagram(number, page));
        }
    }

private:
    sockaddr_in m_master{};
    QList<int> m_sockets;
};

double percentOfACore(qint64 cpuNs, qint64 wallNs)
{
    return wallNs > 0 ? double(cpuNs) / double(wallNs) * 100.0 : 0;
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_reports <Quillharbour_Master> [seconds per phase]\n");
        return 2;
    }
    const int seconds = argc > 2 ? std::max(3, std::atoi(argv[2])) : 20;
    const QString program = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    QTemporaryDir folder;
    LoopbackChildren children;
    const std::uint16_t childPort = children.bindFreePort();
    const std::uint16_t masterPort = qh::test::freeUdpPort();
    const QByteArray page = writeClassFolder(folder.path(), kChildren, childPort, masterPort);

    QProcess presenter;
    if (!startPresenterIn(presenter, program, folder.path())) {
        std::fprintf(stderr, "cannot start %s\n", argv[1]);
        return 1;
    }
    if (waitForPage(children, page, kChildren) == 0) {
        std::fprintf(stderr, "the first page did not reach all children\n");
        return 1;
    }
    QThread::sleep(2); // let the page settle
    // The presenter may have forwarded the page as its browser writes the address: the last page
    // sent is the one the children follow.
    QByteArray current = page;
    for (const Arrival& arrival : children.take()) {
        if (!arrival.payload.startsWith("Command:"))
            current = arrival.payload;
    }
    const QByteArray otherPage = current + "#another";
    const qint64 pid = presenter.processId();

    const auto measure = [&](const std::function<void()>& phase) {
        const std::int64_t startNs = nowNs();
        const qint64 cpuBefore = processCpuNs(pid);
        phase();
        return percentOfACore(processCpuNs(pid) - cpuBefore, nowNs() - startNs);
    };

    const double idle = measure([&] { QThread::sleep(std::uint32_t(seconds)); });
    children.take();

    ReportingChildren reporting(masterPort);
    for (int number = 1; number <= kChildren; ++number)
        reporting.send(number, qh::helloDatagram(number));
    const double following = measure([&] { reporting.reportFor(seconds, current); });
    int answers = 0;
    int caughtUp = 0;
    for (const Arrival& arrival : children.take()) {
        ++answers;
        caughtUp += arrival.payload == "Command:VisibleTrue";
    }

    const double otherPageCpu = measure([&] { reporting.reportFor(seconds, otherPage); });
    int healed = 0;
    for (const Arrival& arrival : children.take())
        healed += arrival.payload == current;

    std::printf("presenter CPU, 30 children reporting every 3 s over %d s: %.3f %% of a core following, "
                "%.3f %% on another page (each sent its page again); %.3f %% without reports "
                "(goal: under 0.5 %%)\n",
                seconds, following, otherPageCpu, idle);
    std::printf("answers: %d datagrams to the children while following, %d of the 30 Hellos caught up; "
                "%d pages sent again while on another page (at most one per child every 3 s)\n",
                answers, caughtUp, healed);

    presenter.terminate();
    presenter.waitForFinished(10000);
    const bool answeredAsDue = caughtUp == kChildren && answers == 3 * kChildren && healed > 0 &&
                               healed <= kChildren * (seconds * 1000 / kReportIntervalMs + 1);
    if (!answeredAsDue)
        std::fprintf(stderr, "the presenter did not answer the reports as due\n");
    return answeredAsDue ? 0 : 1;
}
