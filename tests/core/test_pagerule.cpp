// The child's address rules: what a datagram makes the child do, and which pages it shows (the web,
// and files under its local folders by their real place).
#include "common/childaction.h"
#include "common/cp932text.h"
#include "common/pagerule.h"
#include "common/viewdatagrams.h"
#include "tests/support/actionsummary.h"
#include "tests/support/testfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace qh;
using namespace qh::child;
using namespace qh::test;
using namespace Qt::StringLiterals;

namespace {

// A folder tree with the ways out of a local folder: ROOT/pages/{a.html, sub/b.html, 授業.html},
// pages/out -> ../secret, pages/link.html -> ../secret/s.html, pages/inner.html -> sub/b.html,
// ROOT/pages2/c.html, ROOT/secret/s.html, and ROOT/pageslink -> pages.
class PageTree
{
public:
    PageTree()
    {
        QDir root(m_root.path());
        for (const QString& folder : {u"pages/sub"_s, u"pages2"_s, u"secret"_s})
            root.mkpath(folder);
        for (const QString& file :
             {u"pages/a.html"_s, u"pages/sub/b.html"_s, u"pages/授業.html"_s, u"pages2/c.html"_s, u"secret/s.html"_s})
            writeAll(root.filePath(file), "<html></html>");
        QFile::link(u"../secret"_s, root.filePath(u"pages/out"_s));
        QFile::link(u"../secret/s.html"_s, root.filePath(u"pages/link.html"_s));
        QFile::link(u"sub/b.html"_s, root.filePath(u"pages/inner.html"_s));
        QFile::link(u"pages"_s, root.filePath(u"pageslink"_s));
    }
    // The tree's place, its links followed, as the rule gives pages.
    QString root() const { return QFileInfo(m_root.path()).canonicalFilePath(); }
    // "%R" in a text stands for the tree's place.
    QString in(QString text) const { return text.replace(u"%R"_s, root()); }

private:
    QTemporaryDir m_root;
};

} // namespace

class TestPageRule : public QObject
{
    Q_OBJECT
private slots:
    void datagramBecomesAction_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<QString>("action");
        QTest::newRow("show") << QByteArray("Command:VisibleTrue") << u"show"_s;
        QTest::newRow("hide") << QByteArray("Command:VisibleFalse") << u"hide"_s;
        QTest::newRow("full screen") << QByteArray("Command:FullScreen") << u"full"_s;
        QTest::newRow("window") << QByteArray("Command:WindowScreen") << u"window"_s;
        QTest::newRow("call received") << QByteArray("Command:CallReceived") << u"received"_s;
        QTest::newRow("call received and more") << QByteArray("Command:CallReceived07") << u"none"_s;
        QTest::newRow("command alone") << QByteArray("Command:") << u"none"_s;
        QTest::newRow("unknown verb") << QByteArray("Command:Reboot") << u"none"_s;
        QTest::newRow("verb in lower case") << QByteArray("Command:visibletrue") << u"none"_s;
        QTest::newRow("verb with a line end") << QByteArray("Command:VisibleTrue\r\n") << u"none"_s;
        QTest::newRow("verb with a NUL") << QByteArray("Command:VisibleTrue\0", 20) << u"none"_s;
        QTest::newRow("blank before a command") << QByteArray(" Command:VisibleTrue") << u"refused scheme"_s;
        QTest::newRow("page") << QByteArray("http://example.com/a.html") << u"http://example.com/a.html"_s;
        QTest::newRow("page as typed") << QByteArray("example.com") << u"http://example.com"_s;
        QTest::newRow("file page") << QByteArray("file://%R/pages/a.html#part") << u"file://%R/pages/a.html#part"_s;
        QTest::newRow("code page 932 address")
            << cp932::encode(u"file://%R/pages/授業.html") << u"file://%R/pages/授業.html"_s;
        QTest::newRow("file outside the local folders")
            << QByteArray("file:///etc/os-release") << u"refused file-outside"_s;
        QTest::newRow("data page") << QByteArray("data:text/html,<p>x</p>") << u"refused data"_s;
        QTest::newRow("empty") << QByteArray() << u"none"_s;
        QTest::newRow("blanks") << QByteArray("   ") << u"refused not-an-address"_s;
        QTest::newRow("script") << QByteArray("javascript:document.body.innerHTML=''") << u"refused scheme"_s;
        QTest::newRow("mail") << QByteArray("mailto:a@example.com") << u"refused scheme"_s;
        QTest::newRow("blank page") << QByteArray("about:blank") << u"refused scheme"_s;
        QTest::newRow("browser page") << QByteArray("chrome://crash") << u"refused scheme"_s;
        QTest::newRow("NUL in an address") << QByteArray("http://a/\0b", 11) << u"none"_s;
        QTest::newRow("line end in an address") << QByteArray("http://a/\r\nb") << u"none"_s;
        QTest::newRow("invalid code page 932") << QByteArray("http://a/\x80\xff") << u"none"_s;
        QTest::newRow("lone lead byte") << QByteArray("http://a/\x81") << u"none"_s;
        QTest::newRow("largest datagram") << QByteArray(65507, 'C') << u"refused not-an-address"_s;

