#include "child/pagewindow.h"

#include <QGuiApplication>
#include <QWebEngineLoadingInfo>

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
    m_reload.setSingleShot(true);
    connect(&m_reload, &QTimer::timeout, this, &PageWindow::reloadTarget);
    connect(page(), &QWebEnginePage::loadingChanged, this, &PageWindow::loadingChanged);
    connect(page(), &QWebEnginePage::renderProcessTerminated, this, &PageWindow::rendererEnded);
}

void PageWindow::open(const QUrl& page)
{
    const bool current = sameAddress(page, url()) && (m_state == LoadState::Loading || m_state == LoadState::Loaded);
    m_target = page;
    if (current)
        return;
    m_reload.stop(); // the new page replaces a reload still due
    m_state = LoadState::Loading;
    setUrl(page);
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
