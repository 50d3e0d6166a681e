#include "common/registrystore.h"
#include "tests/support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace qh;
using namespace qh::test;
using namespace Qt::StringLiterals;

namespace {
const QString kPathKeyLine = u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]"_s;
const QString kFolderKeyLine = u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location]"_s;

QString hexBytes(int count)
{
    return QStringList(count, u"41"_s).join(u',');
}
} // namespace

class TestRegistryStore : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;

private slots:
    // A store without a key line is read under the key of "PATH"; a store name other than
    // "store.txt" is read instead of the written store.
    void getKeyValueReadsTheStore_data()
    {
        QTest::addColumn<QString>("store");
        QTest::addColumn<QString>("storeName");
        QTest::addColumn<bool>("read");
        QTest::addColumn<QString>("text");
        const QString kanji1022 = QString(511, u'漢'); // 1022 bytes in code page 932
        const QString path = u"\"PATH\"=\"/opt/info\""_s;
        const QString store = u"store.txt"_s;
        QTest::newRow("string") << path << store << true << u"/opt/info"_s;
        QTest::newRow("names ignore case")
            << kPathKeyLine.toLower() + u"\n\"path\"=\"/opt/info\""_s << store << true << u"/opt/info"_s;
        QTest::newRow("escapes") << u"\"PATH\"=\"C:\\\\a \\\"b\\\"\""_s << store << true << u"C:\\a \"b\""_s;
        QTest::newRow("missing value") << u"\"OTHER\"=\"/opt/info\""_s << store << false << QString();
        QTest::newRow("missing key") << kFolderKeyLine + u'\n' + path << store << false << QString();
        QTest::newRow("other root") << u"[HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\n"_s + path
                                    << store << false << QString();
        QTest::newRow("last one counts") << u"\"PATH\"=\"/a\"\n\"PATH\"=\"/b\""_s << store << true << u"/b"_s;
        QTest::newRow("malformed lines skipped")
            << u"PATH=/a\n\"PATH\"=\"/b\"\n\"PATH\"=\"/c"_s << store << true << u"/b"_s;
        QTest::newRow("1023 bytes and NUL are read")
            << u"\"PATH\"=\""_s + QString(1023, u'a') + u'"' << store << true << QString(1023, u'a');
        QTest::newRow("1024 bytes and NUL are not")
            << u"\"PATH\"=\""_s + QString(1024, u'a') + u'"' << store << false << QString();
        QTest::newRow("limit counts code page bytes")
            << u"\"PATH\"=\""_s + kanji1022 + u"a\""_s << store << true << kanji1022 + u'a';
        QTest::newRow("two-byte text over the limit")
            << u"\"PATH\"=\""_s + kanji1022 + u"漢\""_s << store << false << QString();
        QTest::newRow("number") << u"\"PATH\"=dword:0000002a"_s << store << true << u"&h2A"_s;
        QTest::newRow("binary leaves the text") << u"\"PATH\"=hex:2f,61"_s << store << true << u"unchanged"_s;
        QTest::newRow("other type leaves the text") << u"\"PATH\"=hex(2):2f,61,00"_s << store << true << u"unchanged"_s;
        QTest::newRow("binary of 1024 bytes is read")
            << u"\"PATH\"=hex:"_s + hexBytes(1024) << store << true << u"unchanged"_s;
        QTest::newRow("binary of 1025 bytes is not")
            << u"\"PATH\"=hex:"_s + hexBytes(1025) << store << false << QString();
        QTest::newRow("missing file") << path << u"no such store"_s << false << QString();
        QTest::newRow("a folder") << path << u"folder store"_s << false << QString();
        QTest::newRow("under a file") << path << u"store.txt/store"_s << false << QString();
    }

    void getKeyValueReadsTheStore()
    {
        QFETCH(QString, store);
        QFETCH(QString, storeName);
        QFETCH(bool, read);
        QFETCH(QString, text);
        const QDir folder(m_dir.path());
        QVERIFY(folder.mkpath(u"folder store"_s));
        QVERIFY(writeAll(folder.filePath(u"store.txt"_s),
                         ((store.startsWith(u'[') ? store : kPathKeyLine + u'\n' + store) + u'\n').toUtf8()));
        QString value = u"unchanged"_s;
        QCOMPARE(getKeyValue(folder.filePath(storeName), kHKeyLocalMachine, kMsinfoPathKey, u"PATH"_s, value), read);
        QCOMPARE(value, text);
    }

    // A readable "PATH" is taken as it is; otherwise the "MSINFO" folder must hold the file.
    void sysInfoProgramFollowsTheLookups_data()
    {
        QTest::addColumn<QString>("pathValue");   // the line of "PATH", or empty for none
        QTest::addColumn<QString>("folderValue"); // the line of "MSINFO", or empty for none
        QTest::addColumn<QString>("program");     // "-" for none; "@dir@" is the test's folder

        const QString msinfo = u"\"MSINFO\"=\"@dir@/msinfo\""_s;
        const QString found = u"@dir@/msinfo/MSINFO32.EXE"_s;
        QTest::newRow("PATH wins over MSINFO") << u"\"PATH\"=\"@dir@/info.sh\""_s << msinfo << u"@dir@/info.sh"_s;
        QTest::newRow("PATH names a missing file; MSINFO not tried")
            << u"\"PATH\"=\"@dir@/missing.sh\""_s << msinfo << u"@dir@/missing.sh"_s;
        QTest::newRow("no PATH; MSINFO folder holds the file") << QString() << msinfo << found;
        QTest::newRow("no PATH; MSINFO folder without the file")
            << QString() << u"\"MSINFO\"=\"@dir@/empty\""_s << u"-"_s;
        QTest::newRow("no PATH; the file is a folder") << QString() << u"\"MSINFO\"=\"@dir@/folderfile\""_s << u"-"_s;
        QTest::newRow("neither value") << QString() << QString() << u"-"_s;
        QTest::newRow("PATH over the limit; MSINFO tried")
            << u"\"PATH\"=\"@dir@/info.sh"_s + QString(1100, u'x') + u"\""_s << msinfo << found;
        // Read, but no program: what starts nothing.
        QTest::newRow("binary PATH") << u"\"PATH\"=hex:2f,62,69,6e,2f,73,68"_s << msinfo << QString();
        QTest::newRow("number PATH") << u"\"PATH\"=dword:00000001"_s << msinfo << u"&h1"_s;
    }

    void sysInfoProgramFollowsTheLookups()
    {
        QFETCH(QString, pathValue);
        QFETCH(QString, folderValue);
        QFETCH(QString, program);
        const QTemporaryDir dir;
        const QDir folder(dir.path());
        QVERIFY(folder.mkpath(u"msinfo"_s));
        QVERIFY(folder.mkpath(u"empty"_s));
        QVERIFY(folder.mkpath(u"folderfile/MSINFO32.EXE"_s));
        QVERIFY(writeAll(folder.filePath(u"msinfo/MSINFO32.EXE"_s), "#!/bin/sh\n"));
        QString store;
        if (!pathValue.isEmpty())
            store += kPathKeyLine + u'\n' + pathValue + u'\n';
        if (!folderValue.isEmpty())
            store += kFolderKeyLine + u'\n' + folderValue + u'\n';
        const QString storePath = folder.filePath(u"store.txt"_s);
        QVERIFY(writeAll(storePath, store.replace(u"@dir@"_s, dir.path()).toUtf8()));

        const std::optional<QString> found = findSysInfoProgram(storePath);
        QCOMPARE(found.value_or(u"-"_s), program.replace(u"@dir@"_s, dir.path()));
    }

    void shippedStoreNamesAnInstalledProgram()
    {
        // The store shipped with the programs must name a program that can be started here.
        const std::optional<QString> program = findSysInfoProgram(dataPath(u"../../data/Quillharbour_Registry.txt"_s));
        QVERIFY(program);
        QVERIFY2(QFileInfo(*program).isExecutable(), qPrintable(*program));
    }
};

QTEST_GUILESS_MAIN(TestRegistryStore)
#include "test_registrystore.moc"
