#pragma once

#include "common/pagequery.h"
#include "common/viewdatagrams.h"

#include <QObject>
#include <QPointF>
#include <QUrl>

#include <optional>

namespace qh::child {

class PageWindow;
class PointerDot;

// Where the teacher is, on this child's page: the presenter's place, zoom and pointer
// (common/viewdatagrams.h) applied to the page window. A place or a pointer that comes while the
// page loads waits until it is in; one for a page the student has left by a link waits for the
// teacher's page. The latest one counts: while the page has not answered one script, newer ones
// replace the one waiting. The child never tells the presenter anything about it, so a page that
// fights the scrolling costs nothing beyond this computer.
class FollowedView : public QObject
{
    Q_OBJECT
public:
    explicit FollowedView(PageWindow& window);

    // Before the window opens a page: another page than before starts at its top, without the
    // pointer.
    void pageSent(const QUrl& page);
    void place(const PageSpot& place);
    void zoom(int percent);
    void point(const PageSpot& spot);
    void pointerOff();

signals:
    // The page's scroll position after a place, in CSS pixels.
    void placed(QPointF scroll);
    void zoomed(int percent);
    // Where the pointer shows, in the page's CSS pixels; or that it no longer shows.
    void pointed(QPointF at);
    void pointerHidden();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool mayApply() const;
    void applyDue();
    void placeAnswered(const QVariant& result);
    void pointAnswered(const QVariant& result);
    void moveDot();

    PageWindow& m_window;
    PointerDot* m_dot; // a child of the window
    PageQuery m_placeQuery;
    PageQuery m_pointQuery;
    QUrl m_page;
    std::optional<PageSpot> m_place; // the page's last place, which a reload after a crash applies again
    bool m_placeDue = false;
    std::optional<PageSpot> m_pointer;
    bool m_pointerDue = false;
    std::optional<QPointF> m_dotAt; // in the page's CSS pixels
};

} // namespace qh::child
