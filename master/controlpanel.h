#pragma once

#include <QObject>
#include <QTimer>

#include <memory>

namespace qh::master {

class PanelWindow;
class PresenterServices;

// The presenter's control panel: switches single children on and off, and the window that shows
// them (PanelWindow), which the PANEL button shows and hides.
//
// The presenter's start-up calls prepare() once, after the announcement to the children and before
// the browser opens; PANEL calls toggle().
class ControlPanel : public QObject
{
    Q_OBJECT
public:
    explicit ControlPanel(PresenterServices& services, QObject* parent = nullptr);
    ~ControlPanel() override;

    // Loads the window hidden and marks it from the settings: colours, disabled empty slots and
    // the screen-mode check marks. It stays hidden.
    void prepare();

    // PANEL: hides the window when it is shown, shows it otherwise. A window closed with its close
    // box is built anew from its layout, without the start-up marks.
    void toggle();

    // Switches a slot's child off ("Command:VisibleFalse") when it is on, else on
    // ("Command:VisibleTrue", then the page the browser shows), flips its in-use flag and recolours
    // its label. A failed send shows its message and the switch goes on all the same. A slot
    // without a computer stays as it is.
    void switchChild(int index);

    // The pointer was switched on or off (also by its key in the browser window).
    void showPointerOn(bool on);

    // True while the window has been shown through PANEL and not hidden or closed since.
    bool isShown() const { return m_shown; }

    // The loaded window, or nullptr after its close box closed it.
    PanelWindow* window() const { return m_window.get(); }

signals:
    // A window has been built from its layout (at start-up, or after a close), still hidden.
    void windowBuilt(qh::master::PanelWindow* window);

private:
    void buildWindow();
    void windowClosed();
    // Shows how each child follows, from its latest report; once a second while the window is shown.
    void showFollowing();
    void showFollowing(int index);
    void chooseScreenMode(bool fullScreen);

    PresenterServices& m_services;
    std::unique_ptr<PanelWindow> m_window;
    QTimer m_followingTimer;
    bool m_shown = false;
};

} // namespace qh::master
