#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

// Which addresses the child shows: web pages (http, https), and local files only under the folders
// its administrator allowed (LocalFolders). Nothing else: no data: page, no other scheme, no file
// elsewhere on the computer, whatever the presenter or a page asks for.
namespace qh::child {

// Why an address is not shown.
enum class Refusal {
    None,
    NotAnAddress, // no usable address at all
    Scheme,       // neither http, https nor file
    Data,         // a data: page
    FileHost,     // a file address that names a computer (file://host/...)
    FileRelative, // a file address without a full path
    FileMissing,  // no such file (or no way to follow its path)
    FileOutside,  // a file that is not under any of the local folders, its links followed
};

// One word for the trace: "data", "file-outside", ...
QString refusalName(Refusal refusal);

// The local folders the child shows files from when its settings name none: the demo pages of
// the installed package (<prefix>/share/quillharbour/pages from the program's folder).
QStringList defaultLocalFolders(const QString& programFolder);

struct PageCheck {
    Refusal refusal = Refusal::None;
    QUrl page; // the page to open when none; the address as read otherwise (may be empty)
};

class PageRule
{
public:
    // Absolute folders; a folder that does not exist (yet) allows nothing until it does.
    explicit PageRule(QStringList localFolders = {});

    // An address as the presenter sends it (typed text: "example.com" is http://example.com/). A
    // file page is given by its real place, every link in its path followed, so that the browser
    // opens exactly the file that was checked.
    PageCheck check(const QString& address) const;

    // A page that the page window itself goes to (a link, a redirect, a page opened by a click).
    Refusal refusalOf(const QUrl& url) const;

    const QStringList& localFolders() const { return m_localFolders; }

private:
    // The file's real path when it lies under a local folder.
    Refusal checkFile(const QUrl& url, QString* realPath) const;

    QStringList m_localFolders;
};

} // namespace qh::child
