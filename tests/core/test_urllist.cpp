#include "common/browseraddress.h"
#include "common/datagrams.h"
#include "common/urllist.h"

#include <QTest>

using namespace qh;
using namespace Qt::StringLiterals;

class TestUrlList : public QObject
{
    Q_OBJECT
private slots:
    void fieldsAreSplitAtCommasAndLineEnds_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("one per line") << QByteArray("http://a/\r\nhttp://b/\r\n")
                                      << QStringList{u"http://a/"_s, u"http://b/"_s};
        QTest::newRow("two on a line") << QByteArray("http://a/,http://b/\r\n")
                                       << QStringList{u"http://a/"_s, u"http://b/"_s};
        QTest::newRow("quoted with a comma")
            << QByteArray("\"http://a/?x=1,2\"\r\n") << QStringList{u"http://a/?x=1,2"_s};
        QTest::newRow("quoted then more") << QByteArray("\"a,b\" ,c\r\n") << QStringList{u"a,b"_s, u"c"_s};
        QTest::newRow("empty line") << QByteArray("a\r\n\r\nb\r\n") << QStringList{u"a"_s, QString(), u"b"_s};
        QTest::newRow("nothing between commas") << QByteArray("a,,b") << QStringList{u"a"_s, QString(), u"b"_s};
        QTest::newRow("comma at the end") << QByteArray("a,\r\n") << QStringList{u"a"_s, QString()};
        QTest::newRow("blanks around") << QByteArray("  a  ,\tb\t\r\n") << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("blanks inside quotes kept") << QByteArray("\" a \"") << QStringList{u" a "_s};
        QTest::newRow("unclosed quote ends with its line") << QByteArray("\"a,b\r\nc") << QStringList{u"a,b"_s, u"c"_s};
        QTest::newRow("last line without end") << QByteArray("a\r\nb") << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("lone LF and CR") << QByteArray("a\nb\rc") << QStringList{u"a"_s, u"b"_s, u"c"_s};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
        QTest::newRow("code page 932") << QByteArray("file:///\x83\x79\x81\x5b\x83\x57.html")
                                       << QStringList{u"file:///ページ.html"_s};
        QTest::newRow("no comment syntax") << QByteArray("'x;y") << QStringList{u"'x;y"_s};
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
        QCOMPARE(over.entries, (QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s}));
        QVERIFY(over.truncated);
    }

    void fileNameIsTheWholeArgumentString_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("none") << QStringList{} << u"weblist.txt"_s;
        QTest::newRow("one") << QStringList{u"list.txt"_s} << u"list.txt"_s;
        QTest::newRow("several words") << QStringList{u"my"_s, u"list.txt"_s} << u"my list.txt"_s;
        QTest::newRow("one argument with a blank") << QStringList{u"my list.txt"_s} << u"my list.txt"_s;
        QTest::newRow("quotes kept") << QStringList{u"\"my"_s, u"list.txt\""_s} << u"\"my list.txt\""_s;
        QTest::newRow("relative folder") << QStringList{u"lists/day1.txt"_s} << u"lists/day1.txt"_s;
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
        QTest::newRow("file") << u"file:///srv/a.html"_s << u"file:///srv/a.html"_s;
        QTest::newRow("file with fragment") << u"file:///srv/a.html#s"_s << u"file:///srv/a.html#s"_s;
        QTest::newRow("typed host") << u"example.com"_s << u"http://example.com"_s;
        QTest::newRow("http") << u"http://example.com/x"_s << u"http://example.com/x"_s;
        QTest::newRow("blanks around") << u"  http://example.com/  "_s << u"http://example.com/"_s;
        QTest::newRow("empty") << QString() << u"about:blank"_s;
        QTest::newRow("blank") << u"   "_s << u"about:blank"_s;
        QTest::newRow("script") << u"javascript:alert(1)"_s << u"about:blank"_s;
        QTest::newRow("mail") << u"mailto:a@example.com"_s << u"about:blank"_s;
        QTest::newRow("no host") << u"http://"_s << u"about:blank"_s;
        QTest::newRow("blank in host") << u"http://exa mple.com/"_s << u"about:blank"_s;
        QTest::newRow("colons load as a missing file") << u"::::"_s << u"file:///::::"_s;
    }

    void entriesBecomeBrowserAddresses()
    {
        QFETCH(QString, entry);
        QFETCH(QString, url);
        QCOMPARE(browserUrl(entry).toString(), url);
    }

    // What the presenter sends of an address it followed: as Qt writes it when code page 932 holds
    // that text, else fully encoded, so that no character turns into "?".
    void followedAddressesAreSentAsCp932HoldsThem_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("sent");
        QTest::newRow("Japanese path") << u"file:///srv/授業.html"_s << u"file:///srv/授業.html"_s;
        QTest::newRow("Japanese host") << u"http://日本.jp/"_s << u"http://日本.jp/"_s;
        QTest::newRow("é in the path") << u"http://a/Caf%C3%A9.html?q=あ"_s << u"http://a/Caf%C3%A9.html?q=%E3%81%82"_s;
        QTest::newRow("host in another script") << u"http://bücher.jp/"_s << u"http://xn--bcher-kva.jp/"_s;
        QTest::newRow("character stored as another") << u"http://a/〜"_s << u"http://a/%E3%80%9C"_s;
    }

    void followedAddressesAreSentAsCp932HoldsThem()
    {
        QFETCH(QString, url);
        QFETCH(QString, sent);
        QCOMPARE(sendableAddress(QUrl(url)), sent);
    }

    void fragmentMovesStayInTheDocument_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<bool>("same");
        QTest::newRow("to a fragment") << u"file:///a.html"_s << u"file:///a.html#s"_s << true;
        QTest::newRow("between fragments") << u"file:///a.html#s"_s << u"file:///a.html#t"_s << true;
        QTest::newRow("same address reloads") << u"file:///a.html#s"_s << u"file:///a.html#s"_s << false;
        QTest::newRow("fragment dropped") << u"file:///a.html#s"_s << u"file:///a.html"_s << false;
        QTest::newRow("other page") << u"file:///a.html"_s << u"file:///b.html#s"_s << false;
    }

    void fragmentMovesStayInTheDocument()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(bool, same);
        QCOMPARE(isSameDocument(QUrl(from), QUrl(to)), same);
    }
};

QTEST_GUILESS_MAIN(TestUrlList)
#include "test_urllist.moc"
