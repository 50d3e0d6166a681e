#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

// Text of files and datagrams is code page 932 (Shift-JIS, Windows variant), the code page of
// the Japanese Windows systems the children and the configuration files come from.
namespace qh::cp932 {

// Decodes CP932 bytes. Bytes that are not valid CP932 never fail: they decode to a replacement
// character (or are dropped when a lead byte stands last), so a broken file still reads.
QString decode(QByteArrayView bytes);

// Encodes text as CP932. A character that CP932 cannot hold is written as one "?" (0x3F), so a
// name typed with such a character is stored readably instead of as a multi-byte placeholder.
QByteArray encode(QStringView text);

// True when every character of the text has a CP932 form, i.e. encode() loses nothing.
bool canEncode(QStringView text);

// True when encode() then decode() gives the text back: every character has a CP932 form of its
// own, not one it shares with another ("～" and "〜" share a code, "¥" is stored as a backslash).
bool holdsUnchanged(QStringView text);

// True when the bytes are CP932 throughout, i.e. decode() replaces or drops nothing.
bool canDecode(QByteArrayView bytes);

// Splits bytes into lines. A line ends at CR LF, at a lone CR or at a lone LF; the last line may
// lack its end, and an end at the very end of the data starts no further line. CR and LF never
// occur inside a CP932 double-byte character, so splitting raw bytes is safe.
QList<QByteArray> splitLines(QByteArrayView bytes);

// splitLines() then decode() of each line.
QStringList readLines(QByteArrayView bytes);

// Encodes each line and ends it with CR LF.
QByteArray writeLines(const QStringList& lines);

} // namespace qh::cp932
