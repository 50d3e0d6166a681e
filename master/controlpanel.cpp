#include "master/controlpanel.h"

#include "common/datagrams.h"
#include "master/panelwindow.h"
#include "master/presenterservices.h"

namespace qh::master {

ControlPanel::ControlPanel(PresenterServices& services, QObject* parent) : QObject(parent), m_services(services) {}

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
        return;
    }
    if (!m_window)
        buildWindow();
    m_window->show();
    m_window->raise();
    m_shown = true;
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
    if (m_window)
        m_window->showSwitchedOn(index, slot.isInUse());
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
}

void ControlPanel::windowClosed()
{
    m_shown = false;
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
