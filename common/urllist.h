#pragma once

#include "common/textfile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

// The URL list file: code page 932 text, one entry per field, fields ending at a comma or a line
// end. Its reading and its writing live here together, so that a list written here reads back as
// the same entries in the same order.
namespace qh {

using namespace Qt::StringLiterals;

inline const QString kDefaultUrlListFileName = u"weblist.txt"_s;

// The list is indexed with 16-bit integers and grows in steps of ten, so it holds at most this many.
inline constexpr int kMaxUrlListEntries = 32760;

// How the bytes of a list are text. The presenter reads code page 932 only; the lesson editor also
// reads a list that was saved as UTF-8 by mistake, to write it back as code page 932.
enum class ListTextCode { Cp932, Utf8 };

struct UrlListParse {
    QStringList entries;
    bool truncated = false; // the file held more than the entries kept
};

// Reads URL list bytes: one entry per field, a field ending at a comma or a line end. Blanks before
// a field are skipped; a field that starts with a double quote runs to the next double quote (or
// the end of its line) and may hold commas; text after the closing quote up to the next comma is
// dropped. Blanks after an unquoted field are dropped too, since no address ends in one. An empty
// line, or nothing between two commas, is an empty entry. At most maxEntries are kept.
UrlListParse parseUrlList(QByteArrayView bytes, int maxEntries = kMaxUrlListEntries,
                          ListTextCode code = ListTextCode::Cp932);

struct UrlListReadResult {
    FileStatus status = FileStatus::Ok;
    UrlListParse list;
};

// A URL list larger than this is not read: 32 760 entries of well over a thousand bytes each fit.
inline constexpr qint64 kMaxUrlListFileBytes = 64 * 1024 * 1024;

// Reads the URL list file by the name given, relative to the working directory; one that is no
// regular file or is larger than kMaxUrlListFileBytes is refused unread.
UrlListReadResult readUrlListFile(const QString& fileName);

// The file name is the whole argument string: the arguments after the program's own name, joined
// again with one blank each, as the platform split them. No argument names weblist.txt.
QString urlListFileName(const QStringList& argumentsAfterProgram);

// Why an entry cannot be written so that it reads back unchanged.
enum class UrlListRefusal {
    None,
    Unencodable,   // a character code page 932 cannot hold, or holds only as another character
    LineBreak,     // a CR or LF would end the entry's line
    Control,       // another control character: no address holds one, and bytes the reader could
                   // not decode come back as one
    QuoteInQuotes, // it needs quotes (a comma, blanks at its start or end) but holds a double quote
    LeadingQuote,  // it starts with a double quote, which the reader takes for an opening quote
    TooMany,       // more entries than the reader keeps
};

struct UrlListWrite {
    QByteArray bytes; // the file's content; empty when something was refused
    UrlListRefusal refusal = UrlListRefusal::None;
    int entryIndex = -1; // the refused entry (for TooMany, the first one too many)
    QString character;   // for Unencodable and Control: the character
};

// Writes the entries one a line, each line ended by CR LF, an empty entry as an empty line. An
// entry is put in double quotes only when the reader needs them: for a comma, or for blanks at its
// start or end. The first entry that cannot be written refuses the whole list.
UrlListWrite writeUrlList(const QStringList& entries);

enum class UrlListSaveStatus {
    Saved,
    Refused,    // an entry cannot be written; the file is untouched
    ReadOnly,   // the file has no write permission: the user wants it kept
    NotWritten, // the temporary file could not be written or put in place; the file is untouched
};

struct UrlListSave {
    UrlListSaveStatus status = UrlListSaveStatus::Saved;
    UrlListWrite write; // what was written or refused
    QString error;      // the system's reason for NotWritten
};

// Writes the list into a temporary file beside the file, flushes it to disk and renames it over the
// file, so that the file is at every moment either the old list or the whole new one. A file that
// is a symbolic link is replaced where the link points; the new file keeps the old one's permissions.
UrlListSave saveUrlListFile(const QString& fileName, const QStringList& entries);

} // namespace qh
