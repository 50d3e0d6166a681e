#pragma once

#include "child/attentionclock.h"
#include "child/attentionscreen.h"
#include "child/callstate.h"
#include "child/childbar.h"
#include "child/childlink.h"
#include "child/childsettings.h"
#include "child/followedview.h"
#include "child/pagewindow.h"

#include <QObject>
#include <QTimer>

namespace qh::child {

// The running child: its socket, the page window that follows the presenter's datagrams and the
// bar whose button calls the teacher, wired together.
class ChildProgram : public QObject
{
    Q_OBJECT
public:
    explicit ChildProgram(const ChildSettings& settings, QObject* parent = nullptr);
    ~ChildProgram() override;

    // Binds the child port, shows the bar and starts looking for the master; the page window
    // stays hidden until the presenter shows it. False when the port cannot be bound (nothing is
    // shown then); portBusy() then tells another program holding it from a port that cannot be
    // had at all (an address that is not this computer's, a port this user may not bind).
    bool start();
    bool portBusy() const { return m_link.bindError() == QAbstractSocket::AddressInUseError; }

    PageWindow& pageWindow() { return m_page; }
    ChildBar& bar() { return m_bar; }
    AttentionScreen& attentionScreen() { return m_cover; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void act(const ChildAction& action);
    void actInClassroom(const ClassroomCommand& command);
    void callTeacher();
    void callConfirmed();
    // Shows what the call button reads now, and when it reads otherwise, shows that then.
    void showCallReading();

    const ChildSettings m_settings;
    ChildLink m_link;
    PageWindow m_page;
    FollowedView m_view{m_page};
    ChildBar m_bar;
    CallState m_call;
    AttentionClock m_attention;
    AttentionScreen m_cover;
    CallState::Reading m_callReading = CallState::Reading::Ready;
    QTimer m_callReadingChange;
};

// The exit statuses, which the autostart wrapper (packaging/child-autostart.in) reads: it ends
// with 0, 1 and 2, and starts the program again after any other end, a signal among them; 3 and 4
// are what the previous login's child leaves while it is still going away.
enum ChildExitStatus {
    kEndedAsAsked = 0,   // --help, or the desktop session told the program to end
    kBadSettings = 1,    // the settings cannot be used, or the child port can never be bound here
    kBadCommandLine = 2, // an option the program does not know, or one without its value
    kAlreadyRunning = 3, // this user's child on the same port and address runs already
    kPortBusy = 4,       // another program (another user's child among them) holds the child port
};
// Qt itself ends the program with status 1 when its connection to the display breaks: the session
// is over, and starting it again would not help either.

// The whole program once the application object exists: settings, single-instance test, start,
// event loop. Returns one of the exit statuses above.
int runChildProgram();

} // namespace qh::child
