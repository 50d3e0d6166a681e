// A compressed school day: the real presenter (its Qt WebEngine browser, its bar, its control panel
// and call window, its follow loop), as a process of its own that this bench drives, and 30
// children in use on loopback: three real child programs on 127.0.0.2 .. .4 and plain sockets for
// the other 27, which say Hello, report the page they have every 3 s and send the calls.
//
// The day: page changes over the pages of daylesson.h (>>, << and Home over the list, and links
// followed in the teacher's pages), the teacher scrolling, a call every 4 page changes (500 in a day
// of 2 000), the control panel opened and closed (also by its close box), the call window closed,
// child 03 killed and started again every 200 page changes, and pages lost on their way (the
// children's test switch QH_CHILD_LOSE_PAGE), which the presenter sends again once the child has
// reported another page.
//
// At pages 100, 500, 1 000 and 2 000 (a twentieth, a quarter, a half and all of the day) it prints,
// for the presenter and each real child with their Qt WebEngine helper processes: memory (the sum
// of their proportional set sizes), open file descriptors, threads (those of Qt WebEngine's worker
// pools apart, see processusage.h), processes; the page change from
// the click to the page loaded (in the presenter: sent to the 30th child), median and 95th
// percentile of the last 100 page changes (a page change in which a child lost the page is counted
// apart, with its repair); the pages a child did not show by the end of their step; and how much it
// wrote to its standard error besides its trace. Then the goals of page 2 000 against page 100.
//
//     bench_day [page changes, default 2000]
//     bench_day --presenter          the presenter this bench drives (in the day's folder)
#include "bench/benchutil.h"
#include "bench/childevents.h"
#include "bench/daylesson.h"
#include "common/datagrams.h"
#include "master/callreception.h"
#include "master/callwindow.h"
#include "master/classview.h"
#include "master/classviewwindow.h"
#include "master/controlpanel.h"
#include "master/panelwindow.h"
#include "master/presenter.h"
#include "master/presenterwindows.h"
#include "master/webbrowser.h"
#include "tests/support/childprocess.h"
#include "tests/support/liveobjects.h"
#include "tests/support/messagecapture.h"
#include "tests/support/pageserver.h"

#include <QApplication>
#include <QFileInfo>
#include <QNetworkDatagram>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QUdpSocket>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <functional>
#include <memory>
#include <vector>

#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace qh;
using namespace qh::bench;
using namespace qh::test;

namespace {
constexpr int kSlots = 30;
constexpr int kRealChildren = 3;
constexpr int kRestartedChild = 3; // the child killed and started again
constexpr int kRestartEvery = 200;
constexpr int kCallEvery = 4;
constexpr int kCallWindowCloseEvery = 100;
constexpr int kWindow = 100;          // the page changes each checkpoint's times are taken over
constexpr int kStepTimeoutMs = 20000; // a page not shown by then is left unshown
constexpr int kSettleMs = 2000;       // before each checkpoint's measures
constexpr int kPollMs = 5;

// ---------------------------------------------------------------------------------------------
// The presenter, as a process of its own: the program's own parts, wired as its main() wires them,
// driven by one command a line on its standard input. Each click it makes is written on its
// standard output first: "clicked <microseconds since 1970> <command>".

class PresenterHost : public QObject
{
public:
    PresenterHost(master::Presenter& presenter, master::PresenterWindows& windows, master::WebBrowser* const& browser)
        : m_presenter(presenter), m_windows(windows), m_browser(browser), m_input(STDIN_FILENO, QSocketNotifier::Read)
    {
        connect(&m_input, &QSocketNotifier::activated, this, &PresenterHost::read);
    }

private:
    void read()
    {
        char buffer[4096];
        const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (count <= 0) { // the bench has gone: so does the lesson
            m_input.setEnabled(false);
            m_presenter.end();
            return;
        }
        m_pending.append(buffer, count);
        for (qsizetype end; (end = m_pending.indexOf('\n')) >= 0; m_pending.remove(0, end + 1))
            run(QString::fromUtf8(m_pending.left(end)));
    }

