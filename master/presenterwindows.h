#pragma once

#include "callreception.h"
#include "controlpanel.h"

namespace qh::master {

class Presenter;

// The presenter's secondary windows, the control panel and the call window, attached to a running
// presentation: the panel is prepared at start-up and shown by PANEL, and every datagram the master
// port receives goes to the call reception.
class PresenterWindows
{
public:
    explicit PresenterWindows(Presenter& presenter);
    ~PresenterWindows();
    PresenterWindows(const PresenterWindows&) = delete;
    PresenterWindows& operator=(const PresenterWindows&) = delete;

    ControlPanel& panel() { return m_panel; }
    CallReception& calls() { return m_calls; }

private:
    Presenter& m_presenter;
    ControlPanel m_panel;
    CallReception m_calls;
};

} // namespace qh::master
