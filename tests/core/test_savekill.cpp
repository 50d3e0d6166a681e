#include "tests/support/testfiles.h"
#include "tool/savesettings.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <array>
#include <atomic>
#include <csignal>
#include <cstdarg>
#include <ctime>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

using namespace qh;
using namespace qh::test;

namespace {

// The steps of one save as its calls into the C library show them. A child notes each call as it
// enters it, so a kill counts for the call it interrupted or came after, before the next one.
enum Phase : int { Started, TempOpened, Writing, FileSync, Renaming, FolderOpened, FolderSync, Returned };
constexpr int PhaseCount = Returned + 1;
const std::array<const char*, PhaseCount> kPhaseNames = {"before the save",   "open of Temp.tmp", "write",
                                                         "fsync of Temp.tmp", "rename",           "open of folder",
                                                         "fsync of folder",   "after the save"};

// Lives in memory shared with the children, so the parent sees how far a killed child got.
struct SharedState {
    std::atomic<int> phase; // the step the child entered last
    std::atomic<qint64> startNs;
    std::array<std::atomic<qint64>, PhaseCount> enteredNs; // since startNs; -1 while not entered
};

SharedState* g_shared = nullptr;
bool g_inChild = false; // the parent's own saves note nothing
int g_tempFd = -1;
int g_folderFd = -1;
int g_killStep = -1; // the child starts its kill timer when it enters this step
qint64 g_killDelayNs = 0;

// A timer of the kernel sends the SIGKILL: it comes at the moment drawn even when the machine's
// other work keeps the parent from running then, which a kill() from the parent would not.
void startKillTimer(qint64 delayNs)
{
    sigevent event{};
    event.sigev_notify = SIGEV_SIGNAL;
    event.sigev_signo = SIGKILL;
    itimerspec when{};
    when.it_value.tv_nsec = long(delayNs) + 1; // zero would disarm it; a save takes far less than 1 s
    timer_t timer{};
    if (timer_create(CLOCK_MONOTONIC, &event, &timer) != 0 || timer_settime(timer, 0, &when, nullptr) != 0)
        _exit(2);
}

void enter(Phase phase)
{
    if (!g_inChild)
        return;
    qint64 notYet = -1;
    const qint64 now = QDeadlineTimer::current().deadlineNSecs() - g_shared->startNs;
    if (g_shared->enteredNs[phase].compare_exchange_strong(notYet, now) && phase == g_killStep)
        startKillTimer(g_killDelayNs);
    g_shared->phase = phase;
}

} // namespace

// The test program defines the C library functions a save calls, so the save code and Qt reach
// these first: they note the step and go on to the next definition, the C library's own or the
// sanitizer's interceptor in front of it. The save code itself runs unchanged.
extern "C" {
int open(const char* path, int flags, ...)
{
    static auto* const next = reinterpret_cast<int (*)(const char*, int, ...)>(dlsym(RTLD_NEXT, "open"));
    va_list args;
    va_start(args, flags);
    const int mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(args, int) : 0;
    va_end(args);
    const bool temp = g_inChild && QByteArrayView(path).endsWith(QFile::encodeName(tool::kTempFileName));
    const bool folder = g_inChild && (flags & O_DIRECTORY) && g_shared->phase == Renaming;
    if (temp || folder)
        enter(temp ? TempOpened : FolderOpened);
    const int fd = next(path, flags, mode);
    if (temp)
        g_tempFd = fd;
    else if (fd == g_tempFd)
        g_tempFd = -1; // the number of the closed Temp.tmp went to another file
    if (folder)
        g_folderFd = fd;
    return fd;
}

// Qt opens files with open64, which is the same function on this platform.
int open64(const char* path, int flags, ...) __attribute__((alias("open")));

ssize_t write(int fd, const void* bytes, size_t size)
{
    static auto* const next = reinterpret_cast<ssize_t (*)(int, const void*, size_t)>(dlsym(RTLD_NEXT, "write"));
    if (fd == g_tempFd)
        enter(Writing);
    return next(fd, bytes, size);
}

int fsync(int fd)
{
    static auto* const next = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
    if (fd == g_tempFd || fd == g_folderFd)
        enter(fd == g_tempFd ? FileSync : FolderSync);
    return next(fd);
}

int rename(const char* from, const char* to) noexcept
{
    static auto* const next = reinterpret_cast<int (*)(const char*, const char*)>(dlsym(RTLD_NEXT, "rename"));
    enter(Renaming);
    return next(from, to);
}

// Under AddressSanitizer a fork copies the page tables of all memory the process touched; the default
// quarantine keeps up to 256 MB of freed memory touched, and a small one saves a third of the time.
const char* __asan_default_options()
{
    return "quarantine_size_mb=16";
}
} // extern "C"

class TestSaveKill : public QObject
{
    Q_OBJECT
private slots:
    void everyKillLeavesTheOldOrTheNewFile()
    {
        void* memory = mmap(nullptr, sizeof(SharedState), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        QVERIFY(memory != MAP_FAILED);
        g_shared = new (memory) SharedState;
        const auto unmap = qScopeGuard([memory] { munmap(memory, sizeof(SharedState)); });
        // A killed process loses nothing the kernel already holds, unlike a power cut, so the
        // folder may lie in memory: on a tmpfs fsync costs nothing and a thousand saves take seconds.
        const QString base = QFileInfo(u"/dev/shm"_s).isWritable() ? u"/dev/shm"_s : QDir::tempPath();
        QTemporaryDir folder(base + u"/qh-savekill-XXXXXX"_s);
        QVERIFY(folder.isValid());
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder.path()));
        const auto restore = qScopeGuard([&] { QDir::setCurrent(previous); });

