#pragma once

#include <QHash>
#include <QString>

// The titles of pages that the lesson editor's check has loaded, kept for each user so that the
// editor and the presenter's list chooser can name a page before it is loaded again. The file is a
// cache: when it is missing, too large or damaged, no title is known, and nothing else depends on it.
namespace qh {

// $XDG_CACHE_HOME/quillharbour/page-titles.json (by default under ~/.cache).
QString pageTitlesPath();

class PageTitles
{
public:
    // The titles kept in the file; none when it cannot be read.
    static PageTitles load(const QString& path = pageTitlesPath());
    // Writes them, the newest first, through a temporary file; false when that failed.
    bool save(const QString& path = pageTitlesPath()) const;

    // The title last remembered for the address, or the empty text.
    QString title(const QString& address) const;
    // Remembers the title as the newest; the oldest are forgotten beyond a few thousand. Addresses
    // too long to be worth keeping (a whole page in a data: address) and empty titles are not kept.
    void remember(const QString& address, const QString& title);

    qsizetype size() const { return m_titles.size(); }

private:
    struct Entry {
        QString title;
        quint64 age = 0; // larger is newer
    };
    // Keeps the newest `count` titles.
    void keepNewest(qsizetype count);

    QHash<QString, Entry> m_titles;
    quint64 m_nextAge = 0;
};

} // namespace qh
