#include "common/browseraddress.h"

namespace qh {

QUrl browserUrl(const QString& address)
{
    const QString text = address.trimmed();
    const QUrl blank(kBlankPage);
    if (text.isEmpty())
        return blank;
    // An address with its scheme stands as written; only one without is completed as typed text.
    QUrl url(text);
    if (url.scheme().isEmpty())
        url = QUrl::fromUserInput(text);
    if (!url.isValid())
        return blank;
    const QString scheme = url.scheme();
    if (scheme == u"http" || scheme == u"https")
        return url.host().isEmpty() ? blank : url;
    if (scheme == u"file" || scheme == u"data")
        return url;
    return blank;
}

bool isSameDocument(const QUrl& from, const QUrl& to)
{
    return to.hasFragment() && from != to && from.adjusted(QUrl::RemoveFragment) == to.adjusted(QUrl::RemoveFragment);
}

} // namespace qh
