// The class view's cost, with the real presenter:
//
// - the presenter program's CPU (all its threads) and memory with 30 children (plain sockets on
//   127.0.0.2 .. 127.0.0.31) that report their page every 3 s and answer every picture request with
//   a thumbnail of some 8 KiB, the view closed and then open (goal: under 5 % of a core open, and
//   memory that stops growing once every slot has its picture);
// - a page change from >> to the slowest of 3 real child programs' loaded page, the view open
//   against closed, in blocks taken in turn, while 27 plain sockets answer pictures as well (goal:
//   at most 1.05 times).
//
//     bench_classview [seconds per phase, default 20] [page changes per block, default 10]
//
// The presenter of the first part runs as this program with --presenter FOLDER, opening and
// closing its class view as its standard input says.
#include "bench/benchutil.h"
#include "bench/childevents.h"
#include "common/classroomdatagrams.h"
#include "common/datagrams.h"
#include "common/thumbnail.h"
#include "master/classviewwindow.h"
#include "master/presenter.h"
#include "master/presenterwindows.h"
#include "master/webbrowser.h"
#include "tests/support/presenterwindowsfixture.h"

#include <QApplication>
#include <QPainter>
#include <QPushButton>
#include <QSocketNotifier>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;
using namespace qh;
using namespace qh::bench;
using namespace qh::test;

namespace {
constexpr int kChildren = 30;

// A page's thumbnail as a child sends it: lines of text on a light page, and some noise.
QByteArray pageThumbnail()
{
    QImage page(1280, 800, QImage::Format_RGB32);
    page.fill(QColor(250, 250, 245));
    QPainter painter(&page);
    for (int y = 80; y < 760; y += 36)
        painter.fillRect(100, y, 700 + (y * 37) % 380, 14, QColor(40, 40, 60));
    painter.fillRect(900, 100, 300, 240, QColor(90, 140, 200));
    painter.end();
    return thumbnailBytes(page, kLargestPictureDatagramBytes - 64);
}

// Children as plain sockets, one bound to each loopback address on the child port: each says Hello,
// answers every picture request from its own address and, when given a page, reports it every 3 s.
class AnsweringChildren
{
public:
    AnsweringChildren(int first, int last, quint16 childPort, quint16 masterPort) : m_picture(pageThumbnail())
    {
        m_master.sin_family = AF_INET;
        m_master.sin_port = htons(masterPort);
        m_master.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        for (int number = first; number <= last; ++number) {
            const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
            sockaddr_in own{};
            own.sin_family = AF_INET;
            own.sin_port = htons(childPort);
            own.sin_addr.s_addr = htonl((127u << 24) | std::uint32_t(number + 1));
            if (::bind(fd, reinterpret_cast<sockaddr*>(&own), sizeof own) != 0)
                std::fprintf(stderr, "cannot bind 127.0.0.%d:%d: %s\n", number + 1, childPort, std::strerror(errno));
            m_children.push_back({number, fd});
        }
    }
    ~AnsweringChildren()
    {
        stop();
        for (const Child& child : m_children)
            ::close(child.fd);
    }

    void sayHello()
    {
        for (const Child& child : m_children)
            send(child, helloDatagram(child.number));
    }
    // Answers for the given time on this thread; reports `page` every 3 s unless it is empty.
    void answerFor(int milliseconds, const QByteArray& page = {})
    {
        QElapsedTimer clock;
        clock.start();
        std::vector<pollfd> polls;
        for (const Child& child : m_children)
            polls.push_back({child.fd, POLLIN, 0});
        qint64 nextReport = 0;
        int reported = 0;
        while (clock.elapsed() < milliseconds && !m_stop) {
            // Reports spread over the 3 s, one child after the other.
            if (!page.isEmpty() && clock.elapsed() >= nextReport) {
                const Child& child = m_children[std::size_t(reported++) % m_children.size()];
                send(child, showingDatagram(child.number, page));
                nextReport = reported * 3000 / qint64(m_children.size());
            }
            if (::poll(polls.data(), polls.size(), 10) <= 0)
                continue;
            for (std::size_t at = 0; at < polls.size(); ++at) {
                if (polls[at].revents & POLLIN)
                    answer(m_children[at]);
            }
        }
    }
    void startThread()
    {
        m_thread = std::thread([this] { answerFor(24 * 3600 * 1000); });
    }
    void stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    int answered() const { return m_answered; }

private:
    struct Child {
        int number;
        int fd;
    };
    void send(const Child& child, const QByteArray& datagram)
    {
        ::sendto(child.fd, datagram.constData(), size_t(datagram.size()), 0,
                 reinterpret_cast<const sockaddr*>(&m_master), sizeof m_master);
    }
    void answer(const Child& child)
    {
        char buffer[2048];
        ssize_t size;
        while ((size = ::recv(child.fd, buffer, sizeof buffer, 0)) >= 0) {
            const std::optional<ClassroomCommand> command = classroomCommandOf(QByteArrayView(buffer, size));
            if (command && command->kind == ClassroomCommand::Kind::Picture) {
                send(child, pictureDatagram({child.number, command->token, false, m_picture}));
                ++m_answered;
            }
        }
    }

