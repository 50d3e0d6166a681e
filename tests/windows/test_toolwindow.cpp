#include "common/aboutbox.h"
#include "common/cp932text.h"
#include "common/keytexts.h"
#include "common/teacherkey.h"
#include "tests/support/toolfixture.h"
#include "tool/modelist.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

using namespace qh;
using namespace qh::test;
using namespace Qt::StringLiterals;

namespace {

const QString kIni = u"Quillharbour_Master.ini"_s;

QString slotName(const char* control, int index)
{
    return QLatin1String(control) + u'_' + QString::number(index);
}

QStringList objectNames(const QList<QAction*>& actions)
{
    QStringList names;
    for (const QAction* action : actions)
        names << (action->menu() ? action->menu()->objectName() : action->objectName());
    return names;
}

// Runs the program's event loop until the window ends it; a loop nobody ends fails the test
// instead of hanging it.
int runEventLoop()
{
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, qApp, [] { QApplication::exit(99); });
    guard.start(20000);
    return QApplication::exec();
}

// A stand-in help viewer: writes its tag, its arguments and its working folder to `out`.
bool writeViewer(const QString& path, const QByteArray& tag, const QString& out)
{
    const QByteArray target = QFile::encodeName(out);
    const QByteArray script = "#!/bin/sh\n{ echo " + tag + "; echo \"$#\"; printf '%s\\n' \"$@\"; pwd; } > '" + target +
                              ".part'\nmv '" + target + ".part' '" + target + "'\n";
    return writeAll(path, script) &&
           QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace

class TestToolWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        quietOffscreenWarnings();
        setProgramTitle(u"Quillharbour_Master_Tool"_s);
    }

    void captionsAndMenus()
    {
        const ToolSession tool;
        const OpenWindow& window = tool.window;
        QCOMPARE(window->windowTitle(), u"Quillharbour_Master_Tool"_s);
        const QList<std::pair<QString, QString>> captions{{u"Label1"_s, u"Masterのポート番号"_s},
                                                          {u"Label3"_s, u"Masterの初期画面表示"_s},
                                                          {u"Label2"_s, u"Childのポート番号"_s},
                                                          {u"Frame1_1"_s, u"01-10"_s},
                                                          {u"Frame1_2"_s, u"11-20"_s},
                                                          {u"Frame1_3"_s, u"21-30"_s},
                                                          {u"Command2"_s, u"設定"_s},
                                                          {u"Command1"_s, u"終了"_s},
                                                          {u"Command3"_s, u"接続確認"_s},
                                                          {u"Menu10"_s, u"ﾌｧｲﾙ"_s},
                                                          {u"Menu12"_s, u"接続確認"_s},
                                                          {u"Menu13"_s, u"URLリストの編集..."_s},
                                                          {u"Menu14"_s, u"先生の鍵..."_s},
                                                          {u"Menu11"_s, u"終了"_s},
                                                          {u"Menu00"_s, u"ヘルプ"_s},
                                                          {u"Menu03"_s, u"ヘルプ"_s},
                                                          {u"Menu01"_s, u"About..."_s}};
        for (const auto& [name, caption] : captions) {
            QObject* control = window.control<QObject>(name);
            QVERIFY2(control, qPrintable(name));
            if (auto* label = qobject_cast<QLabel*>(control)) {
                QCOMPARE(label->text(), caption);
                QVERIFY2(label->sizeHint().width() <= label->width(), "caption cut off");
            } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
                QCOMPARE(button->text(), caption);
            } else if (auto* frame = qobject_cast<QGroupBox*>(control)) {
                QCOMPARE(frame->title(), caption);
            } else if (auto* menu = qobject_cast<QMenu*>(control)) {
                QCOMPARE(menu->title(), caption);
            } else {
                QCOMPARE(qobject_cast<QAction*>(control)->text(), caption);
            }
        }
        auto* tabs = window.control<QTabBar>(u"TabStrip1"_s);
        QCOMPARE((QStringList{tabs->tabText(0), tabs->tabText(1), tabs->tabText(2)}),
                 (QStringList{u"01-10"_s, u"11-20"_s, u"21-30"_s}));
        QCOMPARE(tabs->count(), 3);
        for (int i = 0; i < kSlotCount; ++i) {
            auto* check = window.control<QCheckBox>(slotName("Check1", i));
            QCOMPARE(check->text(), u"コンピュータ番号%1"_s.arg(i + 1, 2, 10, QLatin1Char('0')));
            QVERIFY2(check->sizeHint().width() <= check->width(), "caption cut off");
        }
        // The menus in their places, without shortcuts or check marks.
        QCOMPARE(objectNames(window->menuBar()->actions()), (QStringList{u"Menu10"_s, u"Menu00"_s}));
        QCOMPARE(objectNames(window.control<QMenu>(u"Menu10"_s)->actions()),
                 (QStringList{u"Menu12"_s, u"Menu13"_s, u"Menu14"_s, u"Menu11"_s}));
        QCOMPARE(objectNames(window.control<QMenu>(u"Menu00"_s)->actions()), (QStringList{u"Menu03"_s, u"Menu01"_s}));
        for (const QAction* action : window->findChildren<QAction*>()) {
            QVERIFY(!action->isCheckable());
            QVERIFY(action->shortcut().isEmpty());
        }
    }

    void loadsTheExampleFile()
    {
        const ToolSession tool;
        QCOMPARE(tool.messages.texts(), QStringList());
        QCOMPARE(tool.window.value(u"Text1"_s), QVariant(u"5002"_s));
        QCOMPARE(tool.window.value(u"Text2"_s), QVariant(u"5001"_s));
        QCOMPARE(tool.window.value(u"List1"_s), QVariant(0));
        for (int i = 0; i < kSlotCount; ++i) {
            const bool named = i < 3;
            QCOMPARE(tool.window.value(slotName("Check1", i)), QVariant(i < 2));
            QCOMPARE(tool.window.value(slotName("Text3", i)),
                     QVariant(named ? u"ROOM2-PC0"_s + QString::number(i + 1) : QString()));
            QCOMPARE(tool.window.value(slotName("List2", i)), QVariant(i < 2 ? 0 : (named ? 1 : -1)));
        }
    }

    // How the window shows what it read: the reading itself is test_settingsfile's.
    void loadingRules_data()
    {
        QTest::addColumn<QString>("fileText");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QVariant>("shown");
        QTest::newRow("port with leading zero") << u"RemotePortx=05000"_s << u"Text2"_s << QVariant(u"5000"_s);
        QTest::newRow("negative port") << u"MyHostPortx=-7"_s << u"Text1"_s << QVariant(u"-7"_s);
        QTest::newRow("empty port") << u"RemotePortx="_s << u"Text2"_s << QVariant(u"0"_s);
        QTest::newRow("port line missing") << u"ScreenSizex=FullScreen"_s << u"Text2"_s << QVariant(QString());
        QTest::newRow("master full screen") << u"ScreenSizex=FullScreen"_s << u"List1"_s << QVariant(0);
        QTest::newRow("master lower case") << u"ScreenSizex=fullscreen"_s << u"List1"_s << QVariant(1);
        QTest::newRow("master line missing") << u"RemotePortx=1"_s << u"List1"_s << QVariant(-1);
        QTest::newRow("flag 1 without name ticks") << u"ChildComp05=1,FullScreen"_s << u"Check1_4"_s << QVariant(true);
        QTest::newRow("name of one blank: no mode") << u"ChildComp05=1 ,FullScreen"_s << u"List2_4"_s << QVariant(-1);
        QTest::newRow("name of one blank: no name")
            << u"ChildComp05=1 ,FullScreen"_s << u"Text3_4"_s << QVariant(QString());
        QTest::newRow("flag 0 leaves unticked")
            << u"ChildComp07=0ROOM2-PC07,WindowScreen"_s << u"Check1_6"_s << QVariant(false);
        QTest::newRow("any 1 keeps the tick")
            << u"ChildComp09=1A,FullScreen\r\nChildComp09=0B,WindowScreen"_s << u"Check1_8"_s << QVariant(true);
        QTest::newRow("double-byte name")
            << u"ChildComp30=1教室ＰＣ①,FullScreen"_s << u"Text3_29"_s << QVariant(u"教室ＰＣ①"_s);
    }
    void loadingRules()
    {
        QFETCH(QString, fileText);
        QFETCH(QString, control);
        QFETCH(QVariant, shown);
        const ToolSession tool(cp932::encode(u"[ChildComp]\r\n"_s + fileText + u"\r\n"_s));
        QCOMPARE(tool.messages.texts(), QStringList());
        QCOMPARE(tool.window.value(control), shown);
    }

    void unreadableFileGivesAnEmptyWindow_data()
    {
        QTest::addColumn<bool>("missing");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("missing") << true << QStringList{u"INIファイルがありません"_s};
        QTest::newRow("folder in its place")
            << false << QStringList{u"INIファイルが通常のファイルではないため読めません"_s};
    }
    void unreadableFileGivesAnEmptyWindow()
    {
        QFETCH(bool, missing);
        QFETCH(QStringList, messages);
        const WorkingFolder folder;
        if (!missing)
            QVERIFY(QDir().mkdir(kIni));
        MessageCapture capture;
        const OpenWindow window;
        QCOMPARE(capture.texts(), messages);
        for (const CapturedMessage& message : capture.messages)
            QCOMPARE(message.title, u"Quillharbour_Masterからのメッセージ"_s);
        QCOMPARE(window.value(u"Text1"_s), QVariant(QString()));
        QCOMPARE(window.value(u"Text2"_s), QVariant(QString()));
        QStringList lists{u"List1"_s};
        for (int i = 0; i < kSlotCount; ++i) {
            lists << slotName("List2", i);
            QCOMPARE(window.value(slotName("Check1", i)), QVariant(false));
            QCOMPARE(window.value(slotName("Text3", i)), QVariant(QString()));
        }
        for (const QString& name : lists) {
            auto* list = window.control<tool::ModeList>(name);
            QCOMPARE(list->modeIndex(), -1);
            QCOMPARE(list->count(), 2);
            QCOMPARE(list->item(0)->text(), u"全画面表示"_s);
            QCOMPARE(list->item(1)->text(), u"ウィンドウ表示"_s);
        }
    }

    void tabSwitching_data()
    {
        QTest::addColumn<QList<int>>("clickedTabs");
        QTest::addColumn<int>("shownFrame");
        QTest::newRow("after loading") << QList<int>{} << 1;
        QTest::newRow("21-30 straight from 01-10") << QList<int>{3} << 3;
        QTest::newRow("the selected tab again") << QList<int>{1} << 1;
        QTest::newRow("11-20 twice") << QList<int>{2, 2} << 2;
        QTest::newRow("there and back") << QList<int>{2, 3, 1} << 1;
    }
    void tabSwitching()
    {
        QFETCH(QList<int>, clickedTabs);
        QFETCH(int, shownFrame);
        const ToolSession tool;
        tool.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(tool.window.get()));
        auto* tabs = tool.window.control<QTabBar>(u"TabStrip1"_s);
        for (int tab : clickedTabs)
            QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(tab - 1).center());
        QCOMPARE(tabs->currentIndex(), shownFrame - 1);
        for (int frame = 1; frame <= 3; ++frame)
            QCOMPARE(tool.window.control<QWidget>(u"Frame1_"_s + QString::number(frame))->isVisible(),
                     frame == shownFrame);
        // Exactly the ten rows of the shown frame can be seen.
        for (int i = 0; i < kSlotCount; ++i) {
            for (const char* control : {"Check1", "Text3", "List2"})
                QCOMPARE(tool.window.control<QWidget>(slotName(control, i))->isVisible(), i / 10 + 1 == shownFrame);
        }
    }

    void stepFlipsTheSelection_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("action"); // a scroll bar action, or 0 with a wheel turn
        QTest::addColumn<int>("wheel");
        QTest::addColumn<int>("after");
        const int down = QAbstractSlider::SliderSingleStepAdd;
        const int up = QAbstractSlider::SliderSingleStepSub;
        QTest::newRow("none, down arrow") << u"List2_20"_s << -1 << down << 0 << 0;
        QTest::newRow("none, up arrow") << u"List2_20"_s << -1 << up << 0 << 0;
        QTest::newRow("window, up arrow") << u"List2_2"_s << 1 << up << 0 << 0;
        QTest::newRow("window, down arrow at the end") << u"List2_2"_s << 1 << down << 0 << 0;
        QTest::newRow("full screen, down arrow") << u"List2_0"_s << 0 << down << 0 << 1;
        QTest::newRow("full screen, up arrow at the end") << u"List2_0"_s << 0 << up << 0 << 1;
        QTest::newRow("master, page step") << u"List1"_s << 0 << int(QAbstractSlider::SliderPageStepAdd) << 0 << 1;
        QTest::newRow("thumb moved") << u"List2_1"_s << 0 << int(QAbstractSlider::SliderMove) << 0 << 1;
        QTest::newRow("none, wheel down") << u"List2_20"_s << -1 << 0 << -120 << 0;
        QTest::newRow("full screen, wheel up at the end") << u"List2_0"_s << 0 << 0 << 120 << 1;
        QTest::newRow("window, wheel down at the end") << u"List2_2"_s << 1 << 0 << -120 << 0;
    }
    void stepFlipsTheSelection()
    {
        QFETCH(QString, list);
        QFETCH(int, before);
        QFETCH(int, action);
        QFETCH(int, wheel);
        QFETCH(int, after);
        const ToolSession tool;
        auto* modeList = tool.window.control<tool::ModeList>(list);
        QCOMPARE(modeList->modeIndex(), before);
        if (action != 0) {
            modeList->verticalScrollBar()->triggerAction(QAbstractSlider::SliderAction(action));
        } else {
            const QPointF at = modeList->viewport()->rect().center();
            QWheelEvent turn(at, modeList->viewport()->mapToGlobal(at), {}, {0, wheel}, Qt::NoButton, {},
                             Qt::NoScrollPhase, false);
            QApplication::sendEvent(modeList->viewport(), &turn);
        }
        QCOMPARE(modeList->modeIndex(), after);
        QCOMPARE(modeList->verticalScrollBar()->value(), after); // the row in view is the selected one
    }

    void clickingTheVisibleItemSelectsIt()
    {
        const ToolSession tool;
        tool.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(tool.window.get()));
        auto* modeList = tool.window.control<tool::ModeList>(u"List2_5"_s);
        QCOMPARE(modeList->modeIndex(), -1);
        QTest::mouseClick(modeList->viewport(), Qt::LeftButton, {},
                          modeList->visualItemRect(modeList->item(0)).center());
        QCOMPARE(modeList->modeIndex(), 0);
    }

    void focusOrder()
    {
        const ToolSession tool;
        QStringList expected{u"Text1"_s, u"Text2"_s, u"Command1"_s, u"List1"_s, u"TabStrip1"_s};
        for (int i = 0; i < kSlotCount; ++i) {
            if (i < 10)
                expected << slotName("List2", i) << slotName("Text3", i);
            else
                expected << slotName("Text3", i) << slotName("List2", i);
        }
        expected << u"Command2"_s << u"Command3"_s;
        for (int i = 0; i < kSlotCount; ++i)
            expected << slotName("Check1", i);
        QStringList chain;
        QWidget* first = tool.window.control<QWidget>(u"Text1"_s);
        QWidget* widget = first;
        do {
            if (expected.contains(widget->objectName()) && !chain.contains(widget->objectName()))
                chain << widget->objectName();
            widget = widget->nextInFocusChain();
        } while (widget != first);
        QCOMPARE(chain, expected);
    }

    // "終了" ends the program at once, an open About box with it. The menu's "終了" and the title
    // bar close the window only: the program runs on until the About box is closed. None saves.
    void endingTheTool_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("windowStaysOpen");
        QTest::newRow("button 終了") << u"Command1"_s << true;
        QTest::newRow("menu 終了") << u"Menu11"_s << false;
        QTest::newRow("title bar") << QString() << false;
    }
    void endingTheTool()
    {
        QFETCH(QString, how);
        QFETCH(bool, windowStaysOpen);
        const ToolSession tool;
        const OpenWindow& window = tool.window;
        window->show();
        window.control<QAction>(u"Menu01"_s)->trigger();
        const QPointer<AboutBox> about = shownAboutBoxes().value(0);
        QVERIFY(about && about->isVisible());
        QCOMPARE(about->windowTitle(), u"Quillharbour_Master_Toolのﾊﾞｰｼﾞｮﾝ情報"_s);
        window.control<QLineEdit>(u"Text1"_s)->setText(u"7777"_s);
        bool ranOnWithTheBox = false;
        QTimer::singleShot(0, qApp, [&] {
            if (how == u"Command1")
                QTest::mouseClick(window.control<QPushButton>(how), Qt::LeftButton);
            else if (how == u"Menu11")
                window.control<QAction>(how)->trigger();
            else
                window->close();
            // Runs after a closed window was deleted, unless the program has ended.
            QTimer::singleShot(0, about.data(), [&] {
                ranOnWithTheBox = about && about->isVisible() && !window.isOpen();
                about->accept();
            });
        });
        QCOMPARE(runEventLoop(), 0);
        QCOMPARE(ranOnWithTheBox, !windowStaysOpen);
        QCOMPARE(window.isOpen(), windowStaysOpen);
        QTRY_VERIFY(!about);
        QCOMPARE(readAll(kIni), exampleBytes());
    }

    // The help viewer and the lesson editor are taken from beside the program, else from PATH; a
    // stand-in notes how it was started. The tests do not lie beside a program, so the "beside" one
    // is put there for a row. A help viewer that cannot be started is not reported; a lesson editor is.
    void menuStartsItsProgram_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("program");
        QTest::addColumn<bool>("onPath");
        QTest::addColumn<bool>("besideProgram");
        QTest::addColumn<QByteArray>("started");
        QTest::addColumn<QStringList>("messages");
        const QString help = u"Quillharbour_Help"_s;
        const QString lesson = u"Quillharbour_Lesson"_s;
        const QByteArray helpArguments = "\n1\nQuillharbour_Master.hlp\n";
        QTest::newRow("help from PATH") << u"Menu03"_s << help << true << false << "path" + helpArguments
                                        << QStringList();
        QTest::newRow("help beside the program before PATH")
            << u"Menu03"_s << help << true << true << "beside" + helpArguments << QStringList();
        QTest::newRow("no help viewer") << u"Menu03"_s << help << false << false << QByteArray() << QStringList();
        // printf prints one empty line for no arguments.
        QTest::newRow("lesson editor from PATH")
            << u"Menu13"_s << lesson << true << false << QByteArray("path\n0\n\n") << QStringList();
        QTest::newRow("lesson editor beside the program before PATH")
            << u"Menu13"_s << lesson << true << true << QByteArray("beside\n0\n\n") << QStringList();
        QTest::newRow("no lesson editor") << u"Menu13"_s << lesson << false << false << QByteArray()
                                          << QStringList{u"Quillharbour_Lessonを起動できません。"_s};
    }
    void menuStartsItsProgram()
    {
        QFETCH(QString, menu);
        QFETCH(QString, program);
        QFETCH(bool, onPath);
        QFETCH(bool, besideProgram);
        QFETCH(QByteArray, started);
        QFETCH(QStringList, messages);
        const ToolSession tool;
        const QString out = tool.folder.path(u"program.out"_s);
        QVERIFY(QDir().mkdir(u"bin"_s));
        if (onPath)
            QVERIFY(writeViewer(tool.folder.path(u"bin/"_s + program), "path", out));
        const QByteArray path = qgetenv("PATH");
        // Without the program on it, PATH holds only the empty folder.
        qputenv("PATH", QFile::encodeName(tool.folder.path(u"bin"_s)) + (onPath ? ':' + path : QByteArray()));
        const QString beside = QCoreApplication::applicationDirPath() + u'/' + program;
        const auto restore = qScopeGuard([&] {
            qputenv("PATH", path);
            if (besideProgram)
                QFile::remove(beside);
        });
        if (besideProgram)
            QVERIFY(writeViewer(beside, "beside", out));
        tool.window.control<QAction>(menu)->trigger();
        if (!started.isEmpty()) {
            QTRY_VERIFY(QFileInfo::exists(out));
            QCOMPARE(readAll(out), started + QFile::encodeName(tool.folder.path()) + '\n');
        }
        QCOMPARE(tool.messages.texts(), messages);
        QVERIFY(tool.window.isOpen());
    }

    // "先生の鍵...": a folder without a key is offered one; a key there is shown by its fingerprint
    // and replaced only when the user chooses so.
    void teacherKeyIsMadeAndShown()
    {
        ToolSession tool;
        QAction* keyItem = tool.window.control<QAction>(u"Menu14"_s);
        const QString keyPath = tool.folder.path(kTeacherKeyFileName);
        tool.messages.answers = {1}; // キャンセル
        keyItem->trigger();
        QVERIFY(!QFileInfo::exists(keyPath));
        tool.messages.answers = {0}; // 作る
        keyItem->trigger();
        const QByteArray made = readPublicKeyFile(tool.folder.path(kTeacherPublicKeyFileName)).publicKey;
        QVERIFY(readSigningKeyFile(keyPath).key);
        QCOMPARE(tool.messages.texts().size(), 3); // two questions, then what was made
        QVERIFY(tool.messages.texts().last().contains(keyFingerprint(made)));

        const QByteArray key = readAll(keyPath);
        tool.messages.answers = {0}; // 閉じる
        keyItem->trigger();
        QVERIFY2(tool.messages.texts().last().contains(keyFingerprint(made)), qPrintable(tool.messages.texts().last()));
        QCOMPARE(readAll(keyPath), key);
        tool.messages.answers = {1}; // 新しい鍵を作る
        keyItem->trigger();
        const QByteArray remade = readPublicKeyFile(tool.folder.path(kTeacherPublicKeyFileName)).publicKey;
        QVERIFY(remade != made);
        QVERIFY(tool.messages.texts().last().contains(keyFingerprint(remade)));

        // A key file that cannot be used is named, and can be replaced.
        QVERIFY(writeAll(keyPath, "broken\n"));
        tool.messages.answers = {0};
        keyItem->trigger();
        QVERIFY2(
            tool.messages.texts().last().contains(keyFileProblemText(kTeacherKeyFileName, KeyFileProblem::NotAKey)),
            qPrintable(tool.messages.texts().last()));
        QCOMPARE(readAll(keyPath), QByteArray("broken\n"));
    }
};

QTEST_MAIN(TestToolWindow)
#include "test_toolwindow.moc"