    void say(const QString& line)
    {
        std::printf("%s\n", line.toUtf8().constData());
        std::fflush(stdout);
    }

    void click(QAbstractButton* button, const QString& command)
    {
        say(u"clicked %1 %2"_s.arg(nowMicros()).arg(command));
        button->click();
    }

    void runScript(const QString& script, const QString& answer = {})
    {
        if (!m_browser)
            return;
        m_browser->view()->page()->runJavaScript(script, [this, answer](const QVariant& result) {
            if (!answer.isEmpty())
                say(answer + u' ' + result.toString());
        });
    }

    void run(const QString& command)
    {
        master::PresenterBar& bar = m_windows.bar();
        if (command == u"next")
            click(bar.nextButton(), command);
        else if (command == u"previous")
            click(bar.previousButton(), command);
        else if (command == u"home")
            click(bar.homeButton(), command);
        else if (command == u"panel")
            click(bar.panelButton(), command);
        else if (command == u"end")
            click(bar.endButton(), command);
        else if (command == u"link") {
            say(u"clicked %1 link"_s.arg(nowMicros()));
            runScript(u"document.getElementById('link').click()"_s);
        } else if (command == u"scroll")
            runScript(u"window.scrollBy(0, 600)"_s);
        else if (command == u"panel-close") {
            if (m_windows.panel().isShown() && m_windows.panel().window())
                m_windows.panel().window()->close();
        } else if (command == u"calls-close") {
            if (m_windows.calls().window())
                m_windows.calls().window()->close();
        } else if (command == u"video")
            runScript(u"(() => { const v = document.querySelector('video'); return v ? v.currentTime : -1; })()"_s,
                      u"video"_s);
        else if (command == u"class-view open") {
            m_windows.classView().open();
            say(u"class-view open"_s);
        } else if (command == u"class-view close") {
            if (QWidget* view = m_windows.classView().window())
                view->close();
            say(u"class-view closed"_s);
        } else if (command == u"objects")
            say(u"objects %1"_s.arg(liveObjectCount()));
        else
            say(u"absent "_s + command); // a part of the day this build does not have yet
    }

    master::Presenter& m_presenter;
    master::PresenterWindows& m_windows;
    master::WebBrowser* const& m_browser;
    QSocketNotifier m_input;
    QByteArray m_pending;
};

int runPresenterHost(int argc, char* argv[])
{
    startCountingObjects();
    prepareBrowserBench();
    QApplication app(argc, argv);
    quietOffscreenWarnings();
    QApplication::setQuitOnLastWindowClosed(false);
    const MessageCapture messages; // nothing may wait on a box
    master::WebBrowser* browser = nullptr;
    master::PresenterOptions options;
    options.urlListFileName = u"weblist.txt"_s;
    options.lockFilePath = QDir::current().filePath(u"presenter.lock"_s);
    options.createBrowser = [&browser] {
        auto made = std::make_unique<master::WebBrowser>();
        browser = made.get();
        return made;
    };
    master::Presenter presenter(std::move(options));
    master::PresenterWindows windows(presenter);
    QObject::connect(&presenter, &master::Presenter::ended, &app, [&browser] { browser = nullptr; });
    PresenterHost host(presenter, windows, browser);
    presenter.run();
    return presenter.hasEnded() ? 0 : 1;
}

// ---------------------------------------------------------------------------------------------
// The bench's side.

// Lines a program writes to a pipe, split into its trace (lines starting with the tag) and the rest.
class ProgramOutput
{
public:
    void take(const QByteArray& bytes, const QByteArray& tag)
    {
        m_pending += bytes;
        for (qsizetype end; (end = m_pending.indexOf('\n')) >= 0; m_pending.remove(0, end + 1)) {
            const QByteArray line = m_pending.left(end);
            const QList<QByteArray> words = line.split(' ');
            if (words.size() >= 3 && words[0] == tag)
                events.append({words[1].toLongLong(), QString::fromUtf8(words[2]),
                               QString::fromUtf8(line.mid(words[0].size() + words[1].size() + words[2].size() + 3))});
            else
                otherBytes += line.size() + 1;
        }
    }

