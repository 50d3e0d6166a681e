#include "common/datagrams.h"
#include "common/signeddatagram.h"
#include "common/urllist.h"
#include "lesson/entrywarnings.h"
#include "lesson/lessondocument.h"
#include "lesson/lessonmessages.h"
#include "lesson/lessonmodel.h"
#include "lesson/linkimport.h"
#include "tests/support/testfiles.h"

#include <QTest>

#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QSignalSpy>
#include <QUrl>

using namespace Qt::StringLiterals;
using namespace qh;
using namespace qh::lesson;

namespace {
QString lessonData(const QString& name)
{
    return test::dataPath(u"lesson/"_s + name);
}

QStringList letters(const QString& text)
{
    QStringList out;
    for (QChar c : text)
        out.append(QString(c));
    return out;
}
} // namespace

class TestLessonCore : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // The titles cache of the tests' own.
        qputenv("XDG_CACHE_HOME", QFile::encodeName(m_cache.path()));
    }

    void linksComeFromEachKindOfFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("addresses");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<bool>("problem");
        QTest::newRow("Firefox bookmarks")
            << u"firefox-bookmarks.html"_s
            << QStringList{u"https://example.org/rivers?a=1&b=2"_s, u"https://example.org/mountains"_s,
                           u"file:///srv/class/%E3%83%9A%E3%83%BC%E3%82%B8.html"_s}
            << QStringList{u"日本の川 & 湖"_s, u"日本の山"_s, u"ページ"_s} << false;
        QTest::newRow("Chromium bookmarks")
            << u"chromium-bookmarks.html"_s
            << QStringList{u"http://example.com/lesson/1"_s, u"http://example.com/lesson/2?x=\"y\""_s,
                           u"http://example.com/lesson/3"_s}
            << QStringList{u"Lesson 1"_s, u"Lesson <2>"_s, u"Lesson 3"_s} << false;
        QTest::newRow("Internet shortcut in code page 932")
            << u"shortcut.url"_s << QStringList{u"http://example.com/ページ"_s} << QStringList{u"shortcut"_s} << false;
        QTest::newRow("desktop link") << u"link.desktop"_s << QStringList{u"file:///srv/class/my page.html"_s}
                                      << QStringList{u"link"_s} << false;
        QTest::newRow("desktop application") << u"application.desktop"_s << QStringList{} << QStringList{} << true;
        QTest::newRow("folder") << QString() << QStringList{} << QStringList{} << true;
    }
    void linksComeFromEachKindOfFile()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, addresses);
        QFETCH(QStringList, titles);
        QFETCH(bool, problem);
        const LinkImport import = linksFromFile(lessonData(file), 100);
        QStringList gotAddresses;
        QStringList gotTitles;
        for (const ImportedLink& link : import.links) {
            gotAddresses.append(link.address);
            gotTitles.append(link.title);
        }
        QCOMPARE(gotAddresses, addresses);
        QCOMPARE(gotTitles, titles);
        QCOMPARE(import.problems.size(), problem ? 1 : 0);
    }

    void largeOrOtherFilesAreHandledWithoutReadingThem()
    {
        QTemporaryDir folder;
        // A bookmarks export past the limit, sparse, so that the test writes almost nothing.
        QFile huge(folder.filePath(u"huge.html"_s));
        QVERIFY(huge.open(QIODevice::WriteOnly));
        huge.write("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><DT><A HREF=\"http://a/\">a</A>");
        QVERIFY(huge.resize(kMaxBookmarksBytes + 1));
        huge.close();
        const LinkImport tooLarge = linksFromFile(huge.fileName(), 100);
        QVERIFY(tooLarge.links.isEmpty());
        QCOMPARE(tooLarge.problems, QStringList{fileTooLargeText(u"huge.html"_s)});

        // Any other file is a page of its own.
        QVERIFY(test::writeAll(folder.filePath(u"ページ.html"_s), "<title>x</title>"));
        const LinkImport page = linksFromFile(folder.filePath(u"ページ.html"_s), 100);
        QCOMPARE(page.links.size(), 1);
        QCOMPARE(QUrl(page.links[0].address).toLocalFile(), folder.filePath(u"ページ.html"_s));
    }

    void bookmarksStopAtTheCapAndAtBrokenMarkup()
    {
        const QByteArray three = "<DT><A HREF=\"http://a/\">a</A><DT><A HREF='http://b/'>b</A><A href=http://c/>c</a>";
        QCOMPARE(parseBookmarks(three, 3).links.size(), 3);
        const LinkImport capped = parseBookmarks(three, 2);
        QCOMPARE(capped.links.size(), 2);
        QVERIFY(capped.truncated);
        // An unclosed quote ends the reading where it starts; what came before stays.
        const LinkImport broken = parseBookmarks("<A HREF=\"http://a/\">a</A><A HREF=\"http://b/>b</A>", 10);
        QCOMPARE(broken.links, (QList<ImportedLink>{{u"http://a/"_s, u"a"_s}}));
    }

    void rowsMoveAsChosen_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<int>("where");
        QTest::addColumn<QString>("order");
        QTest::addColumn<QList<int>>("newRows");
        QTest::newRow("one up") << u"step"_s << QList<int>{2} << -1 << u"acbdef"_s << QList<int>{1};
        QTest::newRow("two apart up") << u"step"_s << QList<int>{1, 3} << -1 << u"badcef"_s << QList<int>{0, 2};
        QTest::newRow("top stays, next waits")
            << u"step"_s << QList<int>{0, 1, 3} << -1 << u"abdcef"_s << QList<int>{0, 1, 2};
        QTest::newRow("block down") << u"step"_s << QList<int>{1, 2} << 1 << u"adbcef"_s << QList<int>{2, 3};
        QTest::newRow("bottom stays") << u"step"_s << QList<int>{5} << 1 << u"abcdef"_s << QList<int>{5};
        QTest::newRow("dragged down") << u"move"_s << QList<int>{0, 2} << 4 << u"bdacef"_s << QList<int>{2, 3};
        QTest::newRow("dragged to the top") << u"move"_s << QList<int>{4} << 0 << u"eabcdf"_s << QList<int>{0};
        QTest::newRow("dragged past the end") << u"move"_s << QList<int>{1} << 6 << u"acdefb"_s << QList<int>{5};
    }
    void rowsMoveAsChosen()
    {
        QFETCH(QString, how);
        QFETCH(QList<int>, rows);
        QFETCH(int, where);
        QFETCH(QString, order);
        QFETCH(QList<int>, newRows);
        LessonModel model;
        model.setEntries(letters(u"abcdef"_s));
        const QPersistentModelIndex followed = model.index(rows.front(), LessonModel::AddressColumn);
        const QList<int> moved = how == u"step"_s ? model.stepEntries(rows, where) : model.moveEntries(rows, where);
        QCOMPARE(model.entries(), letters(order));
        QCOMPARE(moved, newRows);
        // A chosen row stays chosen where it went.
        QCOMPARE(followed.row(), newRows.front());
        QCOMPARE(model.index(0, LessonModel::NumberColumn).data().toInt(), 0);
        QCOMPARE(model.isModified(), order != u"abcdef"_s);
    }

    void dropsAddLinksInOrderUpToTheCap()
    {
        LessonModel model;
        model.setEntries({u"first"_s, u"last"_s});
        QSignalSpy problems(&model, &LessonModel::importProblems);
        QMimeData dropped;
        dropped.setUrls({QUrl::fromLocalFile(lessonData(u"shortcut.url"_s)), QUrl(u"https://example.net/x"_s),
                         QUrl::fromLocalFile(lessonData(u"chromium-bookmarks.html"_s))});
        QVERIFY(model.dropMimeData(&dropped, Qt::CopyAction, 1, 0, {}));
        QCOMPARE(model.entries(),
                 (QStringList{u"first"_s, u"http://example.com/ページ"_s, u"https://example.net/x"_s,
                              u"http://example.com/lesson/1"_s, u"http://example.com/lesson/2?x=\"y\""_s,
                              u"http://example.com/lesson/3"_s, u"last"_s}));
        QCOMPARE(model.index(3, LessonModel::ResultColumn).data().toString(), u"Lesson 1"_s);
        QCOMPARE(problems.count(), 0);

        QStringList nearlyFull(kMaxUrlListEntries - 1, u"http://example.com/"_s);
        model.setEntries(nearlyFull);
        QMimeData text;
        text.setText(u"http://a/\n\n  http://b/  \r\nhttp://c/"_s);
        QVERIFY(model.dropMimeData(&text, Qt::CopyAction, -1, -1, {}));
        QCOMPARE(model.rowCount(), kMaxUrlListEntries);
        QCOMPARE(model.entries().back(), u"http://a/"_s);
        QCOMPARE(problems.count(), 1);
        QCOMPARE(problems.front().front().toStringList(), QStringList{listFullText()});
    }

    // An address no datagram can carry to the children, signed for those with the teacher's key, is
    // left out of a drop, from addresses and from text alike; the longest one that fits is added.
    void importsLeaveOutAddressesTooLongForChildren()
    {
        LessonModel model;
        QSignalSpy problems(&model, &LessonModel::importProblems);
        const QString longest = u"http://a/"_s.leftJustified(kLargestSignedInnerBytes, u'x');
        const QString tooLong = longest + u'x';
        QMimeData urls;
        urls.setUrls({QUrl(tooLong), QUrl(longest)});
        QMimeData text;
        text.setText(u"http://c/\n"_s + tooLong);
        for (const QMimeData* data : {&urls, &text})
            QVERIFY(model.dropMimeData(data, Qt::CopyAction, -1, -1, {}));
        QCOMPARE(model.entries(), (QStringList{longest, u"http://c/"_s}));
        QCOMPARE(problems.count(), 2);
        QCOMPARE(problems[1][0].toStringList(), QStringList{tooLongRefusedText(1)});
    }

    void editedEntriesAreTrimmedAndEmptyOnesShown()
    {
        LessonModel model;
        model.setEntries({QString(), u"x"_s});
        QCOMPARE(model.index(0, LessonModel::AddressColumn).data().toString(), kEmptyEntryText);
        QCOMPARE(model.index(0, LessonModel::AddressColumn).data(Qt::EditRole).toString(), QString());
        QCOMPARE(model.index(0, LessonModel::ResultColumn).data().toString(), kEmptyEntryText);
        QVERIFY(!model.isModified());
        QVERIFY(model.setData(model.index(1, LessonModel::AddressColumn), u"  http://y/ \t"_s));
        QCOMPARE(model.entries(), (QStringList{QString(), u"http://y/"_s}));
        QVERIFY(model.isModified());
    }

    void entriesAreWarnedAboutByTheRulesThatRefuseThem_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QStringList>("warnings");
        const UrlListWrite accent = writeUrlList({u"http://café/"_s});
        QTest::newRow("a page") << u"http://example.com/"_s << QStringList{};
        QTest::newRow("empty on purpose") << QString() << QStringList{};
        QTest::newRow("script") << u"javascript:alert(1)"_s << QStringList{kPresenterRefusesText, kChildRefusesText};
        QTest::newRow("data page") << u"data:text/html,hi"_s << QStringList{kChildRefusesText};
        // Which files a child shows is set on each student computer: no warning here.
        QTest::newRow("local file") << u"file:///srv/class/a.html"_s << QStringList{};
        QTest::newRow("file on a computer") << u"file://pc/a.html"_s << QStringList{kChildRefusesText};
        QTest::newRow("not in code page 932") << u"http://café/"_s << QStringList{unsavableText(accent)};
        const QString huge = u"data:text/html,"_s + QString(70000, u'x');
        QTest::newRow("too long for a datagram") << huge << QStringList{tooLongForChildrenText(huge.size())};
        const QString longest = u"http://a/"_s + QString(kLargestSignedInnerBytes - 9, u'x');
        QTest::newRow("longest that can be signed") << longest << QStringList{};
        QTest::newRow("too long to sign") << longest + u'x' << QStringList{tooLongForChildrenText(longest.size() + 1)};
    }
    void entriesAreWarnedAboutByTheRulesThatRefuseThem()
    {
        QFETCH(QString, entry);
        QFETCH(QStringList, warnings);
        QCOMPARE(entryWarnings(entry), warnings);
    }

    // A list in another encoding is read as it was meant; what cannot be read is said; a list too
    // long keeps its first entries and says so; a file too large is not read at all.
    void openingSaysHowTheFileWasRead_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("modified");
        QTest::newRow("code page 932") << QByteArray("http://a/\x83\x79\r\n\r\n")
                                       << QStringList{u"http://a/ペ"_s, QString()} << QString() << false;
        QTest::newRow("UTF-8 with a byte order mark")
            << QByteArray("\xEF\xBB\xBFhttp://a/\xE3\x83\x9A\r\n") << QStringList{u"http://a/ペ"_s}
            << openReadAsUtf8Text(u"list.txt"_s) << true;
        QTest::newRow("neither") << QByteArray("http://a/\xA0"
                                               "b\r\n\x85\x40\r\n")
                                 << QStringList{u"http://a/\u001Ab"_s, u"\uFFFD"_s}
                                 << openUndecodableText(u"list.txt"_s) << false;
        QTest::newRow("too many entries") << QByteArray(kMaxUrlListEntries + 2, ',') << QStringList(kMaxUrlListEntries)
                                          << openTruncatedText(u"list.txt"_s, kMaxUrlListEntries) << false;
    }
    void openingSaysHowTheFileWasRead()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, entries);
        QFETCH(QString, message);
        QFETCH(bool, modified);
        QTemporaryDir folder;
        QVERIFY(test::writeAll(folder.filePath(u"list.txt"_s), bytes));
        LessonDocument document;
        const LessonDocument::Result result = document.open(folder.filePath(u"list.txt"_s));
        QVERIFY(result.ok);
        QCOMPARE(result.message, message);
        QCOMPARE(document.model().entries(), entries);
        QCOMPARE(document.model().isModified(), modified);
        QCOMPARE(document.dropsEntries(), entries.size() == kMaxUrlListEntries);
        // What could not be read is shown, and keeps the list from being saved until mended.
        if (!message.isEmpty() && !modified && !document.dropsEntries()) {
            QCOMPARE(document.model().index(0, LessonModel::AddressColumn).data().toString(), u"http://a/␚b"_s);
            QVERIFY(!document.save().ok);
            QCOMPARE(test::readAll(folder.filePath(u"list.txt"_s)), bytes);
        }
    }

    void openingRefusesWhatItCannotReadAndKeepsTheList()
    {
        QTemporaryDir folder;
        LessonDocument document;
        QVERIFY(document.open(folder.filePath(u"new.txt"_s)).ok);
        QVERIFY(document.isNewFile());
        QCOMPARE(document.displayName(), u"new.txt"_s);
        QCOMPARE(document.model().insertLinks(0, {{u"http://kept/"_s, {}}}), 1);

        QFile huge(folder.filePath(u"huge.txt"_s));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(LessonDocument::kMaxListBytes + 1));
        huge.close();
        QVERIFY(QDir(folder.path()).mkdir(u"folder.txt"_s));
        const test::Fifo fifo(folder.filePath(u"fifo.txt"_s));
        QVERIFY(fifo.isValid());
        for (const QString& name : {u"huge.txt"_s, u"folder.txt"_s, u"fifo.txt"_s}) {
            const LessonDocument::Result result = document.open(folder.filePath(name));
            QVERIFY(!result.ok);
            QVERIFY(result.message.contains(name));
            QCOMPARE(document.model().entries(), QStringList{u"http://kept/"_s});
            QCOMPARE(document.displayName(), u"new.txt"_s);
        }
    }

private:
    QTemporaryDir m_cache;
};

QTEST_GUILESS_MAIN(TestLessonCore)
#include "test_lessoncore.moc"
