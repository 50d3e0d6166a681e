#include "packaging/lessonchoice.h"

#include "common/pagetitles.h"
#include "common/textfile.h"
#include "common/urllist.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace qh::launcher {

namespace {
LessonList describe(const QFileInfo& file, const PageTitles& titles)
{
    LessonList list;
    list.fileName = file.fileName();
    list.lastChanged = file.lastModified();
    if (file.size() > kMaxListBytesRead)
        return list;
    const UrlListReadResult read = readUrlListFile(file.filePath());
    if (read.status != FileStatus::Ok)
        return list;
    list.pages = int(read.list.entries.size());
    if (!read.list.entries.isEmpty()) {
        const QString& first = read.list.entries.front();
        const QString title = titles.title(first);
        list.firstPage = title.isEmpty() ? first : title;
    }
    return list;
}
} // namespace

QList<LessonList> findLessonLists(const QString& folder, const QString& lastPicked, const PageTitles& titles)
{
    QFileInfoList files = QDir(folder).entryInfoList(QDir::Files | QDir::Readable);
    files.removeIf([](const QFileInfo& file) { return file.suffix().compare(u"txt"_s, Qt::CaseInsensitive) != 0; });
    // Names as a Japanese teacher reads them, "lesson2" before "lesson10".
    QCollator collator{QLocale(QLocale::Japanese, QLocale::Japan)};
    collator.setNumericMode(true);
    const QString picked = QFileInfo(lastPicked).canonicalFilePath();
    std::stable_sort(files.begin(), files.end(), [&](const QFileInfo& left, const QFileInfo& right) {
        const bool leftPicked = !picked.isEmpty() && left.canonicalFilePath() == picked;
        const bool rightPicked = !picked.isEmpty() && right.canonicalFilePath() == picked;
        if (leftPicked != rightPicked)
            return leftPicked;
        return collator.compare(left.fileName(), right.fileName()) < 0;
    });
    QList<LessonList> lists;
    for (const QFileInfo& file : std::as_const(files))
        lists.append(describe(file, titles));
    return lists;
}

QString lastPickedPath()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + u"/.local/state"_s;
    return state + u"/quillharbour/last-lesson"_s;
}

QString readLastPicked(const QString& statePath)
{
    const FileBytes file = readWholeFile(statePath, kMaxSmallFileBytes);
    if (file.status != FileStatus::Ok)
        return {};
    QString path = QString::fromUtf8(file.bytes);
    if (path.endsWith(u'\n'))
        path.chop(1);
    return path;
}

bool rememberPicked(const QString& listPath, const QString& statePath)
{
    if (!QDir().mkpath(QFileInfo(statePath).absolutePath()))
        return false;
    const QByteArray bytes = QFileInfo(listPath).absoluteFilePath().toUtf8() + '\n';
    QSaveFile file(statePath);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

} // namespace qh::launcher
