#include "cp932text.h"
#include "helpviewer.h"
#include "testutil.h"

#include <QDir>
#include <QTemporaryDir>

using namespace qh;
using namespace qh::test;

namespace {

// The help file as it is shipped, from data/ beside the tests' own data.
QString shippedHelpFile()
{
    return dataPath(u"../../data/Quillharbour_Master.hlp"_qs);
}

} // namespace

class TestHelpViewer : public QObject
{
    Q_OBJECT
private slots:
    void findsTheFile_data()
    {
        QTest::addColumn<bool>("inWorkingFolder");
        QTest::addColumn<bool>("besideProgram");
        QTest::addColumn<bool>("installed"); // in share/quillharbour beside the program's bin folder
        QTest::addColumn<QString>("found");  // "work", "program", "installed" or empty
        QTest::newRow("working folder first") << true << true << true << u"work"_qs;
        QTest::newRow("beside the program") << false << true << false << u"program"_qs;
        QTest::newRow("beside the program before the installed one") << false << true << true << u"program"_qs;
        QTest::newRow("installed") << false << false << true << u"installed"_qs;
        QTest::newRow("only in the working folder") << true << false << false << u"work"_qs;
        QTest::newRow("nowhere") << false << false << false << QString();
    }
    void findsTheFile()
    {
        QFETCH(bool, inWorkingFolder);
        QFETCH(bool, besideProgram);
        QFETCH(bool, installed);
        QFETCH(QString, found);
        QTemporaryDir work;
        QTemporaryDir prefix;
        QVERIFY(QDir(prefix.path()).mkpath(u"bin"_qs) && QDir(prefix.path()).mkpath(u"share/quillharbour"_qs));
        const QString programFolder = prefix.filePath(u"bin"_qs);
        const QString name = u"Quillharbour_Master.hlp"_qs;
        if (inWorkingFolder)
            QVERIFY(writeAll(work.filePath(name), "work"));
        if (besideProgram)
            QVERIFY(writeAll(programFolder + u'/' + name, "program"));
        if (installed)
            QVERIFY(writeAll(prefix.filePath(u"share/quillharbour/"_qs + name), "installed"));
        const QString previous = QDir::currentPath();
        QDir::setCurrent(work.path());
        const QString path = help::findHelpFile(name, programFolder);
        QDir::setCurrent(previous);
        QCOMPARE(readAll(path), found.toLatin1());
        QCOMPARE(path.isEmpty(), found.isEmpty());
    }

    void decodesUtf8AndCp932_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("UTF-8") << QByteArray("<p>\xe5\x85\xa8\xe7\x94\xbb\xe9\x9d\xa2</p>") << u"<p>全画面</p>"_qs;
        QTest::newRow("code page 932") << cp932::encode(u"<p>全画面表示</p>"_qs) << u"<p>全画面表示</p>"_qs;
    }
    void decodesUtf8AndCp932()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(help::helpHtml(bytes), text);
    }

    void showsTheShippedHelpFile()
    {
        QVERIFY(QFileInfo::exists(shippedHelpFile()));
        help::HelpWindow window(shippedHelpFile(), QString());
        QVERIFY(window.fileFound());
        QCOMPARE(window.windowTitle(), u"Quillharbour ヘルプ"_qs);
        const QString text = window.toPlainText();
        // Every setting of the settings window is explained.
        for (const QString& caption : {u"Masterのポート番号"_qs, u"Childのポート番号"_qs, u"Masterの初期画面表示"_qs,
                                       u"全画面表示"_qs, u"ウィンドウ表示"_qs, u"設定"_qs, u"呼び出し"_qs})
            QVERIFY2(text.contains(caption), qPrintable(caption));
    }

    void saysWhenTheFileIsMissing()
    {
        QTemporaryDir empty;
        help::HelpWindow window(u"missing.hlp"_qs, empty.path());
        QVERIFY(!window.fileFound());
        QVERIFY(window.toPlainText().contains(u"missing.hlp"_qs));
    }
};

QTEST_MAIN(TestHelpViewer)
#include "test_helpviewer.moc"
