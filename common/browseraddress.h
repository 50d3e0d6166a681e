#pragma once

#include <QString>
#include <QUrl>

#include <optional>

namespace qh {

using namespace Qt::StringLiterals;

inline const QString kBlankPage = u"about:blank"_s;

// The page an address opens, the same for the presenter's browser and the children's page window.
// Addresses are taken as a user would type them ("example.com" opens http://example.com/). An
// empty address, text that is no usable address, and addresses of any kind but http, https, file
// and data (a script runs in the current page, a mail address starts another program: neither loads
// a page) open nothing.
std::optional<QUrl> openableUrl(const QString& address);

// The page the presenter's browser opens for a URL list entry: openableUrl(), and the blank page
// for an address that opens nothing.
QUrl browserUrl(const QString& address);

// An address as the presenter writes it for the children: as Qt writes it when code page 932 holds
// that text unchanged, else in its fully encoded form (percent-encoding, a host name in punycode),
// which is plain ASCII and names the same page. Written as Qt writes it, "é" would reach the
// children as "?", another page, and an internationalised host name would be lost.
QString sendableAddress(const QUrl& url);

// True when the two name the same page as the browser writes addresses: with or without a closing
// slash ("http://example.com/"), with "." and ".." resolved.
bool isSameAddress(const QUrl& left, const QUrl& right);

// True when going from one address to the other stays in the same document: the same page, and
// the target names another fragment. The browser reports no page load for such a move; going to
// the very address shown reloads the page.
bool isSameDocument(const QUrl& from, const QUrl& to);

} // namespace qh
