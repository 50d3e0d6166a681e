#include "child/pagewindow.h"

#include "common/browseraddress.h"
#include "common/pageprofile.h"
#include "common/untrustedpage.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QPointer>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNavigationRequest>
#include <QWebEngineScript>

#include <algorithm>
#include <array>

using namespace Qt::StringLiterals;

namespace qh::child {

namespace {
// A page that crashes its renderer again right after a reload is reloaded only after this pause,
// so that it cannot keep the computer busy restarting renderers.
constexpr int kCrashPauseMs = 10000;
// A page loaded without the loading signals is looked at this often, for at most this long.
constexpr int kQuietLoadCheckMs = 100;
constexpr qint64 kQuietLoadLongestMs = 10000;

// What the context menu keeps: moving within the page's history, editing and copying. Everything
// else (open in a new window, save, view the source, inspect, download) would leave the page.
constexpr std::array kKeptActions{
    QWebEnginePage::Back,
    QWebEnginePage::Forward,
    QWebEnginePage::Reload,
    QWebEnginePage::Stop,
    QWebEnginePage::Cut,
    QWebEnginePage::Copy,
    QWebEnginePage::Paste,
    QWebEnginePage::Undo,
    QWebEnginePage::Redo,
    QWebEnginePage::SelectAll,
    QWebEnginePage::PasteAndMatchStyle,
    QWebEnginePage::Unselect,
    QWebEnginePage::CopyLinkToClipboard,
    QWebEnginePage::CopyImageToClipboard,
};

// The view may write an address with or without a closing slash ("http://example.com/").
bool sameAddress(const QUrl& left, const QUrl& right)
{
    const QUrl::FormattingOptions form = QUrl::StripTrailingSlash | QUrl::NormalizePathSegments;
    return left.adjusted(form) == right.adjusted(form);
}
} // namespace

PageWindow::PageWindow(PageRule rule) : BrowserWindow(std::make_unique<PageProfile>(rule)), m_rule(std::move(rule))
{
    connect(pageProfile(), &PageProfile::requestRefused, this, &PageWindow::navigationRefused);
    m_navigate.setSingleShot(true);
    m_navigate.setInterval(0);
    connect(&m_navigate, &QTimer::timeout, this, &PageWindow::navigate);
    m_reload.setSingleShot(true);
    connect(&m_reload, &QTimer::timeout, this, &PageWindow::reloadTarget);
    connect(page(), &QWebEnginePage::loadingChanged, this, &PageWindow::loadingChanged);
    connect(page(), &QWebEnginePage::renderProcessTerminated, this, &PageWindow::rendererEnded);
    connect(page(), &QWebEnginePage::navigationRequested, this, &PageWindow::navigationRequested);
    connect(page(), &QWebEnginePage::urlChanged, this, &PageWindow::urlChanged);
    m_quietLoadCheck.setInterval(kQuietLoadCheckMs);
    connect(&m_quietLoadCheck, &QTimer::timeout, this, &PageWindow::checkQuietLoad);
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
    if (sameAddress(m_target, url()) && (m_state == LoadState::Loading || m_state == LoadState::Loaded)) {
        if (m_state == LoadState::Loaded)
            emit settled();
        return;
    }
    m_retried = false;
    m_quietLoadCheck.stop();
    // A move within the document loads nothing, and no end of a load comes for it.
    const bool sameDocument = m_state == LoadState::Loaded && isSameDocument(url(), m_target);
    m_targetEnded = sameDocument;
    m_state = sameDocument ? LoadState::Loaded : LoadState::Loading;
    setUrl(m_target);
    if (sameDocument)
        emit settled();
}

bool PageWindow::showsTarget() const
{
    return !m_userMoved && sameAddress(m_target, url());
}

void PageWindow::navigationRequested(QWebEngineNavigationRequest& request)
{
    // A frame within the page may show what pages use inside (blank, data, blob frames); a local
    // file in it, like every request of the page, meets the rule in the profile.
    const QUrl target = request.url();
    const Refusal refusal = request.isMainFrame() ? m_rule.refusalOf(target) : Refusal::None;
    if (refusal != Refusal::None) {
        request.reject();
        emit navigationRefused(target, refusal);
        return;
    }
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

void PageWindow::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (QAction* action : menu->actions()) {
        const bool kept = std::any_of(kKeptActions.cbegin(), kKeptActions.cend(),
                                      [&](QWebEnginePage::WebAction kind) { return pageAction(kind) == action; });
        if (!kept && !action->isSeparator())
            menu->removeAction(action);
    }
    if (menu->actions().isEmpty() || std::all_of(menu->actions().cbegin(), menu->actions().cend(),
                                                 [](const QAction* action) { return action->isSeparator(); })) {
        delete menu;
        return;
    }
    menu->popup(event->globalPos());
}

void PageWindow::loadingChanged(const QWebEngineLoadingInfo& info)
{
    // The end of a load whose renderer the page ended: the page makes the load again.
    if (untrustedPage()->isRestartingLoad())
        return;
    const bool started = info.status() == QWebEngineLoadingInfo::LoadStartedStatus;
    // Only the load of the page the view shows counts; a load it replaced may end later. But when
    // the page sent replaced one that was loading, Qt WebEngine may tell the end of both under the
    // first one's address: once nothing loads any more, the end is that of the page shown.
    const bool ofPageShown = sameAddress(info.url(), url());
    const bool allEnded = !started && !m_targetEnded && !page()->isLoading() && sameAddress(url(), m_target);
    if (!ofPageShown && !allEnded)
        return;
    if (started) {
        m_quietLoadCheck.stop(); // told after all
        m_state = LoadState::Loading;
        return;
    }
    endLoad(ofPageShown ? info.url() : url(),
            info.status() == QWebEngineLoadingInfo::LoadSucceededStatus ? LoadState::Loaded : LoadState::Failed);
}

void PageWindow::urlChanged(const QUrl& shown)
{
    // Qt WebEngine may also load the page sent, when it replaced a page whose load then ended,
    // without telling either its start or its end: the page is looked at until it has loaded.
    if (!m_targetEnded && sameAddress(shown, m_target) && !page()->isLoading() &&
        !untrustedPage()->isRestartingLoad() && !m_quietLoadCheck.isActive()) {
        m_state = LoadState::Loading;
        m_quietLoadSince.start();
        m_quietLoadCheck.start();
    } else if (!sameAddress(shown, m_target)) {
        m_quietLoadCheck.stop();
    }
}

void PageWindow::checkQuietLoad()
{
    if (m_targetEnded || page()->isLoading() || m_quietLoadSince.elapsed() > kQuietLoadLongestMs) {
        m_quietLoadCheck.stop();
        return;
    }
    // The address of the document in the page once it has loaded: the page before it is still
    // there until the new one has come.
    const QUrl shown = url();
    page()->runJavaScript(u"document.readyState === 'complete' ? document.URL : ''"_s,
                          QWebEngineScript::ApplicationWorld,
                          [window = QPointer<PageWindow>(this), shown](const QVariant& loaded) {
                              if (window && window->m_quietLoadCheck.isActive() && window->url() == shown &&
                                  sameAddress(QUrl(loaded.toString()), shown))
                                  window->endLoad(shown, LoadState::Loaded);
                          });
}

void PageWindow::endLoad(const QUrl& loaded, LoadState state)
{
    m_quietLoadCheck.stop();
    m_state = state;
    if (sameAddress(loaded, m_target))
        m_targetEnded = true;
    emit loadEnded(loaded, m_state == LoadState::Loaded);
    if (m_state == LoadState::Loaded)
        emit settled();
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
    if (untrustedPage()->isRestartingLoad()) {
        // Ended because a script held the page: the page loads the page sent again itself.
        m_state = LoadState::Loading;
        emit reloadingAfterCrash(m_target);
        return;
    }
    m_state = LoadState::Failed;
    if (m_target.isEmpty() || m_reload.isActive())
        return;
    const bool crashedRightAfterReload = m_sinceReload.isValid() && m_sinceReload.elapsed() < kCrashPauseMs;
    // Not from inside the signal of the renderer that has just gone.
    m_reload.start(crashedRightAfterReload ? kCrashPauseMs : 0);
}

void PageWindow::reloadTarget()
{
    m_targetEnded = false;
    m_sinceReload.start();
    m_state = LoadState::Loading;
    emit reloadingAfterCrash(m_target);
    setUrl(m_target);
}

} // namespace qh::child
