#include "common/cp932text.h"
#include "help/helpviewer.h"
#include "tests/support/testfiles.h"

#include <QDir>
#include <QTest>

using namespace qh;
using namespace qh::test;
using namespace Qt::StringLiterals;

namespace {
const QString kHelpName = u"Quillharbour_Master.hlp"_s;
} // namespace

class TestHelpViewer : public QObject
{
    Q_OBJECT
private slots:
    void findsTheFile_data()
    {
        QTest::addColumn<QString>("inWorkingFolder"); // "file", "folder" or nothing
        QTest::addColumn<bool>("besideProgram");
        QTest::addColumn<bool>("installed");   // in share/quillharbour beside the program's bin folder
        QTest::addColumn<QByteArray>("found"); // the content of the file found, empty for none
        QTest::newRow("working folder first") << u"file"_s << true << true << QByteArray("work");
        QTest::newRow("beside the program") << QString() << true << false << QByteArray("program");
        QTest::newRow("beside the program before the installed one")
            << QString() << true << true << QByteArray("program");
        QTest::newRow("installed") << QString() << false << true << QByteArray("installed");
        QTest::newRow("only in the working folder") << u"file"_s << false << false << QByteArray("work");
        QTest::newRow("a folder of that name is no file") << u"folder"_s << true << false << QByteArray("program");
        QTest::newRow("nowhere") << QString() << false << false << QByteArray();
    }
    void findsTheFile()
    {
        QFETCH(QString, inWorkingFolder);
        QFETCH(bool, besideProgram);
        QFETCH(bool, installed);
        QFETCH(QByteArray, found);
        const WorkingFolder work;
        const QTemporaryDir prefix;
        QVERIFY(QDir(prefix.path()).mkpath(u"bin"_s) && QDir(prefix.path()).mkpath(u"share/quillharbour"_s));
        const QString programFolder = prefix.filePath(u"bin"_s);
        if (inWorkingFolder == u"file")
            QVERIFY(work.write(kHelpName, "work"));
        if (inWorkingFolder == u"folder")
            QVERIFY(QDir(work.path()).mkdir(kHelpName));
        if (besideProgram)
            QVERIFY(writeAll(programFolder + u'/' + kHelpName, "program"));
        if (installed)
            QVERIFY(writeAll(prefix.filePath(u"share/quillharbour/"_s + kHelpName), "installed"));
        const QString path = help::findHelpFile(kHelpName, programFolder);
        QCOMPARE(path.isEmpty(), found.isEmpty());
        QCOMPARE(readAll(path), found);
    }

    void decodesUtf8AndCp932_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("UTF-8") << QByteArray("<p>\xe5\x85\xa8\xe7\x94\xbb\xe9\x9d\xa2</p>") << u"<p>全画面</p>"_s;
        QTest::newRow("code page 932") << QByteArray("<p>\x91\x53\x89\xe6\x96\xca</p>") << u"<p>全画面</p>"_s;
    }
    void decodesUtf8AndCp932()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(help::helpHtml(bytes), text);
    }

    void showsTheShippedHelpFile()
    {
        const QString shipped = dataPath(u"../../data/"_s + kHelpName);
        help::HelpWindow window(shipped, QString());
        QVERIFY(window.fileFound());
        QCOMPARE(window.windowTitle(), u"Quillharbour ヘルプ"_s);
        const QString text = window.toPlainText();
        // Every setting of the settings window is explained, and the calls.
        for (const QString& caption : {u"Masterのポート番号"_s, u"Childのポート番号"_s, u"Masterの初期画面表示"_s,
                                       u"全画面表示"_s, u"ウィンドウ表示"_s, u"設定"_s, u"呼び出し"_s})
            QVERIFY2(text.contains(caption), qPrintable(caption));
    }

    void saysWhenTheFileIsMissing()
    {
        const QTemporaryDir empty;
        help::HelpWindow window(u"missing.hlp"_s, empty.path());
        QVERIFY(!window.fileFound());
        QVERIFY(window.toPlainText().contains(u"missing.hlp"_s));
    }
};

QTEST_MAIN(TestHelpViewer)
#include "test_helpviewer.moc"
