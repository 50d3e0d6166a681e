// Fan-out: the time from the end of a page load to the arrival of the 30th child's datagram, with
// 30 children in use on loopback, against a bare loop of the same 30 sendto calls. Then, in the same
// run, the fan-out once all 30 children have asked for datagrams signed with the teacher's key (one
// signature for the 30; each child gets the plain copy as well, after all the signed ones), against
// the plain fan-out before.
#include "bench/benchutil.h"
#include "bench/timedbrowser.h"
#include "common/datagrams.h"
#include "common/signeddatagram.h"
#include "common/teacherkey.h"
#include "master/presenter.h"
#include "master/presenterwindows.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace qh::bench;
using namespace qh::master;

namespace {
constexpr int kChildren = 30;
constexpr int kPageChanges = 200;

double bareLoopMicroseconds(std::uint16_t childPort, LoopbackChildren& children, const QByteArray& payload)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in addresses[kChildren];
    for (int i = 0; i < kChildren; ++i) {
        addresses[i] = sockaddr_in{};
        addresses[i].sin_family = AF_INET;
        addresses[i].sin_port = htons(childPort);
        addresses[i].sin_addr.s_addr = htonl((127u << 24) | std::uint32_t(i + 2));
    }
    QList<double> times;
    for (int round = 0; round < kPageChanges; ++round) {
        const std::int64_t start = nowNs();
        for (const sockaddr_in& address : addresses)
            ::sendto(fd, payload.constData(), size_t(payload.size()), 0, reinterpret_cast<const sockaddr*>(&address),
                     sizeof address);
        const QList<Arrival> arrivals = arrivalsOf(children, kChildren);
        if (arrivals.size() == kChildren)
            times.append(double(arrivals.last().atNs - start) / 1000.0);
    }
    ::close(fd);
    return medianOfAll(times, kPageChanges, "sendto loop");
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QTemporaryDir folder;
    LoopbackChildren children;
    const std::uint16_t childPort = children.bindFreePort();
    const std::uint16_t masterPort = qh::test::freeUdpPort();
    QStringList pages;
    for (int i = 0; i < 2; ++i) {
        const QString path = folder.filePath(u"page%1.html"_s.arg(i));
        qh::test::writeAll(path, "<html><body><h1>page " + QByteArray::number(i) + "</h1></body></html>");
        pages.append(QUrl::fromLocalFile(path).toString());
    }
    qh::test::writeAll(folder.filePath(u"weblist.txt"_s), (pages.join(u"\r\n"_s) + u"\r\n"_s).toUtf8());
    qh::test::writeAll(folder.filePath(u"Quillharbour_Master.ini"_s), settingsFor(kChildren, childPort, masterPort));
    // The presenter signs only for children that ask: until they do, its fan-out is the plain one.
    if (qh::writeTeacherKeyPair(folder.path()).status != qh::KeyPairWrite::Status::Written) {
        std::fprintf(stderr, "the teacher's key could not be made\n");
        return 1;
    }
    QDir::setCurrent(folder.path());

    TimedBrowser* browser = nullptr;
    PresenterOptions options;
    options.lockFilePath = folder.filePath(u"lock"_s);
    options.createBrowser = [&browser] {
        auto made = std::make_unique<TimedBrowser>();
        browser = made.get();
        return made;
    };
    Presenter presenter(std::move(options));
    // The bar shows each page number before the children are sent the page, as in the program.
    PresenterWindows windows(presenter);
    if (!presenter.startUp()) {
        std::fprintf(stderr, "the presenter did not start\n");
        return 1;
    }
    children.take();

    QList<double> presenterTimes;
    QList<double> firstArrivals;
    for (int change = 0; change < kPageChanges; ++change) {
        browser->loads.clear();
        presenter.showPage(pages[change % 2], std::int16_t(change % 2));
        const QList<Arrival> arrivals = arrivalsOf(children, kChildren);
        const std::int64_t loadEndNs = browser->loads.value(0).endNs;
        if (arrivals.size() == kChildren && arrivals.last().to == "127.0.0.31" && loadEndNs != 0) {
            presenterTimes.append(double(arrivals.last().atNs - loadEndNs) / 1000.0);
            firstArrivals.append(double(arrivals.first().atNs - loadEndNs) / 1000.0);
        }
    }
    const double presenterMedian = medianOfAll(presenterTimes, kPageChanges, "fan-out");

