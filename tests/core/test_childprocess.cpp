// The real child program as its own process, with its real Qt WebEngine on local pages and real
// datagrams on loopback: how it starts or refuses to, what it tells the presenter and when, and
// what hostile datagrams leave behind.
#include "child/childmessages.h"
#include "common/cp932text.h"
#include "tests/support/childprocess.h"
#include "tests/support/loopback.h"
#include "tests/support/testfiles.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>
#include <QUrl>

#include <algorithm>
#include <iterator>
#include <memory>

using namespace qh;
using namespace qh::test;
using namespace Qt::StringLiterals;

namespace {
QString writePage(const QTemporaryDir& folder, const QString& name)
{
    const QString path = folder.filePath(name + u".html"_s);
    writeAll(path, "<html><head><title>" + name.toUtf8() + "</title></head><body>" + name.toUtf8() + "</body></html>");
    return QUrl::fromLocalFile(path).toString();
}

// The times of the events that start with the text, in microseconds since 1970.
QList<qint64> timesOf(const ChildProcess& child, const QString& text)
{
    QList<qint64> times;
    for (const ChildEvent& event : child.timedEvents()) {
        if (event.text().startsWith(text))
            times.append(event.atMicros);
    }
    return times;
}

qint64 microsNow()
{
    return QDateTime::currentMSecsSinceEpoch() * 1000;
}
} // namespace

class TestChildProcess : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_pages;
    std::unique_ptr<ChildProcess> m_child; // one child for the hostile datagrams
    quint16 m_childPort = 0;
    quint16 m_masterPort = 0;
    int m_probes = 0;

