#pragma once

#include "common/textfile.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace qh::master {

using namespace Qt::StringLiterals;

inline const QString kDefaultUrlListFileName = u"weblist.txt"_s;

// The list is indexed with 16-bit integers and grows in steps of ten, so it holds at most this many.
inline constexpr int kMaxUrlListEntries = 32760;

struct UrlListParse {
    QStringList entries;
    bool truncated = false; // the file held more than the entries kept
};

// Reads URL list bytes (code page 932): one entry per field, a field ending at a comma or a line
// end. Blanks before a field are skipped; a field that starts with a double quote runs to the next
// double quote (or the end of its line) and may hold commas; text after the closing quote up to
// the next comma is dropped. Blanks after an unquoted field are dropped too, since no address ends
// in one. An empty line, or nothing between two commas, is an empty entry. At most maxEntries are
// kept.
UrlListParse parseUrlList(QByteArrayView bytes, int maxEntries = kMaxUrlListEntries);

struct UrlListReadResult {
    FileStatus status = FileStatus::Ok;
    UrlListParse list;
};

// Reads the URL list file by the name given, relative to the working directory.
UrlListReadResult readUrlListFile(const QString& fileName);

// The file name is the whole argument string: the arguments after the program's own name, joined
// again with one blank each, as the platform split them. No argument names weblist.txt.
QString urlListFileName(const QStringList& argumentsAfterProgram);

} // namespace qh::master
