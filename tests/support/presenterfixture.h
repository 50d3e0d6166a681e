#pragma once

#include "master/presenter.h"
#include "tests/support/loopback.h"
#include "tests/support/messagecapture.h"
#include "tests/support/scriptedbrowser.h"
#include "tests/support/testfiles.h"

#include <QStringList>

#include <functional>
#include <memory>

namespace qh::test {

using namespace Qt::StringLiterals;

// Addresses of the scripted browser's pages; it never loads them.
inline const QString kPageA = u"file:///srv/pages/a.html"_s;
inline const QString kPageB = u"file:///srv/pages/b.html"_s;
inline const QString kPageC = u"file:///srv/pages/c.html"_s;

// One datagram as ChildrenListener records it: the address it was sent to, a blank, the payload.
QByteArray to(const char* address, const QByteArray& payload);
QByteArray to(const char* address, const QString& text);
QByteArray to(const char* address, const char* payload);

// One configuration line of a child slot: the in-use flag, the computer name, the screen mode.
struct SlotLine {
    int number; // 1..30
    QString flag;
    QString name;
    QString mode;
};

// Four slots for the tests of the children's reports: 01 (127.0.0.2, WindowScreen) and 03
// (127.0.0.4, FullScreen) in use, 02 (127.0.0.3) switched off, 04 (127.0.0.5) in use.
QList<SlotLine> fourSlots();
// A child's report of the page it shows, the address as code page 932 bytes.
QByteArray showing(int number, const QString& address);

QByteArray settingsFileBytes(const QList<SlotLine>& slotLines, int childPort, int masterPort,
                             const QString& screenMode = u"WindowScreen"_s);

// A presenter without windows, started in a temporary working folder, its children listening on
// loopback, its messages captured and its browser scripted (unless a test gives its own). What it
// announces to its windows is recorded instead.
class PresenterFixture
{
public:
    PresenterFixture();
    virtual ~PresenterFixture();
    PresenterFixture(const PresenterFixture&) = delete;
    PresenterFixture& operator=(const PresenterFixture&) = delete;

    void writeUrlList(const QStringList& entries);
    void writeSettings(const QList<SlotLine>& slotLines, const QString& screenMode = u"WindowScreen"_s);

    // The presenter; the options' lock file lies in the working folder.
    virtual master::Presenter& make(master::PresenterOptions options = {});
    // Writes both files, makes the presenter and runs its start-up: true when the presentation opened.
    bool start(const QStringList& urlList, const QList<SlotLine>& slotLines,
               const QString& screenMode = u"WindowScreen"_s);

    // Runs the follow loop with the given actions queued, until done() holds (it is checked every
    // few milliseconds) or the presenter ends. False when the watchdog had to stop the loop.
    bool runLoop(const std::function<void()>& actions, const std::function<bool()>& done, int watchdogMs = 20000);
    // Runs the loop until `count` datagrams have reached the children in all.
    bool runUntilReceived(const std::function<void()>& actions, qsizetype count);
    // Runs the loop for the given time, for what must not happen.
    void runFor(const std::function<void()>& actions, int milliseconds);

    // One datagram to the master port from a plain socket on the given loopback address, as a
    // child's computer (or anyone else) sends it.
    struct Incoming {
        const char* from;
        QByteArray payload;
    };
    // Sends them in order and runs the presenter until it has read them all, so that every answer
    // to them has gone out. An ended presenter has no loop: the events alone read its socket then.
    // False when they were not all read in time.
    bool handleIncoming(const QList<Incoming>& datagrams);

    WorkingFolder folder;
    ChildrenListener children;
    std::uint16_t childPort = 0;
    std::uint16_t masterPort = 0;
    MessageCapture messages;
    std::shared_ptr<BrowserLog> browserLog = std::make_shared<BrowserLog>();
    ScriptedBrowser* scripted = nullptr; // valid until End releases the browser
    std::unique_ptr<master::Presenter> presenter;

    // What the windows would have been told: the bar asked for (and not yet hidden by the end), the
    // page numbers shown in order, how often the panel was toggled.
    bool barWanted = false;
    QList<std::int16_t> pagesShown;
    int panelToggles = 0;
};

} // namespace qh::test
