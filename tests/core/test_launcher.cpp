#include "common/teacherkey.h"
#include "packaging/classfolder.h"
#include "packaging/launchermessages.h"
#include "packaging/lessonchoice.h"
#include "tests/support/testfiles.h"

#include <QTest>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <tuple>

using namespace Qt::StringLiterals;

using namespace qh;

namespace {

// An installed layout, <prefix>/bin and <prefix>/share/quillharbour with the templates, and a home.
struct Installation {
    QTemporaryDir prefix;
    QTemporaryDir home;
    QString programFolder() const { return prefix.filePath(u"bin"_s); }
    QString templatePath(const QString& name) const { return prefix.filePath(u"share/quillharbour/"_s + name); }
    QString classFolder() const { return home.filePath(u"Quillharbour"_s); }

    bool install(const QStringList& templates)
    {
        QDir root(prefix.path());
        if (!root.mkpath(u"bin"_s) || !root.mkpath(u"share/quillharbour"_s))
            return false;
        for (const QString& name : templates) {
            if (!test::writeAll(templatePath(name), "template of " + name.toLatin1() + "\r\n") ||
                !QFile::setPermissions(templatePath(name), QFileDevice::ReadOwner | QFileDevice::ReadOther))
                return false;
        }
        return true;
    }
};

const QString kSettings = u"Quillharbour_Master.ini"_s;
const QString kUrlList = u"weblist.txt"_s;

} // namespace

class TestLauncher : public QObject
{
    Q_OBJECT
private slots:
    void firstStartMakesTheClassFolderAndLaterStartsKeepIt()
    {
        Installation installation;
        QVERIFY(installation.install({kSettings, kUrlList}));

        const launcher::ClassFolder first =
            launcher::prepareClassFolder(installation.home.path(), installation.programFolder());
        QCOMPARE(first.error, QString());
        QVERIFY(first.created);
        QCOMPARE(first.path, installation.classFolder());
        for (const QString& name : {kSettings, kUrlList}) {
            const QString copy = installation.classFolder() + u'/' + name;
            QCOMPARE(test::readAll(copy), test::readAll(installation.templatePath(name)));
            // Read-only templates give files that the settings tool can still save.
            QVERIFY(QFileInfo(copy).permission(QFileDevice::WriteOwner));
        }
        // The teacher's key comes with it, readable by the teacher alone.
        const SigningKeyFile key = readSigningKeyFile(installation.classFolder() + u'/' + kTeacherKeyFileName);
        QVERIFY(key.key);
        QCOMPARE(key.key->publicKey(), first.publicKey);
        QCOMPARE(readPublicKeyFile(installation.classFolder() + u'/' + kTeacherPublicKeyFileName).publicKey,
                 first.publicKey);
        const QString created = launcher::classFolderCreatedText(first.path, first.publicKey);
        QVERIFY(created.contains(first.path) && created.contains(keyFingerprint(first.publicKey)));

        // The teacher's own settings survive every later start.
        QVERIFY(test::writeAll(installation.classFolder() + u'/' + kSettings, "edited\r\n"));
        QVERIFY(QFile::remove(installation.classFolder() + u'/' + kUrlList));
        const launcher::ClassFolder second =
            launcher::prepareClassFolder(installation.home.path(), installation.programFolder());
        QCOMPARE(second.error, QString());
        QVERIFY(!second.created);
        QCOMPARE(second.path, installation.classFolder());
        QCOMPARE(test::readAll(installation.classFolder() + u'/' + kSettings), QByteArray("edited\r\n"));
        QVERIFY(!QFileInfo::exists(installation.classFolder() + u'/' + kUrlList));
        QCOMPARE(QDir(installation.home.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{u"Quillharbour"_s});
    }

    void refusesWhatItCannotUse_data()
    {
        QTest::addColumn<QStringList>("templates");
        QTest::addColumn<QString>("inTheWay"); // what lies at ~/Quillharbour beforehand
        QTest::addColumn<QString>("home");     // "under a file" makes the home unusable
        QTest::newRow("a file named like the folder") << QStringList{kSettings, kUrlList} << u"file"_s << QString();
        QTest::newRow("a dangling link") << QStringList{kSettings, kUrlList} << u"link"_s << QString();
        QTest::newRow("no URL list template") << QStringList{kSettings} << QString() << QString();
        QTest::newRow("no settings template") << QStringList{kUrlList} << QString() << QString();
        QTest::newRow("home cannot hold folders") << QStringList{kSettings, kUrlList} << QString() << u"under a file"_s;
    }
    void refusesWhatItCannotUse()
    {
        QFETCH(QStringList, templates);
        QFETCH(QString, inTheWay);
        QFETCH(QString, home);
        Installation installation;
        QVERIFY(installation.install(templates));
        QString homeFolder = installation.home.path();
        if (home == u"under a file") {
            QVERIFY(test::writeAll(installation.home.filePath(u"plain"_s), "x"));
            homeFolder = installation.home.filePath(u"plain"_s);
        }
        if (inTheWay == u"file")
            QVERIFY(test::writeAll(installation.classFolder(), "a file of the user's"));
        if (inTheWay == u"link")
            QVERIFY(QFile::link(installation.home.filePath(u"gone"_s), installation.classFolder()));
        const QStringList before =
            QDir(installation.home.path())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);

        const launcher::ClassFolder folder = launcher::prepareClassFolder(homeFolder, installation.programFolder());
        QVERIFY(!folder.error.isEmpty());
        QVERIFY(!folder.created);
        // Nothing is left behind, and what was there is untouched.
        QCOMPARE(QDir(installation.home.path())
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
                 before);
        if (inTheWay == u"file")
            QCOMPARE(test::readAll(installation.classFolder()), QByteArray("a file of the user's"));
    }