    const QByteArray m_picture;
    sockaddr_in m_master{};
    std::vector<Child> m_children;
    std::thread m_thread;
    std::atomic<bool> m_stop = false;
    std::atomic<int> m_answered = 0;
};

// --presenter FOLDER: the presenter program as main() makes it, in the class folder, its class view
// opened and closed by the lines "open" and "close" on standard input.
int runPresenter(const QString& folder)
{
    QDir::setCurrent(folder);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    int argc = 1;
    char name[] = "bench_classview";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    master::PresenterOptions options;
    options.createBrowser = [] { return std::make_unique<master::WebBrowser>(); };
    master::Presenter presenter(std::move(options));
    master::PresenterWindows windows(presenter);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char line[64] = {};
        const ssize_t size = ::read(STDIN_FILENO, line, sizeof line - 1);
        if (size <= 0)
            QCoreApplication::exit(0);
        else if (QByteArray(line).startsWith("open"))
            windows.classView().open();
        else if (windows.classView().window())
            windows.classView().window()->close();
    });
    QObject::connect(&presenter, &master::Presenter::ended, &app, [] { QCoreApplication::exit(0); });
    presenter.run();
    return 0;
}

struct Usage {
    double percent = 0;
    qint64 rssKiB = 0;
};

// The first part; false when the presenter did not start or the children were not asked as due.
bool measureUse(int seconds)
{
    QTemporaryDir folder;
    auto listener = std::make_unique<LoopbackChildren>();
    const std::uint16_t childPort = listener->bindFreePort();
    const std::uint16_t masterPort = freeUdpPort();
    const QByteArray page = writeClassFolder(folder.path(), kChildren, childPort, masterPort);
    QProcess presenter;
    presenter.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    presenter.setStandardOutputFile(QProcess::nullDevice());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"TMPDIR"_s, folder.path());
    presenter.setProcessEnvironment(environment);
    presenter.start(QCoreApplication::applicationFilePath(), {u"--presenter"_s, folder.path()});
    if (!presenter.waitForStarted() || waitForPage(*listener, page, kChildren) == 0) {
        std::fprintf(stderr, "the presenter did not send its first page to 30 children\n");
        return false;
    }
    // The children's own sockets take the child port on each address from here on.
    listener.reset();
    QThread::sleep(2);
    AnsweringChildren children(1, kChildren, childPort, masterPort);
    children.sayHello();
    const qint64 pid = presenter.processId();
    const auto phase = [&](int milliseconds) {
        const std::int64_t startNs = nowNs();
        const qint64 cpuBefore = processCpuNs(pid);
        children.answerFor(milliseconds, page);
        return Usage{double(processCpuNs(pid) - cpuBefore) / double(nowNs() - startNs) * 100.0,
                     procKiB(pid, "status", "VmRSS:")};
    };
    const Usage closed = phase(seconds * 1000);
    const int answeredClosed = children.answered();
    presenter.write("open\n");
    presenter.waitForBytesWritten(1000); // this thread runs no event loop that would write it
    const Usage firstHalf = phase(seconds * 500);
    const Usage open = phase(seconds * 500);
    const int answeredOpen = children.answered() - answeredClosed;
    presenter.write("close\n");
    presenter.waitForBytesWritten(1000);
    const Usage closedAgain = phase(3500);
    const int answeredAfter = children.answered() - answeredClosed - answeredOpen;
    presenter.closeWriteChannel();
    presenter.terminate();
    presenter.waitForFinished(10000);

    std::printf("presenter with 30 children reporting every 3 s, %d s a phase:\n", seconds);
    std::printf("  view closed: %.2f %% of a core, %lld KiB resident, %d pictures asked\n", closed.percent,
                static_cast<long long>(closed.rssKiB), answeredClosed);
    std::printf("  view open, every child answering: %.2f %% of a core (first half %.2f %%), %lld KiB resident "
                "(%lld KiB after half the time), %d pictures answered (due about %d)\n",
                (firstHalf.percent + open.percent) / 2, firstHalf.percent, static_cast<long long>(open.rssKiB),
                static_cast<long long>(firstHalf.rssKiB), answeredOpen, kChildren * seconds / 3);
    std::printf("  closed again: %.2f %% of a core, %d pictures asked after the close (at most the ones on their "
                "way)\n",
                closedAgain.percent, answeredAfter);
    printGoal("presenter CPU with the class view open and 30 children answering",
              (firstHalf.percent + open.percent) / 2, 5.0, " %");
    printGoal("presenter memory growth in the second half of the open view",
              double(open.rssKiB - firstHalf.rssKiB) / 1024.0, 2.0, " MiB");
    const bool asDue = answeredClosed == 0 && answeredOpen >= kChildren * seconds / 3 * 9 / 10 &&
                       answeredOpen <= kChildren * (seconds / 3 + 1) && answeredAfter <= 2;
    if (!asDue)
        std::fprintf(stderr, "the children were not asked for pictures as due\n");
    return asDue;
}