    // Every child asks for signed datagrams from its own address, and is caught up signed.
    for (int child = 1; child <= kChildren; ++child) {
        const QByteArray address = "127.0.0." + QByteArray::number(child + 1);
        qh::test::sendDatagramFrom(address.constData(), "127.0.0.1", masterPort,
                                   qh::helloDatagram(child, qh::randomBytes(qh::kHelloChallengeBytes)));
    }
    QList<Arrival> catchUps;
    QElapsedTimer waited;
    waited.start();
    // VisibleTrue, the screen mode and the page, each signed and then plain.
    while (catchUps.size() < 6 * kChildren && waited.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        catchUps += children.take();
    }
    if (catchUps.size() != 6 * kChildren || !qh::isSignedDatagram(catchUps.at(catchUps.size() - 2).payload)) {
        std::fprintf(stderr, "the children were not caught up signed\n");
        return 1;
    }
    QList<double> signedTimes;
    QList<double> signTimes;
    const qh::TeacherSigningKey key = *qh::readSigningKeyFile(qh::kTeacherKeyFileName).key;
    for (int change = 0; change < kPageChanges; ++change) {
        browser->loads.clear();
        presenter.showPage(pages[change % 2], std::int16_t(change % 2));
        // Every signed datagram goes out before the plain copies, which follow to the same 30.
        const QList<Arrival> arrivals = arrivalsOf(children, 2 * kChildren);
        const std::int64_t loadEndNs = browser->loads.value(0).endNs;
        const Arrival& lastSigned = arrivals.value(kChildren - 1);
        if (arrivals.size() == 2 * kChildren && lastSigned.to == "127.0.0.31" && loadEndNs != 0 &&
            qh::isSignedDatagram(lastSigned.payload) && !qh::isSignedDatagram(arrivals.value(kChildren).payload))
            signedTimes.append(double(lastSigned.atNs - loadEndNs) / 1000.0);
        const std::int64_t signStart = nowNs();
        key.sign(arrivals.value(0).payload);
        signTimes.append(double(nowNs() - signStart) / 1000.0);
    }
    const double signedMedian = medianOfAll(signedTimes, kPageChanges, "signed fan-out");

    // The same bare loop right after each of as many page loads, when the browser's processes
    // compete for the processor just as they do when the presenter sends.
    QList<double> bareAfterLoad;
    {
        const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        for (int change = 0; change < kPageChanges; ++change) {
            browser->loads.clear();
            browser->navigate(pages[change % 2]);
            while (browser->isBusy())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            const std::int64_t start = browser->loads.value(0).endNs;
            const QByteArray payload = pages[change % 2].toUtf8();
            for (int i = 0; i < kChildren; ++i) {
                sockaddr_in address{};
                address.sin_family = AF_INET;
                address.sin_port = htons(childPort);
                address.sin_addr.s_addr = htonl((127u << 24) | std::uint32_t(i + 2));
                ::sendto(fd, payload.constData(), size_t(payload.size()), 0,
                         reinterpret_cast<const sockaddr*>(&address), sizeof address);
            }
            const QList<Arrival> arrivals = arrivalsOf(children, kChildren);
            if (arrivals.size() == kChildren)
                bareAfterLoad.append(double(arrivals.last().atNs - start) / 1000.0);
        }
        ::close(fd);
    }
    const double bareMedian = bareLoopMicroseconds(childPort, children, pages[0].toUtf8());
    const double bareAfterLoadMedian = medianOfAll(bareAfterLoad, kPageChanges, "sendto loop after a load");
    std::printf("fan-out to %d children, median of %d page changes: %.1f us from load end to the last arrival "
                "(%.1f us to the first)\n",
                kChildren, kPageChanges, presenterMedian, median(firstArrivals));
    std::printf("bare sendto loop of the same %d datagrams, median of %d rounds: %.1f us on a quiet machine, "
                "%.1f us right after a page load\n",
                kChildren, kPageChanges, bareMedian, bareAfterLoadMedian);
    std::printf("ratio: %.2f against the quiet loop, %.2f against the loop after a load\n",
                bareMedian > 0 ? presenterMedian / bareMedian : 0.0,
                bareAfterLoadMedian > 0 ? presenterMedian / bareAfterLoadMedian : 0.0);
    printGoal("fan-out of 30 datagrams against a sendto loop after a load", presenterMedian / bareAfterLoadMedian, 2.0,
              "x");
    std::printf("signed fan-out to %d children that asked, median of %d page changes: %.1f us from load end to the "
                "last arrival, against %.1f us plain (one signature: %.1f us)\n",
                kChildren, kPageChanges, signedMedian, presenterMedian, median(signTimes));
    printGoal("signed fan-out of 30 datagrams against the plain fan-out", signedMedian / presenterMedian, 1.5, "x");
    presenter.end();
    return 0;
}
