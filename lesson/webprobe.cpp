#include "lesson/webprobe.h"

#include "common/browseraddress.h"

#include <QTimer>
#include <QWebEngineDownloadRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

#include <chrono>

namespace qh::lesson {

namespace {
// A download ends its page's load as stopped, and the browser names the download just after; a
// stopped load waits this long for it before it counts as an error.
constexpr std::chrono::milliseconds kDownloadGrace{1000};
} // namespace

// A hidden page that nothing it asks for reaches the user: no dialog, file chooser, window,
// permission or full screen, and no sound. It goes only where the probe sends it (and where the
// server redirects that): a page that moves on by itself, perhaps while the next address is
// already on its way, would otherwise answer for that address with its own title.
class HiddenPage : public QWebEnginePage
{
public:
    HiddenPage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent)
    {
        setAudioMuted(true);
        connect(this, &QWebEnginePage::featurePermissionRequested, this, [this](const QUrl& origin, Feature feature) {
            setFeaturePermission(origin, feature, PermissionDeniedByUser);
        });
        connect(this, &QWebEnginePage::fullScreenRequested, this,
                [](QWebEngineFullScreenRequest request) { request.reject(); });
    }

protected:
    void javaScriptAlert(const QUrl&, const QString&) override {}
    bool javaScriptConfirm(const QUrl&, const QString&) override { return false; }
    bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override { return false; }
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int, const QString&) override {}
    QStringList chooseFiles(FileSelectionMode, const QStringList&, const QStringList&) override { return {}; }
    QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }
    bool acceptNavigationRequest(const QUrl&, NavigationType type, bool isMainFrame) override
    {
        return !isMainFrame || type == NavigationTypeTyped || type == NavigationTypeRedirect;
    }
};

WebPageProbe::WebPageProbe(QWebEngineProfile& profile, QObject* parent) : PageProbe(parent), m_profile(profile) {}

WebPageProbe::~WebPageProbe() = default; // the pages are children, gone before the profile

void WebPageProbe::load(const QUrl& url)
{
    // A move within the page shown would load nothing and report nothing: such a page starts fresh.
    const auto document = [](const QUrl& address) { return address.adjusted(QUrl::RemoveFragment); };
    if (m_page && document(m_page->url()) == document(url))
        discardPage();
    if (!m_page) {
        m_page = new HiddenPage(&m_profile, this);
        connect(m_page, &QWebEnginePage::loadingChanged, this, &WebPageProbe::loadingChanged);
        connect(m_page, &QWebEnginePage::renderProcessTerminated, this, [this] {
            PageOutcome outcome;
            outcome.kind = PageOutcome::Kind::Crashed;
            finish(outcome);
            discardPage();
        });
    }
    ++m_load;
    m_busy = true;
    m_target = url;
    m_page->load(url);
}

void WebPageProbe::stop()
{
    // A page stopped for its time is not trusted with the next address; an idle one is let go.
    m_busy = false;
    discardPage();
}

void WebPageProbe::downloadRequested(QWebEngineDownloadRequest* download)
{
    if (!m_busy || download->page() != m_page)
        return;
    PageOutcome outcome;
    outcome.kind = PageOutcome::Kind::Download;
    finish(outcome);
}

void WebPageProbe::loadingChanged(const QWebEngineLoadingInfo& info)
{
    // Only the end of the load of this address counts, also where a redirect ended it on another
    // address: the page shown before may still report the end of something it began itself.
    if (!m_busy || info.status() == QWebEngineLoadingInfo::LoadStartedStatus ||
        !(isSameAddress(info.url(), m_target) || isSameAddress(info.url(), m_page->url())))
        return;
    PageOutcome outcome;
    switch (info.status()) {
    case QWebEngineLoadingInfo::LoadStartedStatus:
        return;
    case QWebEngineLoadingInfo::LoadSucceededStatus:
        outcome.title = m_page->title();
        break;
    case QWebEngineLoadingInfo::LoadStoppedStatus:
        // Only this probe stops its pages, by discarding them; a load stopped otherwise is a
        // download (named soon after), or a load the page broke off for another that may still end.
        QTimer::singleShot(kDownloadGrace, this, [this, load = m_load, error = info.errorString()] {
            if (load != m_load)
                return;
            PageOutcome stopped;
            stopped.kind = PageOutcome::Kind::NetworkError;
            stopped.error = error;
            finish(stopped);
        });
        return;
    case QWebEngineLoadingInfo::LoadFailedStatus:
        if (info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain) {
            outcome.kind = PageOutcome::Kind::HttpStatus;
            outcome.httpStatus = info.errorCode();
        } else {
            outcome.kind = PageOutcome::Kind::NetworkError;
            outcome.error = info.errorString();
        }
        break;
    }
    finish(outcome);
}

void WebPageProbe::finish(const PageOutcome& outcome)
{
    if (!m_busy)
        return;
    m_busy = false;
    ++m_load;
    emit finished(outcome);
}

void WebPageProbe::discardPage()
{
    if (!m_page)
        return;
    ++m_load;
    m_page->disconnect(this);
    // Later, since this may run inside one of the page's own signals.
    m_page->deleteLater();
    m_page = nullptr;
}

HiddenBrowser::HiddenBrowser() : m_profile(std::make_unique<QWebEngineProfile>())
{
    QWebEngineSettings* settings = m_profile->settings();
    settings->setAttribute(QWebEngineSettings::AutoLoadImages, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, true);
    settings->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
    settings->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);
    settings->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);
    for (int i = 0; i < kPagesAtOnce; ++i)
        m_probes.push_back(std::make_unique<WebPageProbe>(*m_profile));
    QObject::connect(m_profile.get(), &QWebEngineProfile::downloadRequested, m_profile.get(),
                     [this](QWebEngineDownloadRequest* download) {
                         for (const auto& probe : m_probes)
                             probe->downloadRequested(download);
                         download->cancel();
                     });
}

HiddenBrowser::~HiddenBrowser() = default;

std::vector<PageProbe*> HiddenBrowser::probes() const
{
    std::vector<PageProbe*> probes;
    for (const auto& probe : m_probes)
        probes.push_back(probe.get());
    return probes;
}

} // namespace qh::lesson
