#include "lesson/webprobe.h"

#include "common/browseraddress.h"
#include "common/pageprofile.h"
#include "common/untrustedpage.h"

#include <QTimer>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

#include <chrono>

namespace qh::lesson {

namespace {
// A download ends its page's load as stopped, and the browser names the download just after; a
// stopped load waits this long for it before it counts as an error.
constexpr std::chrono::milliseconds kDownloadGrace{1000};
} // namespace

// A hidden page, locked down as every page is (untrustedpage.h), in the check's own profile, that
// opens no new window and plays no sound. It goes only where the probe sends it (and where the
// server redirects that): a page that moves on by itself, perhaps while the next address is
// already on its way, would otherwise answer for that address with its own title.
class HiddenPage : public UntrustedPage
{
public:
    HiddenPage(PageProfile* profile, QObject* parent)
        : UntrustedPage(PagePolicy{profile, PagePolicy::NewWindows::Drop}, parent)
    {
        setAudioMuted(true);
    }

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int, const QString&) override {}
    bool acceptNavigationRequest(const QUrl&, NavigationType type, bool isMainFrame) override
    {
        return !isMainFrame || type == NavigationTypeTyped || type == NavigationTypeRedirect;
    }
};

WebPageProbe::WebPageProbe(PageProfile& profile, QObject* parent) : PageProbe(parent), m_profile(profile) {}

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
        connect(m_page, &UntrustedPage::downloadRefused, this, [this] {
            if (!m_busy)
                return;
            PageOutcome outcome;
            outcome.kind = PageOutcome::Kind::Download;
            finish(outcome);
        });
        connect(m_page, &QWebEnginePage::renderProcessTerminated, this, [this] {
            // Ended because the page shown before held this load: the page makes the load again.
            if (m_page->isRestartingLoad())
                return;
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

void WebPageProbe::loadingChanged(const QWebEngineLoadingInfo& info)
{
    // Only the end of the load of this address counts, also where a redirect ended it on another
    // address: the page shown before may still report the end of something it began itself. The end
    // of a load whose renderer the page ended does not count either: the load is made again.
    if (!m_busy || m_page->isRestartingLoad() || info.status() == QWebEngineLoadingInfo::LoadStartedStatus ||
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

HiddenBrowser::HiddenBrowser() : m_profile(std::make_unique<PageProfile>())
{
    // What the check needs no more of than a page's title: pictures, plug-ins, sound, the screen.
    QWebEngineSettings* settings = m_profile->settings();
    settings->setAttribute(QWebEngineSettings::AutoLoadImages, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, true);
    settings->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);
    for (int i = 0; i < kPagesAtOnce; ++i)
        m_probes.push_back(std::make_unique<WebPageProbe>(*m_profile));
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
