#include "child/pageloss.h"

#include "common/childaction.h"

namespace qh::child {

PageLoss PageLoss::fromEnvironment()
{
    bool ok = false;
    const int page = qEnvironmentVariableIntValue("QH_CHILD_LOSE_PAGE", &ok);
    return PageLoss(ok && page > 0 ? page : 0);
}

bool PageLoss::loses(QByteArrayView datagram, std::chrono::milliseconds now)
{
    if (m_lostPage <= 0 || m_repaired || !isPageDatagram(datagram))
        return false;
    if (m_pages == 0 || datagram != m_lastPage) {
        ++m_pages;
        m_lastPage = datagram.toByteArray();
    }
    if (m_pages != m_lostPage)
        return false;
    if (m_lastLoss && now - *m_lastLoss >= kCopyGap) {
        m_repaired = true;
        return false;
    }
    m_lastLoss = now;
    return true;
}

} // namespace qh::child
