// The child program's logic without its windows: what a datagram makes it do, its settings, the
// spacing of calls and what the call button reads, and its socket on loopback: the check of the
// sender, the search for the master through a slow name service, the reports to the master.
#include "child/callgate.h"
#include "child/callstate.h"
#include "child/childlink.h"
#include "child/childsettings.h"
#include "child/mastersource.h"
#include "common/childaction.h"
#include "common/cp932text.h"
#include "common/datagrams.h"
#include "common/viewdatagrams.h"
#include "master/callentry.h"
#include "tests/slownames/slownames.h"
#include "tests/support/childprocess.h"
#include "tests/support/loopback.h"
#include "tests/support/testfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace qh;
using namespace qh::child;
using namespace qh::test;
using namespace Qt::StringLiterals;

namespace {

// An action in one word: "show", "hide", "full", "window", "none", "refused <why>", the teacher's
// view ("place <spot>", "zoom 125", ...), or the page opened.
QString summary(const ChildAction& action)
{
    switch (action.kind) {
    case ChildAction::Kind::None:
        return action.refusal == Refusal::None ? u"none"_s : u"refused "_s + refusalName(action.refusal);
    case ChildAction::Kind::Show:
        return u"show"_s;
    case ChildAction::Kind::Hide:
        return u"hide"_s;
    case ChildAction::Kind::FullScreen:
        return u"full"_s;
    case ChildAction::Kind::WindowScreen:
        return u"window"_s;
    case ChildAction::Kind::CallReceived:
        return u"received"_s;
    case ChildAction::Kind::Place:
        return u"place "_s + QString::fromLatin1(spotText(action.spot));
    case ChildAction::Kind::Pointer:
        return u"pointer "_s + QString::fromLatin1(spotText(action.spot));
    case ChildAction::Kind::PointerOff:
        return u"pointer off"_s;
    case ChildAction::Kind::Zoom:
        return u"zoom %1"_s.arg(action.zoomPercent);
    case ChildAction::Kind::Open:
        return action.page.toString();
    }
    return {};
}

// The settings read, in one line.
QString summary(const ChildSettings& settings)
{
    return u"%1 master=%2 port=%3 masterport=%4 bind=%5 %6 %7"_s.arg(settings.number, 2, 10, QChar(u'0'))
        .arg(settings.masterName)
        .arg(settings.childPort)
        .arg(settings.masterPort)
        .arg(settings.bindAddress.toString(), settings.fullScreen ? u"full"_s : u"window"_s,
             settings.acceptAnySource ? u"any"_s : u"master"_s);
}

const QByteArray kComplete = "Number=07\r\nMaster=127.0.0.1\r\nChildPort=5001\r\nMasterPort=5002\r\n";

// The complete file with one of its lines changed: "Key=value".
QByteArray with(const QByteArray& line)
{
    QByteArrayList lines = kComplete.split('\n');
    for (QByteArray& each : lines) {
        if (each.startsWith(line.left(line.indexOf('=') + 1)))
            each = line + '\r';
    }
    return lines.join('\n');
}

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

class TestChildCore : public QObject
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
        QCOMPARE(summary(childActionOf(datagram, rule)), tree.in(action));
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

    // The presenter's reading of a call takes each child's call as that child's.
    void callIsReadByThePresenter()
    {
        for (const int number : {1, 7, 30}) {
            const std::optional<QString> read = master::callNumberOfDatagram(datagramBytes(callText(number)));
            QCOMPARE(read.value_or(u"none"_s).toInt(), number);
            QCOMPARE(datagramBytes(callText(number)).size(), 6);
        }
    }

