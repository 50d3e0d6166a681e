// A burst of calls against the running presenter: 10 000 well-formed calls and 10 000 malformed
// datagrams, interleaved, sent from another thread as fast as a loopback socket takes them to the
// presenter's master port, where its socket hands each datagram read to the call reception. The
// presenter runs on an empty URL list, so its real browser shows a blank page.
//
// Reports: calls listed against calls sent (a loss can only come from the receiving socket's
// buffer), the longest stretch in which the user-interface thread handled no other event, the
// user-interface thread's CPU time per datagram, and whether one more call sent after the burst is
// listed. It never waits for ever: when nothing arrives for a few seconds it stops, prints what it
// has and exits non-zero, as it does when a call read is not listed or the lone call is missing.
//
//     bench_calls [--paced] [calls per kind, default 10000]
//     bench_calls --flood [calls, default 1000000]
//
// --paced keeps at most 100 datagrams in flight, so that none is lost and the figures show the
// steady cost of a long run of calls rather than the first moments of a burst. --flood sends only
// well-formed calls, paced, and reports the presenter's memory before and after them, and whether
// End still ends the presenter.

#include "common/cp932text.h"
#include "common/settingsfile.h"
#include "master/callentry.h"
#include "master/callreception.h"
#include "master/callwindow.h"
#include "master/presenter.h"
#include "master/presenterbar.h"
#include "master/presenterwindows.h"
#include "master/webbrowser.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QUdpSocket>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// The memory the process holds now.
qint64 residentKiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    return statm.readAll().split(' ').value(1).toLongLong() * ::sysconf(_SC_PAGESIZE) / 1024;
}

std::vector<QByteArray> calls(int count)
{
    std::vector<QByteArray> datagrams;
    datagrams.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i)
        datagrams.push_back(QByteArray::number(i % 30 + 1).rightJustified(2, '0') + "Call");
    return datagrams;
}

std::vector<QByteArray> burst(int perKind)
{
    const QByteArray malformed[] = {"31Call",
                                    "99Call",
                                    "07call",
                                    "7Call",
                                    "07Call\r\n",
                                    "07",
                                    "",
                                    "0",
                                    "Call",
                                    "07CallX",
                                    "\x81\x40\x81"
                                    "Call"};
    std::vector<QByteArray> datagrams;
    datagrams.reserve(std::size_t(perKind) * 2);
    for (int i = 0; i < perKind; ++i) {
        datagrams.push_back(QByteArray::number(i % 30 + 1).rightJustified(2, '0') + "Call");
        datagrams.push_back(malformed[i % std::size(malformed)]);
    }
    return datagrams;
}

