#include "lesson/lessonmessages.h"
#include "lesson/lessonmodel.h"
#include "lesson/pagecheck.h"
#include "lesson/webprobe.h"
#include "tests/support/pageserver.h"

#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>

using namespace Qt::StringLiterals;
using namespace qh::lesson;
using namespace qh::test;

namespace {
// Bounds a check on a busy machine; the pages themselves answer at once or never.
constexpr int kCheckTimeoutMs = 60000;
// Short, so that the page that never answers does not hold the test for the real 15 s.
constexpr std::chrono::seconds kTestTimeLimit{3};

PageResponse never()
{
    PageResponse response;
    response.kind = PageResponse::Kind::Silent;
    return response;
}
} // namespace

class TestPageCheck : public QObject
{
    Q_OBJECT
private slots:
    // Each distinct page is loaded once, hidden: a page gives its title, an error page its status,
    // a page that never answers ends at the time limit, a download is named, and a page that asks
    // for dialogs and windows gets none and is checked like any other. Addresses the presenter
    // would not load are not loaded; the rows show what was found.
    void rowsAreMarkedByWhatTheirPagesGive()
    {
        PageServer server;
        QVERIFY(server.isListening());
        server.serve(u"/ok.html"_s, answer(htmlPage(u"良いページ"_s)));
        server.serve(u"/missing.html"_s, answer(htmlPage(u"Missing"_s), 404));
        server.serve(u"/silent.html"_s, never());
        server.serve(u"/rude.html"_s,
                     answer(htmlPage(u"Rude"_s, u"<script>alert('a'); confirm('b'); prompt('c'); "
                                                u"window.open('/popup.html'); document.title = '<b>Still</b> &lt;rude';"
                                                u"</script>"_s)));
        PageResponse download = answer("bytes of a file");
        download.contentType = "application/octet-stream";
        download.extraHeaders = {"Content-Disposition: attachment; filename=lesson.bin"};
        server.serve(u"/lesson.bin"_s, download);
        const auto url = [&server](const QString& path) { return server.url(path).toString(); };
        const QStringList entries{url(u"/ok.html"_s),
                                  url(u"/missing.html"_s),
                                  url(u"/silent.html"_s),
                                  url(u"/rude.html"_s),
                                  url(u"/lesson.bin"_s),
                                  url(u"/ok.html"_s),
                                  u"javascript:location='"_s + url(u"/refused.html"_s) + u"'"_s,
                                  QString()};

        LessonModel model;
        model.setEntries(entries);
        HiddenBrowser browser;
        PageCheck check(browser.probes(), kTestTimeLimit);
        connect(&check, &PageCheck::checking, &model, &LessonModel::setChecking);
        connect(&check, &PageCheck::checked, &model, &LessonModel::setOutcome);
        QSignalSpy checked(&check, &PageCheck::checked);
        QSignalSpy finished(&check, &PageCheck::finished);
        check.start(entries);
        QCOMPARE(check.total(), 5);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, kCheckTimeoutMs);
        QCOMPARE(finished.front().front().toBool(), false);
        QCOMPARE(checked.count(), 5);