    // A child's reports reach our presenter as they were sent, and are never taken for a call.
    void reportsAreReadByThePresenter_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<QString>("report");
        QTest::newRow("hello") << helloDatagram(7) << u"hello 7"_s;
        QTest::newRow("showing") << showingDatagram(30, "http://a/\x82\xa0") << u"showing 30 http://a/\x82\xa0"_s;
        QTest::newRow("showing nothing") << showingDatagram(1, {}) << u"showing 1 "_s;
        QTest::newRow("slot 00") << QByteArray("00Hello") << u"none"_s;
        QTest::newRow("slot 31") << QByteArray("31Showing:x") << u"none"_s;
        QTest::newRow("one digit") << QByteArray("7Hello") << u"none"_s;
        QTest::newRow("blank digit") << QByteArray(" 7Hello") << u"none"_s;
        QTest::newRow("hello and more") << QByteArray("07Hello\r\n") << u"none"_s;
        QTest::newRow("lower case") << QByteArray("07showing:x") << u"none"_s;
        QTest::newRow("a call") << datagramBytes(callText(7)) << u"none"_s;
    }
    void reportsAreReadByThePresenter()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(QString, report);
        const std::optional<ChildReport> read = childReportOf(datagram);
        const QString summary = !read ? u"none"_s
                                : read->kind == ChildReport::Kind::Hello
                                    ? u"hello %1"_s.arg(read->computerNumber)
                                    : u"showing %1 "_s.arg(read->computerNumber) + QString::fromLatin1(read->address);
        QCOMPARE(summary, report);
        QVERIFY(!master::callNumberOfDatagram(datagram) || datagram == datagramBytes(callText(7)));
    }

    void callsAreSpacedOut_data()
    {
        QTest::addColumn<QList<int>>("clicksMs");
        QTest::addColumn<QList<bool>>("sent");
        QTest::newRow("first call") << QList<int>{5} << QList<bool>{true};
        QTest::newRow("held key") << QList<int>{0, 30, 60, 90, 1990} << QList<bool>{true, false, false, false, false};
        QTest::newRow("after two seconds") << QList<int>{0, 2000, 2100, 4000} << QList<bool>{true, true, false, true};
        QTest::newRow("refused clicks do not count")
            << QList<int>{0, 1500, 2500, 3000} << QList<bool>{true, false, true, false};
    }
    void callsAreSpacedOut()
    {
        QFETCH(QList<int>, clicksMs);
        QFETCH(QList<bool>, sent);
        CallGate gate;
        QList<bool> admitted;
        for (const int ms : clicksMs)
            admitted.append(gate.admit(std::chrono::milliseconds(1000000 + ms)));
        QCOMPARE(admitted, sent);
    }

    // Good settings: from the working folder's file, the system folder's, the command line, or all.
    void settingsAreRead_data()
    {
        QTest::addColumn<QByteArray>("workFile"); // null: no file in the working folder
        QTest::addColumn<QByteArray>("systemFile");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("read");
        QTest::newRow("working folder") << kComplete << QByteArray() << QStringList{}
                                        << u"07 master=127.0.0.1 port=5001 masterport=5002 bind=0.0.0.0 full master"_s;
        QTest::newRow("system folder") << QByteArray() << kComplete + "ScreenMode=WindowScreen\r\n"
                                       << QStringList{}
                                       << u"07 master=127.0.0.1 port=5001 masterport=5002 bind=0.0.0.0 window master"_s;
        QTest::newRow("working folder first")
            << QByteArray("Number=3\r\nMaster=127.0.0.1\r\nChildPort=6001\r\nMasterPort=6002\r\n") << kComplete
            << QStringList{} << u"03 master=127.0.0.1 port=6001 masterport=6002 bind=0.0.0.0 full master"_s;
        QTest::newRow("command line alone")
            << QByteArray() << QByteArray() << QStringList{u"--number"_s, u"30"_s,          u"--master=localhost"_s,
                                                           u"--port"_s,   u"65535"_s,       u"--master-port"_s,
                                                           u"1"_s,        u"--bind"_s,      u"127.0.0.2"_s,
                                                           u"--window"_s, u"--accept-any"_s}
            << u"30 master=localhost port=65535 masterport=1 bind=127.0.0.2 window any"_s;
        QTest::newRow("command line over the file")
            << kComplete + "ScreenMode=WindowScreen\r\nAcceptAny=1\r\nBind=127.0.0.5\r\n"
            << QByteArray() << QStringList{u"--number"_s, u"8"_s, u"--port=7001"_s}
            << u"08 master=127.0.0.1 port=7001 masterport=5002 bind=127.0.0.5 window any"_s;
        QTest::newRow("command line mends a bad value")
            << QByteArray("Number=99\r\nMaster=127.0.0.1\r\nChildPort=5001\r\nMasterPort=5002\r\n") << QByteArray()
            << QStringList{u"--number"_s, u"01"_s}
            << u"01 master=127.0.0.1 port=5001 masterport=5002 bind=0.0.0.0 full master"_s;
        QTest::newRow("the template in data/, once the master is named")
            << readAll(dataPath(u"../../data/Quillharbour_Child.ini"_s)) << QByteArray()
            << QStringList{u"--master"_s, u"127.0.0.1"_s}
            << u"01 master=127.0.0.1 port=5001 masterport=5002 bind=0.0.0.0 full master"_s;
        QTest::newRow("a name that is not found yet")
            << kComplete << QByteArray() << QStringList{u"--master"_s, u"teacher-pc.invalid"_s}
            << u"07 master=teacher-pc.invalid port=5001 masterport=5002 bind=0.0.0.0 full master"_s;
        QTest::newRow("the file's own layout")
            << cp932::encode(u"; 教室2のPC07\r\n[Quillharbour_Child]\r\n\r\n  number = 7 \r\n# teacher\r\n"
                             u"MASTER=127.0.0.1\r\nchildport=5001\r\nMasterPort=5002\r\nBind=\r\n"
                             u"ScreenMode=FullScreen\r\nAcceptAny=0"_s)
            << QByteArray() << QStringList{}
            << u"07 master=127.0.0.1 port=5001 masterport=5002 bind=0.0.0.0 full master"_s;
    }
    void settingsAreRead()
    {
        QFETCH(QByteArray, workFile);
        QFETCH(QByteArray, systemFile);
        QFETCH(QStringList, arguments);
        QFETCH(QString, read);
        QTemporaryDir work;
        QTemporaryDir system;
        if (!workFile.isNull())
            QVERIFY(writeAll(work.filePath(kChildSettingsFileName), workFile));
        if (!systemFile.isNull())
            QVERIFY(writeAll(system.filePath(kChildSettingsFileName), systemFile));
        const ChildSettingsResult result = readChildSettings(arguments, {work.path(), system.path()});
        QVERIFY2(result.errors.isEmpty(), qPrintable(result.errors.join(u'\n')));
        QCOMPARE(result.outcome, ChildSettingsResult::Outcome::Run);
        QCOMPARE(summary(result.settings), read);
    }

    // Each problem is one message that names the value (or line) and where it came from: "%W" is
    // the working folder's file, "%S" the system folder's, "%C" the command line. The fragments of
    // one message are separated by "|".
    void badSettingsAreNamed_data()
    {
        QTest::addColumn<QByteArray>("workFile");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QStringList>("messages");
        const int bad = int(ChildSettingsResult::Outcome::BadSettings);
        const int badLine = int(ChildSettingsResult::Outcome::BadCommandLine);
        QTest::newRow("no file anywhere")
            << QByteArray() << QStringList{u"--number=2"_s} << bad
            << QStringList{u"%WORK|%SYSTEM|Master|ChildPort|MasterPort|--master|--port|--master-port"_s};
        QTest::newRow("values missing from the file")
            << QByteArray("Number=07\r\nMaster=127.0.0.1\r\n") << QStringList{} << bad
            << QStringList{u"%W|ChildPort|MasterPort"_s};
        QTest::newRow("number outside 01-30")
            << with("Number=31") << QStringList{} << bad << QStringList{u"%W|Number|31"_s};
        QTest::newRow("number 0") << kComplete << QStringList{u"--number"_s, u"0"_s} << bad
                                  << QStringList{u"%C|--number|0"_s};
        QTest::newRow("three digits") << kComplete << QStringList{u"--number=007"_s} << bad
                                      << QStringList{u"%C|--number|007"_s};
        QTest::newRow("repeated key") << kComplete + "Number=08\r\n"
                                      << QStringList{} << bad << QStringList{u"%W|5|Number"_s};
        QTest::newRow("ports") << QByteArray("Number=1\r\nMaster=127.0.0.1\r\nChildPort=0\r\nMasterPort=65536\r\n")
                               << QStringList{} << bad << QStringList{u"%W|ChildPort|0"_s, u"%W|MasterPort|65536"_s};
        QTest::newRow("port with letters") << kComplete << QStringList{u"--master-port"_s, u"5002x"_s} << bad
                                           << QStringList{u"%C|--master-port|5002x"_s};
        QTest::newRow("master that cannot be a name") << kComplete << QStringList{u"--master"_s, u"teacher pc"_s} << bad
                                                      << QStringList{u"%C|--master|teacher pc"_s};
        QTest::newRow("master an IPv6 address")
            << with("Master=::1") << QStringList{} << bad << QStringList{u"%W|Master|::1"_s};
        QTest::newRow("master the any address")
            << with("Master=0.0.0.0") << QStringList{} << bad << QStringList{u"%W|Master|0.0.0.0"_s};
        QTest::newRow("empty master") << with("Master=") << QStringList{} << bad << QStringList{u"%W|Master"_s};
        QTest::newRow("empty master value")
            << kComplete << QStringList{u"--master="_s} << bad << QStringList{u"%C|--master"_s};
        QTest::newRow("bind to a name") << kComplete + "Bind=localhost\r\n"
                                        << QStringList{} << bad << QStringList{u"%W|Bind|localhost"_s};
        QTest::newRow("screen mode") << kComplete + "ScreenMode=fullscreen\r\n"
                                     << QStringList{} << bad << QStringList{u"%W|ScreenMode|fullscreen"_s};
        QTest::newRow("switch") << kComplete + "AcceptAny=yes\r\n"
                                << QStringList{} << bad << QStringList{u"%W|AcceptAny|yes"_s};
        QTest::newRow("relative local folder") << kComplete + "LocalFolders=/srv/pages;pages\r\n"
                                               << QStringList{} << bad << QStringList{u"%W|LocalFolders|pages"_s};
        QTest::newRow("unknown key") << kComplete + "Mastr=PC\r\n"
                                     << QStringList{} << bad << QStringList{u"%W|5|Mastr"_s};
        QTest::newRow("line without a value") << kComplete + "Master 127.0.0.1\r\n"
                                              << QStringList{} << bad << QStringList{u"%W|5|Master 127.0.0.1"_s};
        QTest::newRow("settings file named but missing")
            << kComplete << QStringList{u"--settings"_s, u"nofile.ini"_s} << bad << QStringList{u"%WORK/nofile.ini"_s};
        QTest::newRow("unknown option") << kComplete << QStringList{u"--numbre"_s, u"7"_s} << badLine
                                        << QStringList{u"%C|--numbre"_s, u"%C|7"_s};
        QTest::newRow("option without its value")
            << kComplete << QStringList{u"--port"_s} << badLine << QStringList{u"%C|--port"_s};
        QTest::newRow("switch with a value")
            << kComplete << QStringList{u"--window=0"_s} << badLine << QStringList{u"%C|--window"_s};
    }
    void badSettingsAreNamed()
    {
        QFETCH(QByteArray, workFile);
        QFETCH(QStringList, arguments);
        QFETCH(int, outcome);
        QFETCH(QStringList, messages);
        QTemporaryDir work;
        QTemporaryDir system;
        const WorkingFolder cd; // a relative --settings file is taken from the working folder
        if (!workFile.isNull())
            QVERIFY(writeAll(work.filePath(kChildSettingsFileName), workFile));
        for (QString& argument : arguments)
            argument.replace(u"nofile.ini"_s, work.filePath(u"nofile.ini"_s));
        const ChildSettingsResult result = readChildSettings(arguments, {work.path(), system.path()});
        QCOMPARE(int(result.outcome), outcome);
        QCOMPARE(result.errors.size(), messages.size());
        for (qsizetype i = 0; i < messages.size(); ++i) {
            for (QString fragment : messages[i].split(u'|')) {
                fragment.replace(u"%WORK"_s, work.path())
                    .replace(u"%SYSTEM"_s, system.path())
                    .replace(u"%W"_s, work.filePath(kChildSettingsFileName))
                    .replace(u"%C"_s, u"コマンドライン"_s);
                QVERIFY2(result.errors[i].contains(fragment),
                         qPrintable(u"「%1」 lacks 「%2」"_s.arg(result.errors[i], fragment)));
            }
        }
    }

    void localFoldersAreRead_data()
    {
        QTest::addColumn<QByteArray>("line"); // of the settings file
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("folders"); // "%D": the installed demo pages
        QTest::newRow("left out") << QByteArray() << QStringList{} << QStringList{u"%D"_s};
        QTest::newRow("in the file") << QByteArray("LocalFolders= /srv/a ; /srv/b/ ;\r\n") << QStringList{}
                                     << QStringList{u"/srv/a"_s, u"/srv/b"_s};
        QTest::newRow("empty: none") << QByteArray("LocalFolders=\r\n") << QStringList{} << QStringList{};
        QTest::newRow("command line over the file")
            << QByteArray("LocalFolders=/srv/a\r\n") << QStringList{u"--local-folders=/srv/c"_s}
            << QStringList{u"/srv/c"_s};
    }
    void localFoldersAreRead()
    {
        QFETCH(QByteArray, line);
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, folders);
        QTemporaryDir work;
        QVERIFY(writeAll(work.filePath(kChildSettingsFileName), kComplete + line));
        const ChildSettingsResult result = readChildSettings(arguments, {work.path()});
        QCOMPARE(result.errors, QStringList{});
        folders.replaceInStrings(
            u"%D"_s, QDir::cleanPath(QCoreApplication::applicationDirPath() + u"/../share/quillharbour/pages"_s));
        QCOMPARE(result.settings.localFolders, folders);
    }

    void lockNamesCarryPortAndAddress()
    {
        ChildSettings settings;
        settings.childPort = 5001;
        const QString anyAddress = childLockName(settings);
        settings.bindAddress = QHostAddress(u"127.0.0.2"_s);
        const QString second = childLockName(settings);
        settings.bindAddress = QHostAddress(u"127.0.0.3"_s);
        const QString third = childLockName(settings);
        settings.childPort = 5003;
        const QString otherPort = childLockName(settings);
        QCOMPARE(QSet<QString>({anyAddress, second, third, otherPort}).size(), 4);
        QVERIFY(!otherPort.contains(u'/'));
    }

    // What the call button reads as time passes: "<ms> <event>" steps, and "<ms> =<reading>"
    // checks. Events: sent, failed, answered (the presenter answered this child), confirm.
    void callButtonReads_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::newRow("a presenter that never answered")
            << QStringList{u"0 sent"_s, u"1999 =Sent"_s, u"2000 =Ready"_s, u"60000 =Ready"_s};
        QTest::newRow("not sent") << QStringList{u"0 answered"_s, u"0 failed"_s, u"1999 =Failed"_s, u"2000 =Ready"_s};
        QTest::newRow("confirmed") << QStringList{u"0 answered"_s,   u"0 sent"_s,         u"30 confirm"_s,
                                                  u"30 =Received"_s, u"5029 =Received"_s, u"5030 =Ready"_s};
        QTest::newRow("not confirmed") << QStringList{u"0 answered"_s,        u"0 sent"_s,
                                                      u"1999 =Sent"_s,        u"2000 =NotReceived"_s,
                                                      u"6999 =NotReceived"_s, u"7000 =Ready"_s};
        QTest::newRow("answered while the call waits")
            << QStringList{u"0 sent"_s, u"1000 answered"_s, u"2000 =NotReceived"_s};
        QTest::newRow("a confirmation is an answer too")
            << QStringList{u"0 sent"_s, u"500 confirm"_s, u"500 =Received"_s, u"9000 sent"_s, u"11000 =NotReceived"_s};
        QTest::newRow("confirmed late, then too late")
            << QStringList{u"0 answered"_s,  u"0 sent"_s,    u"2500 confirm"_s,  u"2500 =Received"_s,
                           u"7500 =Ready"_s, u"8000 sent"_s, u"15000 confirm"_s, u"15000 =Ready"_s};
        QTest::newRow("no call waits") << QStringList{u"0 answered"_s, u"0 confirm"_s,  u"0 =Ready"_s,
                                                      u"10 failed"_s,  u"20 confirm"_s, u"20 =Failed"_s};
        QTest::newRow("called again at once") << QStringList{u"0 answered"_s, u"0 sent"_s,       u"2000 sent"_s,
                                                             u"2000 =Sent"_s, u"2100 confirm"_s, u"2100 =Received"_s};
    }
    void callButtonReads()
    {
        QFETCH(QStringList, steps);
        using std::chrono::milliseconds;
        const QHash<QString, CallState::Reading> readings{{u"Ready"_s, CallState::Reading::Ready},
                                                          {u"Sent"_s, CallState::Reading::Sent},
                                                          {u"Failed"_s, CallState::Reading::Failed},
                                                          {u"Received"_s, CallState::Reading::Received},
                                                          {u"NotReceived"_s, CallState::Reading::NotReceived}};
        CallState state;
        for (const QString& step : steps) {
            const milliseconds now(step.section(u' ', 0, 0).toInt());
            const QString what = step.section(u' ', 1);
            if (what.startsWith(u'=')) {
                QVERIFY2(state.readingAt(now) == readings.value(what.mid(1)), qPrintable(step));
                // The bar is shown the next reading when the state says it changes, and not before.
                const std::optional<milliseconds> change = state.nextChange(now);
                const milliseconds later = change.value_or(now + milliseconds(60000));
                QVERIFY2((state.readingAt(later) != state.readingAt(now)) == change.has_value(), qPrintable(step));
                QVERIFY2(state.readingAt(later - milliseconds(1)) == state.readingAt(now), qPrintable(step));
            } else if (what == u"sent") {
                state.sent(now);
            } else if (what == u"failed") {
                state.failed(now);
            } else if (what == u"answered") {
                state.masterAnswered();
            } else {
                state.confirm(now);
            }
        }
    }

    // Datagrams from the master pass in order; others are dropped.
    void onlyTheMastersDatagramsPass_data()
    {
        QTest::addColumn<QString>("masterName");
        QTest::addColumn<bool>("acceptAny");
        QTest::addColumn<QStringList>("senders"); // each sends its own name
        QTest::addColumn<QStringList>("passed");
        const QStringList senders{u"127.0.0.1"_s, u"127.0.0.9"_s, u"127.0.0.1"_s};
        QTest::newRow("master by address")
            << u"127.0.0.1"_s << false << senders << QStringList{u"127.0.0.1"_s, u"127.0.0.1"_s};
        QTest::newRow("any sender") << u"127.0.0.1"_s << true << senders << senders;
        QTest::newRow("master by name, still looked up")
            << u"localhost"_s << false << senders << QStringList{u"127.0.0.1"_s, u"127.0.0.1"_s};
        QTest::newRow("IPv4 mapped into IPv6")
            << u"127.0.0.1"_s << false << QStringList{u"::ffff:127.0.0.1"_s} << QStringList{u"::ffff:127.0.0.1"_s};
    }
    void onlyTheMastersDatagramsPass()
    {
        QFETCH(QString, masterName);
        QFETCH(bool, acceptAny);
        QFETCH(QStringList, senders);
        QFETCH(QStringList, passed);
        MasterSource source(masterName, acceptAny);
        QSignalSpy found(&source, &MasterSource::found);
        source.start();
        QStringList got;
        QObject::connect(&source, &MasterSource::accepted, &source,
                         [&got](const QByteArray& datagram) { got.append(QString::fromLatin1(datagram)); });
        QSignalSpy dropped(&source, &MasterSource::dropped);
        for (const QString& sender : senders)
            source.offer(sender.toLatin1(), QHostAddress(sender));
        QTRY_COMPARE(got.size() + dropped.size(), senders.size());
        QCOMPARE(got, passed);
        if (dropped.size() == 1)
            QCOMPARE(dropped.first().first().value<QHostAddress>(), QHostAddress(u"127.0.0.9"_s));
        QTRY_COMPARE(found.size(), 1);
        QCOMPARE(source.masterAddress(), QHostAddress(u"127.0.0.1"_s));
    }

    // The socket on loopback: the child says Hello to the master port as it starts, what the
    // master sends arrives as actions (and answers the Hello), a classmate's datagram is dropped,
    // a call reaches the master port, and no second child takes the same address and port.
    void linkReceivesAndCalls()
    {
        LoopbackChildren master;
        const std::uint16_t masterPort = master.bindFreePort();
        ChildSettings settings = loopbackChildSettings(7, freeUdpPort(), masterPort);
        const QByteArray address = childLoopbackAddress(7);
        ChildLink link(settings);
        QSignalSpy answered(&link, &ChildLink::masterAnswered);
        QVERIFY(link.bind());
        QVERIFY(link.isMasterKnown());
        ChildLink twin(settings);
        QVERIFY(!twin.bind());
        settings.number = 8;
        settings.bindAddress = QHostAddress(QString::fromLatin1(childLoopbackAddress(8)));
        ChildLink neighbour(settings);
        QVERIFY(neighbour.bind()); // another child on the same port of the next address

        QByteArrayList received;
        const auto receive = [&master, &received] {
            for (const Arrival& arrival : master.take()) {
                if (!arrival.payload.contains("Showing:"))
                    received.append(arrival.to + ' ' + arrival.payload);
            }
            return received;
        };
        QTRY_COMPARE(receive().size(), 2);
        QVERIFY(received.contains("127.0.0.1 07Hello"));
        QVERIFY(received.contains("127.0.0.1 08Hello"));
        QCOMPARE(answered.size(), 0);

        QStringList actions;
        QObject::connect(&link, &ChildLink::actionReceived, &link,
                         [&actions](const ChildAction& action) { actions.append(summary(action)); });
        QSignalSpy dropped(&link, &ChildLink::datagramDropped);
        QVERIFY(sendDatagram(address.constData(), settings.childPort, "Command:VisibleTrue"));
        QVERIFY(sendDatagramFrom("127.0.0.20", address.constData(), settings.childPort, "Command:VisibleFalse"));
        QVERIFY(sendDatagram(address.constData(), settings.childPort, "http://example.com/"));
        QTRY_COMPARE(actions, (QStringList{u"show"_s, u"http://example.com/"_s}));
        QTRY_COMPARE(dropped.size(), 1);
        QCOMPARE(answered.size(), 1);

        QCOMPARE(link.call(), ChildLink::CallResult::Sent);
        QCOMPARE(link.call(), ChildLink::CallResult::TooSoon);
        QTRY_COMPARE(receive().size(), 3);
        QTest::qWait(50);
        QCOMPARE(receive().last(), QByteArray("127.0.0.1 07Call"));
        QCOMPARE(received.size(), 3);
    }

    // "07Showing:" carries the bytes of the last page address the master sent, exactly: once its
    // load has ended (`settle`: the page window says so), or at once for an address the child does
    // not open. A datagram "@20 ..." comes from a classmate's computer.
    void showingNamesTheLastAddressExactly_data()
    {
        QTest::addColumn<QByteArrayList>("datagrams");
        QTest::addColumn<bool>("settle");
        QTest::addColumn<QByteArray>("showing"); // null: none is sent
        const QByteArray japanese = cp932::encode(u"file:///srv/授業.html"_s);
        QTest::newRow("code page 932 address") << QByteArrayList{japanese} << true << "07Showing:" + japanese;
        QTest::newRow("address refused, told at once")
            << QByteArrayList{"javascript:alert(1)"} << false << QByteArray("07Showing:javascript:alert(1)");
        QTest::newRow("empty address") << QByteArrayList{QByteArray("")} << false << QByteArray("07Showing:");
        QTest::newRow("commands after the page")
            << QByteArrayList{"http://example.com/a", "Command:VisibleTrue", "Command:CallReceived", "Command:Other"}
            << true << QByteArray("07Showing:http://example.com/a");
        QTest::newRow("a classmate's page") << QByteArrayList{"http://example.com/a", "@20 http://example.com/x"}
                                            << true << QByteArray("07Showing:http://example.com/a");
        QTest::newRow("no page yet") << QByteArrayList{"Command:VisibleTrue"} << true << QByteArray();
    }
    void showingNamesTheLastAddressExactly()
    {
        QFETCH(QByteArrayList, datagrams);
        QFETCH(bool, settle);
        QFETCH(QByteArray, showing);
        LoopbackChildren master;
        const ChildSettings settings = loopbackChildSettings(7, freeUdpPort(), master.bindFreePort());
        ChildLink link(settings);
        QVERIFY(link.bind());
        QSignalSpy actions(&link, &ChildLink::actionReceived);
        QSignalSpy dropped(&link, &ChildLink::datagramDropped);
        for (const QByteArray& datagram : datagrams) {
            const bool classmate = datagram.startsWith("@20 ");
            QVERIFY(sendDatagramFrom(classmate ? "127.0.0.20" : "127.0.0.1", childLoopbackAddress(7).constData(),
                                     settings.childPort, classmate ? datagram.mid(4) : datagram));
        }
        QTRY_COMPARE(actions.size() + dropped.size(), datagrams.size());
        if (settle)
            link.pageSettled();
        QByteArrayList reports;
        const auto showings = [&master, &reports] {
            for (const Arrival& arrival : master.take()) {
                if (arrival.payload != "07Hello")
                    reports.append(arrival.payload);
            }
            return reports.size();
        };
        if (showing.isNull()) {
            QTest::qWait(300);
            QCOMPARE(showings(), 0);
        } else {
            QTRY_VERIFY(showings() > 0);
            QCOMPARE(reports.last(), showing);
        }
    }

    // 300 pages in a burst and one more, while the child is too busy to read: the child gets
    // them all and ends on the last.
    void burstLeavesTheChildOnTheLastPage()
    {
        LoopbackChildren master;
        const ChildSettings settings = loopbackChildSettings(7, freeUdpPort(), master.bindFreePort());
        ChildLink link(settings);
        QVERIFY(link.bind());
        QStringList pages;
        QObject::connect(&link, &ChildLink::actionReceived, &link,
                         [&pages](const ChildAction& action) { pages.append(summary(action)); });
        for (int i = 1; i <= 301; ++i) {
            const QByteArray page = "http://example.com/lesson/page" + QByteArray::number(i) + ".html";
            QVERIFY(sendDatagram(childLoopbackAddress(7).constData(), settings.childPort, page));
        }
        QTRY_COMPARE(pages.size(), 301);
        QCOMPARE(pages.last(), u"http://example.com/lesson/page301.html"_s);
    }

    // A flood of addresses that the child does not open does not become a flood of reports to the
    // teacher's computer; the last report still names the last address.
    void floodOfAddressesIsToldSparingly()
    {
        LoopbackChildren master;
        const ChildSettings settings = loopbackChildSettings(7, freeUdpPort(), master.bindFreePort());
        ChildLink link(settings);
        QVERIFY(link.bind());
        QSignalSpy actions(&link, &ChildLink::actionReceived);
        for (int i = 1; i <= 300; ++i)
            QVERIFY(sendDatagram(childLoopbackAddress(7).constData(), settings.childPort,
                                 "javascript:" + QByteArray::number(i)));
        QTRY_COMPARE(actions.size(), 300);
        QByteArrayList showings;
        QTRY_VERIFY((
            showings +=
            [&master] {
                QByteArrayList each;
                for (const Arrival& arrival : master.take()) {
                    if (arrival.payload.contains("Showing:"))
                        each.append(arrival.payload);
                }
                return each;
            }(),
            showings.endsWith("07Showing:javascript:300")));
        QVERIFY2(showings.size() < 30, qPrintable(QString::number(showings.size())));
    }

    // A master whose name is not found at first is looked for until it is; meanwhile the child
    // takes nothing from anyone and cannot call. A master that moves is followed, and told Hello
    // at its new address. The slow name service answers the names: teacher.qhslow (child 07) is
    // not found until the test gives it 127.0.0.1; moved.qhslow (child 08) moves to 127.0.0.40.
    void masterIsLookedForAndFollowed()
    {
        SlowNameAddresses names;
        QVERIFY(names.set("teacher.qhslow -\n"));
        LoopbackChildren master;
        const std::uint16_t masterPort = master.bindFreePort();
        ChildSettings lateSettings = loopbackChildSettings(7, freeUdpPort(), masterPort);
        lateSettings.masterName = u"teacher.qhslow"_s;
        ChildSettings movedSettings = loopbackChildSettings(8, lateSettings.childPort, masterPort);
        movedSettings.masterName = u"moved.qhslow"_s;
        ChildLink late(lateSettings);
        ChildLink moved(movedSettings);
        QSignalSpy movedFound(&moved, &ChildLink::masterFound);
        QSignalSpy lateDropped(&late, &ChildLink::datagramDropped);
        QStringList actions;
        for (ChildLink* link : {&late, &moved}) {
            QObject::connect(link, &ChildLink::actionReceived, link, [&actions, link](const ChildAction& action) {
                actions.append(QString::number(link->isMasterKnown()) + summary(action));
            });
        }
        QVERIFY(late.bind());
        QVERIFY(moved.bind());
        QTRY_COMPARE(movedFound.size(), 1);

        QVERIFY(!late.isMasterKnown());
        QCOMPARE(late.call(), ChildLink::CallResult::Failed);
        const quint16 port = lateSettings.childPort;
        QVERIFY(sendDatagramFrom("127.0.0.20", childLoopbackAddress(7).constData(), port, "Command:VisibleFalse"));
        QVERIFY(sendDatagramFrom("127.0.0.1", childLoopbackAddress(7).constData(), port, "Command:VisibleTrue"));
        QVERIFY(names.set("teacher.qhslow 127.0.0.1\nmoved.qhslow 127.0.0.40\n"));
        QVERIFY(sendDatagramFrom("127.0.0.40", childLoopbackAddress(8).constData(), port, "Command:FullScreen"));

        QSet<QByteArray> hellos; // where each child's Hello went; 08 may have said it twice at 127.0.0.1
        const QSet<QByteArray> expected{"127.0.0.1 08Hello", "127.0.0.40 08Hello", "127.0.0.1 07Hello"};
        QTRY_VERIFY_WITH_TIMEOUT((
                                     [&] {
                                         for (const Arrival& arrival : master.take())
                                             hellos.insert(arrival.to + ' ' + arrival.payload);
                                     }(),
                                     hellos == expected),
                                 15000);
        QTRY_COMPARE(actions.size(), 2);
        QCOMPARE(QSet<QString>(actions.begin(), actions.end()), (QSet<QString>{u"1show"_s, u"1full"_s}));
        QCOMPARE(lateDropped.size(), 1);
    }
};

int main(int argc, char* argv[])
{
    preloadSlowNames();
    QCoreApplication app(argc, argv);
    TestChildCore test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_childcore.moc"
