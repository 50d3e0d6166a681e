#include "tests/support/presenterfixture.h"

#include "common/cp932text.h"
#include "common/datagrams.h"
#include "common/settingsfile.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace qh::test {

QByteArray to(const char* address, const QByteArray& payload)
{
    return QByteArray(address) + ' ' + payload;
}

QByteArray to(const char* address, const QString& text)
{
    return to(address, cp932::encode(text));
}

QByteArray to(const char* address, const char* payload)
{
    return to(address, QByteArray(payload));
}

QList<SlotLine> fourSlots()
{
    return {{1, u"1"_s, u"127.0.0.2"_s, u"WindowScreen"_s},
            {2, u"0"_s, u"127.0.0.3"_s, u"WindowScreen"_s},
            {3, u"1"_s, u"127.0.0.4"_s, u"FullScreen"_s},
            {4, u"1"_s, u"127.0.0.5"_s, u"WindowScreen"_s}};
}

QByteArray showing(int number, const QString& address)
{
    return showingDatagram(number, datagramBytes(address));
}

QByteArray settingsFileBytes(const QList<SlotLine>& slotLines, int childPort, int masterPort, const QString& screenMode)
{
    QStringList lines{u"[ChildComp]"_s};
    for (const SlotLine& slot : slotLines)
        lines.append(u"ChildComp%1="_s.arg(slot.number, 2, 10, QChar(u'0')) + slot.flag + slot.name + u',' + slot.mode);
    lines.append(kChildPortKey + QString::number(childPort));
    lines.append(kMasterPortKey + QString::number(masterPort));
    lines.append(kScreenModeKey + screenMode);
    return cp932::writeLines(lines);
}

PresenterFixture::PresenterFixture()
{
    childPort = children.bindFreePort();
    masterPort = freeUdpPort();
}

PresenterFixture::~PresenterFixture()
{
    // Before the records its signals write to.
    presenter.reset();
}

void PresenterFixture::writeUrlList(const QStringList& entries)
{
    folder.write(u"weblist.txt"_s, cp932::writeLines(entries));
}

void PresenterFixture::writeSettings(const QList<SlotLine>& slotLines, const QString& screenMode)
{
    folder.write(kSettingsFileName, settingsFileBytes(slotLines, childPort, masterPort, screenMode));
}

master::Presenter& PresenterFixture::make(master::PresenterOptions options)
{
    options.lockFilePath = folder.path(u"presenter.lock"_s);
    if (!options.createBrowser) {
        options.createBrowser = [this] {
            auto made = std::make_unique<ScriptedBrowser>(browserLog);
            scripted = made.get();
            return made;
        };
    }
    presenter = std::make_unique<master::Presenter>(std::move(options));
    master::Presenter* made = presenter.get();
    QObject::connect(made, &master::Presenter::barNeeded, made, [this] { barWanted = true; });
    QObject::connect(made, &master::Presenter::ended, made, [this] { barWanted = false; });
    QObject::connect(made, &master::Presenter::pageShown, made,
                     [this](std::int16_t pageNumber) { pagesShown.append(pageNumber); });
    QObject::connect(made, &master::Presenter::panelToggled, made, [this] { ++panelToggles; });
    return *presenter;
}

bool PresenterFixture::start(const QStringList& urlList, const QList<SlotLine>& slotLines, const QString& screenMode)
{
    writeUrlList(urlList);
    writeSettings(slotLines, screenMode);
    return make().startUp();
}

bool PresenterFixture::runLoop(const std::function<void()>& actions, const std::function<bool()>& done, int watchdogMs)
{
    bool watchdogFired = false;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, &watchdog, [&] {
        watchdogFired = true;
        presenter->stopFollowing();
    });
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &check, [&] {
        if (done())
            presenter->stopFollowing();
    });
    if (actions)
        QTimer::singleShot(0, &watchdog, actions);
    watchdog.start(watchdogMs);
    check.start(2);
    presenter->followBrowser();
    return !watchdogFired;
}

bool PresenterFixture::runUntilReceived(const std::function<void()>& actions, qsizetype count)
{
    return runLoop(actions, [this, count] { return children.count() >= count; });
}

void PresenterFixture::runFor(const std::function<void()>& actions, int milliseconds)
{
    runLoop(
        actions, [] { return false; }, milliseconds);
}

bool PresenterFixture::handleIncoming(const QList<Incoming>& datagrams)
{
    qsizetype read = 0;
    const QMetaObject::Connection counting =
        QObject::connect(presenter.get(), &master::Presenter::datagramReceived, presenter.get(), [&read] { ++read; });
    bool sent = true;
    const auto sendAll = [&] {
        for (const Incoming& datagram : datagrams)
            sent = sendDatagramFrom(datagram.from, "127.0.0.1", masterPort, datagram.payload) && sent;
    };
    bool allRead = false;
    if (presenter->hasEnded()) {
        sendAll();
        QDeadlineTimer deadline(20000);
        while (read < datagrams.size() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        allRead = read >= datagrams.size();
    } else {
        allRead = runLoop(sendAll, [&] { return read >= datagrams.size(); });
    }
    QObject::disconnect(counting);
    return sent && allRead;
}

} // namespace qh::test
