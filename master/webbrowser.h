#pragma once

#include "common/browserwindow.h"
#include "common/pagequery.h"
#include "master/browser.h"

#include <QTimer>
#include <QUrl>

#include <memory>

class QWebEngineLoadingInfo;

namespace qh::master {

// The presenter's browser on Qt WebEngine. isBusy() falls when the page has loaded or failed to; a
// move within the same document (a #fragment), which brings no load signal, ends it when the view
// reports the new address, and addresses that cannot be loaded open the blank page instead. Its
// page (UntrustedPage) refuses what would leave it; the dialogs a page opens and the downloads it
// starts are told to the teacher in notices, which nothing waits for.
//
// Where the teacher is on the page is measured by a script in the isolated world (common/
// viewscripts.h). A page whose script does not answer within kMeasureWaitMs cannot hold the
// measure: the document's share that Qt WebEngine gives without any script answers in its place,
// and a later answer follows when nothing newer was asked.
class WebBrowser : public Browser
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
    void measurePlace() override;
    void measurePoint(QPoint at) override;
    int zoomPercent() const override;

    static constexpr int kMeasureWaitMs = 30;

    BrowserWindow* view() const { return m_view.get(); }

private:
    void loadingChanged(const QWebEngineLoadingInfo& info);
    void urlChanged(const QUrl& url);
    void rendererEnded();
    void stepZoom(int step);
    // The spot of a point of the view (CSS pixels of the view) from the scroll position and the
    // contents' size alone.
    PageSpot documentSpot(QPointF viewPoint) const;
    void placeAnswered(const QVariant& result);
    void pointAnswered(const QVariant& result);

    std::unique_ptr<BrowserWindow> m_view;
    QUrl m_target;
    bool m_busy = false;
    bool m_sameDocument = false;
    bool m_toolBar = false;
    bool m_menuBar = false;
    PageQuery m_placeQuery;
    PageQuery m_pointQuery;
    // The document's shares of the last measure, sent when its script does not answer in time.
    PageSpot m_placeFallback;
    PageSpot m_pointFallback;
    QTimer m_placeWait;
    QTimer m_pointWait;
};

} // namespace qh::master
