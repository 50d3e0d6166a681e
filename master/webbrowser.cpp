#include "master/webbrowser.h"

#include "common/browseraddress.h"
#include "common/messages.h"
#include "common/messagetexts.h"
#include "common/untrustedpage.h"
#include "common/viewscripts.h"
#include "master/presentermessages.h"
#include "master/teacherinput.h"

#include <QWebEngineLoadingInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace qh::master {

WebBrowser::WebBrowser()
    : m_view(std::make_unique<BrowserWindow>()), m_placeQuery(*m_view->page()), m_pointQuery(*m_view->page())
{
    m_view->setObjectName(u"Browser"_s);
    connect(m_view->page(), &QWebEnginePage::loadingChanged, this, &WebBrowser::loadingChanged);
    connect(m_view.get(), &QWebEngineView::urlChanged, this, &WebBrowser::urlChanged);
    connect(m_view->page(), &QWebEnginePage::renderProcessTerminated, this, &WebBrowser::rendererEnded);
    // What a page asks of the teacher is shown without waiting, and the presentation goes on.
    connect(m_view->untrustedPage(), &UntrustedPage::dialogRequested, this,
            [](const QString& text, const QUrl& origin) { showNotice(text, pageDialogTitle(origin)); });
    connect(m_view->untrustedPage(), &UntrustedPage::downloadRefused, this,
            [](const QUrl& address) { showNotice(downloadRefusedText(address), kOwnMessageTitle); });

    connect(m_view->page(), &QWebEnginePage::scrollPositionChanged, this, &Browser::scrolled);
    auto* input = new TeacherInput(*m_view);
    connect(input, &TeacherInput::zoomStepped, this, &WebBrowser::stepZoom);
    connect(input, &TeacherInput::pointerKeyPressed, this, &Browser::pointerKeyPressed);
    connect(input, &TeacherInput::mouseMoved, this, &Browser::mouseMoved);
    connect(input, &TeacherInput::mouseLeft, this, &Browser::mouseLeft);
    connect(input, &TeacherInput::resized, this, &Browser::scrolled);
    connect(&m_placeQuery, &PageQuery::answered, this, &WebBrowser::placeAnswered);
    connect(&m_pointQuery, &PageQuery::answered, this, &WebBrowser::pointAnswered);
    for (QTimer* wait : {&m_placeWait, &m_pointWait}) {
        wait->setSingleShot(true);
        wait->setInterval(kMeasureWaitMs);
    }
    connect(&m_placeWait, &QTimer::timeout, this, [this] { emit placeMeasured(m_placeFallback); });
    connect(&m_pointWait, &QTimer::timeout, this, [this] { emit pointMeasured(m_pointFallback); });
}

WebBrowser::~WebBrowser() = default;

void WebBrowser::navigate(const QString& address)
{
    m_target = browserUrl(address);
    m_busy = true;
    m_sameDocument = isSameDocument(m_view->url(), m_target);
    m_view->setUrl(m_target);
    // The view takes the new address at once; a move within the document loads nothing more.
    if (m_sameDocument && m_view->url() == m_target)
        m_busy = false;
}

void WebBrowser::loadingChanged(const QWebEngineLoadingInfo& info)
{
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus || m_view->untrustedPage()->isRestartingLoad())
        return;
    // Only the end of the load of this address counts: a load this navigation replaced (a link the
    // user followed, a page before) may report its end later. A redirect ends on the address the
    // view moved to.
    if (isSameAddress(info.url(), m_target) || isSameAddress(info.url(), m_view->url()))
        m_busy = false;
}

void WebBrowser::rendererEnded()
{
    // A crashed page never finishes loading; the presenter must not wait for it. A renderer that
    // the page ended because it held the load is another matter: the load is being made again.
    if (!m_view->untrustedPage()->isRestartingLoad())
        m_busy = false;
}

void WebBrowser::urlChanged(const QUrl& url)
{
    if (m_sameDocument && url == m_target)
        m_busy = false;
}

bool WebBrowser::isLoading() const
{
    return m_busy || m_view->page()->isLoading();
}

bool WebBrowser::isVisible() const
{
    return m_view->isVisible();
}

void WebBrowser::setVisible(bool visible)
{
    if (visible)
        m_view->showInMode();
    else
        m_view->hide();
}

void WebBrowser::setFullScreen(bool fullScreen)
{
    m_view->setFullScreenMode(fullScreen);
}

QString WebBrowser::locationUrl() const
{
    return sendableAddress(m_view->url());
}

int WebBrowser::zoomPercent() const
{
    return qRound(m_view->zoomFactor() * 100);
}

void WebBrowser::stepZoom(int step)
{
    const int percent = zoomPercentAfter(zoomPercent(), step);
    if (percent == zoomPercent())
        return;
    m_view->setZoomFactor(percent / 100.0);
    emit zoomed(percent);
}

PageSpot WebBrowser::documentSpot(QPointF viewPoint) const
{
    // Both are in the view's pixels, the zoom included.
    const QPointF scroll = m_view->page()->scrollPosition();
    const QSizeF contents = m_view->page()->contentsSize();
    const auto share = [](qreal at, qreal total) {
        return total > 0 ? std::clamp(qRound(at / total * kSpotScale), 0, kSpotScale) : 0;
    };
    PageSpot spot;
    spot.documentX = share(scroll.x() + viewPoint.x(), contents.width());
    spot.documentY = share(scroll.y() + viewPoint.y(), contents.height());
    return spot;
}

void WebBrowser::measurePlace()
{
    m_placeFallback = documentSpot({});
    if (!m_placeQuery.ask(viewTopScript())) {
        emit placeMeasured(m_placeFallback); // the page still holds the last question
        return;
    }
    m_placeWait.start();
}

void WebBrowser::placeAnswered(const QVariant& result)
{
    if (!m_placeWait.isActive())
        return; // too late: the document's share has answered
    m_placeWait.stop();
    emit placeMeasured(spotOf(result.toString().toLatin1()).value_or(m_placeFallback));
}

void WebBrowser::measurePoint(QPoint at)
{
    m_pointFallback = documentSpot(at);
    if (!m_pointQuery.ask(spotAtScript(QPointF(at) / m_view->zoomFactor()))) {
        emit pointMeasured(m_pointFallback);
        return;
    }
    m_pointWait.start();
}

void WebBrowser::pointAnswered(const QVariant& result)
{
    if (!m_pointWait.isActive())
        return;
    m_pointWait.stop();
    emit pointMeasured(spotOf(result.toString().toLatin1()).value_or(m_pointFallback));
}

} // namespace qh::master
