#pragma once

#include "common/viewdatagrams.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QElapsedTimer>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QTimer>

#include <array>
#include <chrono>

namespace qh::master {

class Browser;

// The key in the browser window that switches the pointer on and off (also the panel's item).
inline constexpr QKeyCombination kPointerKey{Qt::ControlModifier, Qt::Key_L};

// One place in this time while the page scrolls, and the last one when it stops.
inline constexpr std::chrono::milliseconds kPlaceInterval{100};
// One pointer move in this time while the mouse moves, and the last one when it stops.
inline constexpr std::chrono::milliseconds kPointerInterval{50};
// No scroll or move for this long: the teacher has stopped, and the last place or move may go out
// a little early.
inline constexpr qint64 kQuietMs = 20;
// Once the view has been still this long, what was sent last is sent once more (the place and the
// pointer measured anew), so that one lost datagram does not leave a child at another place or
// zoom, or with a pointer that is off.
inline constexpr std::chrono::milliseconds kStillDelay{1000};

// Where the teacher is on the page, for the children that speak our extension: the place at the top
// of the view while it scrolls, the zoom, and the pointer while it is on (common/viewdatagrams.h).
// It follows the browser's signals and measures only while some child listens (setListened), so a
// class of children that know only the described datagrams costs nothing, and an idle browser
// costs nothing at all: there is no polling, only timers that a scroll or a move starts.
//
// A new page starts at the top on every child, as the page itself does; a place goes out for it only
// when the teacher's view is elsewhere (a link to a part of the page, a place the browser restored).
// A measure that comes back after the page has changed is dropped.
class ViewFollower : public QObject
{
    Q_OBJECT
public:
    explicit ViewFollower(QObject* parent = nullptr);

    // The browser to follow, or none (End).
    void setBrowser(Browser* browser);
    // Some child in use speaks our extension.
    void setListened(bool listened);
    // The children are being sent this page. A page other than the one before starts at the top.
    void setCurrentPage(const QByteArray& page);

    bool isPointerOn() const { return m_pointerOn; }
    void setPointerOn(bool on);

    // What a child that catches up gets after the page: the place unless it is the top, the zoom
    // unless it is 100 %.
    QByteArrayList currentView() const;

signals:
    // A datagram for every child in use that speaks our extension.
    void datagramReady(const QByteArray& datagram);
    void currentViewChanged(const QByteArrayList& datagrams);
    void pointerSwitched(bool on);

private:
    // An action run at most once per interval on average: at once when it has not run for an
    // interval; while requests keep coming, once the interval is over; and once they have stopped
    // for kQuietMs, as soon as half the interval is over, so that the last one comes sooner. Each
    // run moves the next one's time an interval on, also an early one, which a later one makes up
    // for: within any time, one run per interval, and the first and the last.
    struct Paced {
        explicit Paced(std::chrono::milliseconds gap) : interval(gap.count()) {}
        QTimer timer;
        qint64 dueMs = 0; // on m_clock: from here on a run may come at once
        qint64 interval;
    };
    void request(Paced& paced);
    void run(Paced& paced);

    void scrolled();
    void placeMeasured(const PageSpot& place);
    void zoomed(int percent);
    void mouseMoved(QPoint at);
    void mouseLeft();
    void pointMeasured(const PageSpot& spot);
    // False when there is nothing to measure now.
    bool measurePlace();
    bool measurePoint();
    // Whether a measure of the browser now speaks for the page the children were sent.
    bool showsSentPage() const;
    // What is sent again once the view is still.
    enum class Again { Place, Zoom, PointerOff, Nothing };
    static constexpr std::size_t kAgainKinds = 3;
    // Sends the datagram, and (again) once more when the view has been still for kStillDelay.
    void send(const QByteArray& datagram, Again again);
    void hidePointer();
    void becameStill();

    QPointer<Browser> m_browser;
    bool m_listened = false;
    QByteArray m_page;
    QString m_pageLocation;       // where the browser was when the children were sent the page
    quint64 m_pageGeneration = 0; // one more for each new page
    quint64 m_placeAsked = 0;     // the page generation of the last place measure asked for
    quint64 m_pointAsked = 0;
    QElapsedTimer m_clock;
    Paced m_place{kPlaceInterval};
    Paced m_pointer{kPointerInterval};
    QByteArray m_lastPlace; // the last place sent for this page; none yet: the top
    bool m_lastPlaceAtTop = true;
    QByteArray m_lastPointer;
    int m_zoom = 100;
    bool m_pointerOn = false;
    bool m_pointerShown = false; // the children show the pointer
    bool m_mouseOver = false;
    QPoint m_mouse;
    QTimer m_stillTimer;
    std::array<bool, kAgainKinds> m_again{};
    bool m_placeAgain = false; // the next place measured is sent even when unchanged
    bool m_pointAgain = false;
};

} // namespace qh::master
