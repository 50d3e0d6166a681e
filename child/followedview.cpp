#include "child/followedview.h"

#include "child/pagewindow.h"
#include "child/pointerdot.h"
#include "common/viewscripts.h"

#include <QChildEvent>

namespace qh::child {

FollowedView::FollowedView(PageWindow& window)
    : m_window(window), m_dot(new PointerDot(window)), m_placeQuery(*window.page()), m_pointQuery(*window.page())
{
    connect(&window, &PageWindow::settled, this, &FollowedView::applyDue);
    connect(&window, &PageWindow::reloadingAfterCrash, this, [this] {
        m_placeDue = m_place.has_value(); // the new renderer starts the page at its top
        m_pointerDue = m_pointer.has_value();
    });
    connect(&m_placeQuery, &PageQuery::answered, this, &FollowedView::placeAnswered);
    connect(&m_pointQuery, &PageQuery::answered, this, &FollowedView::pointAnswered);
    connect(window.page(), &QWebEnginePage::scrollPositionChanged, this, &FollowedView::moveDot);
    // Qt WebEngine puts the page's widget into the window as the page first shows: the dot stays above it.
    window.installEventFilter(this);
}

bool FollowedView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_window && event->type() == QEvent::ChildAdded &&
        static_cast<QChildEvent*>(event)->child() != m_dot)
        m_dot->raise();
    return QObject::eventFilter(watched, event);
}

void FollowedView::pageSent(const QUrl& page)
{
    if (page == m_page)
        return;
    m_page = page;
    m_place.reset();
    m_placeDue = false;
    pointerOff();
}

void FollowedView::place(const PageSpot& place)
{
    m_place = place;
    m_placeDue = true;
    applyDue();
}

void FollowedView::zoom(int percent)
{
    m_window.setZoomFactor(percent / 100.0);
    emit zoomed(percent);
    moveDot();
}

void FollowedView::point(const PageSpot& spot)
{
    m_pointer = spot;
    m_pointerDue = true;
    applyDue();
}

void FollowedView::pointerOff()
{
    const bool shown = m_pointer || m_dotAt;
    m_pointer.reset();
    m_pointerDue = false;
    m_dotAt.reset();
    m_dot->hide();
    if (shown)
        emit pointerHidden();
}

bool FollowedView::mayApply() const
{
    return !m_window.isSettling() && m_window.showsTarget();
}

void FollowedView::applyDue()
{
    if (!mayApply())
        return;
    if (m_placeDue && m_placeQuery.ask(scrollToPlaceScript(*m_place)))
        m_placeDue = false;
    if (m_pointerDue && m_pointQuery.ask(pagePointScript(*m_pointer)))
        m_pointerDue = false;
}

void FollowedView::placeAnswered(const QVariant& result)
{
    if (const std::optional<QPointF> scroll = scriptPointOf(result))
        emit placed(*scroll);
    applyDue(); // a newer place may have come meanwhile
}

void FollowedView::pointAnswered(const QVariant& result)
{
    const std::optional<QPointF> at = scriptPointOf(result);
    if (at && m_pointer) { // not switched off meanwhile
        m_dotAt = at;
        moveDot();
        emit pointed(*at);
    }
    applyDue();
}

void FollowedView::moveDot()
{
    if (!m_dotAt)
        return;
    // The scroll position is in the view's pixels, the zoom included; the point in CSS pixels.
    const QPointF inView = *m_dotAt * m_window.zoomFactor() - m_window.page()->scrollPosition();
    m_dot->showAt(inView.toPoint());
}

} // namespace qh::child