// The second part: the presenter in this process with its windows, 3 real children and 27 plain
// answering ones.
bool measurePageChanges(int changesPerBlock)
{
    PresenterWindowsFixture fixture;
    fixture.childPort = freeUdpPort();
    QList<SlotLine> slotLines;
    for (int number = 1; number <= kChildren; ++number)
        slotLines.append({number, u"1"_s, u"127.0.0.%1"_s.arg(number + 1), u"WindowScreen"_s});
    fixture.writeUrlList(kPages);
    fixture.writeSettings(slotLines);
    std::vector<std::unique_ptr<ChildProcess>> real;
    for (int number = 1; number <= 3; ++number) {
        real.push_back(std::make_unique<ChildProcess>());
        if (!real.back()->startOnLoopback(number, fixture.childPort, fixture.masterPort,
                                          kLocalFolders + QStringList{u"--window"_s})) {
            std::fprintf(stderr, "child %d did not start\n", number);
            return false;
        }
    }
    AnsweringChildren plain(4, kChildren, fixture.childPort, fixture.masterPort);
    master::Presenter& presenter = fixture.makeWithWebBrowser();
    const auto allLoaded = [&](const std::vector<qsizetype>& marks, const QString& page, qint64& slowest) {
        slowest = 0;
        for (std::size_t at = 0; at < real.size(); ++at) {
            const qint64 loaded = eventAt(real[at]->timedEvents(), marks[at], u"loaded"_s, page);
            if (loaded == 0)
                return false;
            slowest = std::max(slowest, loaded);
        }
        return true;
    };
    qint64 slowest = 0;
    if (!presenter.startUp() || !fixture.runLoop(nullptr, [&] { return allLoaded({0, 0, 0}, kPages[0], slowest); })) {
        std::fprintf(stderr, "the class did not start\n");
        return false;
    }
    plain.sayHello();
    plain.startThread();
    fixture.runFor(nullptr, 3500); // every child has reported

    QList<double> open;
    QList<double> closed;
    int change = 0;
    for (const bool viewOpen : {false, true, true, false}) {
        if (viewOpen)
            fixture.windows().classView().open();
        else if (fixture.windows().classView().window())
            fixture.windows().classView().window()->close();
        fixture.runFor(nullptr, 1000);
        for (int at = 0; at < changesPerBlock; ++at, ++change) {
            const QString& page = kPages[(change + 1) % 2];
            QPushButton* button = page == kPages[1] ? fixture.bar().nextButton() : fixture.bar().previousButton();
            std::vector<qsizetype> marks;
            for (const auto& child : real)
                marks.push_back(child->mark());
            qint64 clicked = 0;
            if (!fixture.runLoop(
                    [&] {
                        clicked = nowMicros();
                        button->click();
                    },
                    [&] { return allLoaded(marks, page, slowest); }, 30000)) {
                std::fprintf(stderr, "a page change did not reach every child\n");
                return false;
            }
            (viewOpen ? open : closed).append(double(slowest - clicked) / 1000);
            fixture.runFor(nullptr, 300);
        }
    }
    const int answered = plain.answered();
    plain.stop();
    const double openMedian = medianOfAll(open, 2 * changesPerBlock, "page changes with the view open");
    const double closedMedian = medianOfAll(closed, 2 * changesPerBlock, "page changes with the view closed");
    std::printf("page change from >> to the slowest of 3 real children's loaded page (27 more answering "
                "pictures, %d answered): view closed %.1f ms, open %.1f ms (medians of %d each)\n",
                answered, closedMedian, openMedian, 2 * changesPerBlock);
    printGoal("page change with the class view open against closed", openMedian / closedMedian, 1.05, "x");
    return answered > 0;
}
} // namespace

int main(int argc, char* argv[])
{
    if (argc > 2 && QByteArray(argv[1]) == "--presenter")
        return runPresenter(QString::fromLocal8Bit(argv[2]));
    prepareBrowserBench();
    QApplication app(argc, argv);
    quietOffscreenWarnings();
    const int seconds = argc > 1 && std::atoi(argv[1]) >= 6 ? std::atoi(argv[1]) : 20;
    const int changes = argc > 2 && std::atoi(argv[2]) > 0 ? std::atoi(argv[2]) : 10;
    const bool used = measureUse(seconds);
    const bool changed = measurePageChanges(changes);
    return used && changed ? 0 : 1;
}