    QList<ChildEvent> events;
    qint64 otherBytes = 0;

private:
    QByteArray m_pending;
};

// The presenter as a process of its own (runPresenterHost()), and what it writes.
class PresenterProcess
{
public:
    explicit PresenterProcess(const QString& folder)
    {
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &m_process,
                         [this] { m_answers.take(m_process.readAllStandardOutput(), {}); });
        QObject::connect(&m_process, &QProcess::readyReadStandardError, &m_process,
                         [this] { m_trace.take(m_process.readAllStandardError(), "qh-presenter"); });
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QH_PRESENTER_TRACE"_s, u"1"_s);
        environment.insert(u"TMPDIR"_s, folder);
        m_process.setProcessEnvironment(environment);
        m_process.setWorkingDirectory(folder);
        m_process.start(QCoreApplication::applicationFilePath(), {u"--presenter"_s});
    }
    ~PresenterProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(10000);
        }
    }
    void send(const QString& command) { m_process.write((command + u'\n').toUtf8()); }
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    bool waitForEnd() { return m_process.waitForFinished(30000) && m_process.exitCode() == 0; }
    qint64 processId() const { return m_process.processId(); }
    const QList<ChildEvent>& trace() const { return m_trace.events; }
    qint64 otherBytes() const { return m_trace.otherBytes; }
    // Its answers, as lines "<word> ..." ("clicked 1700000000000000 next"), split at the first blank.
    const QList<ChildEvent>& answers() const { return m_answers.events; }

private:
    // The answers have no tag: every line is "<word> <rest>", kept with the time it was read.
    class Answers
    {
    public:
        void take(const QByteArray& bytes, const QByteArray&)
        {
            m_pending += bytes;
            for (qsizetype end; (end = m_pending.indexOf('\n')) >= 0; m_pending.remove(0, end + 1)) {
                const QString line = QString::fromUtf8(m_pending.left(end));
                const qsizetype blank = line.indexOf(u' ');
                events.append({nowMicros(), line.left(blank), blank < 0 ? QString() : line.mid(blank + 1)});
            }
        }
        QList<ChildEvent> events;

    private:
        QByteArray m_pending;
    };

    QProcess m_process;
    Answers m_answers;
    ProgramOutput m_trace;
};

// The 27 children that are plain sockets: each says Hello, keeps the last page it was sent and
// reports it every 3 s, as our child program does; and sends the calls it is asked to.
class PlainChildren : public QObject
{
public:
    PlainChildren(int first, quint16 childPort, quint16 masterPort) : m_first(first), m_masterPort(masterPort)
    {
        for (int number = first; number <= kSlots; ++number) {
            auto socket = std::make_unique<QUdpSocket>();
            if (!socket->bind(QHostAddress(QString::fromLatin1(childLoopbackAddress(number))), childPort))
                std::fprintf(stderr, "plain child %d cannot listen\n", number);
            const std::size_t index = m_sockets.size();
            connect(socket.get(), &QUdpSocket::readyRead, this, [this, index] { read(index); });
            m_sockets.push_back(std::move(socket));
            m_pages.append(QByteArray());
        }
        // One report every 3 s from each, spread over the 3 s.
        m_reports.setInterval(3000 / int(m_sockets.size()));
        connect(&m_reports, &QTimer::timeout, this, [this] {
            const std::size_t index = m_nextReport++ % m_sockets.size();
            report(index);
        });
        for (std::size_t index = 0; index < m_sockets.size(); ++index)
            report(index);
        m_reports.start();
    }

