#include "master/presenterwindows.h"

#include "master/panelwindow.h"
#include "master/presenter.h"

#include <QPushButton>

namespace qh::master {

PresenterWindows::PresenterWindows(Presenter& presenter)
    : m_panel(presenter), m_classView(presenter, presenter.classroom()), m_classMenu(presenter.classroom())
{
    // Every connection has a window of its own as context, so none outlives these windows.
    QObject::connect(m_bar.homeButton(), &QPushButton::clicked, &m_bar, [&presenter] { presenter.home(); });
    QObject::connect(m_bar.previousButton(), &QPushButton::clicked, &m_bar, [&presenter] { presenter.previousPage(); });
    QObject::connect(m_bar.nextButton(), &QPushButton::clicked, &m_bar, [&presenter] { presenter.nextPage(); });
    QObject::connect(m_bar.panelButton(), &QPushButton::clicked, &m_bar, [&presenter] { presenter.togglePanel(); });
    QObject::connect(m_bar.endButton(), &QPushButton::clicked, &m_bar, [&presenter] { presenter.end(); });

    QObject::connect(&presenter, &Presenter::barNeeded, &m_bar, [this] { setTopmost(&m_bar, 1); });
    QObject::connect(&presenter, &Presenter::browserShown, &m_bar, &PresenterBar::keepAbove);
    QObject::connect(&presenter, &Presenter::pageShown, &m_bar, &PresenterBar::setPageNumber);
    QObject::connect(&presenter, &Presenter::ended, &m_bar, &QWidget::hide);
    QObject::connect(&presenter, &Presenter::panelPreparing, &m_panel, &ControlPanel::prepare);
    QObject::connect(&presenter, &Presenter::panelToggled, &m_panel, &ControlPanel::toggle);
    QObject::connect(&presenter, &Presenter::datagramReceived, &m_calls, &CallReception::handleDatagram);
    QObject::connect(&m_panel, &ControlPanel::windowBuilt, &m_classMenu,
                     [this](PanelWindow* window) { m_classMenu.addTo(window->menuBar()); });
    QObject::connect(&m_classMenu, &ClassMenu::classViewRequested, &m_classView, &ClassView::open);
    QObject::connect(&presenter.view(), &ViewFollower::pointerSwitched, &m_panel, &ControlPanel::showPointerOn);
}

} // namespace qh::master
