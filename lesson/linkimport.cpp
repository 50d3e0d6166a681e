#include "lesson/linkimport.h"

#include "common/cp932text.h"
#include "common/datagrams.h"
#include "common/textfile.h"
#include "lesson/entrywarnings.h"
#include "lesson/lessonmessages.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace qh::lesson {

namespace {

constexpr qsizetype kMaxTitleLength = 1000;
constexpr qsizetype kSniffBytes = 1024;

// Link files and exports come from Windows (code page 932) as well as from Linux and browsers (UTF-8).
QString decodeText(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    return utf8.hasError() ? cp932::decode(bytes) : text;
}

QStringList splitLines(const QString& text)
{
    static const QRegularExpression lineEnd(u"\r\n|\r|\n"_s);
    return text.split(lineEnd);
}

bool isHtmlSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

bool isNameChar(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-' || c == u'_' ||
           c == u':';
}

// The character of one entity (the text between '&' and ';'), if it is one we know.
std::optional<char32_t> entityCharacter(QStringView name)
{
    static const QList<std::pair<QString, char32_t>> named = {{u"amp"_s, U'&'},  {u"lt"_s, U'<'},    {u"gt"_s, U'>'},
                                                              {u"quot"_s, U'"'}, {u"apos"_s, U'\''}, {u"nbsp"_s, U' '}};
    for (const auto& [entity, character] : named) {
        if (name.compare(entity, Qt::CaseInsensitive) == 0)
            return character;
    }
    if (name.size() < 2 || name[0] != u'#')
        return std::nullopt;
    bool ok = false;
    const bool hex = name[1] == u'x' || name[1] == u'X';
    const uint code = name.mid(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
    if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return std::nullopt;
    return char32_t(code);
}

QString decodeEntities(QStringView text)
{
    constexpr qsizetype kLongestEntity = 10;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        if (text[i] == u'&') {
            const qsizetype end = text.mid(i + 1, kLongestEntity + 1).indexOf(u';');
            if (end > 0) {
                if (const std::optional<char32_t> character = entityCharacter(text.mid(i + 1, end))) {
                    out += QString::fromUcs4(&*character, 1);
                    i += end + 2;
                    continue;
                }
            }
        }
        out += text[i++];
    }
    return out;
}

// An address as a browser takes it from markup: line breaks and tabs removed, blanks around dropped.
QString cleanAddress(QStringView raw)
{
    QString address = decodeEntities(raw);
    address.removeIf([](QChar c) { return c == u'\r' || c == u'\n' || c == u'\t'; });
    return address.trimmed();
}

// Reads one tag from `pos` (just past its '<'); returns the position past its '>', or -1 when the
// rest of the text cannot be read as markup. Fills the tag's name and, for a link, its address.
qsizetype readTag(const QString& text, qsizetype pos, QString& name, std::optional<QString>& href)
{
    const qsizetype size = text.size();
    const qsizetype nameStart = pos;
    while (pos < size && isNameChar(text[pos]))
        ++pos;
    name = text.mid(nameStart, pos - nameStart);
    while (pos < size) {
        const QChar c = text[pos];
        if (c == u'>')
            return pos + 1;
        if (isHtmlSpace(c) || c == u'/') {
            ++pos;
            continue;
        }
        const qsizetype attributeStart = pos;
        while (pos < size && !isHtmlSpace(text[pos]) && text[pos] != u'=' && text[pos] != u'>')
            ++pos;
        const QStringView attribute = QStringView(text).mid(attributeStart, pos - attributeStart);
        while (pos < size && isHtmlSpace(text[pos]))
            ++pos;
        if (pos >= size || text[pos] != u'=')
            continue;
        ++pos;
        while (pos < size && isHtmlSpace(text[pos]))
            ++pos;
        if (pos >= size)
            return -1;
        qsizetype valueStart = pos;
        qsizetype valueEnd = pos;
        if (text[pos] == u'"' || text[pos] == u'\'') {
            valueEnd = text.indexOf(text[pos], pos + 1);
            if (valueEnd < 0)
                return -1; // an unclosed quote: nothing after it is markup we can trust
            ++valueStart;
            pos = valueEnd + 1;
        } else {
            while (pos < size && !isHtmlSpace(text[pos]) && text[pos] != u'>')
                ++pos;
            valueEnd = pos;
        }
        if (attribute.compare(u"href"_s, Qt::CaseInsensitive) == 0 && !href)
            href = cleanAddress(QStringView(text).mid(valueStart, valueEnd - valueStart));
    }
    return -1;
}

// The escapes of a desktop entry's string values; a line break or tab in an address is dropped.
QString unescapeDesktopValue(const QString& value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const QChar next = value[++i];
        if (next == u's')
            out += u' ';
        else if (next != u'n' && next != u't' && next != u'r')
            out += next;
    }
    return out;
}