    bool allHave(const QByteArray& page) const
    {
        return std::all_of(m_pages.cbegin(), m_pages.cend(), [&](const QByteArray& shown) { return shown == page; });
    }
    int missing(const QByteArray& page) const
    {
        return int(
            std::count_if(m_pages.cbegin(), m_pages.cend(), [&](const QByteArray& shown) { return shown != page; }));
    }
    void call(int callNumber)
    {
        const std::size_t index = std::size_t(callNumber) % m_sockets.size();
        send(index, datagramBytes(callText(m_first + int(index))));
    }

private:
    void read(std::size_t index)
    {
        QUdpSocket& socket = *m_sockets[index];
        while (socket.hasPendingDatagrams()) {
            const QByteArray datagram = socket.receiveDatagram().data();
            if (!datagram.startsWith("Command:"))
                m_pages[qsizetype(index)] = datagram;
        }
    }
    void report(std::size_t index)
    {
        const int number = m_first + int(index);
        const QByteArray& page = m_pages[qsizetype(index)];
        send(index, page.isEmpty() ? helloDatagram(number) : showingDatagram(number, page));
    }
    void send(std::size_t index, const QByteArray& datagram)
    {
        m_sockets[index]->writeDatagram(datagram, QHostAddress::LocalHost, m_masterPort);
    }

    const int m_first;
    const quint16 m_masterPort;
    std::vector<std::unique_ptr<QUdpSocket>> m_sockets;
    QList<QByteArray> m_pages;
    QTimer m_reports;
    std::size_t m_nextReport = 0;
};

using Usage = ProcessUsage;

// One program of the class as the day sees it: what it used at each checkpoint, and its page changes.
struct Program {
    QString name;
    std::vector<Usage> usage;           // at each checkpoint
    QList<double> changeMs;             // from the click to the page shown, page changes without a loss
    std::vector<QList<double>> windows; // the last kWindow of those at each checkpoint
    std::vector<int> unshown;           // pages not shown, since the checkpoint before
    std::vector<qint64> logBytes;       // written to the standard error besides the trace, so far
    int unshownSince = 0;
};

QString loadAverage()
{
    QFile file(u"/proc/loadavg"_s);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).section(u' ', 0, 2) : QString();
}

double percentile(QList<double> values, double share)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype rank = qsizetype(std::ceil(share * double(values.size())));
    return values[std::clamp<qsizetype>(rank - 1, 0, values.size() - 1)];
}

// How the day moves: a step's button (or link), and the entry shown after it (its link's page when
// the step follows the link).
enum class Move { Home, Next, Previous, Link };
struct Step {
    Move move;
    int entry;
};

// 50 steps from the first entry, which the start-up shows, back to it: >> through the whole list
// and << back to entry 13, following the link of every text on the way there and of some on the
// way back, then Home. A window of 100 steps holds two of them.
QList<Step> dayCycle(const DayLesson& lesson)
{
    QList<Step> steps;
    const auto followLink = [&](int entry) {
        if (!lesson.entries[entry].link.isEmpty())
            steps.append({Move::Link, entry});
    };
    followLink(0);
    for (int entry = 1; entry < lesson.entries.size(); ++entry) {
        steps.append({Move::Next, entry});
        followLink(entry);
    }
    for (int entry = int(lesson.entries.size()) - 2; entry >= 13; --entry) {
        steps.append({Move::Previous, entry});
        if (entry == 23 || entry == 20 || entry == 18 || entry == 15)
            followLink(entry);
    }
    steps.append({Move::Home, 0});
    return steps;
}

QString commandOf(Move move)
{
    switch (move) {
    case Move::Home:
        return u"home"_s;
    case Move::Next:
        return u"next"_s;
    case Move::Previous:
        return u"previous"_s;
    case Move::Link:
        return u"link"_s;
    }
    return {};
}

// The first time of "<event> <detail>" since the mark, of either event name; 0 when none.
qint64 shownAt(const QList<ChildEvent>& events, qsizetype mark, const QString& page)
{
    const qint64 loaded = eventAt(events, mark, u"loaded"_s, page);
    const qint64 failed = eventAt(events, mark, u"failed"_s, page);
    return loaded && failed ? std::min(loaded, failed) : std::max(loaded, failed);
}

bool lostSince(const QList<ChildEvent>& events, qsizetype mark)
{
    for (qsizetype i = mark; i < events.size(); ++i) {
        if (events[i].event == u"lost")
            return true;
    }
    return false;
}

