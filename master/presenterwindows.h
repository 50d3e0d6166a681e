#pragma once

#include "master/callreception.h"
#include "master/classmenu.h"
#include "master/classview.h"
#include "master/controlpanel.h"
#include "master/presenterbar.h"

namespace qh::master {

class Presenter;

// The presenter's windows, wired to a presentation: the bar whose buttons drive it, the control
// panel that is prepared at start-up and shown by PANEL, the call reception that takes every
// datagram the master port receives, and the class view and attention, from the panel's menu.
class PresenterWindows
{
public:
    explicit PresenterWindows(Presenter& presenter);
    PresenterWindows(const PresenterWindows&) = delete;
    PresenterWindows& operator=(const PresenterWindows&) = delete;

    PresenterBar& bar() { return m_bar; }
    ControlPanel& panel() { return m_panel; }
    CallReception& calls() { return m_calls; }
    ClassView& classView() { return m_classView; }
    ClassMenu& classMenu() { return m_classMenu; }

private:
    PresenterBar m_bar;
    ControlPanel m_panel;
    CallReception m_calls;
    ClassView m_classView;
    ClassMenu m_classMenu;
};

} // namespace qh::master