// The offscreen platform warns at every raise of the call window.
void dropOffscreenWarnings(QtMsgType, const QMessageLogContext&, const QString& message)
{
    if (!message.startsWith(u"This plugin does not support "_s))
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(dropOffscreenWarnings);
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments().mid(1);
    const bool flood = arguments.contains(u"--flood"_s);
    const bool paced = flood || arguments.contains(u"--paced"_s);
    int perKind = flood ? 1000000 : 10000;
    for (const QString& argument : arguments) {
        if (argument.toInt() > 0)
            perKind = argument.toInt();
    }
    constexpr int kInFlight = 100;
    // Nothing arriving for this long while datagrams are still due: the presenter stopped reading.
    constexpr qint64 kStallMs = 3000;

    // The presenter's working folder: an empty URL list and a configuration with no child in use.
    QTemporaryDir folder;
    const quint16 port = quint16(20000 + QCoreApplication::applicationPid() % 10000);
    QFile settings(folder.filePath(u"Quillharbour_Master.ini"_s));
    QFile urlList(folder.filePath(u"weblist.txt"_s));
    if (!settings.open(QIODevice::WriteOnly) || !urlList.open(QIODevice::WriteOnly))
        return 1;
    settings.write(qh::cp932::writeLines({qh::kChildPortKey + u"5001"_s, qh::kMasterPortKey + QString::number(port),
                                          qh::kScreenModeKey + qh::kWindowScreenMode}));
    settings.close();
    urlList.close();
    QDir::setCurrent(folder.path());

    qh::master::PresenterOptions options;
    options.lockFilePath = folder.filePath(u"lock"_s);
    options.createBrowser = [] { return std::make_unique<qh::master::WebBrowser>(); };
    qh::master::Presenter presenter(std::move(options));

    int received = 0;
    std::atomic<int> handled{0};
    int callsReceived = 0; // well-formed calls among the datagrams read
    qint64 longestHandlingNs = 0;
    double handlerCpu = 0;
    QElapsedTimer lastArrival;
    QElapsedTimer handling;
    double cpuBefore = 0;
    // The call reception's handling of each datagram lies between these two: a signal calls its
    // receivers in the order they were connected.
    QObject::connect(&presenter, &qh::master::Presenter::datagramReceived, &app, [&](const QByteArray& datagram) {
        handling.start();
        cpuBefore = threadCpuSeconds();
        ++received;
        callsReceived += datagram.endsWith("Call") && datagram.size() == 6 && datagram.left(2).toInt() >= 1 &&
                         datagram.left(2).toInt() <= 30;
    });
    qh::master::PresenterWindows windows(presenter);
    qh::master::CallReception& reception = windows.calls();
    QObject::connect(&presenter, &qh::master::Presenter::datagramReceived, &app, [&] {
        handlerCpu += threadCpuSeconds() - cpuBefore;
        handled = received;
        longestHandlingNs = std::max(longestHandlingNs, handling.nsecsElapsed());
        lastArrival.start();
    });
    if (!presenter.startUp()) {
        std::fprintf(stderr, "the presenter did not start (master port %d)\n", port);
        return 1;
    }

    // The user interface's heartbeat: the longest gap between two ticks is the longest time in
    // which a click would have waited.
    qint64 longestGapNs = 0;
    QElapsedTimer sinceTick;
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    heartbeat.setInterval(1);
    QObject::connect(&heartbeat, &QTimer::timeout, &reception, [&] {
        longestGapNs = std::max(longestGapNs, sinceTick.nsecsElapsed());
        sinceTick.start();
    });

    const std::vector<QByteArray> datagrams = flood ? calls(perKind) : burst(perKind);
    const qint64 residentAtStart = residentKiB();
    std::atomic<bool> sent{false};
    std::atomic<bool> stopSending{false};
    std::atomic<qint64> sendNs{0};
    int sendFailures = 0;
    std::thread sender([&] {
        const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        QElapsedTimer sending;
        sending.start();
        int index = 0;
        for (const QByteArray& datagram : datagrams) {
            // Paced: wait for the receiver; a stall (nothing arrives any more) stops the sender.
            while (paced && index - handled >= kInFlight && !stopSending)
                std::this_thread::sleep_for(std::chrono::microseconds(50));
            if (stopSending)
                break;
            ++index;
            if (::sendto(fd, datagram.constData(), std::size_t(datagram.size()), 0, reinterpret_cast<sockaddr*>(&to),
                         sizeof to) != datagram.size())
                ++sendFailures;
        }
        sendNs = sending.nsecsElapsed();
        ::close(fd);
        sent = true;
    });

    const auto sendOne = [port](const QByteArray& datagram) {
        const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::sendto(fd, datagram.constData(), std::size_t(datagram.size()), 0, reinterpret_cast<sockaddr*>(&to),
                 sizeof to);
        ::close(fd);
    };
    auto* masterSocket = presenter.findChild<QUdpSocket*>(u"Winsock1"_s);
    const int receiveBuffer =
        masterSocket ? masterSocket->socketOption(QAbstractSocket::ReceiveBufferSizeSocketOption).toInt() : 0;

    const double cpuStart = threadCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    sinceTick.start();
    lastArrival.start();
    heartbeat.start();
    // The burst ends once the sender is done and nothing has arrived for half a second; the list is
    // counted then. One more call follows, which must be listed within the stall time. The call
    // window is closed (and so emptied) only when the bench quits.
    enum class Phase { Burst, LoneCall } phase = Phase::Burst;
    int burstReceived = 0;
    int burstCalls = 0;
    int listed = 0;
    int callCount = 0;
    qint64 residentAfterFlood = 0;
    bool stalled = false;
    bool loneCallListed = false;
    QElapsedTimer loneCallWait;
    QTimer finish;
    finish.setInterval(50);
    QObject::connect(&finish, &QTimer::timeout, &app, [&] {
        if (phase == Phase::Burst) {
            if (lastArrival.elapsed() > kStallMs && !sent) {
                stalled = true; // the sender still had datagrams to give, and none arrived
                stopSending = true;
            } else if (!sent || lastArrival.elapsed() <= 500) {
                return;
            }
            listed = reception.window() ? reception.window()->callList()->count() : 0;
            callCount = reception.callCount();
            residentAfterFlood = residentKiB();
            burstReceived = received;
            burstCalls = callsReceived;
            if (stalled) {
                presenter.stopFollowing();
                return;
            }
            phase = Phase::LoneCall;
            loneCallWait.start();
            sendOne("17Call");
            return;
        }
        loneCallListed = reception.callCount() == callCount + 1;
        if (loneCallListed || loneCallWait.elapsed() > kStallMs)
            presenter.stopFollowing();
    });
    finish.start();
    presenter.followBrowser();
    stopSending = true;
    sender.join();
    const double cpuTotal = threadCpuSeconds() - cpuStart;

    // End, clicked as the teacher would after the flood: the presenter ends.
    QElapsedTimer ending;
    ending.start();
    QTimer::singleShot(0, &windows.bar(), [&windows] { windows.bar().endButton()->click(); });
    QTimer::singleShot(15000, &app, [&presenter] { presenter.stopFollowing(); });
    presenter.followBrowser();
    const qint64 endMs = ending.elapsed();

    const int total = int(datagrams.size());
    const int wellFormed = perKind;
    std::printf("mode:                       %s\n", flood   ? "flood of calls (paced, 100 in flight at most)"
                                                    : paced ? "paced (100 datagrams in flight at most)"
                                                            : "burst (as fast as the socket takes them)");
    std::printf("datagrams sent:             %d (%d well-formed calls, %d malformed), send failures %d, "
                "sent in %.1f ms\n",
                total, wellFormed, total - wellFormed, sendFailures, double(sendNs.load()) / 1e6);
    std::printf("receive buffer:             %d bytes granted for the master port\n", receiveBuffer);
    std::printf("datagrams received:         %d (%d lost in the receiving socket's buffer)\n", burstReceived,
                total - burstReceived);
    const int keptCalls = std::min(burstCalls, qh::master::kCallListLimit);
    std::printf("calls listed:               %d (the newest %d of %d read; %d sent), CallCount %d\n", listed, keptCalls,
                burstCalls, perKind, callCount);
    std::printf("memory (resident):          %lld KiB at the start, %lld KiB after the calls (%+lld KiB)\n",
                static_cast<long long>(residentAtStart), static_cast<long long>(residentAfterFlood),
                static_cast<long long>(residentAfterFlood - residentAtStart));
    std::printf("End after the calls:        %s\n", presenter.hasEnded()
                                                        ? qPrintable(u"ended the presenter in %1 ms"_s.arg(endMs))
                                                        : "did not end the presenter within 15 s");
    std::printf("longest single arrival:     %.3f ms\n", double(longestHandlingNs) / 1e6);
    std::printf("longest UI gap (1 ms tick): %.3f ms\n", double(longestGapNs) / 1e6);
    std::printf("UI-thread CPU per datagram: %.2f us in the arrival handler, %.2f us overall "
                "(%.1f ms in all, the heartbeat's ticks included)\n",
                received ? handlerCpu / received * 1e6 : 0.0, received ? cpuTotal / received * 1e6 : 0.0,
                cpuTotal * 1e3);
    if (stalled)
        std::printf("stalled:                    nothing arrived for %lld ms while datagrams were due\n",
                    static_cast<long long>(kStallMs));
    std::printf("lone call after the burst listed: %s\n", loneCallListed ? "yes" : "no");
    // The newest calls read are listed, and nothing else; the count goes on with its two digits; the
    // lone call is listed too, and End ends the presenter.
    return !stalled && loneCallListed && listed == keptCalls && callCount % 100 == burstCalls % 100 &&
                   presenter.hasEnded()
               ? 0
               : 1;
}