class Day
{
public:
    explicit Day(int changes) : m_changes(changes) {}
    int run();

private:
    bool start();
    bool step(int number, const Step& step);
    void restartChild();
    void checkpoint(int page);
    void printGoals();
    std::unique_ptr<ChildProcess> launchChild(int number, int losesPage);
    // The bench's event loop until done() holds or the time is over.
    bool waitFor(const std::function<bool()>& done, int timeoutMs) { return waitUntil(done, timeoutMs, kPollMs); }
    QString answerOf(const QString& word, qsizetype mark) const;

    const int m_changes;
    QTemporaryDir m_folder{QDir(testPagesFolder()).filePath(u"qh-day-XXXXXX"_s)};
    PageServer m_server;
    DayLesson m_lesson;
    QList<Step> m_cycle;
    quint16 m_childPort = freeUdpPort();
    quint16 m_masterPort = freeUdpPort();
    std::unique_ptr<PresenterProcess> m_presenter;
    std::unique_ptr<PlainChildren> m_plain;
    std::vector<std::unique_ptr<ChildProcess>> m_children;
    std::vector<Program> m_programs; // the presenter, then the real children
    QList<int> m_checkpoints;
    QString m_current;         // the page the class shows now
    QList<double> m_repairMs;  // page changes in which a child lost the page: to the last child's page
    QList<double> m_catchUpMs; // a restarted child: from its start to the current page shown
    QList<qint64> m_objects;   // the presenter's live QObjects at each checkpoint
    int m_plainMissing = 0;    // steps after which a plain child did not have the page
    int m_calls = 0;
    int m_restarts = 0;
    int m_helpersLeft = 0; // processes of killed children still running after their end
    QString m_videoPlays = u"not looked at"_s;
    bool m_classViewAbsent = false;
};

std::unique_ptr<ChildProcess> Day::launchChild(int number, int losesPage)
{
    auto child = std::make_unique<ChildProcess>();
    qputenv("QH_CHILD_LOSE_PAGE", QByteArray::number(losesPage));
    child->launchOnLoopback(number, m_childPort, m_masterPort, {u"--window"_s});
    qunsetenv("QH_CHILD_LOSE_PAGE");
    return child;
}

QString Day::answerOf(const QString& word, qsizetype mark) const
{
    const QList<ChildEvent>& answers = m_presenter->answers();
    for (qsizetype i = mark; i < answers.size(); ++i) {
        if (answers[i].event == word)
            return answers[i].detail;
    }
    return {};
}

bool Day::start()
{
    QTcpServer closed; // a port nothing listens on once this is gone
    closed.listen(QHostAddress::LocalHost);
    const quint16 closedPort = closed.serverPort();
    closed.close();
    m_lesson = writeDayLesson(m_folder.path(), m_server, closedPort);
    m_cycle = dayCycle(m_lesson);
    QStringList list;
    for (const DayEntry& entry : m_lesson.entries)
        list.append(entry.address);
    writeAll(m_folder.filePath(u"weblist.txt"_s), (list.join(u"\r\n"_s) + u"\r\n"_s).toUtf8());
    writeAll(m_folder.filePath(u"Quillharbour_Master.ini"_s), settingsFor(kSlots, m_childPort, m_masterPort));

    m_plain = std::make_unique<PlainChildren>(kRealChildren + 1, m_childPort, m_masterPort);
    // Children 01 and 02 each lose one page early in the day, 03 one in each of its lives.
    for (int number = 1; number <= kRealChildren; ++number)
        m_children.push_back(launchChild(number, number == kRestartedChild ? 3 : 20 + 17 * number));
    for (const auto& child : m_children) {
        if (!child->waitFor(u"ready %1"_s.arg(m_childPort))) {
            std::fprintf(stderr, "a child did not start\n");
            return false;
        }
    }
    m_programs.emplace_back().name = u"presenter"_s;
    for (int number = 1; number <= kRealChildren; ++number)
        m_programs.emplace_back().name = u"child %1"_s.arg(number, 2, 10, QChar(u'0'));

    m_presenter = std::make_unique<PresenterProcess>(m_folder.path());
    m_current = m_lesson.entries.first().address;
    const bool started = waitFor(
        [this] {
            for (const auto& child : m_children) {
                if (!shownAt(child->timedEvents(), 0, m_current))
                    return false;
            }
            return m_plain->allHave(m_current.toUtf8());
        },
        60000);
    if (!started)
        std::fprintf(stderr, "the class did not show the first page\n");
    return started;
}