LinkImport oneLink(const std::optional<QString>& address, const QFileInfo& file)
{
    LinkImport import;
    if (address && !address->isEmpty())
        import.links.append({*address, file.completeBaseName()});
    else
        import.problems.append(notALinkText(file.fileName()));
    return import;
}

// Reads at most `limit` bytes of the file; nullopt (and the problem noted) when it is larger or unreadable.
std::optional<QByteArray> readSmallFile(const QFileInfo& info, qint64 limit, LinkImport& import)
{
    FileBytes file = readWholeFile(info.filePath(), limit);
    if (file.status == FileStatus::Ok)
        return std::move(file.bytes);
    import.problems.append(file.status == FileStatus::TooLarge ? fileTooLargeText(info.fileName())
                                                               : unreadableDropText(info.fileName()));
    return std::nullopt;
}

void append(LinkImport& into, LinkImport&& from)
{
    into.links += std::move(from.links);
    into.problems += std::move(from.problems);
    into.truncated = into.truncated || from.truncated;
}

} // namespace

QList<ImportedLink> linksFromText(const QString& text)
{
    QList<ImportedLink> links;
    for (const QString& line : splitLines(text)) {
        const QString address = line.trimmed();
        if (!address.isEmpty())
            links.append({address, {}});
    }
    return links;
}

LinkImport parseBookmarks(QByteArrayView bytes, qsizetype maxLinks)
{
    LinkImport import;
    const QString text = decodeText(bytes);
    const qsizetype size = text.size();
    qsizetype pos = 0;
    while (pos < size) {
        const qsizetype open = text.indexOf(u'<', pos);
        if (open < 0)
            break;
        if (QStringView(text).mid(open, 4) == u"<!--"_s) {
            const qsizetype close = text.indexOf(u"-->"_s, open + 4);
            if (close < 0)
                break;
            pos = close + 3;
            continue;
        }
        QString name;
        std::optional<QString> href;
        const qsizetype end = readTag(text, open + 1, name, href);
        if (end < 0)
            break;
        pos = end;
        if (name.compare(u"a"_s, Qt::CaseInsensitive) != 0 || !href || href->isEmpty() ||
            href->startsWith(u"place:"_s, Qt::CaseInsensitive))
            continue;
        if (import.links.size() >= maxLinks) {
            import.truncated = true;
            break;
        }
        // The export writes a link's name as plain text up to its closing tag.
        const qsizetype textEnd = text.indexOf(u'<', pos);
        const QStringView title = QStringView(text).mid(pos, (textEnd < 0 ? size : textEnd) - pos);
        import.links.append({*href, decodeEntities(title.left(kMaxTitleLength)).simplified()});
    }
    return import;
}

bool looksLikeBookmarks(QByteArrayView bytes)
{
    return QByteArrayView(bytes.first(std::min(bytes.size(), kSniffBytes)))
        .toByteArray()
        .toLower()
        .contains("<!doctype netscape-bookmark-file-1>");
}

