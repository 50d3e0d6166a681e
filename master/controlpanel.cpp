#include "master/controlpanel.h"

#include "common/datagrams.h"
#include "master/panelwindow.h"
#include "master/presentermessages.h"
#include "master/presenterservices.h"

namespace qh::master {

namespace {
// The tooltips count the seconds since each report.
constexpr int kFollowingRefreshMs = 1000;
} // namespace

ControlPanel::ControlPanel(PresenterServices& services, QObject* parent)
    : QObject(parent), m_services(services), m_followingTimer(this)
{
    m_followingTimer.setInterval(kFollowingRefreshMs);
    connect(&m_followingTimer, &QTimer::timeout, this, qOverload<>(&ControlPanel::showFollowing));
}

ControlPanel::~ControlPanel() = default;

void ControlPanel::prepare()
{
    buildWindow();
    for (int index = 0; index < kSlotCount; ++index) {
        const ChildSlot& slot = m_services.childSlot(index);
        // A flag that is neither leaves the label in its default colour.
        if (slot.inUse == kInUseFlag || slot.inUse == kNotInUseFlag)
            m_window->showSwitchedOn(index, slot.isInUse());
        if (!slot.holdsComputer())
            m_window->disableSlot(index);
    }
    m_window->setScreenModeChecks(isFullScreen(m_services.screenMode()));
}

void ControlPanel::toggle()
{
    if (m_shown) {
        if (m_window)
            m_window->hide();
        m_shown = false;
        m_followingTimer.stop();
        return;
    }
    if (!m_window)
        buildWindow();
    showFollowing();
    m_window->show();
    m_window->raise();
    m_shown = true;
    m_followingTimer.start();
}

void ControlPanel::switchChild(int index)
{
    ChildSlot& slot = m_services.childSlot(index);
    if (!slot.holdsComputer())
        return;
    // A message about a failed send is application-modal, so the window cannot be closed while
    // it is open; it is there again when the send returns.
    if (slot.isInUse()) {
        m_services.sendToChild(index, {commandText(kVerbVisibleFalse)});
        slot.inUse = kNotInUseFlag;
    } else {
        // The command, then the address the browser shows now (it may be a link followed away from
        // the list): one step, the name looked up once for both. The address is empty only when no
        // page was ever shown: there is nothing to send then.
        QStringList texts{commandText(kVerbVisibleTrue)};
        const QString address = m_services.browserLocation();
        if (!address.isEmpty())
            texts.append(address);
        m_services.sendToChild(index, texts);
        slot.inUse = kInUseFlag;
    }
    if (m_window) {
        m_window->showSwitchedOn(index, slot.isInUse());
        showFollowing(index);
    }
}

void ControlPanel::showFollowing()
{
    for (int index = 0; index < kSlotCount; ++index)
        showFollowing(index);
}

void ControlPanel::showFollowing(int index)
{
    if (!m_window)
        return;
    const SlotFollowing following = m_services.slotFollowing(index);
    m_window->showFollowing(index, following.state,
                            followingToolTip(index + 1, m_services.childSlot(index).computerName, following));
}

void ControlPanel::buildWindow()
{
    if (m_window) {
        m_window->disconnect(this);
        m_window.release()->deleteLater();
    }
    m_window = std::make_unique<PanelWindow>();
    connect(m_window.get(), &PanelWindow::slotClicked, this, &ControlPanel::switchChild);
    connect(m_window.get(), &PanelWindow::screenModeChosen, this, &ControlPanel::chooseScreenMode);
    connect(m_window.get(), &PanelWindow::closed, this, &ControlPanel::windowClosed);
    connect(m_window.get(), &PanelWindow::pointerChosen, this, [this](bool on) { m_services.setPointerOn(on); });
    m_window->setPointerCheck(m_services.isPointerOn());
    emit windowBuilt(m_window.get());
}

void ControlPanel::showPointerOn(bool on)
{
    if (m_window)
        m_window->setPointerCheck(on);
}

void ControlPanel::windowClosed()
{
    m_shown = false;
    m_followingTimer.stop();
    if (!m_window)
        return;
    m_window->disconnect(this);
    // Discarded once its close has finished; PANEL builds it anew.
    m_window.release()->deleteLater();
}

void ControlPanel::chooseScreenMode(bool fullScreen)
{
    m_services.setBrowserFullScreen(fullScreen);
    if (m_window)
        m_window->setScreenModeChecks(fullScreen);
}

} // namespace qh::master