bool Day::step(int number, const Step& step)
{
    const DayEntry& entry = m_lesson.entries[step.entry];
    const QString page = step.move == Move::Link ? entry.link : entry.address;
    std::vector<qsizetype> marks;
    for (const auto& child : m_children)
        marks.push_back(child->mark());
    const qsizetype traceMark = m_presenter->trace().size();
    const qsizetype answerMark = m_presenter->answers().size();
    const QByteArray pageBytes = page.toUtf8();
    m_presenter->send(commandOf(step.move));

    const auto childShown = [&](std::size_t index) {
        return shownAt(m_children[index]->timedEvents(), marks[index], page);
    };
    const auto presenterSent = [&] { return eventAt(m_presenter->trace(), traceMark, u"sent"_s, page); };
    waitFor(
        [&] {
            for (std::size_t index = 0; index < m_children.size(); ++index) {
                if (!childShown(index))
                    return false;
            }
            return presenterSent() != 0 && m_plain->allHave(pageBytes);
        },
        kStepTimeoutMs);
    m_current = page;

    const QString clickedAnswer = answerOf(u"clicked"_s, answerMark);
    const qint64 clicked = clickedAnswer.split(u' ').first().toLongLong();
    if (clicked == 0) {
        std::fprintf(stderr, "page change %d: the presenter did not click\n", number);
        return false;
    }
    bool lost = false;
    for (std::size_t index = 0; index < m_children.size(); ++index)
        lost = lost || lostSince(m_children[index]->timedEvents(), marks[index]);
    qint64 slowest = 0;
    const auto note = [&](Program& program, qint64 shown) {
        if (!shown) {
            ++program.unshownSince;
            std::fprintf(stderr, "page change %d (%s) to %s: not shown by %s\n", number,
                         qPrintable(commandOf(step.move)), qPrintable(page), qPrintable(program.name));
            return;
        }
        slowest = std::max(slowest, shown);
        if (!lost)
            program.changeMs.append(double(shown - clicked) / 1000);
    };
    note(m_programs[0], presenterSent());
    for (std::size_t index = 0; index < m_children.size(); ++index)
        note(m_programs[index + 1], childShown(index));
    if (lost && slowest)
        m_repairMs.append(double(slowest - clicked) / 1000);
    if (!m_plain->allHave(pageBytes)) {
        ++m_plainMissing;
        std::fprintf(stderr, "page change %d (%s) to %s: %d plain children lack it\n", number,
                     qPrintable(commandOf(step.move)), qPrintable(page), m_plain->missing(pageBytes));
    }
    return true;
}

void Day::restartChild()
{
    ChildProcess& old = *m_children[kRestartedChild - 1];
    const QList<qint64> helpers = processTree(old.processId());
    ::kill(pid_t(old.processId()), SIGKILL);
    old.waitForExit();
    const qint64 started = nowMicros();
    m_children[kRestartedChild - 1] = launchChild(kRestartedChild, 3);
    ++m_restarts;
    ChildProcess& child = *m_children[kRestartedChild - 1];
    if (waitFor([&] { return shownAt(child.timedEvents(), 0, m_current) != 0; }, kStepTimeoutMs))
        m_catchUpMs.append(double(shownAt(child.timedEvents(), 0, m_current) - started) / 1000);
    else
        ++m_programs[kRestartedChild].unshownSince;
    // The helpers of the killed child end with it; any still running would stay for the day.
    waitFor([] { return false; }, 1000);
    for (const qint64 pid : helpers.mid(1))
        m_helpersLeft += QFileInfo::exists(u"/proc/%1"_s.arg(pid)) ? 1 : 0;
}

