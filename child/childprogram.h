#pragma once

#include "child/childbar.h"
#include "child/childlink.h"
#include "child/childsettings.h"
#include "child/pagewindow.h"

#include <QObject>

namespace qh::child {

// The running child: its socket, the page window that follows the presenter's datagrams and the
// bar whose button calls the teacher, wired together.
class ChildProgram : public QObject
{
    Q_OBJECT
public:
    explicit ChildProgram(const ChildSettings& settings, QObject* parent = nullptr);
    ~ChildProgram() override;

    // Binds the child port and shows the bar; the page window stays hidden until the presenter
    // shows it. False when the port cannot be bound (nothing is shown then).
    bool start();

    PageWindow& pageWindow() { return m_page; }
    ChildBar& bar() { return m_bar; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void act(const ChildAction& action);
    void callTeacher();

    const ChildSettings m_settings;
    ChildLink m_link;
    PageWindow m_page;
    ChildBar m_bar;
};

// The whole program once the application object exists: settings, single-instance test, start,
// event loop. Returns the exit status: 0 after a second start has said so, 1 for unusable settings
// or port, 2 for a command line it does not understand.
int runChildProgram();

} // namespace qh::child
