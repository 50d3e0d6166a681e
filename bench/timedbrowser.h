#pragma once

#include "bench/benchutil.h"
#include "master/browser.h"
#include "master/webbrowser.h"

#include <QList>
#include <QObject>
#include <QWebEnginePage>

#include <cstdint>
#include <memory>

namespace qh::bench {

// One navigation of the browser: when it began and when its load ended (0 while it lasts).
struct TimedLoad {
    std::int64_t startNs = 0;
    std::int64_t endNs = 0;

    double milliseconds() const { return double(endNs - startNs) / 1e6; }
};

// The presenter's real browser, noting each navigation and the end of its load.
class TimedBrowser : public master::Browser
{
public:
    TimedBrowser() : m_inner(std::make_unique<master::WebBrowser>())
    {
        // Connected after the browser's own handler, so isBusy() has already fallen here.
        QObject::connect(m_inner->view()->page(), &QWebEnginePage::loadingChanged, &m_context, [this] {
            if (!loads.isEmpty() && loads.last().endNs == 0 && !m_inner->isBusy())
                loads.last().endNs = nowNs();
        });
        // What the teacher does on the page is the inner browser's.
        connect(m_inner.get(), &Browser::scrolled, this, &Browser::scrolled);
        connect(m_inner.get(), &Browser::placeMeasured, this, &Browser::placeMeasured);
        connect(m_inner.get(), &Browser::pointMeasured, this, &Browser::pointMeasured);
        connect(m_inner.get(), &Browser::zoomed, this, &Browser::zoomed);
        connect(m_inner.get(), &Browser::pointerKeyPressed, this, &Browser::pointerKeyPressed);
        connect(m_inner.get(), &Browser::mouseMoved, this, &Browser::mouseMoved);
        connect(m_inner.get(), &Browser::mouseLeft, this, &Browser::mouseLeft);
    }
    void navigate(const QString& address) override
    {
        loads.append({nowNs(), 0});
        m_inner->navigate(address);
    }
    bool isBusy() const override { return m_inner->isBusy(); }
    bool isLoading() const override { return m_inner->isLoading(); }
    bool isVisible() const override { return m_inner->isVisible(); }
    void setVisible(bool visible) override { m_inner->setVisible(visible); }
    bool hasToolBar() const override { return m_inner->hasToolBar(); }
    void setToolBar(bool shown) override { m_inner->setToolBar(shown); }
    bool hasMenuBar() const override { return m_inner->hasMenuBar(); }
    void setMenuBar(bool shown) override { m_inner->setMenuBar(shown); }
    bool isFullScreen() const override { return m_inner->isFullScreen(); }
    void setFullScreen(bool fullScreen) override { m_inner->setFullScreen(fullScreen); }
    QString locationUrl() const override { return m_inner->locationUrl(); }
    void measurePlace() override { m_inner->measurePlace(); }
    void measurePoint(QPoint at) override { m_inner->measurePoint(at); }
    int zoomPercent() const override { return m_inner->zoomPercent(); }

    // Every navigation since the caller last cleared the list, in order.
    QList<TimedLoad> loads;

private:
    std::unique_ptr<master::WebBrowser> m_inner;
    QObject m_context;
};

} // namespace qh::bench