void Day::checkpoint(int page)
{
    waitFor([] { return false; }, kSettleMs);
    const qsizetype objectsMark = m_presenter->answers().size();
    m_presenter->send(u"objects"_s);
    waitFor([&] { return !answerOf(u"objects"_s, objectsMark).isEmpty(); }, 10000);
    m_objects.append(answerOf(u"objects"_s, objectsMark).toLongLong());
    m_checkpoints.append(page);
    for (std::size_t index = 0; index < m_programs.size(); ++index) {
        Program& program = m_programs[index];
        const qint64 pid = index == 0 ? m_presenter->processId() : m_children[index - 1]->processId();
        program.usage.push_back(usageOf(pid));
        program.windows.push_back(program.changeMs.mid(std::max<qsizetype>(0, program.changeMs.size() - kWindow)));
        program.unshown.push_back(std::exchange(program.unshownSince, 0));
        program.logBytes.push_back(index == 0 ? m_presenter->otherBytes()
                                              : qint64(m_children[index - 1]->otherOutput().toUtf8().size()));
    }
    std::printf("page %d (load average %s):\n", page, qPrintable(loadAverage()));
    std::printf("  %-10s %8s %5s %8s %5s %6s %11s %8s %8s %8s\n", "", "PSS MiB", "fds", "threads", "pool", "procs",
                "median ms", "p95 ms", "unshown", "log KiB");
    for (const Program& program : m_programs) {
        const Usage& usage = program.usage.back();
        std::printf("  %-10s %8.1f %5lld %8lld %5lld %6lld %11.1f %8.1f %8d %8.1f\n", qPrintable(program.name),
                    double(usage.pssKiB) / 1024, static_cast<long long>(usage.fds),
                    static_cast<long long>(usage.threads), static_cast<long long>(usage.poolThreads),
                    static_cast<long long>(usage.processes), median(program.windows.back()),
                    percentile(program.windows.back(), 0.95), program.unshown.back(),
                    double(program.logBytes.back()) / 1024);
    }
    std::printf("  presenter's live QObjects %lld; steps after which a plain child lacked the page: %d; calls %d, "
                "restarts %d, repairs %lld\n",
                static_cast<long long>(m_objects.back()), m_plainMissing, m_calls, m_restarts,
                static_cast<long long>(m_repairMs.size()));
    std::fflush(stdout);
}

void Day::printGoals()
{
    const std::size_t first = 0;
    const std::size_t last = m_checkpoints.size() - 1;
    const QString at = u"at page %1 against page %2"_s.arg(m_checkpoints[last]).arg(m_checkpoints[first]);
    for (const Program& program : m_programs) {
        const Usage& before = program.usage[first];
        const Usage& after = program.usage[last];
        const auto goal = [&](const QString& what, double value, double limit, const char* unit) {
            printGoal(qPrintable(u"day: %1 %2 %3"_s.arg(program.name, what, at)), value, limit, unit);
        };
        goal(u"memory"_s, double(after.pssKiB) / double(before.pssKiB), 1.15, "x");
        goal(u"file descriptors, difference"_s, double(std::abs(after.fds - before.fds)), 2, "");
        goal(u"threads beside the worker pools, difference"_s, double(std::abs(after.threads - before.threads)), 2, "");
        goal(u"page change median"_s, median(program.windows[last]) / median(program.windows[first]), 1.10, "x");
        goal(u"page change 95th percentile"_s,
             percentile(program.windows[last], 0.95) / percentile(program.windows[first], 0.95), 1.25, "x");
        int unshown = 0;
        for (const int count : program.unshown)
            unshown = std::max(unshown, count);
        printGoal(qPrintable(u"day: %1 pages left unshown in a step, the most of all checkpoints"_s.arg(program.name)),
                  unshown, 0, "");
    }
}

