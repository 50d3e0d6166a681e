#include "common/untrustedpage.h"

#include "common/pageprofile.h"

#include <QCoreApplication>
#include <QWebEngineClientCertificateSelection>
#include <QWebEngineDownloadRequest>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineProfile>
#include <QWebEngineQuotaRequest>
#include <QWebEngineRegisterProtocolHandlerRequest>
#include <QWebEngineScript>
#include <QWebEngineSettings>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/types.h>
#endif

using namespace Qt::StringLiterals;

namespace qh {

namespace {
// The category Qt writes a page's console to; rules set for "js" apply to both.
Q_LOGGING_CATEGORY(pageConsoleLog, "js", QtWarningMsg)

// A navigation still waiting this long has its page asked whether its renderer still answers...
constexpr int kNavigationCheckMs = 1500;
// ...and a renderer that gives no answer in this time is ended.
constexpr int kAnswerWaitMs = 1500;
// The held load ends soon after its renderer; should it not, it is made again after this time.
constexpr int kRestartFallbackMs = 1000;

// Chromium asks "leave this page?" as a confirm with this text of Qt's.
QString leavePageQuestion()
{
    return QCoreApplication::translate(
        "QWebEnginePage", "Are you sure you want to leave this page? Changes that you made may not be saved.");
}

// What a link in a page may open here: the web, and local files from a local page (as Chromium
// lets a link do); never another scheme.
bool mayOpenFrom(const QUrl& page, const QUrl& target)
{
    const QString scheme = target.scheme();
    return scheme == u"http" || scheme == u"https" || (target.isLocalFile() && page.isLocalFile());
}
} // namespace

UntrustedPage::UntrustedPage(const PagePolicy& policy, QObject* parent)
    : QWebEnginePage(policy.profile, parent), m_newWindows(policy.newWindows),
      m_probeState(std::make_shared<ProbeState>())
{
    QWebEngineSettings* own = settings();
    own->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);
    own->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    own->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
    // Left on: off, Qt WebEngine gives a local page no local file at all, not even the pictures of
    // its own folder. With it on a local page could read any file the program may read; the
    // profile's rule (pageprofile.h) keeps every such request to the files the page may have.
    own->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);

    connect(this, &QWebEnginePage::featurePermissionRequested, this, [this](const QUrl& origin, Feature feature) {
        setFeaturePermission(origin, feature, PermissionDeniedByUser);
    });
    connect(this, &QWebEnginePage::fullScreenRequested, this,
            [](QWebEngineFullScreenRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::registerProtocolHandlerRequested, this,
            [](QWebEngineRegisterProtocolHandlerRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::fileSystemAccessRequested, this,
            [](QWebEngineFileSystemAccessRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::quotaRequested, this, [](QWebEngineQuotaRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::selectClientCertificate, this,
            [](QWebEngineClientCertificateSelection selection) { selection.selectNone(); });
    connect(this, &QWebEnginePage::newWindowRequested, this, &UntrustedPage::openNewWindowHere);
    // The profile is shared by every page of the program; each page refuses its own downloads.
    connect(profile(), &QWebEngineProfile::downloadRequested, this, &UntrustedPage::refuseDownload);

    m_navigationCheck.setSingleShot(true);
    m_navigationCheck.setInterval(kNavigationCheckMs);
    connect(&m_navigationCheck, &QTimer::timeout, this, &UntrustedPage::checkNavigation);
    m_answerWait.setSingleShot(true);
    m_answerWait.setInterval(kAnswerWaitMs);
    connect(&m_answerWait, &QTimer::timeout, this, &UntrustedPage::endUnansweringRenderer);
    connect(this, &QWebEnginePage::loadingChanged, this, &UntrustedPage::watchLoading);
    connect(this, &QWebEnginePage::renderProcessTerminated, this, [this] {
        m_navigationCheck.stop();
        m_answerWait.stop();
    });
    m_restartFallback.setSingleShot(true);
    m_restartFallback.setInterval(kRestartFallbackMs);
    connect(&m_restartFallback, &QTimer::timeout, this, &UntrustedPage::restartLoad);
    m_consoleClock.start();
}

void UntrustedPage::javaScriptAlert(const QUrl& securityOrigin, const QString& text)
{
    emit dialogRequested(text, securityOrigin);
}

bool UntrustedPage::javaScriptConfirm(const QUrl& securityOrigin, const QString& text)
{
    if (text == leavePageQuestion())
        return true;
    emit dialogRequested(text, securityOrigin);
    return false;
}

bool UntrustedPage::javaScriptPrompt(const QUrl& securityOrigin, const QString& text, const QString&, QString*)
{
    emit dialogRequested(text, securityOrigin);
    return false;
}

QStringList UntrustedPage::chooseFiles(FileSelectionMode, const QStringList&, const QStringList&)
{
    return {}; // no file of this computer goes to a page, and no modal file dialog comes up
}

void UntrustedPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                             int lineNumber, const QString& sourceId)
{
    const QtMsgType type = level == InfoMessageLevel      ? QtInfoMsg
                           : level == WarningMessageLevel ? QtWarningMsg
                                                          : QtCriticalMsg;
    // A line the log would not take costs nothing, and is not counted as left out.
    if (!pageConsoleLog().isEnabled(type) || !m_consoleBudget.mayWrite(m_consoleClock.elapsed()))
        return;
    if (const qint64 leftOut = m_consoleBudget.takeHeldBack()) {
        qCWarning(pageConsoleLog).noquote() << leftOut << "lines of the page's console left out: more than"
                                            << kPageConsoleLines << "in" << kPageConsoleSpanMs / 1000 << "s";
    }
    QWebEnginePage::javaScriptConsoleMessage(level, message, lineNumber, sourceId);
}

void UntrustedPage::refuseDownload(QWebEngineDownloadRequest* download)
{
    if (download->page() != this)
        return;
    download->cancel();
    emit downloadRefused(download->url());
}

void UntrustedPage::openNewWindowHere(QWebEngineNewWindowRequest& request)
{
    if (!request.isUserInitiated() || m_newWindows == PagePolicy::NewWindows::Drop)
        return; // opened by a script on its own, or no new window at all: dropped
    const QUrl target = request.requestedUrl();
    if (!mayOpenFrom(url(), target))
        return;
    // Not from inside the request, which the browser is still making.
    QTimer::singleShot(0, this, [this, target] { setUrl(target); });
}

void UntrustedPage::watchLoading(const QWebEngineLoadingInfo& info)
{
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
        // The load made again, or a newer one that takes its place, starts in a new renderer with
        // no document before it: nothing there can hold it.
        const bool afterEnd = m_restart != Restart::None;
        m_restart = Restart::None;
        m_restartFallback.stop();
        m_navigation = info.url();
        const QWebEngineHistoryItem shown = history()->currentItem();
        m_documentBefore =
            shown.isValid() && !afterEnd ? DocumentStamp{shown.url(), shown.lastVisited()} : DocumentStamp{};
        m_answerWait.stop();
        m_navigationCheck.start();
        return;
    }
    if (info.url() != m_navigation)
        return;
    m_navigationCheck.stop();
    m_answerWait.stop();
    if (m_restart == Restart::Ending)
        restartLoad(); // the load the ended renderer held has ended
}

void UntrustedPage::checkNavigation()
{
    // Only the document shown before the navigation can hold it: once the new one is in, or when
    // there was none, there is nothing to ask.
    const QWebEngineHistoryItem shown = history()->currentItem();
    if (!m_documentBefore.url.isValid() || !shown.isValid() ||
        DocumentStamp{shown.url(), shown.lastVisited()} != m_documentBefore)
        return;
    const quint64 probe = ++m_probeState->sent;
    runJavaScript(u"0"_s, QWebEngineScript::ApplicationWorld,
                  [state = std::weak_ptr<ProbeState>(m_probeState), probe](const QVariant&) {
                      if (const std::shared_ptr<ProbeState> answered = state.lock())
                          answered->answered = probe;
                  });
    m_answerWait.start();
}

void UntrustedPage::endUnansweringRenderer()
{
    if (m_probeState->answered == m_probeState->sent) {
        m_navigationCheck.start(); // it answers: the wait is elsewhere (a slow server); look again later
        return;
    }
#ifdef Q_OS_UNIX
    // The renderer's main thread is stuck in the page's script; only ending it frees the page.
    const qint64 renderer = renderProcessPid();
    if (renderer <= 1 || renderer == QCoreApplication::applicationPid())
        return;
    m_restart = Restart::Ending;
    m_restartTarget = m_navigation;
    m_restartFallback.start();
    ::kill(pid_t(renderer), SIGKILL);
#endif
}

void UntrustedPage::restartLoad()
{
    if (m_restart != Restart::Ending)
        return;
    m_restartFallback.stop();
    m_restart = Restart::Loading;
    // Once the page has put back the document before the held load, which it does as that ends.
    QTimer::singleShot(0, this, [this] {
        if (m_restart == Restart::Loading) // unless another load has taken its place meanwhile
            setUrl(m_restartTarget);
    });
}

} // namespace qh
