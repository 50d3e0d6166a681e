#pragma once

#include "common/viewdatagrams.h"

#include <QObject>
#include <QPoint>
#include <QString>

namespace qh::master {

// The one browser window the presenter drives. The program uses the Qt WebEngine window
// (WebBrowser); tests may drive the presenter with a scripted one.
class Browser : public QObject
{
    Q_OBJECT
public:
    ~Browser() override = default;

    // Starts loading the address; isBusy() is true from here until the page has loaded or failed.
    virtual void navigate(const QString& address) = 0;
    virtual bool isBusy() const = 0;
    // A page is loading in the window now, one navigate() asked for or one the user opened in it.
    virtual bool isLoading() const = 0;

    virtual bool isVisible() const = 0;
    virtual void setVisible(bool visible) = 0;
    virtual bool hasToolBar() const = 0;
    virtual void setToolBar(bool shown) = 0;
    virtual bool hasMenuBar() const = 0;
    virtual void setMenuBar(bool shown) = 0;
    virtual bool isFullScreen() const = 0;
    virtual void setFullScreen(bool fullScreen) = 0;

    // The address shown now, as the browser writes it; one that code page 932 cannot hold unchanged
    // in its fully encoded form (sendableAddress()), since this is what the children are sent.
    virtual QString locationUrl() const = 0;

    // Where the teacher is on the page. Each measure is answered once, later, by its signal, and
    // never waited for: the page may hold its script forever.
    virtual void measurePlace() = 0;
    // The spot under a point of the window (as mouseMoved() gives it).
    virtual void measurePoint(QPoint at) = 0;
    virtual int zoomPercent() const = 0;

signals:
    // The document has scrolled, by the teacher or by the page itself, or the window changed its
    // size: the place at the top of the view may be another one.
    void scrolled();
    void placeMeasured(const qh::PageSpot& place);
    void pointMeasured(const qh::PageSpot& spot);
    // The teacher zoomed the page (Ctrl and the wheel, Ctrl and + - 0).
    void zoomed(int percent);
    // The teacher pressed the pointer's key (kPointerKey) in the window.
    void pointerKeyPressed();
    // The mouse moved over the page, at this point of the window; or left it.
    void mouseMoved(QPoint at);
    void mouseLeft();
};

} // namespace qh::master