int Day::run()
{
    if (!start())
        return 1;
    const QList<int> checkpoints{std::max(1, m_changes / 20), std::max(1, m_changes / 4), std::max(1, m_changes / 2),
                                 m_changes};
    std::printf("a school day of %d page changes in rounds of %lld through a list of %lld: the presenter and %d "
                "real children of %d in use; the video pages play a %s\n",
                m_changes, static_cast<long long>(m_cycle.size()), static_cast<long long>(m_lesson.entries.size()),
                kRealChildren, kSlots, qPrintable(m_lesson.video));
    bool videoLookedAt = false;
    for (int number = 1; number <= m_changes; ++number) {
        const int inCycle = (number - 1) % int(m_cycle.size());
        const Step& next = m_cycle[inCycle];
        if (!step(number, next))
            return 1;
        // What the teacher and the class do besides.
        if (next.move == Move::Link)
            m_presenter->send(u"scroll"_s);
        if (number % kCallEvery == 0)
            m_plain->call(m_calls++);
        if (number % kCallWindowCloseEvery == 0)
            m_presenter->send(u"calls-close"_s);
        if (inCycle == 10 || inCycle == 30)
            m_presenter->send(u"panel"_s);
        if (inCycle == 20)
            m_presenter->send(u"panel"_s);
        if (inCycle == 40)
            m_presenter->send((number / 50) % 2 ? u"panel-close"_s : u"panel"_s);
        if (inCycle == 25 || inCycle == 45) {
            const qsizetype mark = m_presenter->answers().size();
            m_presenter->send(inCycle == 25 ? u"class-view open"_s : u"class-view close"_s);
            waitFor([&] { return m_presenter->answers().size() > mark; }, 200);
            m_classViewAbsent = m_classViewAbsent || !answerOf(u"absent"_s, mark).isEmpty();
        }
        if (!videoLookedAt && m_lesson.entries[next.entry].address.contains(u"entry-4.html"_s) &&
            next.move == Move::Next) {
            videoLookedAt = true;
            waitFor([] { return false; }, 1000);
            const qsizetype mark = m_presenter->answers().size();
            m_presenter->send(u"video"_s);
            waitFor([&] { return !answerOf(u"video"_s, mark).isEmpty(); }, 5000);
            const double playedFor = answerOf(u"video"_s, mark).toDouble();
            m_videoPlays = playedFor > 0 ? u"yes, at %1 s"_s.arg(playedFor) : u"no"_s;
        }
        if (checkpoints.contains(number))
            checkpoint(number);
        if (number % kRestartEvery == 0 && number < m_changes)
            restartChild();
        if (!m_presenter->isRunning()) {
            std::fprintf(stderr, "the presenter ended during the day\n");
            return 1;
        }
    }
    std::printf("the video plays in the presenter after a second: %s; the class view: %s\n", qPrintable(m_videoPlays),
                m_classViewAbsent ? "not in this build" : "opened and closed");
    std::printf("calls %d, child %02d killed and started again %d times (current page shown %.0f ms after its start, "
                "median), processes of killed children still running: %d\n",
                m_calls, kRestartedChild, m_restarts, median(m_catchUpMs), m_helpersLeft);
    std::printf("page changes in which a child lost the page: %lld, repaired %.0f ms after the click (median)\n",
                static_cast<long long>(m_repairMs.size()), median(m_repairMs));
    printGoals();
    printGoal("day: steps after which a plain child lacked the page", m_plainMissing, 0, "");
    printGoal("day: processes of killed children still running", m_helpersLeft, 0, "");
    m_presenter->send(u"end"_s);
    const bool ended = m_presenter->waitForEnd();
    if (!ended)
        std::fprintf(stderr, "the presenter did not end\n");
    bool allShown = m_plainMissing == 0;
    for (const Program& program : m_programs) {
        for (const int count : program.unshown)
            allShown = allShown && count == 0;
    }
    return ended && allShown ? 0 : 1;
}
} // namespace

int main(int argc, char* argv[])
{
    if (argc > 1 && qstrcmp(argv[1], "--presenter") == 0)
        return runPresenterHost(argc, argv);
    QCoreApplication app(argc, argv);
    const int changes = argc > 1 && std::atoi(argv[1]) > 0 ? std::atoi(argv[1]) : 2000;
    Day day(changes);
    return day.run();
}
