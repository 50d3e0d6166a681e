// The connection check's window (接続確認) in one run against real names.
#include "tests/slownames/slownames.h"
#include "tests/support/loopback.h"
#include "tests/support/toolfixture.h"
#include "tool/connectioncheckwindow.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

using namespace qh;
using namespace qh::test;
using namespace qh::tool;
using namespace Qt::StringLiterals;

namespace {

QStringList tableRows(const QTableWidget* table)
{
    QStringList rows;
    for (int row = 0; row < table->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < table->columnCount(); ++column)
            cells.append(table->item(row, column)->text().replace(u'\n', u';'));
        rows.append(cells.join(u'|'));
    }
    return rows;
}

const QString kNotFound = u"コンピュータ名がみつかりません"_s;

} // namespace

class TestConnectionCheckWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        quietOffscreenWarnings();
        setProgramTitle(u"Quillharbour_Master_Tool"_s);
    }

    // One run against real names: addresses, localhost, a name under .invalid and a slow one. The
    // windows stay usable while the slow name is looked up; nothing is sent and nothing written;
    // a check window closed before its names have answered simply goes.
    void windowChecksTheValuesShown()
    {
        ChildrenListener children;
        const std::uint16_t childPort = children.bindFreePort();
        QVERIFY(childPort != 0);
        QByteArray settings = exampleBytes();
        settings.replace("ChildComp01=1ROOM2-PC01,FullScreen", "ChildComp01=1127.0.0.2,FullScreen");
        settings.replace("ChildComp02=1ROOM2-PC02,FullScreen", "ChildComp02=1localhost,FullScreen");
        settings.replace("ChildComp03=0ROOM2-PC03,WindowScreen", "ChildComp03=1nohost.qhfail,WindowScreen");
        settings.replace("ChildComp04= ,", "ChildComp04=1c05.qhslow,FullScreen");
        settings.replace("ChildComp05= ,", "ChildComp05=0127.0.0.5,WindowScreen");
        settings.replace("RemotePortx=5001", "RemotePortx=" + QByteArray::number(childPort));
        const ToolSession tool(settings);
        const OpenWindow& window = tool.window;
        window->show();
        setSlowNameDelay(400);

        QTest::mouseClick(window.control<QPushButton>(u"Command3"_s), Qt::LeftButton);
        QPointer<ConnectionCheckWindow> check = window->findChild<ConnectionCheckWindow*>();
        QVERIFY(check && check->isVisible());
        QCOMPARE(check->windowTitle(), u"Quillharbour_Master_Tool 接続確認"_s);
        auto* table = check->findChild<QTableWidget*>(u"slotChecks"_s);
        auto* status = check->findChild<QLabel*>(u"status"_s);
        QVERIFY(check->isChecking());
        QVERIFY(tableRows(table).contains(u"04|c05.qhslow|確認中…|"_s));
        QVERIFY2(status->text().startsWith(u"コンピュータ名を確認しています（"_s), qPrintable(status->text()));
        QCOMPARE(check->findChild<QProgressBar*>(u"progress"_s)->maximum(), 3);
        // The settings window takes input meanwhile; the check goes on with the values it was given.
        auto* masterPort = window.control<QLineEdit>(u"Text1"_s);
        masterPort->clear();
        QTest::keyClicks(masterPort, QString::number(childPort));
        QCOMPARE(masterPort->text(), QString::number(childPort));

        QTRY_VERIFY(!check->isChecking());
        QCOMPARE(tableRows(table), (QStringList{u"01|127.0.0.2|127.0.0.2|"_s, u"02|localhost|127.0.0.1|"_s,
                                                u"03|nohost.qhfail|みつかりません|"_s + kNotFound,
                                                u"04|c05.qhslow|127.0.0.5|コンピュータ番号05と同じアドレスです"_s,
                                                u"05|127.0.0.5|127.0.0.5|コンピュータ番号04と同じアドレスです"_s}));
        QCOMPARE(status->text(), u"確認が終わりました。警告は3件です。"_s);
        QVERIFY(!check->findChild<QLabel*>(u"portWarnings"_s)->isVisible());

        // The menu's item checks the values as they are now, in place of the window before.
        setSlowNameDelay(600);
        window.control<QAction>(u"Menu12"_s)->trigger();
        QTRY_VERIFY(!check);
        check = window->findChild<ConnectionCheckWindow*>();
        QVERIFY(check && check->isChecking());
        QCOMPARE(check->findChild<QLabel*>(u"portWarnings"_s)->text(),
                 u"Childのポート番号がMasterのポート番号と同じです"_s);
        QTest::mouseClick(check->findChild<QPushButton*>(u"closeButton"_s), Qt::LeftButton);
        QTRY_VERIFY(!check);
        QTest::qWait(900); // the slow answer comes after its window has gone
        QVERIFY(window->findChildren<ConnectionCheckWindow*>().isEmpty());

        QCOMPARE(tool.messages.texts(), QStringList());
        QCOMPARE(readAll(kSettingsFileName), settings);
        QVERIFY(!QFile::exists(u"Temp.tmp"_s));
        QCOMPARE(children.count(), 0);
    }
};

int main(int argc, char* argv[])
{
    preloadSlowNames();
    QApplication app(argc, argv);
    TestConnectionCheckWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_connectioncheckwindow.moc"
