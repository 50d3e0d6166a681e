// The rules for the answers to quillharbour-child's questions (packaging/debian/child-answers.sh),
// run by the shell as the package's scripts run them, held against the child program's own reading
// of its settings: every answer the rules take must give a file the child can use, and the
// settings file written from the answers must read back as those answers.
#include "child/childsettings.h"
#include "common/cp932text.h"
#include "tests/support/testfiles.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace qh;
using namespace qh::child;
using namespace qh::test;
using namespace Qt::StringLiterals;

namespace {
const QString kAnswers = u"../../packaging/debian/child-answers.sh"_s;
const QString kTemplate = u"../../data/Quillharbour_Child.ini"_s;

// Runs one function of the rules with the arguments; its standard output, and whether it succeeded.
struct Run {
    bool succeeded = false;
    QByteArray output;
};
Run runRule(const QString& function, const QStringList& arguments)
{
    QProcess shell;
    shell.start(u"sh"_s,
                QStringList{u"-c"_s, u". \"$0\" && %1 \"$@\""_s.arg(function), dataPath(kAnswers)} + arguments);
    if (!shell.waitForFinished(10000))
        return {};
    return {shell.exitStatus() == QProcess::NormalExit && shell.exitCode() == 0, shell.readAllStandardOutput()};
}

// The outcome of the child's reading of the command line with the answer in place of one value.
bool childTakes(const QString& option, const QString& value)
{
    QStringList arguments{u"--number=7"_s, u"--master=127.0.0.1"_s, u"--port=5001"_s, u"--master-port=5002"_s};
    arguments.append(option + u'=' + value);
    const QTemporaryDir empty; // no settings file found
    return readChildSettings(arguments, {empty.path()}).outcome == ChildSettingsResult::Outcome::Run;
}

QString keyOf(int bytes, char fill = 'k')
{
    return QString::fromLatin1(QByteArray(bytes, fill).toBase64());
}
} // namespace

