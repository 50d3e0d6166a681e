#include "common/datafiles.h"
#include "tests/support/testfiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

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
};

QTEST_GUILESS_MAIN(TestDataFiles)
#include "test_datafiles.moc"
