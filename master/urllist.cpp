#include "master/urllist.h"

#include "common/cp932text.h"

namespace qh::master {

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

UrlListParse parseUrlList(QByteArrayView bytes, int maxEntries)
{
    UrlListParse out;
    for (const QByteArray& line : cp932::splitLines(bytes)) {
        if (!appendFields(cp932::decode(line), out, maxEntries))
            break;
    }
    return out;
}

UrlListReadResult readUrlListFile(const QString& fileName)
{
    const FileBytes file = readWholeFile(fileName);
    if (file.status != FileStatus::Ok)
        return {file.status, {}};
    return {FileStatus::Ok, parseUrlList(file.bytes)};
}

QString urlListFileName(const QStringList& argumentsAfterProgram)
{
    const QString joined = argumentsAfterProgram.join(u' ');
    return joined.isEmpty() ? kDefaultUrlListFileName : joined;
}

} // namespace qh::master
