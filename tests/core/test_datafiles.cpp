#include "common/datafiles.h"
#include "common/singleinstance.h"
#include "tests/support/testfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace Qt::StringLiterals;

using namespace qh;

// The programs' own files are found next to the program in the build tree and in
// <prefix>/share/quillharbour when the program runs from <prefix>/bin.
class TestDataFiles : public QObject
{
    Q_OBJECT
private slots:
    void findsBesideTheProgramThenInstalled_data()
    {
        QTest::addColumn<QString>("besideProgram"); // "file", "folder" or empty: what lies next to the program
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("found"); // "beside", "installed" or empty
        QTest::newRow("build tree") << u"file"_s << false << u"beside"_s;
        QTest::newRow("installed") << QString() << true << u"installed"_s;
        QTest::newRow("build tree first") << u"file"_s << true << u"beside"_s;
        QTest::newRow("a folder of that name is no file") << u"folder"_s << true << u"installed"_s;
        QTest::newRow("nowhere") << QString() << false << QString();
    }
    void findsBesideTheProgramThenInstalled()
    {
        QFETCH(QString, besideProgram);
        QFETCH(bool, installed);
        QFETCH(QString, found);
        QTemporaryDir prefix;
        QDir root(prefix.path());
        QVERIFY(root.mkpath(u"bin"_s) && root.mkpath(u"share/quillharbour"_s));
        const QString name = u"Quillharbour_Registry.txt"_s;
        if (besideProgram == u"file")
            QVERIFY(test::writeAll(root.filePath(u"bin/"_s + name), "beside"));
        if (besideProgram == u"folder")
            QVERIFY(root.mkpath(u"bin/"_s + name));
        if (installed)
            QVERIFY(test::writeAll(root.filePath(u"share/quillharbour/"_s + name), "installed"));

        const QString path = findDataFile(name, root.filePath(u"bin"_s));
        QCOMPARE(test::readAll(path), found.toLatin1());
        QCOMPARE(path.isEmpty(), found.isEmpty());
        if (!path.isEmpty())
            QVERIFY2(QDir::isAbsolutePath(path) && !path.contains(u"/../"), qPrintable(path));
    }

    // The build puts the programs in one folder, with the files they look for beside themselves,
    // so that from the build the settings tool finds the help viewer and the lesson editor, and
    // the launcher the programs it starts, as they do installed.
    void programsOfTheBuildLieTogether()
    {
        const QStringList programs = QStringLiteral(QH_BUILT_PROGRAMS).split(u'|');
        QVERIFY(programs.size() >= 5);
        const QString folder = QFileInfo(programs.first()).absolutePath();
        for (const QString& program : programs)
            QCOMPARE(QFileInfo(program).absolutePath(), folder);
        for (const QString& name : {u"Quillharbour_Registry.txt"_s, u"Quillharbour_Master.hlp"_s,
                                    u"Quillharbour_Master.ini"_s, u"weblist.txt"_s})
            QCOMPARE(findDataFile(name, folder), QDir(folder).filePath(name));
    }

    // A program's lock lies in the user's runtime folder; where there is none, in the temp folder
    // that every user shares, under a name of this user's own, so that another user's lock of the
    // program (or a file planted under its name) does not keep this user's program from starting.
    void locksAreTheUsersOwn()
    {
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        const QByteArray temp = qgetenv("TMPDIR");
        QTemporaryDir runtimeFolder;
        QTemporaryDir tempFolder;
        const QString name = u"Quillharbour_Master.lock"_s;
        qputenv("XDG_RUNTIME_DIR", runtimeFolder.path().toLocal8Bit());
        const QString inRuntime = SingleInstance::userLockFilePath(name);
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", tempFolder.path().toLocal8Bit());
        const QString inTemp = SingleInstance::userLockFilePath(name);
        QLockFile othersLock(QDir(tempFolder.path()).filePath(name));
        QVERIFY(othersLock.tryLock(0));
        SingleInstance own(inTemp);
        const bool acquired = own.tryAcquire();
        runtime.isNull() ? qunsetenv("XDG_RUNTIME_DIR") : qputenv("XDG_RUNTIME_DIR", runtime);
        temp.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", temp);

        QCOMPARE(inRuntime, QDir(runtimeFolder.path()).filePath(name));
        QCOMPARE(inTemp, QDir(tempFolder.path()).filePath(u"Quillharbour_Master-%1.lock"_s.arg(::getuid())));
        QVERIFY(acquired);
    }
};

QTEST_GUILESS_MAIN(TestDataFiles)
#include "test_datafiles.moc"