        // The saves alternate between the example file and the example with another child port.
        const QByteArray example = readAll(dataPath(u"example.ini"_s));
        const std::array<QByteArray, 2> contents{
            example, QByteArray(example).replace("\r\nRemotePortx=5001\r\n", "\r\nRemotePortx=6001\r\n")};
        std::array<tool::SettingsEntries, 2> entries;
        entries.fill(tool::entriesFromSettings(parseSettingsBytes(example)));
        entries[1].childPortText = u"6001"_s;
        QVERIFY(writeAll(kSettingsFileName, example));
        int current = 0; // the content the configuration file holds

        // Saves without a kill give the moments at which the steps begin, taken from the median save.
        std::array<std::array<qint64, PhaseCount + 1>, 21> runs{};
        for (auto& run : runs) {
            int status = 0;
            runChild(entries[1 - current], -1, 0, &status);
            QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
            QCOMPARE(readAll(kSettingsFileName), contents[1 - current]);
            current = 1 - current;
            std::copy(g_shared->enteredNs.begin(), g_shared->enteredNs.end(), run.begin());
            const int missed = int(std::find(run.begin(), run.end() - 1, -1) - run.begin());
            QVERIFY2(missed == PhaseCount, kPhaseNames[std::min(missed, PhaseCount - 1)]); // a step never seen
        }
        std::sort(runs.begin(), runs.end(), [](const auto& a, const auto& b) { return a[Returned] < b[Returned]; });
        auto begin = runs[runs.size() / 2];
        begin[PhaseCount] = begin[Returned] + begin[Returned] / 5; // a while after the save returned
        qInfo("one save takes %lld us", begin[Returned] / 1000);

        const quint32 seed = qEnvironmentVariableIsSet("QH_SAVEKILL_SEED") ? qgetenv("QH_SAVEKILL_SEED").toUInt()
                                                                           : QRandomGenerator::system()->generate();
        qInfo("seed %u (QH_SAVEKILL_SEED repeats it)", seed);
        QRandomGenerator random(seed);
        std::array<int, PhaseCount> kills{};
        const auto phaseMissing = [&] { return std::count(kills.begin(), kills.end(), 0) > 0; };
        int round = 0;
        // At least 1 000 kills, and more while a step has none, up to a limit.
        for (; round < 1000 || (phaseMissing() && round < 5000); ++round) {
            // Half the kills come at a moment drawn from the whole save, counted from its start. The
            // other half come within one step drawn at random, counted from the moment the child
            // enters it, so that steps of a few microseconds get their share too.
            const int step = random.bounded(PhaseCount);
            const bool anywhere = random.bounded(2) == 0;
            const qint64 span = anywhere ? begin[PhaseCount] : begin[step + 1] - begin[step];
            const qint64 delay = qint64(random.bounded(double(std::max<qint64>(span, 1))));
            int status = 0;
            const int landed = runChild(entries[1 - current], anywhere ? Started : step, delay, &status);
            const QByteArray where = QString::asprintf("round %d of seed %u, killed in %s", round, seed,
                                                       landed >= 0 ? kPhaseNames[landed] : "no child")
                                         .toUtf8();
            QVERIFY2(landed >= 0, where);
            ++kills[landed];
            QVERIFY2(WIFSIGNALED(status) ? WTERMSIG(status) == SIGKILL : WEXITSTATUS(status) == 0, where);

            const QByteArray found = readAll(kSettingsFileName);
            QVERIFY2(found == contents[current] || found == contents[1 - current], where);
            const QStringList names =
                QDir().entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
            QVERIFY2(names == QStringList{kSettingsFileName} ||
                         names == (QStringList{kSettingsFileName, tool::kTempFileName}),
                     where + ": " + names.join(u' ').toUtf8());
            // The next save succeeds and leaves the new content alone in the folder.
            QVERIFY2(tool::saveSettings(entries[1 - current]).outcome == tool::SaveOutcome::Saved, where);
            QVERIFY2(readAll(kSettingsFileName) == contents[1 - current], where);
            QVERIFY2(!QFileInfo::exists(tool::kTempFileName), where);
            current = 1 - current;
        }
        QByteArray table = QByteArray::number(round) + " kills:";
        for (int phase = 0; phase < PhaseCount; ++phase)
            table += "\n  " + QByteArray::number(kills[phase]).rightJustified(5) + "  " + kPhaseNames[phase];
        qInfo("%s", table.constData());
        QVERIFY2(!phaseMissing(), "a step got no kill");
    }

private:
    // Forks a child that saves the entries and is killed the given time after it entered the given
    // step (never when the step is -1), and waits for it. Returns the last step the child entered.
    static int runChild(const tool::SettingsEntries& target, int killStep, qint64 killDelayNs, int* status)
    {
        g_shared->phase = Started; // a kill before the child's first step still comes before the save
        for (auto& entered : g_shared->enteredNs)
            entered = -1;
        g_killStep = killStep;
        g_killDelayNs = killDelayNs;
        const pid_t child = fork();
        if (child == 0) {
            g_inChild = true;
            g_shared->startNs = QDeadlineTimer::current().deadlineNSecs();
            enter(Started);
            const bool saved = tool::saveSettings(target).outcome == tool::SaveOutcome::Saved;
            enter(Returned);
            _exit(saved ? 0 : 1); // no exit handlers: they belong to the parent
        }
        if (child < 0 || waitpid(child, status, 0) != child)
            return -1;
        return g_shared->phase;
    }
};

QTEST_GUILESS_MAIN(TestSaveKill)
#include "test_savekill.moc"