class TestChildAnswers : public QObject
{
    Q_OBJECT
private slots:
    void answersAreJudged_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("option"); // the child's option for the same value; empty: none
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("taken");
        const auto row = [](const char* name, const QString& rule, const QString& option, const QString& answer,
                            bool taken) { QTest::newRow(name) << rule << option << answer << taken; };
        const QString master = u"qh_is_master"_s;
        row("name", master, u"--master"_s, u"teacher-pc"_s, true);
        row("name with a domain", master, u"--master"_s, u"PC-Teacher.school.example"_s, true);
        row("name with _", master, u"--master"_s, u"room_2"_s, true);
        row("Japanese name", master, u"--master"_s, u"先生のPC"_s, true);
        row("address", master, u"--master"_s, u"192.168.1.10"_s, true);
        row("loopback", master, u"--master"_s, u"127.0.0.1"_s, true);
        row("empty", master, u"--master"_s, QString(), false);
        row("blank", master, u"--master"_s, u"teacher pc"_s, false);
        row("any address", master, u"--master"_s, u"0.0.0.0"_s, false);
        row("IPv6", master, u"--master"_s, u"fe80::1"_s, false);
        row("number too big", master, QString(), u"192.168.1.300"_s, false);
        row("leading zero", master, QString(), u"010.0.0.1"_s, false);
        row("three numbers", master, QString(), u"10.0.1"_s, false);
        row("digits only", master, QString(), u"12345"_s, false);
        row("empty label", master, QString(), u"teacher..pc"_s, false);
        row("hyphen at a label's start", master, QString(), u"-pc.school"_s, false);
        row("slash", master, QString(), u"pc/07"_s, false);
        row("shell's characters", master, QString(), u"pc$(touch x);`id`"_s, false);
        row("not in code page 932", master, QString(), u"café-pc"_s, false);
        row("too long", master, QString(), QString(254, u'a'), false);
        const QString number = u"qh_is_number"_s;
        row("number", number, u"--number"_s, u"07"_s, true);
        row("one digit", number, u"--number"_s, u"7"_s, true);
        row("30", number, u"--number"_s, u"30"_s, true);
        row("31", number, u"--number"_s, u"31"_s, false);
        row("00", number, u"--number"_s, u"00"_s, false);
        row("three digits", number, u"--number"_s, u"007"_s, false);
        row("no number", number, u"--number"_s, QString(), false);
        row("letters", number, u"--number"_s, u"7a"_s, false);
        const QString port = u"qh_is_port"_s;
        row("port", port, u"--port"_s, u"5001"_s, true);
        row("highest port", port, u"--port"_s, u"32767"_s, true);
        row("leading zero port", port, u"--port"_s, u"05001"_s, true);
        row("port the teacher cannot hold", port, QString(), u"32768"_s, false);
        row("port 0", port, u"--port"_s, u"0"_s, false);
        row("no port", port, u"--port"_s, QString(), false);
        row("six digits", port, u"--port"_s, u"000001"_s, false);
        row("port with a letter", port, u"--port"_s, u"50o1"_s, false);
        const QString key = u"qh_is_key"_s;
        row("key", key, QString(), keyOf(32), true);
        row("no key", key, QString(), QString(), true);
        row("31 bytes", key, QString(), keyOf(31), false);
        row("33 bytes", key, QString(), keyOf(33), false);
        row("key without its =", key, QString(), keyOf(32).chopped(1), false);
        row("key cut short", key, QString(), keyOf(32).mid(1), false);
        // The last character of 32 bytes of "k" is "s"; "t" sets a bit beyond the 32 bytes.
        row("bits beyond the bytes", key, QString(), keyOf(32).replace(42, 1, u't'), false);
        row("URL-safe alphabet", key, QString(), keyOf(32, '\xfb').replace(u'+', u'-'), false);
    }
    void answersAreJudged()
    {
        QFETCH(QString, rule);
        QFETCH(QString, option);
        QFETCH(QString, answer);
        QFETCH(bool, taken);
        QCOMPARE(runRule(rule, {answer}).succeeded, taken);
        if (!option.isEmpty() && taken)
            QVERIFY2(childTakes(option, answer), "an answer taken here that the child refuses");
    }

    void numberComesFromTheHostName_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QByteArray>("number");
        QTest::newRow("pc07") << u"pc07"_s << QByteArray("07\n");
        QTest::newRow("pc7") << u"pc7"_s << QByteArray("07\n");
        QTest::newRow("domain") << u"room2-pc030.school.example"_s << QByteArray("30\n");
        QTest::newRow("digits alone") << u"12"_s << QByteArray("12\n");
        QTest::newRow("31") << u"pc31"_s << QByteArray();
        QTest::newRow("00") << u"pc00"_s << QByteArray();
        QTest::newRow("no digits at the end") << u"pc07a"_s << QByteArray();
        QTest::newRow("digits in the domain only") << u"teacher.room2"_s << QByteArray();
        QTest::newRow("many digits") << u"pc123456789012345678901"_s << QByteArray();
    }
    void numberComesFromTheHostName()
    {
        QFETCH(QString, host);
        QFETCH(QByteArray, number);
        QCOMPARE(runRule(u"qh_number_from_host"_s, {host}).output, number);
    }

    // The file the postinst writes, read by the child program as it reads /etc/quillharbour: the
    // answers come back, the template's other lines and its comments stay, every line ends in CR LF.
    void settingsFileReadsBackAsTheAnswers()
    {
        const Run written =
            runRule(u"qh_write_child_settings"_s, {dataPath(kTemplate), u"7"_s, u"先生のPC"_s, u"06001"_s, u"6002"_s});
        QVERIFY(written.succeeded);
        const QTemporaryDir folder;
        const QString file = folder.filePath(u"Quillharbour_Child.ini"_s);
        QVERIFY(writeAll(file, written.output));
        const ChildSettingsResult read = readChildSettings({u"--settings"_s, file}, {});
        QVERIFY2(read.outcome == ChildSettingsResult::Outcome::Run, qPrintable(read.errors.join(u'\n')));
        QCOMPARE(read.settings.number, 7);
        QCOMPARE(read.settings.masterName, u"先生のPC"_s);
        QCOMPARE(read.settings.childPort, quint16(6001));
        QCOMPARE(read.settings.masterPort, quint16(6002));

        const QList<QByteArray> lines = written.output.split('\n');
        QCOMPARE(lines.last(), QByteArray()); // the last line ends too
        for (qsizetype i = 0; i + 1 < lines.size(); ++i)
            QVERIFY2(lines[i].endsWith('\r'), qPrintable(QString::number(i)));
        QVERIFY(cp932::decode(lines.first()).contains(u"dpkg-reconfigure quillharbour-child"_s));
        const QList<QByteArray> kept = readAll(dataPath(kTemplate)).split('\n');
        QCOMPARE(lines.size(), kept.size() + 1);
        for (qsizetype i = 0; i < kept.size(); ++i) {
            const QByteArray key = kept[i].left(kept[i].indexOf('=') + 1);
            if (key == "Number=" || key == "Master=" || key == "ChildPort=" || key == "MasterPort=")
                QVERIFY(lines[i + 1].startsWith(key));
            else
                QCOMPARE(lines[i + 1], kept[i]);
        }
        QCOMPARE(lines.count("Number=07\r"), 1);

        // The config script reads such a file back to take its values as the answers.
        QCOMPARE(runRule(u"qh_read_setting"_s, {file, u"master"_s}).output, u"先生のPC\n"_s.toUtf8());
        QCOMPARE(runRule(u"qh_read_setting"_s, {file, u"ChildPort"_s}).output, QByteArray("6001\n"));
    }
};

QTEST_GUILESS_MAIN(TestChildAnswers)
#include "test_childanswers.moc"
