#pragma once

#include "cp932text.h"
#include "messagebox.h"
#include "presenter.h"
#include "scriptedbrowser.h"
#include "testutil.h"
#include "udplisteners.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>

namespace qh::test {

// Addresses of the scripted browser's pages; it never loads them.
inline const QString kPageA = QStringLiteral("file:///srv/pages/a.html");
inline const QString kPageB = QStringLiteral("file:///srv/pages/b.html");
inline const QString kPageC = QStringLiteral("file:///srv/pages/c.html");

// One datagram as ChildrenListener records it: the address it was sent to, a blank, the payload.
inline QByteArray to(const char* address, const QByteArray& payload)
{
    return QByteArray(address) + ' ' + payload;
}
inline QByteArray to(const char* address, const QString& text)
{
    return to(address, cp932::encode(text));
}
inline QByteArray to(const char* address, const char* payload)
{
    return to(address, QByteArray(payload));
}

// One configuration line of a child slot: "1" in use, the computer name, the screen mode.
struct SlotLine {
    int number; // 1..30
    QString flag;
    QString name;
    QString mode;
};

inline QByteArray settingsFileBytes(const QList<SlotLine>& slotLines, int childPort, int masterPort,
                                    const QString& screenSize = QStringLiteral("WindowScreen"))
{
    QStringList lines{QStringLiteral("[ChildComp]")};
    for (const SlotLine& slot : slotLines)
        lines.append(QStringLiteral("ChildComp%1=").arg(slot.number, 2, 10, QChar(u'0')) + slot.flag + slot.name +
                     u',' + slot.mode);
    lines.append(QStringLiteral("RemotePortx=%1").arg(childPort));
    lines.append(QStringLiteral("MyHostPortx=%1").arg(masterPort));
    lines.append(QStringLiteral("ScreenSizex=") + screenSize);
    return cp932::writeLines(lines);
}

// A presenter started in a temporary working folder, its children listening on loopback, its
// messages captured and its browser scripted (unless a test gives its own).
class PresenterFixture
{
public:
    PresenterFixture() : m_previousFolder(QDir::currentPath())
    {
        childPort = children.bindFreePort();
        masterPort = freeMasterPort();
        QDir::setCurrent(folder.path());
    }
    ~PresenterFixture()
    {
        presenter.reset();
        QDir::setCurrent(m_previousFolder);
    }
    PresenterFixture(const PresenterFixture&) = delete;
    PresenterFixture& operator=(const PresenterFixture&) = delete;

    void writeUrlList(const QStringList& entries)
    {
        writeFile(QStringLiteral("weblist.txt"), cp932::writeLines(entries));
    }
    void writeSettings(const QList<SlotLine>& slotLines, const QString& screenSize = QStringLiteral("WindowScreen"))
    {
        writeFile(QStringLiteral("Quillharbour_Master.ini"),
                  settingsFileBytes(slotLines, childPort, masterPort, screenSize));
    }
    void writeFile(const QString& name, const QByteArray& bytes) { QVERIFY(writeAll(folder.filePath(name), bytes)); }

    master::Presenter& make(master::PresenterOptions options = {})
    {
        options.lockFilePath = folder.filePath(QStringLiteral("presenter.lock"));
        if (!options.createBrowser) {
            options.createBrowser = [this] {
                auto made = std::make_unique<ScriptedBrowser>(browserLog);
                scripted = made.get();
                return made;
            };
        }
        presenter = std::make_unique<master::Presenter>(std::move(options));
        return *presenter;
    }

    // Runs the follow loop with the given actions queued, until done() holds after a pass or the
    // presenter ends. False when the watchdog had to stop a loop that kept waiting.
    bool runLoop(const std::function<void()>& actions, const std::function<bool()>& done, int watchdogMs = 20000)
    {
        bool watchdogFired = false;
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, &watchdog, [&] {
            watchdogFired = true;
            presenter->stopFollowing();
        });
        presenter->passFinished = [&] {
            if (done())
                presenter->stopFollowing();
        };
        if (actions)
            QTimer::singleShot(0, &watchdog, actions);
        watchdog.start(watchdogMs);
        presenter->FollowBrowser();
        presenter->passFinished = nullptr;
        return !watchdogFired;
    }

    // Runs the loop until `count` datagrams have reached the children in all.
    bool runUntilReceived(const std::function<void()>& actions, qsizetype count)
    {
        return runLoop(actions, [this, count] { return children.count() >= count; });
    }

    QTemporaryDir folder;
    ChildrenListener children;
    std::uint16_t childPort = 0;
    std::uint16_t masterPort = 0;
    MessageCapture messages;
    std::shared_ptr<BrowserLog> browserLog = std::make_shared<BrowserLog>();
    ScriptedBrowser* scripted = nullptr; // valid until End releases the browser
    std::unique_ptr<master::Presenter> presenter;

private:
    QString m_previousFolder;
};

} // namespace qh::test
