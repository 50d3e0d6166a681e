#include "datafiles.h"
#include "testutil.h"

#include <QDir>
#include <QTemporaryDir>

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
        QTest::newRow("build tree") << u"file"_qs << false << u"beside"_qs;
        QTest::newRow("installed") << QString() << true << u"installed"_qs;
        QTest::newRow("build tree first") << u"file"_qs << true << u"beside"_qs;
        QTest::newRow("a folder of that name is no file") << u"folder"_qs << true << u"installed"_qs;
        QTest::newRow("nowhere") << QString() << false << QString();
    }
    void findsBesideTheProgramThenInstalled()
    {
        QFETCH(QString, besideProgram);
        QFETCH(bool, installed);
        QFETCH(QString, found);
        QTemporaryDir prefix;
        QDir root(prefix.path());
        QVERIFY(root.mkpath(u"bin"_qs) && root.mkpath(u"share/quillharbour"_qs));
        const QString name = u"Quillharbour_Registry.txt"_qs;
        if (besideProgram == u"file")
            QVERIFY(test::writeAll(root.filePath(u"bin/"_qs + name), "beside"));
        if (besideProgram == u"folder")
            QVERIFY(root.mkpath(u"bin/"_qs + name));
        if (installed)
            QVERIFY(test::writeAll(root.filePath(u"share/quillharbour/"_qs + name), "installed"));

        const QString path = findDataFile(name, root.filePath(u"bin"_qs));
        QCOMPARE(test::readAll(path), found.toLatin1());
        QCOMPARE(path.isEmpty(), found.isEmpty());
        if (!path.isEmpty())
            QVERIFY2(QDir::isAbsolutePath(path) && !path.contains(u"/../"), qPrintable(path));
    }
};

QTEST_GUILESS_MAIN(TestDataFiles)
#include "test_datafiles.moc"
