#pragma once

#include "common/browserwindow.h"
#include "common/pagerule.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QUrl>

class QWebEngineLoadingInfo;
class QWebEngineNavigationRequest;

namespace qh::child {

// The child's one page window: it shows each page the presenter sends, in place, and keeps it
// shown through a crash of its renderer, which reloads the page by itself. Within the page, too,
// it goes only where its page rule allows, and every request the page makes meets the rule (its
// profile, pageprofile.h); its page's dialogs are never shown, and its context menu offers
// nothing that leaves the page.
class PageWindow : public BrowserWindow
{
    Q_OBJECT
public:
    explicit PageWindow(PageRule rule = PageRule());

    // Goes to the page in this window, in the next turn of the event loop, so that of a burst of
    // pages only the last is loaded. A new page while one loads replaces that load. The page shown
    // or loading now is not loaded again (the presenter sends each page twice), unless its last
    // load failed or the user has moved on from it in the page.
    void open(const QUrl& page);

    // Shows the window in its screen mode, above the other windows; or hides it.
    void setShown(bool shown);

    // The page last sent, which a crashed renderer reloads.
    QUrl target() const { return m_target; }
    // The window shows that page, and the student has not followed a link away from it.
    bool showsTarget() const;
    // A page is due or loading: what is to happen on the page waits for settled().
    bool isSettling() const { return m_navigate.isActive() || m_state == LoadState::Loading; }

signals:
    // A page's load has ended, well or not.
    void loadEnded(const QUrl& page, bool succeeded);
    // The page sent is in: loaded, kept as it was (the same page sent again), or moved to within
    // the document.
    void settled();
    // The renderer ended while showing the page; the page is loaded anew.
    void reloadingAfterCrash(const QUrl& page);
    // The page went, or a link in it led, to an address the rule does not show, and it stays where
    // it is; or the page asked for a local file the rule does not show (a picture, a frame, a
    // script's request), which it does not get.
    void navigationRefused(const QUrl& page, qh::child::Refusal refusal);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    enum class LoadState { None, Loading, Loaded, Failed };

    void navigate();
    void navigationRequested(QWebEngineNavigationRequest& request);
    void loadingChanged(const QWebEngineLoadingInfo& info);
    void urlChanged(const QUrl& url);
    void checkQuietLoad();
    void endLoad(const QUrl& loaded, LoadState state);
    void rendererEnded();
    void reloadTarget();

    const PageRule m_rule;
    QUrl m_target;
    LoadState m_state = LoadState::None;
    bool m_userMoved = false;   // the user followed a link or went back since the page came
    bool m_retried = false;     // the page was loaded once more after an earlier page's failure
    bool m_targetEnded = false; // the end of the page sent has been told
    QTimer m_navigate;
    // Looks whether a page that Qt WebEngine loads without telling (see urlChanged()) has loaded.
    QTimer m_quietLoadCheck;
    QElapsedTimer m_quietLoadSince;
    QTimer m_reload;
    QElapsedTimer m_sinceReload; // invalid until the first reload after a crash
};

} // namespace qh::child
