#include "tests/support/scriptedbrowser.h"

#include "common/browseraddress.h"

#include <QTimer>

namespace qh::test {

void ScriptedBrowser::navigate(const QString& address)
{
    m_log->navigations.append(address);
    m_location = browserUrl(address).toString();
    if (m_log->loadMilliseconds > 0) {
        m_busy = true;
        QTimer::singleShot(m_log->loadMilliseconds, &m_context, [this] { m_busy = false; });
    }
}

} // namespace qh::test
