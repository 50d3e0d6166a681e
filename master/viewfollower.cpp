#include "master/viewfollower.h"

#include "master/browser.h"

#include <algorithm>
#include <utility>

namespace qh::master {

ViewFollower::ViewFollower(QObject* parent) : QObject(parent)
{
    m_clock.start();
    for (Paced* paced : {&m_place, &m_pointer}) {
        paced->timer.setSingleShot(true);
        // A coarse timer may fire 5 % late, past the time the last place is due.
        paced->timer.setTimerType(Qt::PreciseTimer);
        connect(&paced->timer, &QTimer::timeout, this, [this, paced] { run(*paced); });
    }
    m_stillTimer.setSingleShot(true);
    m_stillTimer.setInterval(kStillDelay);
    connect(&m_stillTimer, &QTimer::timeout, this, &ViewFollower::becameStill);
}

void ViewFollower::setBrowser(Browser* browser)
{
    if (m_browser)
        disconnect(m_browser, nullptr, this, nullptr);
    m_browser = browser;
    m_place.timer.stop();
    m_pointer.timer.stop();
    m_mouseOver = false;
    if (!browser) {
        // The presentation has ended: nothing may follow the children's VisibleFalse.
        m_stillTimer.stop();
        m_again = {};
        return;
    }
    m_zoom = browser->zoomPercent();
    connect(browser, &Browser::scrolled, this, &ViewFollower::scrolled);
    connect(browser, &Browser::placeMeasured, this, &ViewFollower::placeMeasured);
    connect(browser, &Browser::pointMeasured, this, &ViewFollower::pointMeasured);
    connect(browser, &Browser::zoomed, this, &ViewFollower::zoomed);
    connect(browser, &Browser::pointerKeyPressed, this, [this] { setPointerOn(!m_pointerOn); });
    connect(browser, &Browser::mouseMoved, this, &ViewFollower::mouseMoved);
    connect(browser, &Browser::mouseLeft, this, &ViewFollower::mouseLeft);
}

void ViewFollower::setListened(bool listened)
{
    if (listened == m_listened)
        return;
    m_listened = listened;
    // The first child to listen may join a lesson whose teacher has scrolled already.
    if (listened)
        request(m_place);
}

void ViewFollower::setCurrentPage(const QByteArray& page)
{
    if (page == m_page)
        return; // the same page sent again (the forward after >>): the children keep their place
    m_page = page;
    m_pageLocation = m_browser ? m_browser->locationUrl() : QString();
    ++m_pageGeneration;
    m_place.timer.stop();
    m_pointer.timer.stop();
    m_lastPlace.clear();
    m_lastPlaceAtTop = true;
    m_lastPointer.clear();
    m_pointerShown = false; // a child hides the pointer with the page it showed it on
    m_again[std::size_t(Again::Place)] = false;
    m_again[std::size_t(Again::PointerOff)] = false;
    emit currentViewChanged(currentView());
    // The page may not be at its top: a link to a part of it, a place the browser restored.
    if (m_listened)
        request(m_place);
}

void ViewFollower::setPointerOn(bool on)
{
    if (on == m_pointerOn)
        return;
    m_pointerOn = on;
    if (on) {
        if (m_mouseOver && m_listened)
            request(m_pointer);
    } else {
        m_pointer.timer.stop();
        hidePointer();
    }
    emit pointerSwitched(on);
}

QByteArrayList ViewFollower::currentView() const
{
    QByteArrayList view;
    if (!m_lastPlaceAtTop)
        view.append(m_lastPlace);
    if (m_zoom != 100)
        view.append(zoomDatagram(m_zoom));
    return view;
}

void ViewFollower::request(Paced& paced)
{
    const qint64 now = m_clock.elapsed();
    if (now >= paced.dueMs) {
        paced.timer.stop();
        run(paced);
        return;
    }
    // Each request moves the run to its quiet time after it, but never past the interval's end.
    const qint64 runAt = std::min(paced.dueMs, std::max(now + kQuietMs, paced.dueMs - paced.interval / 2));
    paced.timer.start(int(runAt - now));
}

void ViewFollower::run(Paced& paced)
{
    paced.dueMs = std::max(paced.dueMs, m_clock.elapsed()) + paced.interval;
    if (&paced == &m_place)
        measurePlace();
    else
        measurePoint();
}

bool ViewFollower::showsSentPage() const
{
    return m_browser && !m_browser->isLoading() && m_browser->locationUrl() == m_pageLocation;
}

void ViewFollower::scrolled()
{
    if (!m_listened || !showsSentPage())
        return;
    request(m_place);
    // Other text is under the mouse now.
    if (m_pointerShown)
        request(m_pointer);
}

bool ViewFollower::measurePlace()
{
    if (!m_listened || !showsSentPage())
        return false;
    m_placeAsked = m_pageGeneration;
    m_browser->measurePlace();
    return true;
}

void ViewFollower::placeMeasured(const PageSpot& place)
{
    if (m_placeAsked != m_pageGeneration || !m_listened || !showsSentPage())
        return; // measured on a page the children no longer show
    const QByteArray datagram = placeDatagram(place);
    // Every child starts a page at its top; an unchanged place needs no datagram either, unless
    // it is the measure made again once the view is still.
    const bool again = std::exchange(m_placeAgain, false);
    if (!again && (datagram == m_lastPlace || (m_lastPlaceAtTop && place.isDocumentStart())))
        return;
    m_lastPlace = datagram;
    m_lastPlaceAtTop = place.isDocumentStart();
    if (again)
        emit datagramReady(datagram); // once, with no further time of stillness
    else
        send(datagram, Again::Place);
    emit currentViewChanged(currentView());
}

void ViewFollower::zoomed(int percent)
{
    if (percent == m_zoom)
        return;
    m_zoom = percent;
    if (m_listened)
        send(zoomDatagram(percent), Again::Zoom);
    emit currentViewChanged(currentView());
}

void ViewFollower::mouseMoved(QPoint at)
{
    m_mouse = at;
    m_mouseOver = true;
    if (m_pointerOn && m_listened)
        request(m_pointer);
}

void ViewFollower::mouseLeft()
{
    m_mouseOver = false;
    m_pointer.timer.stop();
    hidePointer();
}

bool ViewFollower::measurePoint()
{
    if (!m_pointerOn || !m_mouseOver || !m_listened || !showsSentPage())
        return false;
    m_pointAsked = m_pageGeneration;
    m_browser->measurePoint(m_mouse);
    return true;
}

void ViewFollower::pointMeasured(const PageSpot& spot)
{
    if (m_pointAsked != m_pageGeneration || !m_pointerOn || !m_mouseOver || !m_listened || !showsSentPage())
        return;
    const QByteArray datagram = pointerDatagram(spot);
    const bool again = std::exchange(m_pointAgain, false);
    if (!again && datagram == m_lastPointer)
        return;
    m_lastPointer = datagram;
    m_pointerShown = true;
    m_again[std::size_t(Again::PointerOff)] = false; // it shows again
    if (again)
        emit datagramReady(datagram);
    else
        send(datagram, Again::Nothing);
}

void ViewFollower::hidePointer()
{
    if (!m_pointerShown)
        return;
    m_pointerShown = false;
    m_lastPointer.clear();
    send(pointerOffDatagram(), Again::PointerOff);
}

void ViewFollower::send(const QByteArray& datagram, Again again)
{
    emit datagramReady(datagram);
    if (again != Again::Nothing)
        m_again[std::size_t(again)] = true;
    m_stillTimer.start();
}

void ViewFollower::becameStill()
{
    const std::array<bool, kAgainKinds> again = std::exchange(m_again, {});
    if (!m_listened)
        return;
    // Measured anew rather than sent as before: a page that held its script while the teacher
    // scrolled has its element's place by now.
    if (again[std::size_t(Again::Place)]) {
        m_placeAgain = true; // taken by the measure's answer, which may come at once
        if (!measurePlace())
            m_placeAgain = false;
    }
    if (again[std::size_t(Again::Zoom)])
        emit datagramReady(zoomDatagram(m_zoom));
    if (again[std::size_t(Again::PointerOff)])
        emit datagramReady(pointerOffDatagram());
    else if (m_pointerShown) {
        m_pointAgain = true;
        if (!measurePoint())
            m_pointAgain = false;
    }
}

} // namespace qh::master