        // The teacher's view: each spot has exactly one form, and nothing else passes.
        const QByteArray deepest = QByteArray("/0").repeated(kLongestElementPath);
        const QByteArray longestId = QByteArray(kLongestElementId, 'a');
        const QList<QByteArray> spots{
            "0 523000 0 57143 #s3/2/0", "10 20 0 0 -",        "1000000 1 -1 -100000000 /0/99999",
            "1 2 3 4 #a-b_c.d:e",       "1 2 3 4 " + deepest, "1 2 3 4 #" + longestId + deepest};
        for (const QByteArray& spot : spots) {
            QTest::newRow("place " + spot.left(40))
                << "Command:Place:" + spot << u"place "_s + QString::fromLatin1(spot);
            QTest::newRow("pointer " + spot.left(40))
                << "Command:Pointer:" + spot << u"pointer "_s + QString::fromLatin1(spot);
        }
        QTest::newRow("pointer off") << QByteArray("Command:PointerOff") << u"pointer off"_s;
        QTest::newRow("zoom") << QByteArray("Command:Zoom:125") << u"zoom 125"_s;
        QTest::newRow("zoom smallest") << QByteArray("Command:Zoom:25") << u"zoom 25"_s;
        QTest::newRow("zoom largest") << QByteArray("Command:Zoom:500") << u"zoom 500"_s;
        const QList<QByteArray> wrong{"Command:Zoom:501",
                                      "Command:Zoom:24",
                                      "Command:Zoom:090",
                                      "Command:Zoom:",
                                      "Command:Zoom:+100",
                                      "Command:Zoom:1.25",
                                      "Command:PointerOff ",
                                      "Command:Place:",
                                      "Command:Place:1 2 3 4",
                                      "Command:Place:1 2 3 4 ",
                                      "Command:Place:1  2 3 4 -",
                                      "Command:Place:1000001 0 0 0 -",
                                      "Command:Place:-1 0 0 0 -",
                                      "Command:Place:0 0 -0 0 -",
                                      "Command:Place:01 0 0 0 -",
                                      "Command:Place:+1 0 0 0 -",
                                      "Command:Place:0 0 0 -100000001 -",
                                      "Command:Place:0 0 0 0 s3",
                                      "Command:Place:0 0 0 0 #",
                                      "Command:Place:0 0 0 0 #/1",
                                      "Command:Place:0 0 0 0 #a'b",
                                      "Command:Place:0 0 0 0 #a b",
                                      "Command:Place:0 0 0 0 /1/",
                                      "Command:Place:0 0 0 0 //1",
                                      "Command:Place:0 0 0 0 /100000",
                                      "Command:Place:0 0 0 0 -/1",
                                      "Command:Place:0 0 0 0 " + deepest + "/0",
                                      "Command:Place:0 0 0 0 #" + longestId + "a",
                                      "Command:Place:1e3 0 0 0 -",
                                      "Command:Pointer:0 0 0 0 -x",
                                      "Command:place:0 0 0 0 -"};
        for (const QByteArray& datagram : wrong)
            QTest::newRow(datagram.left(50)) << datagram << u"none"_s;
    }
    void datagramBecomesAction()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(QString, action);
        const PageTree tree;
        const PageRule rule({tree.root() + u"/pages"_s});
        datagram.replace("%R", tree.root().toUtf8());
        QCOMPARE(actionSummary(childActionOf(datagram, rule)), tree.in(action));
    }

    // What the child shows: the web, and files under its local folders by their real place, whatever
    // way an address takes out of them. The folder is given through a link to it; a relative folder
    // allows nothing, also where the working folder would make it one.
    void pagesComeOnlyFromTheLocalFolders_data()
    {
        QTest::addColumn<QString>("address"); // "%R" stands for the tree's place
        QTest::addColumn<QString>("shown");   // the page opened, or "refused <why>"
        QTest::newRow("file in the folder") << u"file://%R/pages/a.html"_s << u"file://%R/pages/a.html"_s;
        QTest::newRow("query and fragment kept")
            << u"file://%R/pages/a.html?x=1#top"_s << u"file://%R/pages/a.html?x=1#top"_s;
        QTest::newRow("by the folder's link") << u"file://%R/pageslink/sub/b.html"_s << u"file://%R/pages/sub/b.html"_s;
        QTest::newRow("link within the folder") << u"file://%R/pages/inner.html"_s << u"file://%R/pages/sub/b.html"_s;
        QTest::newRow("dot-dot within") << u"file://%R/pages/sub/../a.html"_s << u"file://%R/pages/a.html"_s;
        QTest::newRow("the folder itself") << u"file://%R/pages/"_s << u"file://%R/pages"_s;
        QTest::newRow("web page") << u"https://example.com/a"_s << u"https://example.com/a"_s;
        QTest::newRow("dot-dot out") << u"file://%R/pages/../secret/s.html"_s << u"refused file-outside"_s;
        QTest::newRow("encoded dot-dot out") << u"file://%R/pages/%2e%2e/secret/s.html"_s << u"refused file-outside"_s;
        QTest::newRow("encoded slashes out") << u"file://%R/pages/..%2fsecret%2fs.html"_s << u"refused file-outside"_s;
        QTest::newRow("folder link out") << u"file://%R/pages/out/s.html"_s << u"refused file-outside"_s;
        QTest::newRow("file link out") << u"file://%R/pages/link.html"_s << u"refused file-outside"_s;
        QTest::newRow("folder name as prefix, relative folder")
            << u"file://%R/pages2/c.html"_s << u"refused file-outside"_s;
        QTest::newRow("system file") << u"file:///etc/os-release"_s << u"refused file-outside"_s;
        QTest::newRow("backslashes") << u"file://%R/pages/..\\secret\\s.html"_s << u"refused file-missing"_s;
        QTest::newRow("NUL") << u"file://%R/pages/a.html%00.png"_s << u"refused file-missing"_s;
        QTest::newRow("missing file") << u"file://%R/pages/gone.html"_s << u"refused file-missing"_s;
        QTest::newRow("name too long, then out")
            << u"file://%R/pages/"_s + QString(300, u'x') + u"/../../secret/s.html"_s << u"refused file-missing"_s;
        QTest::newRow("computer in the address") << u"file://server%R/pages/a.html"_s << u"refused file-host"_s;
        QTest::newRow("localhost") << u"file://localhost%R/pages/a.html"_s << u"refused file-host"_s;
        QTest::newRow("relative path") << u"file:pages/a.html"_s << u"refused file-relative"_s;
        QTest::newRow("data") << u"data:text/html,<p>x</p>"_s << u"refused data"_s;
        QTest::newRow("data in capitals") << u"DATA:text/html;base64,PHA+"_s << u"refused data"_s;
        QTest::newRow("other scheme") << u"ftp://example.com/a"_s << u"refused scheme"_s;
    }
    void pagesComeOnlyFromTheLocalFolders()
    {
        QFETCH(QString, address);
        QFETCH(QString, shown);
        const PageTree tree;
        const QString working = QDir::currentPath();
        QDir::setCurrent(tree.root());
        const PageRule rule({tree.root() + u"/pageslink"_s, u"pages2"_s});
        const PageCheck check = rule.check(tree.in(address));
        const Refusal followed = rule.refusalOf(QUrl(tree.in(address)));
        QDir::setCurrent(working);
        const QString result =
            check.refusal == Refusal::None ? check.page.toString() : u"refused "_s + refusalName(check.refusal);
        QCOMPARE(result, tree.in(shown));
        // A page that goes there by itself (a link, a redirect) meets the same rule.
        QCOMPARE(followed, check.refusal);
    }
};

QTEST_GUILESS_MAIN(TestPageRule)
#include "test_pagerule.moc"
