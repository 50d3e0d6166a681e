// Children catching up with a lesson, with the real presenter (its Qt WebEngine browser, its bar,
// its follow loop) and real child programs on loopback. Each round starts two children at once:
//
// - A late child (slot 01, in use): from its start to the current page loaded, by the presenter's
//   answer to its Hello; against a child of a slot switched off (02, which the presenter leaves
//   alone) that this bench sends the same page as soon as it listens. Goal: the ratio of the
//   medians at most 1.2.
// - The late child runs with the test switch that loses the next page it is sent. The bar's >> or
//   << then sends a page it loses: from the moment it lost the page to that page loaded, after the
//   presenter has sent it again. Goal: median at most 4.5 s.
//
//
// With --keys the presenter holds the teacher's key and both children its public key: the late
// child is caught up with datagrams signed for its Hello, and the bench signs the page it sends the
// other child for that child's Hello, as the presenter would. The goals are the same.
//
//     bench_catchup [rounds, default 8] [--keys]
#include "bench/childevents.h"
#include "common/datagrams.h"
#include "common/signeddatagram.h"
#include "common/teacherkey.h"
#include "master/presenter.h"
#include "master/webbrowser.h"
#include "tests/support/childprocess.h"
#include "tests/support/presenterwindowsfixture.h"

#include <QApplication>
#include <QPushButton>

#include <csignal>
#include <memory>
#include <optional>

using namespace Qt::StringLiterals;
using namespace qh;
using namespace qh::bench;
using namespace qh::test;

int main(int argc, char* argv[])
{
    prepareBrowserBench();
    QApplication app(argc, argv);
    quietOffscreenWarnings();
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    const bool keys = arguments.contains(u"--keys"_s);
    const int rounds = !arguments.isEmpty() && arguments.first().toInt() > 0 ? arguments.first().toInt() : 8;

    PresenterWindowsFixture fixture;
    QStringList childOptions = kLocalFolders;
    std::optional<TeacherSigningKey> key;
    if (keys) {
        if (writeTeacherKeyPair(fixture.folder.path()).status != KeyPairWrite::Status::Written) {
            std::fprintf(stderr, "the teacher's key could not be made\n");
            return 1;
        }
        key = readSigningKeyFile(fixture.folder.path(kTeacherKeyFileName)).key;
        childOptions += {u"--teacher-key"_s, fixture.folder.path(kTeacherPublicKeyFileName)};
    }
    fixture.childPort = freeUdpPort();
    const quint16 port = fixture.childPort;
    fixture.writeUrlList(kPages);
    fixture.writeSettings(
        {{1, u"1"_s, u"127.0.0.2"_s, u"WindowScreen"_s}, {2, u"0"_s, u"127.0.0.3"_s, u"WindowScreen"_s}});
    if (!fixture.makeWithWebBrowser().startUp()) {
        std::fprintf(stderr, "the presenter did not start\n");
        return 1;
    }

    // The sent child's teacher is this bench, on a master port of its own: the presenter holds its own.
    LoopbackChildren benchMaster;
    const quint16 benchMasterPort = benchMaster.bindFreePort();
    QList<double> lateMs;
    QList<double> sentMs;
    QList<double> healMs;
    int shown = 0; // the entry the presenter shows
    for (int round = 0; round < rounds; ++round) {
        ChildProcess late;
        ChildProcess sent;
        qputenv("QH_CHILD_LOSE_PAGE", "2"); // the first page is the catch-up's
        const qint64 lateStart = nowNs() / 1000;
        late.launchOnLoopback(1, port, fixture.masterPort, childOptions);
        qunsetenv("QH_CHILD_LOSE_PAGE");
        const qint64 sentStart = nowNs() / 1000;
        benchMaster.take();
        sent.launchOnLoopback(2, port, benchMasterPort, childOptions);
        bool pageSent = false;
        const QString current = kPages[shown];
        // As soon as it listens (and with keys, has said Hello): the page, as the presenter sends it.
        const auto sendPage = [&] {
            QList<QByteArray> datagrams{"Command:VisibleTrue", current.toUtf8()};
            if (key) {
                std::optional<ChildReport> hello;
                for (const Arrival& arrival : benchMaster.take())
                    hello = hello ? hello : childReportOf(arrival.payload);
                if (!hello)
                    return false;
                SignedHeader answer{randomBytes(kRunIdBytes), 1, {0, 2, hello->challenge}};
                for (QByteArray& datagram : datagrams) {
                    datagram = signedDatagram(*key, answer, datagram).value_or(QByteArray());
                    ++answer.sequence;
                }
            }
            for (const QByteArray& datagram : datagrams)
                benchMaster.sendFrom("127.0.0.1", "127.0.0.3", port, datagram);
            return true;
        };
        if (!fixture.runLoop(
                nullptr,
                [&] {
                    if (!pageSent && sent.events().contains(u"ready %1"_s.arg(port)))
                        pageSent = sendPage();
                    return eventAt(late.timedEvents(), 0, u"loaded"_s, current) &&
                           eventAt(sent.timedEvents(), 0, u"loaded"_s, current);
                },
                60000)) {
            std::fprintf(stderr, "round %d: the children did not show the current page\n", round + 1);
            return 1;
        }
        lateMs.append(double(eventAt(late.timedEvents(), 0, u"loaded"_s, current) - lateStart) / 1000);
        sentMs.append(double(eventAt(sent.timedEvents(), 0, u"loaded"_s, current) - sentStart) / 1000);

        shown = 1 - shown;
        const QString next = kPages[shown];
        QPushButton* button = shown == 1 ? fixture.bar().nextButton() : fixture.bar().previousButton();
        if (!fixture.runLoop([button] { button->click(); },
                             [&] { return eventAt(late.timedEvents(), 0, u"loaded"_s, next) != 0; }, 60000) ||
            eventAt(late.timedEvents(), 0, u"lost"_s, next) == 0) {
            std::fprintf(stderr, "round %d: the lost page was not healed\n", round + 1);
            return 1;
        }
        healMs.append(double(eventAt(late.timedEvents(), 0, u"loaded"_s, next) -
                             eventAt(late.timedEvents(), 0, u"lost"_s, next)) /
                      1000);
    }
    fixture.presenter->end();

    const double late = median(lateMs);
    const double sent = median(sentMs);
    const char* withKeys = keys ? " (signed with the teacher's key)" : "";
    std::printf("a child started during the lesson%s, median of %d: %.0f ms from its start to the current page "
                "loaded; a child sent the page as soon as it listens: %.0f ms; ratio %.2f (goal: at most 1.2)\n",
                withKeys, rounds, late, sent, late / sent);
    std::printf("a lost page healed%s, median of %d: %.0f ms from the loss to the page loaded (goal: at most 4500 "
                "ms)\n",
                withKeys, rounds, median(healMs));
    printGoal(keys ? "late child caught up with keys against one sent the page at once"
                   : "late child caught up against one sent the page at once",
              late / sent, 1.2, "x");
    printGoal(keys ? "lost page healed with keys" : "lost page healed", median(healMs), 4500, " ms");
    return 0;
}
