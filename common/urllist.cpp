#include "common/urllist.h"

#include "common/cp932text.h"

#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace qh {

namespace {
bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// Appends the fields of one line; returns false once the cap is reached.
bool appendFields(const QString& line, UrlListParse& out, int maxEntries)
{
    qsizetype pos = 0;
    const qsizetype size = line.size();
    while (true) {
        while (pos < size && isBlank(line[pos]))
            ++pos;
        QString field;
        if (pos < size && line[pos] == u'"') {
            const qsizetype close = line.indexOf(u'"', pos + 1);
            const qsizetype end = close < 0 ? size : close;
            field = line.mid(pos + 1, end - pos - 1);
            pos = close < 0 ? size : close + 1;
            const qsizetype comma = line.indexOf(u',', pos);
            pos = comma < 0 ? size : comma;
        } else {
            const qsizetype comma = line.indexOf(u',', pos);
            const qsizetype end = comma < 0 ? size : comma;
            qsizetype last = end;
            while (last > pos && isBlank(line[last - 1]))
                --last;
            field = line.mid(pos, last - pos);
            pos = end;
        }
        if (out.entries.size() >= maxEntries) {
            out.truncated = true;
            return false;
        }
        out.entries.append(field);
        if (pos >= size)
            return true;
        ++pos; // past the comma: what follows, even nothing, is the next field
    }
}
} // namespace

UrlListParse parseUrlList(QByteArrayView bytes, int maxEntries, ListTextCode code)
{
    UrlListParse out;
    if (code == ListTextCode::Utf8 && bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3); // the byte order mark some editors put first
    for (const QByteArray& line : cp932::splitLines(bytes)) {
        const QString text = code == ListTextCode::Utf8 ? QString::fromUtf8(line) : cp932::decode(line);
        if (!appendFields(text, out, maxEntries))
            break;
    }
    return out;
}

UrlListReadResult readUrlListFile(const QString& fileName)
{
    const FileBytes file = readWholeFile(fileName, kMaxUrlListFileBytes);
    if (file.status != FileStatus::Ok)
        return {file.status, {}};
    return {FileStatus::Ok, parseUrlList(file.bytes)};
}

QString urlListFileName(const QStringList& argumentsAfterProgram)
{
    const QString joined = argumentsAfterProgram.join(u' ');
    return joined.isEmpty() ? kDefaultUrlListFileName : joined;
}

namespace {
// The first character that code page 932 cannot give back unchanged ("～" and "〜" share a code,
// "¥" is stored as a backslash), or the empty text when the whole entry comes back as it is.
QString firstUnstorableCharacter(const QString& entry)
{
    if (cp932::holdsUnchanged(entry))
        return {};
    for (qsizetype i = 0; i < entry.size();) {
        const qsizetype length =
            (entry[i].isHighSurrogate() && i + 1 < entry.size() && entry[i + 1].isLowSurrogate()) ? 2 : 1;
        const QStringView one = QStringView(entry).mid(i, length);
        if (!cp932::holdsUnchanged(one))
            return one.toString();
        i += length;
    }
    return entry.left(1);
}

UrlListWrite refused(UrlListRefusal refusal, int index, const QString& character = {})
{
    UrlListWrite write;
    write.refusal = refusal;
    write.entryIndex = index;
    write.character = character;
    return write;
}

bool isControl(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7F;
}

// The line of one entry, or the reason it has none.
UrlListRefusal entryLine(const QString& entry, QString& line)
{
    if (entry.contains(u'\r') || entry.contains(u'\n'))
        return UrlListRefusal::LineBreak;
    if (std::any_of(entry.begin(), entry.end(), isControl))
        return UrlListRefusal::Control;
    const bool needsQuotes =
        entry.contains(u',') || (!entry.isEmpty() && (isBlank(entry.front()) || isBlank(entry.back())));
    if (needsQuotes) {
        if (entry.contains(u'"'))
            return UrlListRefusal::QuoteInQuotes;
        line = u'"' + entry + u'"';
        return UrlListRefusal::None;
    }
    if (entry.startsWith(u'"'))
        return UrlListRefusal::LeadingQuote;
    line = entry;
    return UrlListRefusal::None;
}
} // namespace

UrlListWrite writeUrlList(const QStringList& entries)
{
    if (entries.size() > kMaxUrlListEntries)
        return refused(UrlListRefusal::TooMany, kMaxUrlListEntries);
    QByteArray bytes;
    for (int i = 0; i < entries.size(); ++i) {
        QString line;
        if (const UrlListRefusal refusal = entryLine(entries[i], line); refusal != UrlListRefusal::None) {
            const auto control = std::find_if(entries[i].begin(), entries[i].end(), isControl);
            return refused(refusal, i, refusal == UrlListRefusal::Control ? QString(*control) : QString());
        }
        if (const QString character = firstUnstorableCharacter(entries[i]); !character.isEmpty())
            return refused(UrlListRefusal::Unencodable, i, character);
        bytes += cp932::encode(line);
        bytes += "\r\n";
    }
    UrlListWrite write;
    write.bytes = std::move(bytes);
    return write;
}

UrlListSave saveUrlListFile(const QString& fileName, const QStringList& entries)
{
    UrlListSave save;
    save.write = writeUrlList(entries);
    if (save.write.refusal != UrlListRefusal::None) {
        save.status = UrlListSaveStatus::Refused;
        return save;
    }
    const QFileInfo existing(fileName);
    const QFileDevice::Permissions anyWrite =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    // Only the permission bits count: a user who marked the list read-only wants it kept, even where
    // the folder would allow the rename that replaces it.
    if (existing.isFile() && (existing.permissions() & anyWrite) == 0) {
        save.status = UrlListSaveStatus::ReadOnly;
        return save;
    }
    // QSaveFile writes a temporary file in the same folder, syncs it and renames it into place; a
    // failure on the way removes it and leaves the old file as it was.
    QSaveFile file(fileName);
    if (!existing.isDir() && file.open(QIODevice::WriteOnly) &&
        file.write(save.write.bytes) == save.write.bytes.size() && file.commit())
        return save;
    save.status = UrlListSaveStatus::NotWritten;
    save.error = existing.isDir() ? QString() : file.errorString();
    return save;
}

} // namespace qh
