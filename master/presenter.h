#pragma once

#include "browser.h"
#include "childchannel.h"
#include "presenterservices.h"
#include "presenterstate.h"
#include "singleinstance.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

namespace qh::master {

class Form1;

struct PresenterOptions {
    QString urlListFileName = QStringLiteral("weblist.txt");
    QString lockFilePath; // empty: the user's own presenter lock
    // Makes the browser when the presentation opens; empty makes the Qt WebEngine window.
    std::function<std::unique_ptr<Browser>()> createBrowser;
};

// The running presenter: its shared state, the start-up, the page changes of the main bar, the
// loop that forwards pages the browser moved to by itself, and the end of the presentation.
class Presenter : public QObject, public PresenterServices
{
    Q_OBJECT
public:
    explicit Presenter(PresenterOptions options, QObject* parent = nullptr);
    ~Presenter() override;

    // The whole start-up, then FollowBrowser. Returns when End has ended the presentation, when a
    // second instance was refused (ended() is then true as well), or at once when start-up was
    // abandoned: the bar then stays and End ends the program.
    void Form_Load();
    // Form_Load without the loop: true when the presentation opened and FollowBrowser may run.
    bool startUp();
    // Runs until End, or until stopFollowing() (tests stop the loop that way).
    void FollowBrowser();
    void stopFollowing() { m_stopFollowing = true; }

    void ShowPage(const QString& address, std::int16_t pageNumber);
    void Home();
    void NextPage();
    void PreviousPage();
    void Panel();
    void End();

    // Whether the last pass of FollowBrowser was allowed to block until an event came.
    bool lastYieldMayWait() const { return m_lastYieldMayWait; }
    bool hasEnded() const { return m_ended; }
    bool isRunning() const { return m_running; }
    PresenterState& state() { return m_state; }
    Form1& form() { return *m_form; }
    Browser* browser() const { return m_browser.get(); }
    ChildChannel& channel() { return m_channel; }

    // PresenterServices
    ChildSlot& childSlot(int index) override;
    QString screenSize() const override;
    void SendChildCommand(int slot, const QString& verb) override;
    void SendPageToChild(int slot, const QString& address) override;
    QString browserLocation() override;
    void setBrowserFullScreen(bool fullScreen) override;

    // Hooks of the control panel and the call reception, empty by default.
    std::function<void()> preparePanel;                     // start-up, before the browser opens
    std::function<void()> panelButton;                      // the PANEL button
    std::function<void(const QByteArray&)> datagramArrived; // each datagram read, in order
    std::function<void()> passFinished;                     // after each pass of FollowBrowser

signals:
    void ended();

private:
    bool readFiles();
    void bindSocket();
    void announceToChildren();
    void openBrowser();
    // Sends one datagram to a slot's child; false when its name was not found (the user was told).
    bool sendToChild(int slot, const QByteArray& datagram);
    bool slotInUse(int slot) const;
    void waitWhileBusy();
    void Winsock1_DataArrival(const QByteArray& datagram);

    PresenterOptions m_options;
    PresenterState m_state;
    SingleInstance m_singleInstance;
    ChildChannel m_channel;
    std::unique_ptr<Browser> m_browser;
    std::unique_ptr<Form1> m_form;
    QString m_lastShownAddress;
    bool m_running = false;
    bool m_ended = false;
    bool m_stopFollowing = false;
    bool m_lastYieldMayWait = false;
};

} // namespace qh::master
