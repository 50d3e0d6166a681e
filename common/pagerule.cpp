#include "common/pagerule.h"

#include "common/browseraddress.h"

#include <QDir>
#include <QFile>

#include <array>
#include <climits>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace qh::child {

namespace {
// The real path of a folder or file: every link followed, "." and ".." resolved; empty when it
// does not exist or cannot be followed. The system's realpath() itself: QFileInfo gives the path
// back unresolved when realpath() fails other than for a missing file (a name too long, a loop).
QString realPath(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    if (name.contains('\0'))
        return {};
    char* real = ::realpath(name.constData(), nullptr);
    if (!real)
        return {};
    const QString result = QFile::decodeName(real);
    std::free(real);
    return result;
}

bool isUnder(const QString& path, const QString& folder)
{
    if (path == folder)
        return true;
    const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
    return path.startsWith(prefix);
}
} // namespace

QString refusalName(Refusal refusal)
{
    // In the order of Refusal.
    static const std::array<QString, 8> names{QString(),         u"not-an-address"_s, u"scheme"_s,
                                              u"data"_s,         u"file-host"_s,      u"file-relative"_s,
                                              u"file-missing"_s, u"file-outside"_s};
    return names.at(std::size_t(refusal));
}

QStringList defaultLocalFolders(const QString& programFolder)
{
    return {QDir::cleanPath(QDir(programFolder).absoluteFilePath(u"../share/quillharbour/pages"_s))};
}

PageRule::PageRule(QStringList localFolders) : m_localFolders(std::move(localFolders)) {}

PageCheck PageRule::check(const QString& address) const
{
    const QString text = address.trimmed();
    // The scheme is read as written, so that "data:..." is refused by name and not read as a host.
    const QString scheme = QUrl(text).scheme().toLower();
    if (scheme == u"data")
        return {Refusal::Data, QUrl(text)};
    const std::optional<QUrl> url = openableUrl(text);
    if (!url) {
        const bool shownScheme = scheme.isEmpty() || scheme == u"http" || scheme == u"https" || scheme == u"file";
        return {shownScheme ? Refusal::NotAnAddress : Refusal::Scheme, QUrl(text)};
    }
    if (!url->isLocalFile()) {
        const Refusal refusal = refusalOf(*url);
        return {refusal, *url};
    }
    QString path;
    if (const Refusal refusal = checkFile(*url, &path); refusal != Refusal::None)
        return {refusal, *url};
    QUrl page = QUrl::fromLocalFile(path);
    page.setQuery(url->query());
    page.setFragment(url->fragment());
    return {Refusal::None, page};
}

Refusal PageRule::refusalOf(const QUrl& url) const
{
    const QString scheme = url.scheme();
    if (scheme == u"http" || scheme == u"https")
        return url.host().isEmpty() ? Refusal::NotAnAddress : Refusal::None;
    if (scheme == u"data")
        return Refusal::Data;
    if (scheme != u"file")
        return Refusal::Scheme;
    QString path;
    return checkFile(url, &path);
}

Refusal PageRule::checkFile(const QUrl& url, QString* realPathOut) const
{
    if (!url.host().isEmpty())
        return Refusal::FileHost;
    const QString path = url.toLocalFile();
    if (path.contains(QChar(0)))
        return Refusal::FileMissing;
    if (!QDir::isAbsolutePath(path))
        return Refusal::FileRelative;
    const QString real = realPath(path);
    if (real.isEmpty())
        return Refusal::FileMissing;
    for (const QString& folder : m_localFolders) {
        if (!QDir::isAbsolutePath(folder))
            continue;
        const QString realFolder = realPath(folder);
        if (!realFolder.isEmpty() && isUnder(real, realFolder)) {
            *realPathOut = real;
            return Refusal::None;
        }
    }
    return Refusal::FileOutside;
}

} // namespace qh::child
