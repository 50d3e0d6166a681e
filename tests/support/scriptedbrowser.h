#pragma once

#include "master/browser.h"

#include <QObject>
#include <QStringList>

#include <memory>

namespace qh::test {

// What a scripted browser did; outlives the browser, which the presenter releases at End.
struct BrowserLog {
    QStringList navigations;
    bool visible = false;
    bool fullScreen = false;
    bool toolBar = true;
    bool menuBar = true;
    bool released = false;
    int loadMilliseconds = 0; // > 0: each load keeps isBusy() true this long
    qh::PageSpot place;       // what a measure of the place answers, in the next turn of the event loop
    int placeMeasures = 0;
};

// A browser without pages, for the presenter's logic: it goes where it is sent at once (or after
// a scripted load time) and can be made to follow a link as a user would.
class ScriptedBrowser : public master::Browser
{
public:
    explicit ScriptedBrowser(std::shared_ptr<BrowserLog> log) : m_log(std::move(log)) {}
    ~ScriptedBrowser() override { m_log->released = true; }

    void navigate(const QString& address) override;
    bool isBusy() const override { return m_busy; }
    bool isLoading() const override { return m_busy; }
    bool isVisible() const override { return m_log->visible; }
    void setVisible(bool visible) override { m_log->visible = visible; }
    bool hasToolBar() const override { return m_log->toolBar; }
    void setToolBar(bool shown) override { m_log->toolBar = shown; }
    bool hasMenuBar() const override { return m_log->menuBar; }
    void setMenuBar(bool shown) override { m_log->menuBar = shown; }
    bool isFullScreen() const override { return m_log->fullScreen; }
    void setFullScreen(bool fullScreen) override { m_log->fullScreen = fullScreen; }
    QString locationUrl() const override { return m_location; }
    void measurePlace() override;
    // The spot of a point is the point itself, as the document's shares: (x, y) gives "x y 0 0 -".
    void measurePoint(QPoint at) override;
    int zoomPercent() const override { return 100; }

    // The user clicked a link in the page.
    void followLink(const QString& address) { m_location = address; }

private:
    std::shared_ptr<BrowserLog> m_log;
    QObject m_context;
    QString m_location;
    bool m_busy = false;
};

} // namespace qh::test
