#pragma once

#include "bench/benchutil.h"
#include "master/browser.h"
#include "master/webbrowser.h"

#include <QObject>
#include <QWebEnginePage>

#include <cstdint>
#include <memory>

namespace qh::bench {

// The presenter's real browser, noting when its last navigation began and when that load ended.
class TimedBrowser : public master::Browser
{
public:
    TimedBrowser() : m_inner(std::make_unique<master::WebBrowser>())
    {
        // Connected after the browser's own handler, so isBusy() has already fallen here.
        QObject::connect(m_inner->view()->page(), &QWebEnginePage::loadingChanged, &m_context, [this] {
            if (m_waiting && !m_inner->isBusy()) {
                loadEndNs = nowNs();
                m_waiting = false;
            }
        });
    }
    void navigate(const QString& address) override
    {
        m_waiting = true;
        loadStartNs = nowNs();
        loadEndNs = 0;
        m_inner->navigate(address);
    }
    bool isBusy() const override { return m_inner->isBusy(); }
    bool isVisible() const override { return m_inner->isVisible(); }
    void setVisible(bool visible) override { m_inner->setVisible(visible); }
    bool hasToolBar() const override { return m_inner->hasToolBar(); }
    void setToolBar(bool shown) override { m_inner->setToolBar(shown); }
    bool hasMenuBar() const override { return m_inner->hasMenuBar(); }
    void setMenuBar(bool shown) override { m_inner->setMenuBar(shown); }
    bool isFullScreen() const override { return m_inner->isFullScreen(); }
    void setFullScreen(bool fullScreen) override { m_inner->setFullScreen(fullScreen); }
    QString locationUrl() const override { return m_inner->locationUrl(); }

    std::int64_t loadStartNs = 0;
    std::int64_t loadEndNs = 0; // 0 while the load lasts

private:
    std::unique_ptr<master::WebBrowser> m_inner;
    QObject m_context;
    bool m_waiting = false;
};

} // namespace qh::bench
