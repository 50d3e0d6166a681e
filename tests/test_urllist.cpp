#include "browseraddress.h"
#include "datagrams.h"
#include "urllist.h"

#include <QTest>

using namespace qh::master;

class TestUrlList : public QObject
{
    Q_OBJECT
private slots:
    void fieldsAreSplitAtCommasAndLineEnds_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("one per line") << QByteArray("http://a/\r\nhttp://b/\r\n")
                                      << QStringList{u"http://a/"_qs, u"http://b/"_qs};
        QTest::newRow("two on a line") << QByteArray("http://a/,http://b/\r\n")
                                       << QStringList{u"http://a/"_qs, u"http://b/"_qs};
        QTest::newRow("quoted with a comma")
            << QByteArray("\"http://a/?x=1,2\"\r\n") << QStringList{u"http://a/?x=1,2"_qs};
        QTest::newRow("quoted then more") << QByteArray("\"a,b\" ,c\r\n") << QStringList{u"a,b"_qs, u"c"_qs};
        QTest::newRow("empty line") << QByteArray("a\r\n\r\nb\r\n") << QStringList{u"a"_qs, QString(), u"b"_qs};
        QTest::newRow("nothing between commas") << QByteArray("a,,b") << QStringList{u"a"_qs, QString(), u"b"_qs};
        QTest::newRow("comma at the end") << QByteArray("a,\r\n") << QStringList{u"a"_qs, QString()};
        QTest::newRow("blanks around") << QByteArray("  a  ,\tb\t\r\n") << QStringList{u"a"_qs, u"b"_qs};
        QTest::newRow("blanks inside quotes kept") << QByteArray("\" a \"") << QStringList{u" a "_qs};
        QTest::newRow("unclosed quote ends with its line")
            << QByteArray("\"a,b\r\nc") << QStringList{u"a,b"_qs, u"c"_qs};
        QTest::newRow("last line without end") << QByteArray("a\r\nb") << QStringList{u"a"_qs, u"b"_qs};
        QTest::newRow("lone LF and CR") << QByteArray("a\nb\rc") << QStringList{u"a"_qs, u"b"_qs, u"c"_qs};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
        QTest::newRow("code page 932") << QByteArray("file:///\x83\x79\x81\x5b\x83\x57.html")
                                       << QStringList{u"file:///ページ.html"_qs};
        QTest::newRow("no comment syntax") << QByteArray("'x;y") << QStringList{u"'x;y"_qs};
    }

    void fieldsAreSplitAtCommasAndLineEnds()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, entries);
        const UrlListParse parse = parseUrlList(bytes);
        QCOMPARE(parse.entries, entries);
        QVERIFY(!parse.truncated);
    }

    void listIsCutAtTheCap()
    {
        const UrlListParse atCap = parseUrlList("a,b,c\r\nd", 4);
        QCOMPARE(atCap.entries.size(), 4);
        QVERIFY(!atCap.truncated);
        const UrlListParse over = parseUrlList("a,b,c\r\nd,e\r\nf", 4);
        QCOMPARE(over.entries, (QStringList{u"a"_qs, u"b"_qs, u"c"_qs, u"d"_qs}));
        QVERIFY(over.truncated);
        QCOMPARE(kMaxUrlListEntries, 32760);
    }

    void fileNameIsTheWholeArgumentString_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("none") << QStringList{} << u"weblist.txt"_qs;
        QTest::newRow("one") << QStringList{u"list.txt"_qs} << u"list.txt"_qs;
        QTest::newRow("several words") << QStringList{u"my"_qs, u"list.txt"_qs} << u"my list.txt"_qs;
        QTest::newRow("one argument with a blank") << QStringList{u"my list.txt"_qs} << u"my list.txt"_qs;
        QTest::newRow("quotes kept") << QStringList{u"\"my"_qs, u"list.txt\""_qs} << u"\"my list.txt\""_qs;
        QTest::newRow("relative folder") << QStringList{u"lists/day1.txt"_qs} << u"lists/day1.txt"_qs;
    }

    void fileNameIsTheWholeArgumentString()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, fileName);
        QCOMPARE(urlListFileName(arguments), fileName);
    }

    void entriesBecomeBrowserAddresses_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("url");
        QTest::newRow("file") << u"file:///srv/a.html"_qs << u"file:///srv/a.html"_qs;
        QTest::newRow("file with fragment") << u"file:///srv/a.html#s"_qs << u"file:///srv/a.html#s"_qs;
        QTest::newRow("typed host") << u"example.com"_qs << u"http://example.com"_qs;
        QTest::newRow("http") << u"http://example.com/x"_qs << u"http://example.com/x"_qs;
        QTest::newRow("blanks around") << u"  http://example.com/  "_qs << u"http://example.com/"_qs;
        QTest::newRow("empty") << QString() << u"about:blank"_qs;
        QTest::newRow("blank") << u"   "_qs << u"about:blank"_qs;
        QTest::newRow("script") << u"javascript:alert(1)"_qs << u"about:blank"_qs;
        QTest::newRow("mail") << u"mailto:a@example.com"_qs << u"about:blank"_qs;
        QTest::newRow("no host") << u"http://"_qs << u"about:blank"_qs;
        QTest::newRow("blank in host") << u"http://exa mple.com/"_qs << u"about:blank"_qs;
        QTest::newRow("colons load as a missing file") << u"::::"_qs << u"file:///::::"_qs;
    }

    void entriesBecomeBrowserAddresses()
    {
        QFETCH(QString, entry);
        QFETCH(QString, url);
        QCOMPARE(browserUrl(entry).toString(), url);
    }

    void fragmentMovesStayInTheDocument_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<bool>("same");
        QTest::newRow("to a fragment") << u"file:///a.html"_qs << u"file:///a.html#s"_qs << true;
        QTest::newRow("between fragments") << u"file:///a.html#s"_qs << u"file:///a.html#t"_qs << true;
        QTest::newRow("same address reloads") << u"file:///a.html#s"_qs << u"file:///a.html#s"_qs << false;
        QTest::newRow("fragment dropped") << u"file:///a.html#s"_qs << u"file:///a.html"_qs << false;
        QTest::newRow("other page") << u"file:///a.html"_qs << u"file:///b.html#s"_qs << false;
    }

    void fragmentMovesStayInTheDocument()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(bool, same);
        QCOMPARE(isSameDocument(QUrl(from), QUrl(to)), same);
    }

    void datagramsHoldExactlyTheirText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("visible") << commandText(kVerbVisibleTrue) << QByteArray("Command:VisibleTrue");
        QTest::newRow("hidden") << commandText(kVerbVisibleFalse) << QByteArray("Command:VisibleFalse");
        QTest::newRow("empty verb") << commandText(QString()) << QByteArray("Command:");
        QTest::newRow("address") << u"http://a/"_qs << QByteArray("http://a/");
        QTest::newRow("code page 932") << u"～①"_qs << QByteArray("\x81\x60\x87\x40");
    }

    void datagramsHoldExactlyTheirText()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(datagramBytes(text), bytes);
    }
};

QTEST_GUILESS_MAIN(TestUrlList)
#include "test_urllist.moc"
