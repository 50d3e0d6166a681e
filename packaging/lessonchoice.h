#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

// Which URL list the presenter's menu entry starts. The class folder may hold several lists (the
// .txt files in it); with more than one, the launcher lets the teacher pick, the list picked last
// first. The pick is kept for each user outside the class folder, whose files are the teacher's.
namespace qh {
class PageTitles;
}

namespace qh::launcher {

struct LessonList {
    QString fileName;  // in the class folder
    int pages = -1;    // the entries the presenter shows; -1 when the file cannot be read
    QString firstPage; // the first page's title when known, else its address
    QDateTime lastChanged;
};

// Lists larger than this are shown without reading them.
inline constexpr qint64 kMaxListBytesRead = 8 * 1024 * 1024;

// The URL lists of the folder: its files ending in .txt. The one at `lastPicked` (an absolute
// path) comes first, the others follow by name, numbers in names counted as numbers.
QList<LessonList> findLessonLists(const QString& folder, const QString& lastPicked, const PageTitles& titles);

// $XDG_STATE_HOME/quillharbour/last-lesson (by default under ~/.local/state).
QString lastPickedPath();
// The list picked last, as an absolute path; empty when none was kept.
QString readLastPicked(const QString& statePath = lastPickedPath());
// Keeps the pick; false when it could not be kept (the next start then shows another order).
bool rememberPicked(const QString& listPath, const QString& statePath = lastPickedPath());

} // namespace qh::launcher
