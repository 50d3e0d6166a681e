#include "common/pageprofile.h"

#include <QFileInfo>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>

using namespace Qt::StringLiterals;

namespace qh {

using child::PageRule;
using child::Refusal;

class PageProfile::Guard : public QWebEngineUrlRequestInterceptor
{
public:
    Guard(std::optional<PageRule> localFolders, PageProfile& profile)
        : m_localFolders(std::move(localFolders)), m_profile(profile)
    {}

    void interceptRequest(QWebEngineUrlRequestInfo& info) override
    {
        const QUrl url = info.requestUrl();
        if (url.scheme() != u"file" || info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame)
            return;
        const Refusal refusal =
            m_localFolders ? m_localFolders->refusalOf(url) : ownFolderRefusal(info.firstPartyUrl(), url);
        if (refusal == Refusal::None)
            return;
        info.block(true);
        emit m_profile.requestRefused(url, refusal);
    }

private:
    // A file asked for by the page shown (the frame's top page): under that page's own folder.
    static Refusal ownFolderRefusal(const QUrl& page, const QUrl& url)
    {
        if (page.scheme() != u"file" || !page.host().isEmpty())
            return Refusal::FileOutside;
        return PageRule({QFileInfo(page.toLocalFile()).absolutePath()}).refusalOf(url);
    }

    const std::optional<PageRule> m_localFolders;
    PageProfile& m_profile;
};

PageProfile::PageProfile() : PageProfile(std::optional<PageRule>()) {}

PageProfile::PageProfile(PageRule localFolders) : PageProfile(std::optional<PageRule>(std::move(localFolders))) {}

PageProfile::PageProfile(std::optional<PageRule> localFolders)
    : m_guard(std::make_unique<Guard>(std::move(localFolders), *this))
{
    setUrlRequestInterceptor(m_guard.get());
}

PageProfile::~PageProfile()
{
    setUrlRequestInterceptor(nullptr);
}

} // namespace qh
