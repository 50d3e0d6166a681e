#include "presenterwindows.h"

#include "presenter.h"

namespace qh::master {

PresenterWindows::PresenterWindows(Presenter& presenter) : m_presenter(presenter), m_panel(presenter)
{
    m_presenter.preparePanel = [this] { m_panel.prepare(); };
    m_presenter.panelButton = [this] { m_panel.Command2_Click(); };
    m_presenter.datagramArrived = [this](const QByteArray& datagram) { m_calls.Winsock1_DataArrival(datagram); };
}

PresenterWindows::~PresenterWindows()
{
    // The presentation may outlive these windows (in tests): it must not call into them any more.
    m_presenter.preparePanel = nullptr;
    m_presenter.panelButton = nullptr;
    m_presenter.datagramArrived = nullptr;
}

} // namespace qh::master
