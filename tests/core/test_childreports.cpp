// How the presenter reads what a child sends (its calls and reports), the rules for answering the
// children's reports and for telling how each child follows, on explicit times of the monotonic clock.
#include "common/datagrams.h"
#include "common/tooltiptext.h"
#include "master/callentry.h"
#include "master/childreports.h"
#include "master/presentermessages.h"

#include <QTest>
#include <QTextDocument>

using namespace qh;
using namespace qh::master;
using namespace Qt::StringLiterals;

namespace {
const QByteArray kCurrent = "http://class/b.html";
const QByteArray kOld = "http://class/a.html";

const QByteArray kRun = "run-8byt";

// A Hello; with a challenge (it asks for signed datagrams) and the run it follows.
ChildReport hello(int number, const QByteArray& challenge = {}, const QByteArray& run = {})
{
    return {ChildReport::Kind::Hello, number, {}, challenge, run};
}

ChildReport showing(int number, const QByteArray& address)
{
    return {ChildReport::Kind::Showing, number, address, {}, {}};
}

ChildReports::Answering answering(bool mayAnswer)
{
    return mayAnswer ? ChildReports::Answering::Everything : ChildReports::Answering::SwitchedOff;
}
} // namespace

class TestChildReports : public QObject
{
    Q_OBJECT
private slots:
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
        // A child that holds the teacher's key asks for signed datagrams with a challenge, and
        // names the run it follows; anything else after "Hello" is no report.
        const QByteArray challenge = QByteArray::fromHex("00112233445566778899aabbccddeeff");
        const QByteArray run = QByteArray::fromHex("0123456789abcdef");
        QTest::newRow("asks") << helloDatagram(7, challenge) << u"hello 7 00112233445566778899aabbccddeeff"_s;
        QTest::newRow("asks, follows a run")
            << helloDatagram(7, challenge, run) << u"hello 7 00112233445566778899aabbccddeeff 0123456789abcdef"_s;
        QTest::newRow("upper-case challenge") << QByteArray("07Hello:00112233445566778899AABBCCDDEEFF") << u"none"_s;
        QTest::newRow("short challenge") << QByteArray("07Hello:0011") << u"none"_s;
        QTest::newRow("empty challenge") << QByteArray("07Hello:") << u"none"_s;
        QTest::newRow("short run") << helloDatagram(7, challenge) + ":0123" << u"none"_s;
        QTest::newRow("more after the run") << helloDatagram(7, challenge, run) + ":" << u"none"_s;
    }
    void reportsAreReadByThePresenter()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(QString, report);
        const std::optional<ChildReport> read = childReportOf(datagram);
        QString summary = !read ? u"none"_s
                          : read->kind == ChildReport::Kind::Hello
                              ? u"hello %1"_s.arg(read->computerNumber)
                              : u"showing %1 "_s.arg(read->computerNumber) + QString::fromLatin1(read->address);
        for (const QByteArray& part : {read ? read->challenge : QByteArray(), read ? read->run : QByteArray()}) {
            if (!part.isEmpty())
                summary += u' ' + QString::fromLatin1(part.toHex());
        }
        QCOMPARE(summary, report);
        QVERIFY(!master::callNumberOfDatagram(datagram) || datagram == datagramBytes(callText(7)));
    }

    // Each step is "<ms> page" (slot 07 sent a page), "<ms> hello <answer>", "<ms> keyed <answer>" (a
    // Hello that asks for signed datagrams), "<ms> following <answer>" (such a Hello that follows
    // the presenter's run) or "<ms> <reported address> <answer>"; the answer is None, CatchUp, Heal
    // or Welcome. The presenter signs with kRun unless the row says it has no key.
    void answersKeepTheirLimits_data()
    {
        QTest::addColumn<bool>("mayAnswer");
        QTest::addColumn<QByteArray>("current");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QByteArray>("run");
        const auto row = [](const char* name, bool mayAnswer, const QByteArray& current, const QStringList& steps,
                            const QByteArray& run = kRun) {
            QTest::newRow(name) << mayAnswer << current << steps << run;
        };
        row("a Hello is caught up", true, kCurrent, {u"5000 hello CatchUp"_s});
        row("one catch-up in 2 s", true, kCurrent,
            {u"0 hello CatchUp"_s, u"1999 hello None"_s, u"2000 hello CatchUp"_s, u"2500 hello None"_s});
        row("a Hello while nothing is shown is caught up", true, QByteArray(), {u"0 hello CatchUp"_s});
        row("switched off: no catch-up", false, kCurrent, {u"0 hello None"_s, u"5000 hello None"_s});
        row("the current page needs nothing", true, kCurrent, {u"0 page"_s, u"5000 current None"_s});
        row("another page 1 s after the send is healed", true, kCurrent,
            {u"0 page"_s, u"999 old None"_s, u"1000 old Heal"_s});
        row("one heal in 3 s", true, kCurrent,
            {u"0 page"_s, u"1000 old Heal"_s, u"3999 old None"_s, u"4000 old Heal"_s});
        row("a slot never sent a page is healed", true, kCurrent, {u"0 old Heal"_s});
        row("a new page starts the grace again", true, kCurrent,
            {u"0 page"_s, u"1000 old Heal"_s, u"4500 page"_s, u"5000 old None"_s, u"5500 old Heal"_s});
        row("a catch-up counts as a page sent", true, kCurrent,
            {u"0 hello CatchUp"_s, u"500 old None"_s, u"1000 old Heal"_s});
        row("switched off: no heal", false, kCurrent, {u"0 page"_s, u"5000 old None"_s});
        row("nothing to heal with while nothing is shown", true, QByteArray(), {u"5000 old None"_s});
        // A report that names no page differs from the current one.
        row("an empty report is healed", true, kCurrent, {u"0 page"_s, u"1000 empty Heal"_s});
        row("a child that asks is caught up", true, kCurrent, {u"0 keyed CatchUp"_s, u"2000 keyed CatchUp"_s});
        row("a child that follows the run learns it still does", true, kCurrent,
            {u"0 following Welcome"_s, u"1999 following None"_s, u"2000 keyed CatchUp"_s});
        row("switched off: a child that asks learns the run", false, kCurrent,
            {u"0 keyed Welcome"_s, u"1000 keyed None"_s, u"2000 following Welcome"_s, u"5000 old None"_s});
        row("without a key: nothing a child that asks would take", true, kCurrent,
            {u"0 following None"_s, u"2000 keyed None"_s, u"4000 hello CatchUp"_s}, QByteArray());
        row("without a key, switched off: nothing", false, kCurrent, {u"0 keyed None"_s}, QByteArray());
    }

    void answersKeepTheirLimits()
    {
        QFETCH(bool, mayAnswer);
        QFETCH(QByteArray, current);
        QFETCH(QStringList, steps);
        QFETCH(QByteArray, run);
        const QHash<QString, QByteArray> addresses{{u"current"_s, kCurrent}, {u"old"_s, kOld}, {u"empty"_s, {}}};
        const QHash<QString, ChildReports::Answer> answers{{u"None"_s, ChildReports::Answer::None},
                                                           {u"CatchUp"_s, ChildReports::Answer::CatchUp},
                                                           {u"Heal"_s, ChildReports::Answer::Heal},
                                                           {u"Welcome"_s, ChildReports::Answer::Welcome}};
        const QByteArray challenge(16, 'c');
        ChildReports reports;
        for (const QString& step : steps) {
            const QStringList parts = step.split(u' ');
            const qint64 atMs = parts[0].toLongLong();
            if (parts[1] == u"page") {
                reports.notePageSent(6, atMs);
                continue;
            }
            const ChildReport report = parts[1] == u"hello"       ? hello(7)
                                       : parts[1] == u"keyed"     ? hello(7, challenge)
                                       : parts[1] == u"following" ? hello(7, challenge, kRun)
                                                                  : showing(7, addresses.value(parts[1]));
            QCOMPARE(reports.hear(report, answering(mayAnswer), current, atMs, run), answers.value(parts[2]));
            QVERIFY(reports.hasSpoken(6));
            if (report.kind == ChildReport::Kind::Hello)
                QCOMPARE(reports.challenge(6), report.challenge);
        }
        // Other slots keep their own records; a presenter that does not run answers nothing.
        QVERIFY(!reports.hasSpoken(5) && !reports.hasSpoken(7));
        QCOMPARE(reports.hear(hello(8), ChildReports::Answering::Nothing, current, 100000, run),
                 ChildReports::Answer::None);
        QCOMPARE(reports.hear(hello(9), answering(true), current, 100000, run), ChildReports::Answer::CatchUp);
    }

    // A page too long to report whole is reported by its first bytes, which name it; a report of
    // other first bytes, or of fewer, names another page.
    void shortenedReportNamesItsPage_data()
    {
        QTest::addColumn<int>("change"); // -1: the report as the child shortens it; else a byte changed or cut
        QTest::addColumn<int>("state");  // FollowState
        QTest::newRow("shortened to fit") << -1 << int(FollowState::Following);
        QTest::newRow("other bytes") << 20 << int(FollowState::OtherPage);
        QTest::newRow("shorter still") << 0 << int(FollowState::OtherPage);
    }

    void shortenedReportNamesItsPage()
    {
        QFETCH(int, change);
        QFETCH(int, state);
        const QByteArray page = "http://class/" + QByteArray(kLargestDatagramBytes - 13, 'x');
        QByteArray reported = showingDatagram(7, page).sliced(showingDatagram(7, {}).size());
        QCOMPARE(reported.size(), kLongestReportedAddressBytes);
        if (change == 0)
            reported.chop(1);
        else if (change > 0)
            reported[change] = 'y';
        ChildReports reports;
        const bool following = state == int(FollowState::Following);
        QCOMPARE(reports.hear(showing(7, reported), answering(true), page, 5000),
                 following ? ChildReports::Answer::None : ChildReports::Answer::Heal);
        QCOMPARE(int(reports.following(6, true, page, 5000).state), state);
    }

    void followingStates_data()
    {
        QTest::addColumn<bool>("inUse");
        QTest::addColumn<QString>("report"); // "", "hello", or the address reported
        QTest::addColumn<qint64>("ageMs");
        QTest::addColumn<QByteArray>("current");
        QTest::addColumn<int>("state"); // FollowState
        QTest::addColumn<QString>("toolTip");
        const QString b = QString::fromLatin1(kCurrent);
        const QString a = QString::fromLatin1(kOld);
        QTest::newRow("never heard") << true << QString() << qint64(0) << kCurrent << int(FollowState::Unknown)
                                     << u"07 PC07: 不明"_s;
        QTest::newRow("current page") << true << b << qint64(3400) << kCurrent << int(FollowState::Following)
                                      << u"07 PC07: 追従中\n"_s + b + u"（3秒前）"_s;
        QTest::newRow("current page, 10 s old") << true << b << qint64(10000) << kCurrent << int(FollowState::Following)
                                                << u"07 PC07: 追従中\n"_s + b + u"（10秒前）"_s;
        QTest::newRow("current page, over 10 s old")
            << true << b << qint64(10001) << kCurrent << int(FollowState::Silent)
            << u"07 PC07: 応答なし\n"_s + b + u"（10秒前）"_s;
        QTest::newRow("another page") << true << a << qint64(0) << kCurrent << int(FollowState::OtherPage)
                                      << u"07 PC07: 別のページ\n"_s + a + u"（0秒前）"_s;
        QTest::newRow("just started") << true << u"hello"_s << qint64(2000) << kCurrent << int(FollowState::OtherPage)
                                      << u"07 PC07: 別のページ\n起動しました（2秒前）"_s;
        QTest::newRow("switched off, heard") << false << b << qint64(1000) << kCurrent << int(FollowState::SwitchedOff)
                                             << u"07 PC07: 停止中\n"_s + b + u"（1秒前）"_s;
        QTest::newRow("switched off, never heard")
            << false << QString() << qint64(0) << kCurrent << int(FollowState::SwitchedOff) << u"07 PC07: 停止中"_s;
    }

    void followingStates()
    {
        QFETCH(bool, inUse);
        QFETCH(QString, report);
        QFETCH(qint64, ageMs);
        QFETCH(QByteArray, current);
        QFETCH(int, state);
        QFETCH(QString, toolTip);
        ChildReports reports;
        constexpr qint64 kHeardAtMs = 50000;
        if (report == u"hello")
            reports.hear(hello(7), answering(inUse), current, kHeardAtMs);
        else if (!report.isEmpty())
            reports.hear(showing(7, report.toLatin1()), answering(inUse), current, kHeardAtMs);
        const SlotFollowing following = reports.following(6, inUse, current, kHeardAtMs + ageMs);
        QCOMPARE(int(following.state), state);
        QCOMPARE(followingToolTip(7, u"PC07"_s, following), toolTip);
    }

    // A report is anyone's text: in the tooltip it stays one plain line of bounded length.
    void reportedAddressesStayPlainText_data()
    {
        QTest::addColumn<QByteArray>("address");
        QTest::addColumn<QString>("shown");
        QTest::newRow("code page 932") << QByteArray("http://class/\x83\x79\x81\x5b\x83\x57.html")
                                       << u"http://class/ページ.html"_s;
        QTest::newRow("line breaks") << QByteArray("a\r\nb\tc") << u"a\uFFFD\uFFFDb\uFFFDc"_s;
        QTest::newRow("markup") << QByteArray("<b>bold</b>") << u"<b>bold</b>"_s;
        QTest::newRow("placeholders") << QByteArray("%1%2") << u"%1%2"_s;
        QTest::newRow("200 characters") << QByteArray(200, 'x') << QString(200, u'x');
        QTest::newRow("longer") << QByteArray(65000, 'x') << QString(199, u'x') + u'…';
        QTest::newRow("long double-byte") << QByteArray("\x82\xa0").repeated(300) << QString(199, QChar(0x3042)) + u'…';
    }

    void reportedAddressesStayPlainText()
    {
        QFETCH(QByteArray, address);
        QFETCH(QString, shown);
        QCOMPARE(readableAddress(address), shown);
        ChildReports reports;
        reports.hear(showing(7, address), answering(true), kCurrent, 0);
        const QString toolTip = followingToolTip(7, u"PC07"_s, reports.following(6, true, kCurrent, 0));
        QCOMPARE(toolTip.count(u'\n'), 1);
        QVERIFY(!Qt::mightBeRichText(toolTip));
        QVERIFY(toolTip.endsWith(u"（0秒前）"_s));
    }

    // A computer name from the file with markup, or a report with it, reaches the panel's tooltip
    // as the text it is, both lines and their blanks.
    void markupInTheToolTipIsShownAsText_data()
    {
        QTest::addColumn<QString>("computerName");
        QTest::addColumn<QByteArray>("address");
        QTest::newRow("name with a tag") << u"<b>PC07</b>"_s << QByteArray("http://class/a.html");
        QTest::newRow("name with an entity") << u"PC&lt;07"_s << QByteArray("http://class/a.html");
        QTest::newRow("address with a tag") << u"PC07"_s << QByteArray("<img src='file:///x.png'>  &");
    }

    void markupInTheToolTipIsShownAsText()
    {
        QFETCH(QString, computerName);
        QFETCH(QByteArray, address);
        ChildReports reports;
        reports.hear(showing(7, address), answering(true), kCurrent, 0);
        const QString text = followingToolTip(7, computerName, reports.following(6, true, kCurrent, 0));
        const QString toolTip = toolTipText(text);
        QTextDocument shown; // what a tooltip shows of a text it takes for markup
        shown.setHtml(toolTip);
        QCOMPARE(Qt::mightBeRichText(toolTip) ? shown.toPlainText() : toolTip, text);
    }
};

QTEST_MAIN(TestChildReports)
#include "test_childreports.moc"
