#include "child/pagewindow.h"

#include <QGuiApplication>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNavigationRequest>

using namespace Qt::StringLiterals;

namespace qh::child {

namespace {
// A page that crashes its renderer again right after a reload is reloaded only after this pause,
// so that it cannot keep the computer busy restarting renderers.
constexpr int kCrashPauseMs = 10000;

// The view may write an address with or without a closing slash ("http://example.com/").
bool sameAddress(const QUrl& left, const QUrl& right)
{
    const QUrl::FormattingOptions form = QUrl::StripTrailingSlash | QUrl::NormalizePathSegments;
    return left.adjusted(form) == right.adjusted(form);
}
} // namespace

PageWindow::PageWindow()
{
    m_navigate.setSingleShot(true);
    m_navigate.setInterval(0);
    connect(&m_navigate, &QTimer::timeout, this, &PageWindow::navigate);
    m_reload.setSingleShot(true);
    connect(&m_reload, &QTimer::timeout, this, &PageWindow::reloadTarget);
    connect(page(), &QWebEnginePage::loadingChanged, this, &PageWindow::loadingChanged);
    connect(page(), &QWebEnginePage::renderProcessTerminated, this, &PageWindow::rendererEnded);
    connect(page(), &QWebEnginePage::navigationRequested, this, &PageWindow::navigationRequested);
}

void PageWindow::open(const QUrl& page)
{
    m_target = page;
    m_userMoved = false;
    m_reload.stop(); // the new page replaces a reload still due
    m_navigate.start();
}

void PageWindow::navigate()
{
    if (sameAddress(m_target, url()) && (m_state == LoadState::Loading || m_state == LoadState::Loaded))
        return;
    m_retried = false;
    m_state = LoadState::Loading;
    setUrl(m_target);
}

void PageWindow::navigationRequested(QWebEngineNavigationRequest& request)
{
    if (!request.isMainFrame())
        return;
    switch (request.navigationType()) {
    case QWebEngineNavigationRequest::LinkClickedNavigation:
    case QWebEngineNavigationRequest::FormSubmittedNavigation:
    case QWebEngineNavigationRequest::BackForwardNavigation:
        m_userMoved = true;
        break;
    default:
        break;
    }
}

void PageWindow::setShown(bool shown)
{
    if (!shown) {
        hide();
        return;
    }
    showInMode();
    // Without a screen there is no stacking order to change.
    if (QGuiApplication::platformName() != u"offscreen") {
        raise();
        activateWindow();
    }
}

void PageWindow::loadingChanged(const QWebEngineLoadingInfo& info)
{
    // Only the load of the page the view shows counts; a load it replaced may end later.
    if (!sameAddress(info.url(), url()))
        return;
    switch (info.status()) {
    case QWebEngineLoadingInfo::LoadStartedStatus:
        m_state = LoadState::Loading;
        return;
    case QWebEngineLoadingInfo::LoadSucceededStatus:
        m_state = LoadState::Loaded;
        break;
    case QWebEngineLoadingInfo::LoadStoppedStatus:
    case QWebEngineLoadingInfo::LoadFailedStatus:
        m_state = LoadState::Failed;
        break;
    }
    emit loadEnded(info.url(), m_state == LoadState::Loaded);
    // The error page of a load that a later page replaced can still take the window over, and the
    // later page is then never shown: it is loaded once more.
    if (m_state == LoadState::Failed && !m_userMoved && !m_retried && !m_target.isEmpty() &&
        !sameAddress(url(), m_target)) {
        m_retried = true;
        m_state = LoadState::Loading;
        setUrl(m_target);
    }
}

void PageWindow::rendererEnded()
{
    m_state = LoadState::Failed;
    if (m_target.isEmpty() || m_reload.isActive())
        return;
    const bool crashedRightAfterReload = m_sinceReload.isValid() && m_sinceReload.elapsed() < kCrashPauseMs;
    // Not from inside the signal of the renderer that has just gone.
    m_reload.start(crashedRightAfterReload ? kCrashPauseMs : 0);
}

void PageWindow::reloadTarget()
{
    m_sinceReload.start();
    m_state = LoadState::Loading;
    emit reloadingAfterCrash(m_target);
    setUrl(m_target);
}

} // namespace qh::child