private slots:
    // Every way the start can fail ends the program with a message that says why.
    void startUpProblemsEndTheProgram_data()
    {
        QTest::addColumn<QByteArray>("settingsFile"); // null: none in the working folder
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("saying"); // on standard error, or standard output for --help
        const QByteArray complete = "Number=07\r\nMaster=127.0.0.1\r\nChildPort=%P\r\nMasterPort=5002\r\n";
        QTest::newRow("help") << QByteArray() << QStringList{u"--help"_s} << 0
                              << QStringList{u"--number"_s, u"--master-port"_s, u"--accept-any"_s, u"--settings"_s};
        QTest::newRow("no settings") << QByteArray() << QStringList{} << 1
                                     << QStringList{u"Quillharbour_Child.ini"_s, u"Number"_s, u"MasterPort"_s};
        QTest::newRow("bad value") << QByteArray(complete).replace("Number=07", "Number=31") << QStringList{} << 1
                                   << QStringList{u"%F"_s, u"Number"_s, u"31"_s};
        QTest::newRow("unknown option") << complete << QStringList{u"--numbr"_s, u"7"_s} << 2
                                        << QStringList{u"--numbr"_s};
        QTest::newRow("port taken") << complete << QStringList{u"--bind"_s, u"127.0.0.2"_s} << 4
                                    << QStringList{u"127.0.0.2"_s, u"%P"_s};
        QTest::newRow("address not of this computer")
            << complete << QStringList{u"--bind"_s, u"192.0.2.1"_s} << 1 << QStringList{u"192.0.2.1"_s};
        // The teacher's key as %K holds it: the file named, and what is wrong with it.
        const QStringList withKey{u"--teacher-key"_s, u"%K"_s};
        QTest::newRow("key truncated") << complete + "#key 11qYAYKxCrfVS/7TyWQHOg7hc" << withKey << 1
                                       << QStringList{u"--teacher-key"_s, u"%K"_s, u"鍵ではありません"_s};
        QTest::newRow("key not base64") << complete + "#key this is no key, not at all, no no no!!" << withKey << 1
                                        << QStringList{u"%K"_s, u"鍵ではありません"_s};
        QTest::newRow("key missing") << complete << withKey << 1 << QStringList{u"%K"_s, u"ありません"_s};
        QTest::newRow("key in the file") << complete + "TeacherKey=%K\r\n#key x" << QStringList{} << 1
                                         << QStringList{u"%F"_s, u"TeacherKey"_s, u"%K"_s};
    }
    void startUpProblemsEndTheProgram()
    {
        QFETCH(QByteArray, settingsFile);
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QStringList, saying);
        if (settingsFile.isNull() && QFileInfo::exists(u"/etc/quillharbour/Quillharbour_Child.ini"_s))
            QSKIP("this computer is set up as a child: its settings would be read");
        const QTemporaryDir folder;
        QUdpSocket taken; // another program on the port of the row "port taken"
        QVERIFY(taken.bind(QHostAddress(u"127.0.0.2"_s), freeUdpPort()));
        const QString port = QString::number(taken.localPort());
        const QString file = folder.filePath(u"Quillharbour_Child.ini"_s);
        const QString keyFile = folder.filePath(u"teacher.pub"_s);
        // A line "#key <content>", a comment to the child, is the key file's content.
        if (const qsizetype key = settingsFile.indexOf("#key "); key >= 0)
            QVERIFY(writeAll(keyFile, settingsFile.mid(key + 5) + '\n'));
        if (!settingsFile.isNull())
            QVERIFY(writeAll(file,
                             QByteArray(settingsFile).replace("%P", port.toLatin1()).replace("%K", keyFile.toUtf8())));
        for (QString& argument : arguments)
            argument.replace(u"%K"_s, keyFile);
        ChildProcess child;
        child.start(arguments, folder.path());
        QVERIFY(child.waitForExit());
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), exitCode);
        const QString output = exitCode == 0 ? child.standardOutput() : child.otherOutput();
        for (QString fragment : saying) {
            fragment.replace(u"%F"_s, file).replace(u"%P"_s, port).replace(u"%K"_s, keyFile);
            QVERIFY2(output.contains(fragment), qPrintable(output));
        }
        QVERIFY(!child.events().join(u'\n').contains(u"ready"_s)); // never listened
    }

    // One instance per user, child port and address: the second start on the same port and
    // address says so and ends; a child on the next address runs beside the first.
    void secondStartSaysSoAndEnds()
    {
        const quint16 port = freeUdpPort();
        ChildProcess first;
        QVERIFY(first.startOnLoopback(1, port, 5002));
        ChildProcess second;
        second.start({u"--number=1"_s, u"--master=127.0.0.1"_s, u"--port"_s, QString::number(port),
                      u"--master-port=5002"_s, u"--bind=127.0.0.2"_s});
        QVERIFY(second.waitForExit());
        QCOMPARE(second.exitCode(), 3); // the autostart wrapper tries again later, not at once
        QVERIFY2(second.otherOutput().contains(child::kSecondInstanceText), qPrintable(second.otherOutput()));
        ChildProcess neighbour;
        QVERIFY(neighbour.startOnLoopback(2, port, 5002));
        QVERIFY(first.isRunning());
    }

    // The reports of the real program to a plain socket standing for the presenter, three children
    // at once. 01 hears nothing from its master and says Hello every 5 seconds. 02 is sent a page
    // at once: it says Hello only at its start, and Showing with the page's exact bytes once the
    // page has loaded, every 3 seconds, and at once when a later page has failed to load. 03 runs
    // with the test switch that loses its first page, until the page comes again.
    void childKeepsThePresenterTold()
    {
        LoopbackChildren master;
        const quint16 masterPort = master.bindFreePort();
        const quint16 port = freeUdpPort();
        const QString lessonPage = writePage(m_pages, u"授業1"_s);
        const QByteArray lesson = cp932::encode(lessonPage);
        const QByteArray forgotten = writePage(m_pages, u"forgotten"_s).toUtf8();
        ChildProcess silent;
        ChildProcess taught;
        ChildProcess forgetful;
        silent.launchOnLoopback(1, port, masterPort);
        taught.launchOnLoopback(2, port, masterPort);
        qputenv("QH_CHILD_LOSE_PAGE", "1");
        forgetful.launchOnLoopback(3, port, masterPort);
        qunsetenv("QH_CHILD_LOSE_PAGE");
        for (ChildProcess* child : {&silent, &taught, &forgetful})
            QVERIFY(child->waitFor(u"ready %1"_s.arg(port)));
        const qint64 lessonSent = microsNow();
        QVERIFY(master.sendFrom("127.0.0.1", "127.0.0.3", port, lesson));
        QVERIFY(master.sendFrom("127.0.0.1", "127.0.0.4", port, forgotten));
        QVERIFY(master.sendFrom("127.0.0.1", "127.0.0.4", port, forgotten)); // the presenter sends each page twice

        QList<Arrival> reports;
        const auto reportsOf = [&](const QByteArray& prefix) {
            reports += master.take();
            QList<Arrival> of;
            std::copy_if(reports.begin(), reports.end(), std::back_inserter(of),
                         [&prefix](const Arrival& report) { return report.payload.startsWith(prefix); });
            return of;
        };
        // A page that fails, sent right after a report, so that the next report is no periodic one.
        QTRY_VERIFY_WITH_TIMEOUT(reportsOf("02Showing:").size() >= 2, 10000);
        // Nothing listens on port 1: the load fails at once.
        const QByteArray missing = "http://127.0.0.1:1/missing.html";
        QVERIFY(master.sendFrom("127.0.0.1", "127.0.0.3", port, missing));
        QTest::qWait(1000);
        QVERIFY(master.sendFrom("127.0.0.1", "127.0.0.4", port, forgotten)); // the presenter's repair
        QTRY_VERIFY_WITH_TIMEOUT(reportsOf("01Hello").size() >= 2, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!reportsOf("02Showing:" + missing).isEmpty(), 10000);
        QTest::qWait(1500); // past the time 02 would say Hello again

        const QList<Arrival> hellos = reportsOf("01Hello");
        QCOMPARE(hellos.first().to, QByteArray("127.0.0.1"));
        const qint64 helloGapMs = (hellos[1].atNs - hellos[0].atNs) / 1000000;
        QVERIFY2(helloGapMs >= 4500 && helloGapMs <= 8000, qPrintable(QString::number(helloGapMs)));
        QCOMPARE(reportsOf("02Hello").size(), 1);

        const QList<Arrival> showings = reportsOf("02Showing:");
        QCOMPARE(showings[0].payload, "02Showing:" + lesson);
        QVERIFY(showings[0].atNs / 1000 >= timesOf(taught, u"loaded "_s + lessonPage).value(0));
        QCOMPARE(showings[1].payload, "02Showing:" + lesson);
        QCOMPARE(timesOf(taught, u"loaded "_s + lessonPage).size(), 1); // reported again without a load
        const qint64 periodicMs = (showings[1].atNs / 1000 - lessonSent) / 1000;
        QVERIFY2(periodicMs >= 2500 && periodicMs <= 5000, qPrintable(QString::number(periodicMs)));
        const qint64 toldMs =
            (reportsOf("02Showing:" + missing).first().atNs / 1000 - timesOf(taught, u"failed "_s).value(0)) / 1000;
        QVERIFY2(toldMs >= 0 && toldMs < 1000, qPrintable(QString::number(toldMs)));

        QCOMPARE(timesOf(forgetful, u"lost "_s + QString::fromUtf8(forgotten)).size(), 2);
        QVERIFY(forgetful.waitFor(u"loaded "_s + QString::fromUtf8(forgotten)));
        // Its report follows the load: on a busy machine it may not have arrived yet.
        QTRY_VERIFY_WITH_TIMEOUT(!reportsOf("03Showing:").isEmpty(), 10000);
        QVERIFY(reportsOf("03Showing:").first().atNs / 1000 >= timesOf(forgetful, u"loaded "_s).value(0));
    }

    void initTestCase()
    {
        m_childPort = freeUdpPort();
        m_masterPort = freeUdpPort();
        m_child = std::make_unique<ChildProcess>();
        QVERIFY(m_child->startOnLoopback(1, m_childPort, m_masterPort));
        QVERIFY(sendDatagramFrom("127.0.0.1", "127.0.0.2", m_childPort, "Command:VisibleTrue", m_masterPort));
        QVERIFY(m_child->waitFor(u"shown"_s));
    }

    void cleanupTestCase() { m_child.reset(); }

    // A hostile datagram, then a page: the child is still running, nothing but that page was
    // opened, the window was neither hidden nor switched, and the page is shown.
    void hostileDatagramsLeaveTheLastGoodPage_data()
    {
        QTest::addColumn<QByteArrayList>("datagrams");
        // The sender's address, from the master port unless ":any" follows; 127.0.0.1 is the master.
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<bool>("mayOpen");    // the datagrams are pages that may be opened
        QTest::addColumn<QString>("refused"); // how the trace's refusal of the datagram starts, when refused
        QTest::newRow("empty") << QByteArrayList{QByteArray()} << QByteArray("127.0.0.1") << false << QString();
        QTest::newRow("largest datagram")
            << QByteArrayList{QByteArray(65507, 'C')} << QByteArray("127.0.0.1") << false << QString();
        QTest::newRow("largest command") << QByteArrayList{"Command:" + QByteArray(65499, 'V')}
                                         << QByteArray("127.0.0.1") << false << QString();
        QTest::newRow("NUL bytes") << QByteArrayList{QByteArray(16, '\0')} << QByteArray("127.0.0.1") << false
                                   << QString();
        QTest::newRow("NUL in a page") << QByteArrayList{QByteArray("file:///etc/passwd\0.html", 25)}
                                       << QByteArray("127.0.0.1") << false << QString();
        // Only web pages and files under the local folders (here the temp folder) are shown.
        QTest::newRow("system file") << QByteArrayList{"file:///etc/os-release"} << QByteArray("127.0.0.1") << false
                                     << u"refused file-outside file:///etc/os-release"_s;
        QTest::newRow("data page") << QByteArrayList{"data:text/html,<title>data</title>"} << QByteArray("127.0.0.1")
                                   << false << u"refused data data:"_s;
        QTest::newRow("out of the folder")
            << QByteArrayList{QUrl::fromLocalFile(m_pages.path()).toEncoded() + "/../../etc/os-release"}
            << QByteArray("127.0.0.1") << false << u"refused file-outside "_s;
        QTest::newRow("NUL after a command") << QByteArrayList{QByteArray("Command:VisibleFalse\0", 21)}
                                             << QByteArray("127.0.0.1") << false << QString();
        QTest::newRow("invalid code page 932")
            << QByteArrayList{"http://a/\x80\xff\xfd"} << QByteArray("127.0.0.1") << false << QString();
        QTest::newRow("script") << QByteArrayList{"javascript:document.title='x'", "JAVASCRIPT:alert(1)"}
                                << QByteArray("127.0.0.1") << false << QString();
        QTest::newRow("unknown command") << QByteArrayList{"Command:Shutdown", "Command:"} << QByteArray("127.0.0.1")
                                         << false << QString();
        QTest::newRow("classmate hides") << QByteArrayList{"Command:VisibleFalse"} << QByteArray("127.0.0.9") << false
                                         << QString();
        QTest::newRow("classmate's page")
            << QByteArrayList{"http://example.com/"} << QByteArray("127.0.0.9") << false << QString();
        QTest::newRow("another program on the teacher's computer")
            << QByteArrayList{"Command:VisibleFalse", "http://example.com/"} << QByteArray("127.0.0.1:any") << false
            << QString();
        QByteArrayList burst;
        for (int i = 0; i < 1000; ++i)
            burst.append(QUrl::fromLocalFile(m_pages.filePath(u"burst%1.html"_s.arg(i))).toEncoded());
        QTest::newRow("a thousand pages in a burst") << burst << QByteArray("127.0.0.1") << true << QString();
    }
    void hostileDatagramsLeaveTheLastGoodPage()
    {
        QFETCH(QByteArrayList, datagrams);
        QFETCH(QByteArray, from);
        QFETCH(bool, mayOpen);
        QFETCH(QString, refused);
        const qsizetype mark = m_child->mark();
        const QByteArray fromAddress = from.split(':').first();
        const quint16 fromPort = from.endsWith(":any") ? 0 : m_masterPort;
        for (const QByteArray& datagram : datagrams)
            QVERIFY(sendDatagramFrom(fromAddress.constData(), "127.0.0.2", m_childPort, datagram, fromPort));
        const QString probe = writePage(m_pages, u"probe%1"_s.arg(++m_probes));
        // The probe comes after the rest, as a later page of the lesson; a child still draining a
        // full buffer may drop it, so it comes again until it shows. The caption is the page's
        // title: what the student sees.
        const QDeadlineTimer deadline(20000);
        bool shown = false;
        while (!shown && !deadline.hasExpired()) {
            QVERIFY(sendDatagramFrom("127.0.0.1", "127.0.0.2", m_childPort, probe.toUtf8(), m_masterPort));
            shown = m_child->waitFor(u"title probe%1"_s.arg(m_probes), mark, 1000);
        }
        QVERIFY2(shown, qPrintable(m_child->events(mark).mid(m_child->events(mark).size() - 8).join(u'\n')));
        QVERIFY(m_child->isRunning());
        for (const QString& event : m_child->events(mark)) {
            QVERIFY2(!event.startsWith(u"hidden") && !event.startsWith(u"full-screen") && !event.startsWith(u"window"),
                     qPrintable(event));
            if (!mayOpen)
                QVERIFY2(!event.startsWith(u"open ") || event == u"open "_s + probe, qPrintable(event));
        }
        if (from != "127.0.0.1")
            QVERIFY(m_child->events(mark).contains(u"dropped "_s + QString::fromLatin1(fromAddress)));
        if (!refused.isEmpty())
            QVERIFY2(!m_child->events(mark)
                          .filter(QRegularExpression(u"^"_s + QRegularExpression::escape(refused)))
                          .isEmpty(),
                     qPrintable(m_child->events(mark).join(u'\n')));
    }
};

QTEST_GUILESS_MAIN(TestChildProcess)
#include "test_childprocess.moc"
