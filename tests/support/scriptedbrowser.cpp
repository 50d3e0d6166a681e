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

void ScriptedBrowser::measurePlace()
{
    ++m_log->placeMeasures;
    QTimer::singleShot(0, &m_context, [this, place = m_log->place] { emit placeMeasured(place); });
}

void ScriptedBrowser::measurePoint(QPoint at)
{
    QTimer::singleShot(0, &m_context, [this, at] { emit pointMeasured(PageSpot{at.x(), at.y(), 0, 0, {}, {}}); });
}

} // namespace qh::test
