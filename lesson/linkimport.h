#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QMimeData;

// What the lesson editor adds from a paste or a drop: typed or pasted lines, a link file (a
// Windows Internet shortcut .url, a desktop entry .desktop of type Link), a browser's bookmarks
// exported as HTML (the Netscape bookmark file that Firefox and Chromium write), any other file
// as its file: address, and addresses dragged from a browser.
namespace qh::lesson {

struct ImportedLink {
    QString address;
    QString title; // the bookmark's name, when the source gives one

    bool operator==(const ImportedLink&) const = default;
};

struct LinkImport {
    QList<ImportedLink> links; // in the source's order
    QStringList problems;      // what could not be taken, for the user
    bool truncated = false;    // more links than asked for
};

// Link files and bookmark exports larger than these are refused unread.
inline constexpr qint64 kMaxLinkFileBytes = 64 * 1024;
inline constexpr qint64 kMaxBookmarksBytes = 64 * 1024 * 1024;

// One address per line; blanks around each line are dropped and empty lines skipped.
QList<ImportedLink> linksFromText(const QString& text);

// The links of a bookmarks export, in document order, at most maxLinks: every <A HREF="..."> with
// its text as the title. Addresses of Firefox's own queries (place:) are skipped. The bytes are
// UTF-8, or code page 932 when they are not valid UTF-8. Malformed markup ends the reading where
// it becomes unreadable; the time taken grows with the size only.
LinkImport parseBookmarks(QByteArrayView bytes, qsizetype maxLinks);

// Whether the bytes start like a bookmarks export (its DOCTYPE among the first bytes).
bool looksLikeBookmarks(QByteArrayView bytes);

// The address of a Windows Internet shortcut ([InternetShortcut] URL=...), if it has one.
std::optional<QString> parseInternetShortcut(QByteArrayView bytes);

// The address of a desktop entry of type Link ([Desktop Entry] Type=Link, URL=...), if it is one.
std::optional<QString> parseDesktopLink(QByteArrayView bytes);

// The links of one dropped file, by its kind.
LinkImport linksFromFile(const QString& path, qsizetype maxLinks);

// The links of dropped or pasted data: its addresses (files by their kind) or else its text.
// Addresses too long for a datagram to the children are left out (refuseTooLong()).
LinkImport linksFromMimeData(const QMimeData& data, qsizetype maxLinks);

// Takes out the links whose address no datagram can carry to the children, and names how many in
// the problems: such an entry would show on the teacher's screen only.
void refuseTooLong(LinkImport& import);

} // namespace qh::lesson