        const auto result = [&model](int row) { return model.index(row, LessonModel::ResultColumn).data().toString(); };
        const auto problem = [&model](int row) { return model.index(row, 0).data(LessonModel::ProblemRole).toBool(); };
        QCOMPARE(result(0), u"良いページ"_s);
        QCOMPARE(result(1), httpStatusText(404));
        QCOMPARE(result(2), timedOutText(15));
        // A title is shown as the text it is, in the row and in its tooltip, markup and all.
        QCOMPARE(result(3), u"<b>Still</b> &lt;rude"_s);
        const QString toolTip = model.index(3, LessonModel::ResultColumn).data(Qt::ToolTipRole).toString();
        QTextDocument shown; // what a tooltip shows of a text it takes for markup
        shown.setHtml(toolTip);
        QCOMPARE(Qt::mightBeRichText(toolTip) ? shown.toPlainText() : toolTip, result(3));
        QCOMPARE(result(4), kDownloadText);
        QCOMPARE(result(5), u"良いページ"_s);
        QCOMPARE(result(6), kNotLoadedText);
        QCOMPARE(model.index(6, LessonModel::WarningColumn).data(Qt::ToolTipRole).toString(),
                 kPresenterRefusesText + u'\n' + kChildRefusesText);
        QCOMPARE(result(7), kEmptyEntryText);
        QCOMPARE((QList<bool>{problem(0), problem(1), problem(2), problem(3), problem(4), problem(6), problem(7)}),
                 (QList<bool>{false, true, true, false, true, true, false}));
        QCOMPARE(model.problemRows(), 4);
        QCOMPARE(server.requestCount(u"/ok.html"_s), 1);
        QCOMPARE(server.requestCount(u"/popup.html"_s), 0);
        QCOMPARE(server.requestCount(u"/refused.html"_s), 0);
    }

    // One hidden page checks address after address: a page that moves on by itself once loaded
    // goes nowhere, so it cannot answer for the next address, and a move within the page shown
    // still ends.
    void onePageChecksAddressAfterAddress()
    {
        PageServer server;
        server.serve(u"/a.html"_s,
                     answer(htmlPage(u"A"_s, u"<script>setTimeout(() => location = '/b.html', 0)</script>"_s)));
        server.serve(u"/b.html"_s, answer(htmlPage(u"B"_s)));
        server.serve(u"/c.html"_s, answer(htmlPage(u"C"_s)));
        HiddenBrowser browser;
        PageProbe* probe = browser.probes().front();
        QSignalSpy finished(probe, &PageProbe::finished);
        const QStringList paths{u"/a.html"_s, u"/c.html"_s, u"/c.html#part"_s, u"/a.html"_s};
        const QStringList titles{u"A"_s, u"C"_s, u"C"_s, u"A"_s};
        for (qsizetype i = 0; i < paths.size(); ++i) {
            probe->load(server.url(paths[i]));
            QTRY_COMPARE_WITH_TIMEOUT(finished.count(), int(i + 1), kCheckTimeoutMs);
            const PageOutcome outcome = finished.at(i).front().value<PageOutcome>();
            QCOMPARE(outcome.kind, PageOutcome::Kind::Loaded);
            QCOMPARE(outcome.title, titles[i]);
        }
        QTest::qWait(300);
        QCOMPARE(finished.count(), int(paths.size()));
        QCOMPARE(server.requestCount(u"/b.html"_s), 0);
    }

    // Cancelling stops every page at once; nothing is reported after it, and a new check starts
    // from the beginning.
    void cancelStopsEveryPage()
    {
        PageServer server;
        QStringList entries;
        for (int i = 0; i < 8; ++i) {
            const QString path = u"/never%1.html"_s.arg(i);
            server.serve(path, never());
            entries.append(server.url(path).toString());
        }
        HiddenBrowser browser;
        PageCheck check(browser.probes(), std::chrono::seconds(60));
        QSignalSpy checked(&check, &PageCheck::checked);
        QSignalSpy finished(&check, &PageCheck::finished);
        check.start(entries);
        // The first pages are waiting for their answers.
        QTRY_COMPARE_WITH_TIMEOUT(server.requestLog().size(), HiddenBrowser::kPagesAtOnce, kCheckTimeoutMs);
        check.cancel();
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.front().front().toBool(), true);
        QVERIFY(!check.isRunning());
        QTest::qWait(500);
        QCOMPARE(checked.count(), 0);
        QCOMPARE(server.requestLog().size(), HiddenBrowser::kPagesAtOnce);

        server.serve(u"/never0.html"_s, answer(htmlPage(u"Now"_s)));
        check.start({entries.front()});
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, kCheckTimeoutMs);
        QCOMPARE(checked.count(), 1);
        QCOMPARE(checked.front().at(1).value<PageOutcome>().title, u"Now"_s);
    }
};

QTEST_MAIN(TestPageCheck)
#include "test_pagecheck.moc"
