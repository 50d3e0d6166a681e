#pragma once

#include "lesson/pagecheck.h"

#include <QPointer>
#include <QUrl>

#include <memory>
#include <vector>

class QWebEngineLoadingInfo;

namespace qh {
class PageProfile;
}

namespace qh::lesson {

class HiddenPage;

// Loads pages one after the other in a hidden Qt WebEngine page of the check's own profile. The
// page is used again for the next address, which is several times faster than a new page each
// time; a page that ran out of time or crashed is dropped, and stop() lets the page go at the end
// of a check, so that nothing a page left running outlives it.
class WebPageProbe : public PageProbe
{
    Q_OBJECT
public:
    explicit WebPageProbe(PageProfile& profile, QObject* parent = nullptr);
    ~WebPageProbe() override;

    void load(const QUrl& url) override;
    void stop() override;

private:
    void loadingChanged(const QWebEngineLoadingInfo& info);
    void finish(const PageOutcome& outcome);
    void discardPage();

    PageProfile& m_profile;
    QPointer<HiddenPage> m_page;
    quint64 m_load = 0;  // counts loads and their ends, so that a late timer of an ended one is dropped
    bool m_busy = false; // between load() and the end it reports
    QUrl m_target;
};

// The check's browser: an off-the-record profile of its own, the teacher's pages' (pageprofile.h),
// without pictures or sound, and a few probes that load in it side by side.
class HiddenBrowser
{
public:
    static constexpr int kPagesAtOnce = 4;

    HiddenBrowser();
    ~HiddenBrowser();
    HiddenBrowser(const HiddenBrowser&) = delete;
    HiddenBrowser& operator=(const HiddenBrowser&) = delete;

    std::vector<PageProbe*> probes() const;

private:
    std::unique_ptr<PageProfile> m_profile;
    std::vector<std::unique_ptr<WebPageProbe>> m_probes; // before the profile goes, their pages go
};

} // namespace qh::lesson
