#pragma once

#include "common/computernames.h"
#include "common/singleinstance.h"
#include "master/browser.h"
#include "master/childchannel.h"
#include "master/childfollowup.h"
#include "master/childreports.h"
#include "master/childsender.h"
#include "master/classroom.h"
#include "master/presenterservices.h"
#include "master/presenterstate.h"
#include "master/viewfollower.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace qh::master {

struct PresenterOptions {
    QString urlListFileName;
    QString lockFilePath; // empty: the user's own presenter lock
    // Makes the browser when the presentation opens.
    std::function<std::unique_ptr<Browser>()> createBrowser;
};

// The running presenter: its shared state, the start-up, the page changes of the main bar, the
// loop that forwards pages the browser moved to by itself, and the end of the presentation. It
// has no window of its own: the bar, the control panel and the call window follow its signals,
// connected where the windows are wired (PresenterWindows).
class Presenter : public QObject, public PresenterServices
{
    Q_OBJECT
public:
    explicit Presenter(PresenterOptions options, QObject* parent = nullptr);
    ~Presenter() override;

    // The whole start-up, then the follow loop. Returns when End has ended the presentation, when a
    // second instance was refused (hasEnded() is then true as well), or at once when start-up was
    // abandoned: the bar then stays and End ends the program.
    void run();
    // The start-up without the loop: true when the presentation opened and the loop may run.
    bool startUp();
    // Forwards to the children every page the browser moves to by itself, until End. Each pass
    // handles the pending events first; an idle pass waits for the next event.
    void followBrowser();
    // Leaves followBrowser() after its current pass, leaving the presentation as it is, for a
    // caller that runs the loop in steps.
    void stopFollowing() { m_stopFollowing = true; }

    // Loads the address, waits for the load without handling input or datagrams (10 s at most: a
    // page still loading then counts as loaded), shows the page number, then sends the address to
    // every child in use, their names looked up together (again 10 s at most).
    void showPage(const QString& address, std::int16_t pageNumber);
    void home();
    void nextPage();
    void previousPage();
    void togglePanel();
    void end();

    bool hasEnded() const { return m_ended; }
    // Where the teacher is on the page, for the children that speak our extension.
    ViewFollower& view() { return m_view; }
    bool isRunning() const { return m_running; }
    // The class view's pictures and attention.
    Classroom& classroom() { return m_classroom; }

    // PresenterServices
    ChildSlot& childSlot(int index) override;
    QString screenMode() const override;
    void sendToChild(int slot, const QStringList& texts) override;
    QString browserLocation() override;
    void setBrowserFullScreen(bool fullScreen) override;
    SlotFollowing slotFollowing(int index) const override;
    bool isPointerOn() const override { return m_view.isPointerOn(); }
    void setPointerOn(bool on) override { m_view.setPointerOn(on); }

signals:
    // Start-up passed the single-instance test: the bar comes up, above all windows, before any
    // file is read.
    void barNeeded();
    // Start-up, after the announcement to the children and before the browser opens.
    void panelPreparing();
    // PANEL, while the presentation runs.
    void panelToggled();
    // The browser window was shown for a page; windows meant to stay above it are raised again.
    void browserShown();
    // A page has loaded, before the children are sent its address.
    void pageShown(std::int16_t pageNumber);
    // A datagram read from the master port, in arrival order.
    void datagramReceived(const QByteArray& datagram);
    // The presentation has ended: End, or a second instance that was refused.
    void ended();

private:
    // The addresses of one step's sends (a page, the announcement, End, a switch on the panel), by
    // computer name: each distinct name looked up once, all of them at the same time, when the
    // step begins. A later step looks its names up anew.
    using Destinations = QHash<QString, ComputerAddress>;

    // The call list has each datagram first (datagramReceived); then the children's reports and
    // listed calls are answered.
    void handleDatagram(const QByteArray& datagram, const QHostAddress& sender);
    bool readFiles();
    // The teacher's key from the working folder; without a usable one the presenter signs nothing.
    void readKey();
    void bindSocket();
    void announceToChildren();
    void openBrowser();
    // Whether ShowPage loads an address the browser shows already: Home loads it again, the follow
    // loop's forward keeps the page as it is.
    enum class ShownPage { Reload, Keep };
    // ShowPage with the destinations to send to: those of the page just shown, for its forward,
    // or none, to look the names up now. Returns the destinations it sent to.
    Destinations showPage(const QString& address, std::int16_t pageNumber, std::optional<Destinations> known,
                          ShownPage shown);
    // The slots whose in-use flag is "1", in ascending order.
    QList<int> slotsInUse() const;
    // Looks up the computer names of the slots, all at once, and waits for the answers; a name not
    // answered within the wait's bound is missing from the result, as one not found.
    Destinations lookUpNames(const QList<int>& slotIndexes);
    // Sends one datagram to a slot's child, its bytes as prepared for the send (ChildSender); false
    // when its name was not found (the user was told).
    bool sendToChild(int slot, const ChildSender::Prepared& datagram, const Destinations& destinations,
                     ChildSender::Copies copies = ChildSender::Copies::Both);
    // A page's signed copies, to the slots before the first whose name was not found: a page change
    // sends them all before the plain ones, so that a child that holds the key is not kept waiting
    // behind the plain fan-out.
    void sendSignedCopies(const QList<int>& slotIndexes, const ChildSender::Prepared& datagram,
                          const Destinations& destinations);
    // One datagram of the teacher's view to each child in use that speaks our extension (ChildSender's
    // PlainCopy::OurChildren), at the address of the last page change (or the one its computer name
    // is written as): such a datagram comes up to ten times a second, too often to look names up. A
    // slot whose name was not found then gets its view with its next page.
    void sendToOurChildren(const QByteArray& datagram);
    // Tells the view whether some child in use speaks our extension.
    void updateListened();
    void waitWhileBusy();
    // Runs the events that neither the user's input nor the children's datagrams cause, waiting for
    // each, until done() holds or 10 s have passed: both wait in their queues until the presenter
    // has finished its step.
    void waitWithoutInput(const std::function<bool()>& done);

    PresenterOptions m_options;
    PresenterState m_state;
    SingleInstance m_singleInstance;
    ChildChannel m_channel;
    ChildReports m_reports;
    ChildSender m_sender;
    ChildFollowUp m_followUp;
    Classroom m_classroom;
    ViewFollower m_view;
    std::unique_ptr<Browser> m_browser;
    QString m_lastShownAddress;
    QString m_tooLongToSignAddress; // the page last said to be too long to sign, said once
    // The destinations of the page >> or << just sent; its forward in the follow loop's next pass
    // sends to them instead of waiting for the same names again. Any other step drops them.
    std::optional<Destinations> m_forwardDestinations;
    Destinations m_pageDestinations; // those of the last page sent
    bool m_running = false;
    bool m_ended = false;
    bool m_stopFollowing = false;
};

} // namespace qh::master
