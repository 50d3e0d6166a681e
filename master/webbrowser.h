#pragma once

#include "common/browserwindow.h"
#include "master/browser.h"

#include <QObject>
#include <QUrl>

#include <memory>

class QWebEngineLoadingInfo;

namespace qh::master {

// The presenter's browser on Qt WebEngine. isBusy() falls when the page has loaded or failed to; a
// move within the same document (a #fragment), which brings no load signal, ends it when the view
// reports the new address, and addresses that cannot be loaded open the blank page instead. Its
// page (UntrustedPage) refuses what would leave it; the dialogs a page opens and the downloads it
// starts are told to the teacher in notices, which nothing waits for.
class WebBrowser : public QObject, public Browser
{
    Q_OBJECT
public:
    WebBrowser();
    ~WebBrowser() override;

    void navigate(const QString& address) override;
    bool isBusy() const override { return m_busy; }
    bool isLoading() const override;
    bool isVisible() const override;
    void setVisible(bool visible) override;
    bool hasToolBar() const override { return m_toolBar; }
    void setToolBar(bool shown) override { m_toolBar = shown; } // the window has no tool bar to show
    bool hasMenuBar() const override { return m_menuBar; }
    void setMenuBar(bool shown) override { m_menuBar = shown; } // nor a menu bar
    bool isFullScreen() const override { return m_view->isFullScreenMode(); }
    void setFullScreen(bool fullScreen) override;
    QString locationUrl() const override;

    BrowserWindow* view() const { return m_view.get(); }

private:
    void loadingChanged(const QWebEngineLoadingInfo& info);
    void urlChanged(const QUrl& url);
    void rendererEnded();

    std::unique_ptr<BrowserWindow> m_view;
    QUrl m_target;
    bool m_busy = false;
    bool m_sameDocument = false;
    bool m_toolBar = false;
    bool m_menuBar = false;
};

} // namespace qh::master
