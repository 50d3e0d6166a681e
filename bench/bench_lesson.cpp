// The lesson editor on the largest list the presenter takes, 32 760 entries: opening it against
// the presenter's own reading, the warnings of every row, saving, moving rows, importing a
// bookmarks export of as many links; and the check's pace on local pages, four at a time.
//   bench_lesson [pages to check, default 200]
#include "bench/benchutil.h"
#include "common/urllist.h"
#include "lesson/lessondocument.h"
#include "lesson/linkimport.h"
#include "lesson/pagecheck.h"
#include "lesson/webprobe.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QUrl>

#include <cstdio>
#include <functional>

using namespace Qt::StringLiterals;
using namespace qh;

namespace {
constexpr int kRuns = 9;

// The median time of a few runs of the step, in milliseconds, after one run untimed that warms the
// caches; `prepare` runs untimed before each.
double medianMs(
    const std::function<void()>& step, const std::function<void()>& prepare = [] {})
{
    prepare();
    step();
    QList<double> times;
    for (int run = 0; run < kRuns; ++run) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        step();
        times.append(timer.nsecsElapsed() / 1e6);
    }
    return bench::median(times);
}
} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const int pagesToCheck = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 200;
    QTemporaryDir folder;
    QStringList entries;
    QByteArray bookmarks = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n";
    for (int i = 0; i < kMaxUrlListEntries; ++i) {
        const QString address = u"https://example.com/lesson/%1/ページ?a=1,2"_s.arg(i);
        entries.append(address);
        bookmarks +=
            "<DT><A HREF=\"" + address.toUtf8() + "\" ADD_DATE=\"1700000000\">Page " + QByteArray::number(i) + "</A>\n";
    }
    const QString list = folder.filePath(u"lesson.txt"_s);
    if (saveUrlListFile(list, entries).status != UrlListSaveStatus::Saved) {
        std::fputs("bench_lesson: cannot write the list\n", stderr);
        return 1;
    }
    qputenv("XDG_CACHE_HOME", QFile::encodeName(folder.filePath(u"cache"_s)));

    std::printf("A list of %d entries (median of %d runs):\n", kMaxUrlListEntries, kRuns);
    lesson::LessonDocument document;
    // Both once more before either is timed: the first large allocations of a process are dearer.
    for (int run = 0; run < 3; ++run) {
        readUrlListFile(list);
        document.open(list);
    }
    const double presenterRead = medianMs([&] { readUrlListFile(list); });
    const double editorOpen = medianMs([&] { document.open(list); });
    std::printf("  presenter's reading            %8.1f ms\n", presenterRead);
    std::printf("  editor's opening               %8.1f ms (the same reading, the titles known, the rows)\n",
                editorOpen);
    std::unique_ptr<lesson::LessonDocument> fresh;
    const double warnings = medianMs([&] { fresh->model().problemRows(); },
                                     [&] {
                                         fresh = std::make_unique<lesson::LessonDocument>();
                                         fresh->open(list);
                                     });
    std::printf("  warnings of every row          %8.1f ms\n", warnings);
    std::printf("  saving                         %8.1f ms\n", medianMs([&] { document.save(); }));
    QList<int> everyOther;
    for (int row = 0; row < kMaxUrlListEntries; row += 2)
        everyOther.append(row);
    std::printf("  every other row one down       %8.1f ms\n",
                medianMs([&] { document.model().stepEntries(everyOther, 1); }));
    std::printf("  bookmarks export of as many    %8.1f ms (%lld bytes)\n",
                medianMs([&] { lesson::parseBookmarks(bookmarks, kMaxUrlListEntries); }),
                static_cast<long long>(bookmarks.size()));

    // The check on local pages: what the hidden pages themselves cost, without a network.
    QStringList pages;
    for (int i = 0; i < pagesToCheck; ++i) {
        const QString page = folder.filePath(u"page%1.html"_s.arg(i));
        test::writeAll(page, "<!DOCTYPE html><title>Page " + QByteArray::number(i) + "</title><p>text</p>");
        pages.append(QUrl::fromLocalFile(page).toString());
    }
    lesson::HiddenBrowser browser;
    lesson::PageCheck check(browser.probes());
    bool done = false;
    QObject::connect(&check, &lesson::PageCheck::finished, &app, [&done] { done = true; });
    QElapsedTimer timer;
    timer.start();
    check.start(pages);
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("The check of %d local pages, %d at a time: %.1f s, %.1f pages a second\n", pagesToCheck,
                lesson::HiddenBrowser::kPagesAtOnce, seconds, pagesToCheck / seconds);
    return 0;
}
