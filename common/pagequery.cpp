#include "common/pagequery.h"

#include <QPointer>
#include <QWebEnginePage>
#include <QWebEngineScript>

namespace qh {

PageQuery::PageQuery(QWebEnginePage& page, QObject* parent) : QObject(parent), m_page(page)
{
    // A renderer that has gone answers nothing more; the next page's renderer is asked at once.
    connect(&page, &QWebEnginePage::renderProcessTerminated, this, [this] { m_answered = m_asked; });
}

bool PageQuery::isWaiting() const
{
    return m_answered != m_asked && m_askedAt.elapsed() < kPatienceMs;
}

bool PageQuery::ask(const QString& script)
{
    if (isWaiting())
        return false;
    const quint64 question = ++m_asked;
    m_askedAt.start();
    m_page.runJavaScript(script, QWebEngineScript::ApplicationWorld,
                         [self = QPointer<PageQuery>(this), question](const QVariant& result) {
                             if (!self || question != self->m_asked)
                                 return; // given up, or the query has gone
                             self->m_answered = question;
                             emit self->answered(result);
                         });
    return true;
}

} // namespace qh