std::optional<QString> parseInternetShortcut(QByteArrayView bytes)
{
    bool inSection = false;
    for (const QString& rawLine : splitLines(decodeText(bytes))) {
        const QString line = rawLine.trimmed();
        if (line.startsWith(u'[')) {
            inSection = line.compare(u"[InternetShortcut]"_s, Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (inSection && equals > 0 && line.left(equals).trimmed().compare(u"URL"_s, Qt::CaseInsensitive) == 0) {
            const QString address = line.mid(equals + 1).trimmed();
            if (!address.isEmpty())
                return address;
        }
    }
    return std::nullopt;
}

std::optional<QString> parseDesktopLink(QByteArrayView bytes)
{
    bool inGroup = false;
    bool isLink = false;
    std::optional<QString> address;
    for (const QString& rawLine : splitLines(decodeText(bytes))) {
        const QString line = rawLine.trimmed();
        if (line.startsWith(u'[')) {
            inGroup = line == u"[Desktop Entry]"_s;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inGroup || line.startsWith(u'#') || equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (key == u"Type"_s)
            isLink = value == u"Link"_s;
        if (key == u"URL"_s && !address)
            address = unescapeDesktopValue(value);
    }
    if (!isLink || !address || address->isEmpty())
        return std::nullopt;
    return address;
}

LinkImport linksFromFile(const QString& path, qsizetype maxLinks)
{
    LinkImport import;
    const QFileInfo info(path);
    if (info.isDir()) {
        import.problems.append(folderDroppedText(info.fileName()));
        return import;
    }
    if (!info.isFile()) {
        import.problems.append(unreadableDropText(info.fileName()));
        return import;
    }
    const QString suffix = info.suffix().toLower();
    if (suffix == u"url"_s || suffix == u"desktop"_s) {
        const std::optional<QByteArray> bytes = readSmallFile(info, kMaxLinkFileBytes, import);
        if (!bytes)
            return import;
        return oneLink(suffix == u"url"_s ? parseInternetShortcut(*bytes) : parseDesktopLink(*bytes), info);
    }
    QFile file(path);
    if ((suffix == u"html"_s || suffix == u"htm"_s) && file.open(QIODevice::ReadOnly) &&
        looksLikeBookmarks(file.read(kSniffBytes))) {
        const std::optional<QByteArray> bytes = readSmallFile(info, kMaxBookmarksBytes, import);
        if (!bytes)
            return import;
        import = parseBookmarks(*bytes, maxLinks);
        if (import.links.isEmpty())
            import.problems.append(noLinksText(info.fileName()));
        return import;
    }
    // Any other file is a page of its own that the browser opens from the disk.
    import.links.append({QUrl::fromLocalFile(info.absoluteFilePath()).toString(), {}});
    return import;
}

LinkImport linksFromMimeData(const QMimeData& data, qsizetype maxLinks)
{
    LinkImport import;
    if (data.hasUrls()) {
        for (const QUrl& url : data.urls()) {
            const qsizetype room = maxLinks - import.links.size();
            if (url.isLocalFile()) {
                append(import, linksFromFile(url.toLocalFile(), room));
            } else if (!url.isEmpty()) {
                if (room <= 0)
                    import.truncated = true;
                else
                    import.links.append({url.toString(), {}});
            }
        }
    } else if (data.hasText()) {
        import.links = linksFromText(data.text());
    }
    if (import.links.size() > maxLinks) {
        import.links.resize(maxLinks);
        import.truncated = true;
    }
    refuseTooLong(import);
    return import;
}

void refuseTooLong(LinkImport& import)
{
    const qsizetype refused = import.links.removeIf(
        [](const ImportedLink& link) { return isTooLongForChildren(datagramBytes(link.address)); });
    if (refused > 0)
        import.problems.append(tooLongRefusedText(refused));
}

} // namespace qh::lesson
