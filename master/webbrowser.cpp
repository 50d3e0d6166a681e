#include "master/webbrowser.h"

#include "common/browseraddress.h"
#include "common/messages.h"
#include "common/messagetexts.h"
#include "common/untrustedpage.h"
#include "master/presentermessages.h"

#include <QWebEngineLoadingInfo>

using namespace Qt::StringLiterals;

namespace qh::master {

WebBrowser::WebBrowser() : m_view(std::make_unique<BrowserWindow>())
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

} // namespace qh::master
