#include "common/browseraddress.h"

#include "common/cp932text.h"

namespace qh {

std::optional<QUrl> openableUrl(const QString& address)
{
    const QString text = address.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    // An address with its scheme stands as written; only one without is completed as typed text.
    QUrl url(text);
    if (url.scheme().isEmpty())
        url = QUrl::fromUserInput(text);
    if (!url.isValid())
        return std::nullopt;
    const QString scheme = url.scheme();
    if (scheme == u"http" || scheme == u"https") {
        if (url.host().isEmpty())
            return std::nullopt;
        return url;
    }
    if (scheme == u"file" || scheme == u"data")
        return url;
    return std::nullopt;
}

QUrl browserUrl(const QString& address)
{
    return openableUrl(address).value_or(QUrl(kBlankPage));
}

QString sendableAddress(const QUrl& url)
{
    const QString written = url.toString();
    return cp932::holdsUnchanged(written) ? written : url.toString(QUrl::FullyEncoded);
}

bool isSameAddress(const QUrl& left, const QUrl& right)
{
    const QUrl::FormattingOptions form = QUrl::StripTrailingSlash | QUrl::NormalizePathSegments;
    return left.adjusted(form) == right.adjusted(form);
}

bool isSameDocument(const QUrl& from, const QUrl& to)
{
    return to.hasFragment() && from != to && from.adjusted(QUrl::RemoveFragment) == to.adjusted(QUrl::RemoveFragment);
}

} // namespace qh
