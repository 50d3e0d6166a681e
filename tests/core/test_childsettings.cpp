// The child's settings: its settings file, found in the working folder or the system's, and its
// command line, each problem named in a message; and the names of its single-instance locks.
#include "child/childsettings.h"
#include "common/cp932text.h"
#include "tests/support/testfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace qh;
using namespace qh::child;
using namespace qh::test;
using namespace Qt::StringLiterals;

namespace {

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

} // namespace

class TestChildSettings : public QObject
{
    Q_OBJECT
private slots:
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
                                                           u"--port"_s,   u"32767"_s,       u"--master-port"_s,
                                                           u"1"_s,        u"--bind"_s,      u"127.0.0.2"_s,
                                                           u"--window"_s, u"--accept-any"_s}
            << u"30 master=localhost port=32767 masterport=1 bind=127.0.0.2 window any"_s;
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
        // Beyond 32767 no presenter can reach the child or hear its calls.
        QTest::newRow("ports") << QByteArray("Number=1\r\nMaster=127.0.0.1\r\nChildPort=0\r\nMasterPort=32768\r\n")
                               << QStringList{} << bad
                               << QStringList{u"%W|ChildPort|0|1～32767"_s, u"%W|MasterPort|32768|1～32767"_s};
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
};

QTEST_GUILESS_MAIN(TestChildSettings)
#include "test_childsettings.moc"