    // The command for scripts: the pair goes into the folder named, else the working folder; the
    // public key's line and its fingerprint are printed; an existing key is never replaced.
    void makeKeyWritesOnePairForScripts()
    {
        QTemporaryDir working;
        const QString named = working.filePath(u"named"_s);
        QVERIFY(QDir().mkpath(named));
        const auto run = [&](const QStringList& arguments) {
            QProcess launcher;
            launcher.setWorkingDirectory(working.path());
            launcher.start(QString::fromUtf8(QH_LAUNCHER_PATH), arguments);
            launcher.waitForFinished(30000);
            return std::tuple(launcher.exitCode(), QString::fromLocal8Bit(launcher.readAllStandardOutput()),
                              QString::fromLocal8Bit(launcher.readAllStandardError()));
        };
        for (const QString& folder : {named, working.path()}) {
            const auto [status, output, error] =
                run(folder == named ? QStringList{u"--make-key"_s, named} : QStringList{u"--make-key"_s});
            QCOMPARE(status, 0);
            const QByteArray publicLine = test::readAll(folder + u'/' + kTeacherPublicKeyFileName);
            const QByteArray publicKey = readPublicKeyFile(folder + u'/' + kTeacherPublicKeyFileName).publicKey;
            QCOMPARE(output.split(u'\n').value(0).toLatin1() + '\n', publicLine);
            QVERIFY2(output.split(u'\n').value(1).endsWith(keyFingerprint(publicKey)), qPrintable(output));
            QVERIFY(readSigningKeyFile(folder + u'/' + kTeacherKeyFileName).key);
        }
        const QByteArray before = test::readAll(named + u'/' + kTeacherKeyFileName);
        const auto [status, output, error] = run({u"--make-key"_s, named});
        QCOMPARE(status, 1);
        QVERIFY(output.isEmpty());
        QVERIFY2(error.contains(named) && error.contains(kTeacherKeyFileName), qPrintable(error));
        QCOMPARE(test::readAll(named + u'/' + kTeacherKeyFileName), before);
        QCOMPARE(std::get<0>(run({u"--make-key"_s, named, u"more"_s})), 2);
    }

    // The real launcher, on a later start: it runs the program in the class folder with its
    // arguments exactly as given, even those that Qt would take for its own options.
    void runsTheProgramInTheClassFolder()
    {
        QTemporaryDir home;
        QVERIFY(QDir(home.path()).mkpath(u"Quillharbour"_s));
        QProcess launcher;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"HOME"_s, home.path());
        launcher.setProcessEnvironment(environment);
        launcher.start(QString::fromUtf8(QH_LAUNCHER_PATH), {u"sh"_s, u"-c"_s, u"pwd; printf '[%s]' \"$@\""_s, u"sh"_s,
                                                             u"my  list.txt"_s, u"-platform"_s, u"xcb"_s});
        QVERIFY(launcher.waitForFinished(30000));
        QCOMPARE(launcher.exitCode(), 0);
        const QStringList lines = QString::fromLocal8Bit(launcher.readAllStandardOutput()).split(u'\n');
        QCOMPARE(lines.value(0), QFileInfo(home.filePath(u"Quillharbour"_s)).canonicalFilePath());
        QCOMPARE(lines.value(1), u"[my  list.txt][-platform][xcb]"_s);
    }

    // As the presenter's menu entry starts it: with no list in the class folder the program gets
    // no argument, with one list that list's name as one argument, whatever was picked before.
    void menuEntryGivesTheClassFolderList_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("arguments");
        QTest::newRow("no list") << QStringList{u"Quillharbour_Master.ini"_s} << u"0:[]"_s;
        QTest::newRow("one list") << QStringList{u"Quillharbour_Master.ini"_s, u"my  lesson.txt"_s}
                                  << u"1:[my  lesson.txt]"_s;
    }
    void menuEntryGivesTheClassFolderList()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, arguments);
        QTemporaryDir home;
        const QString classFolder = home.filePath(u"Quillharbour"_s);
        QVERIFY(QDir(home.path()).mkpath(u"Quillharbour"_s));
        for (const QString& file : files)
            QVERIFY(test::writeAll(classFolder + u'/' + file, "http://example.com/\r\n"));
        const QString program = home.filePath(u"show-arguments"_s);
        QVERIFY(test::writeAll(program, "#!/bin/sh\nprintf '%s:' \"$#\"\nprintf '[%s]' \"$@\"\n"));
        QVERIFY(QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        const QString state = home.filePath(u"state"_s);
        QVERIFY(launcher::rememberPicked(classFolder + u"/removed.txt"_s, state + u"/quillharbour/last-lesson"_s));
        QProcess launcher;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"HOME"_s, home.path());
        environment.insert(u"XDG_STATE_HOME"_s, state);
        environment.insert(u"XDG_CACHE_HOME"_s, home.filePath(u"cache"_s));
        launcher.setProcessEnvironment(environment);
        launcher.start(QString::fromUtf8(QH_LAUNCHER_PATH), {u"--choose-list"_s, program});
        QVERIFY(launcher.waitForFinished(30000));
        QCOMPARE(launcher.exitCode(), 0);
        QCOMPARE(QString::fromLocal8Bit(launcher.readAllStandardOutput()), arguments);
    }
};

QTEST_GUILESS_MAIN(TestLauncher)
#include "test_launcher.moc"
