#include "cp932text.h"
#include "frmabout.h"
#include "helplauncher.h"
#include "messagebox.h"
#include "toolfixture.h"
#include "twips.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTimer>
#include <QWheelEvent>

using namespace qh;
using namespace qh::test;

namespace {

const QString kIni = u"Quillharbour_Master.ini"_qs;

QStringList slotNames(const char* control)
{
    QStringList names;
    for (int i = 0; i < kSlotCount; ++i)
        names << QLatin1String(control) + u'_' + QString::number(i);
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

} // namespace

class TestToolWindow : public QObject
{
    Q_OBJECT
private slots:
    void init() { setProgramTitle(kToolTitle()); }

    void layoutAndCaptions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRect>("twipsRect");
        QTest::newRow("Label1") << u"Label1"_qs << u"Masterのポート番号"_qs << QRect(240, 120, 1575, 255);
        QTest::newRow("Text1") << u"Text1"_qs << QString() << QRect(1920, 120, 615, 270);
        QTest::newRow("Label3") << u"Label3"_qs << u"Masterの初期画面表示"_qs << QRect(2760, 120, 1815, 255);
        QTest::newRow("List1") << u"List1"_qs << QString() << QRect(4680, 120, 1695, 240);
        QTest::newRow("Label2") << u"Label2"_qs << u"Childのポート番号"_qs << QRect(240, 480, 1575, 255);
        QTest::newRow("Text2") << u"Text2"_qs << QString() << QRect(1920, 480, 615, 270);
        QTest::newRow("Frame1_1") << u"Frame1_1"_qs << u"01-10"_qs << QRect(480, 1440, 5655, 3855);
        QTest::newRow("Frame1_2") << u"Frame1_2"_qs << u"11-20"_qs << QRect(480, 1440, 5655, 3855);
        QTest::newRow("Frame1_3") << u"Frame1_3"_qs << u"21-30"_qs << QRect(480, 1440, 5655, 3855);
        QTest::newRow("Command2") << u"Command2"_qs << u"設定"_qs << QRect(240, 5520, 1575, 375);
        QTest::newRow("Command1") << u"Command1"_qs << u"終了"_qs << QRect(5280, 5520, 1095, 375);
        QTest::newRow("Check1_0") << u"Check1_0"_qs << u"コンピュータ番号01"_qs << QRect(120, 240, 1815, 255);
        QTest::newRow("Check1_19") << u"Check1_19"_qs << u"コンピュータ番号20"_qs << QRect(120, 3480, 1815, 255);
        QTest::newRow("Check1_29") << u"Check1_29"_qs << u"コンピュータ番号30"_qs << QRect(120, 3480, 1815, 255);
        QTest::newRow("Text3_12") << u"Text3_12"_qs << QString() << QRect(2040, 960, 1335, 270);
        QTest::newRow("List2_25") << u"List2_25"_qs << QString() << QRect(3600, 2040, 1695, 240);
    }
    void layoutAndCaptions()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QRect, twipsRect);
        WorkingFolder folder;
        QVERIFY(writeAll(folder.path(kIni), exampleBytes()));
        OpenWindow form;
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QCOMPARE(form->windowTitle(), u"Quillharbour_Master_Tool"_qs);
        auto* widget = form.control<QWidget>(name);
        QVERIFY(widget);
        QCOMPARE(widget->geometry(),
                 twips::rectToPixels(twipsRect.x(), twipsRect.y(), twipsRect.width(), twipsRect.height()));
        if (auto* label = qobject_cast<QLabel*>(widget))
            QCOMPARE(label->text(), caption);
        // No caption is cut off at its place.
        if (qobject_cast<QLabel*>(widget) || qobject_cast<QCheckBox*>(widget))
            QVERIFY(widget->sizeHint().width() <= widget->width());
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            QCOMPARE(button->text(), caption);
        if (auto* frame = qobject_cast<QGroupBox*>(widget))
            QCOMPARE(frame->title(), caption);
        QCOMPARE(form->centralWidget()->size(), twips::sizeToPixels(6600, 5985));
    }

    void everySlotRowHasItsControls()
    {
        WorkingFolder folder;
        MessageCapture capture;
        OpenWindow form;
        auto* tabs = form.control<QTabBar>(u"TabStrip1"_qs);
        QVERIFY(tabs);
        QCOMPARE(tabs->count(), 3);
        QCOMPARE(tabs->tabText(0), u"01-10"_qs);
        QCOMPARE(tabs->tabText(2), u"21-30"_qs);
        for (int i = 0; i < kSlotCount; ++i) {
            const QString frameName = u"Frame1_"_qs + QString::number(i / 10 + 1);
            auto* check = form.control<QCheckBox>(u"Check1_"_qs + QString::number(i));
            QVERIFY(check);
            QCOMPARE(check->text(), u"コンピュータ番号%1"_qs.arg(i + 1, 2, 10, QLatin1Char('0')));
            QCOMPARE(check->parent()->objectName(), frameName);
            QCOMPARE(form.control<QWidget>(u"Text3_"_qs + QString::number(i))->parent()->objectName(), frameName);
            QCOMPARE(form.control<QWidget>(u"List2_"_qs + QString::number(i))->parent()->objectName(), frameName);
        }
    }

    void loadsTheExampleFile()
    {
        WorkingFolder folder;
        QVERIFY(writeAll(folder.path(kIni), exampleBytes()));
        MessageCapture capture;
        OpenWindow form;
        QVERIFY(capture.messages.isEmpty());
        QCOMPARE(form.value(u"Text1"_qs), QVariant(u"5002"_qs));
        QCOMPARE(form.value(u"Text2"_qs), QVariant(u"5001"_qs));
        QCOMPARE(form.value(u"List1"_qs), QVariant(0));
        for (int i = 0; i < kSlotCount; ++i) {
            const QString n = QString::number(i);
            const bool named = i < 3;
            QCOMPARE(form.value(u"Check1_"_qs + n), QVariant(i < 2));
            QCOMPARE(form.value(u"Text3_"_qs + n),
                     QVariant(named ? u"ROOM2-PC0"_qs + QString::number(i + 1) : QString()));
            QCOMPARE(form.value(u"List2_"_qs + n), QVariant(i < 2 ? 0 : (named ? 1 : -1)));
        }
        QCOMPARE(form->currentTab(), 1);
    }

    void loadingRules_data()
    {
        QTest::addColumn<QString>("fileText");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("port with leading zero") << u"RemotePortx=05000"_qs << u"Text2"_qs << QVariant(u"5000"_qs);
        QTest::newRow("port with a blank") << u"MyHostPortx= 5002"_qs << u"Text1"_qs << QVariant(u"5002"_qs);
        QTest::newRow("negative port") << u"MyHostPortx=-7"_qs << u"Text1"_qs << QVariant(u"-7"_qs);
        QTest::newRow("empty port") << u"RemotePortx="_qs << u"Text2"_qs << QVariant(u"0"_qs);
        QTest::newRow("key without x") << u"RemotePort=5000"_qs << u"Text2"_qs << QVariant(u"0"_qs);
        QTest::newRow("port line missing") << u"ScreenSizex=FullScreen"_qs << u"Text2"_qs << QVariant(QString());
        QTest::newRow("master full screen") << u"ScreenSizex=FullScreen"_qs << u"List1"_qs << QVariant(0);
        QTest::newRow("master lower case") << u"ScreenSizex=fullscreen"_qs << u"List1"_qs << QVariant(1);
        QTest::newRow("master empty mode") << u"ScreenSizex="_qs << u"List1"_qs << QVariant(1);
        QTest::newRow("master line missing") << u"RemotePortx=1"_qs << u"List1"_qs << QVariant(-1);
        QTest::newRow("flag 1 without name ticks")
            << u"ChildComp05=1,FullScreen"_qs << u"Check1_4"_qs << QVariant(true);
        QTest::newRow("name of one blank is empty") << u"ChildComp05=1 ,FullScreen"_qs << u"List2_4"_qs << QVariant(-1);
        QTest::newRow("flag 0 leaves unticked")
            << u"ChildComp07=0ROOM2-PC07,WindowScreen"_qs << u"Check1_6"_qs << QVariant(false);
        QTest::newRow("slot line name") << u"ChildComp07=0ROOM2-PC07,WindowScreen"_qs << u"Text3_6"_qs
                                        << QVariant(u"ROOM2-PC07"_qs);
        QTest::newRow("later line's name wins")
            << u"ChildComp09=1A,FullScreen\r\nChildComp09=0B,WindowScreen"_qs << u"Text3_8"_qs << QVariant(u"B"_qs);
        QTest::newRow("any 1 keeps the tick")
            << u"ChildComp09=1A,FullScreen\r\nChildComp09=0B,WindowScreen"_qs << u"Check1_8"_qs << QVariant(true);
        QTest::newRow("later line's mode wins")
            << u"ChildComp09=1A,FullScreen\r\nChildComp09=0B,WindowScreen"_qs << u"List2_8"_qs << QVariant(1);
        QTest::newRow("double-byte name")
            << u"ChildComp30=1教室ＰＣ①,FullScreen"_qs << u"Text3_29"_qs << QVariant(u"教室ＰＣ①"_qs);
        QTest::newRow("slot out of range ignored")
            << u"ChildComp31=1X,FullScreen\r\nChildComp01=0Y,"_qs << u"Check1_0"_qs << QVariant(false);
    }
    void loadingRules()
    {
        QFETCH(QString, fileText);
        QFETCH(QString, control);
        QFETCH(QVariant, expected);
        WorkingFolder folder;
        QVERIFY(writeAll(folder.path(kIni), cp932::encode(u"[ChildComp]\r\n"_qs + fileText + u"\r\n"_qs)));
        MessageCapture capture;
        OpenWindow form;
        QVERIFY(capture.messages.isEmpty());
        QCOMPARE(form.value(control), expected);
    }

    void unreadableFileGivesAnEmptyWindow_data()
    {
        QTest::addColumn<bool>("missing");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("missing") << true << QStringList{u"INIファイルがありません"_qs};
        QTest::newRow("folder in its place") << false << QStringList{};
    }
    void unreadableFileGivesAnEmptyWindow()
    {
        QFETCH(bool, missing);
        QFETCH(QStringList, messages);
        WorkingFolder folder;
        if (!missing)
            QVERIFY(QDir().mkdir(folder.path(kIni)));
        MessageCapture capture;
        OpenWindow form;
        QCOMPARE(capture.texts(), messages);
        for (const CapturedMessage& message : capture.messages)
            QCOMPARE(message.title, u"Quillharbour_Masterからのメッセージ"_qs);
        QCOMPARE(form.value(u"Text1"_qs), QVariant(QString()));
        QCOMPARE(form.value(u"Text2"_qs), QVariant(QString()));
        QStringList lists = slotNames("List2");
        lists << u"List1"_qs;
        for (const QString& name : lists) {
            auto* list = form.control<tool::ModeList>(name);
            QCOMPARE(list->modeIndex(), -1);
            QCOMPARE(list->count(), 2);
            QCOMPARE(list->item(0)->text(), u"全画面表示"_qs);
            QCOMPARE(list->item(1)->text(), u"ウィンドウ表示"_qs);
        }
        for (int i = 0; i < kSlotCount; ++i) {
            QCOMPARE(form.value(u"Check1_"_qs + QString::number(i)), QVariant(false));
            QCOMPARE(form.value(u"Text3_"_qs + QString::number(i)), QVariant(QString()));
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
        WorkingFolder folder;
        QVERIFY(writeAll(folder.path(kIni), exampleBytes()));
        OpenWindow form;
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        auto* tabs = form.control<QTabBar>(u"TabStrip1"_qs);
        for (int tab : clickedTabs)
            QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(tab - 1).center());
        QCOMPARE(form->currentTab(), shownFrame);
        QCOMPARE(tabs->currentIndex(), shownFrame - 1);
        for (int frame = 1; frame <= 3; ++frame)
            QCOMPARE(form.control<QWidget>(u"Frame1_"_qs + QString::number(frame))->isVisible(), frame == shownFrame);
        const QString firstSlot = QString::number((shownFrame - 1) * 10);
        QVERIFY(form.control<QWidget>(u"Check1_"_qs + firstSlot)->isVisible());
    }

    void scrollStepFlipsTheSelection_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("after");
        const int down = QAbstractSlider::SliderSingleStepAdd;
        const int up = QAbstractSlider::SliderSingleStepSub;
        QTest::newRow("none, down arrow") << u"List2_20"_qs << -1 << down << 0;
        QTest::newRow("none, up arrow") << u"List2_20"_qs << -1 << up << 0;
        QTest::newRow("window, up arrow") << u"List2_2"_qs << 1 << up << 0;
        QTest::newRow("window, down arrow at the end") << u"List2_2"_qs << 1 << down << 0;
        QTest::newRow("full screen, down arrow") << u"List2_0"_qs << 0 << down << 1;
        QTest::newRow("full screen, up arrow at the end") << u"List2_0"_qs << 0 << up << 1;
        QTest::newRow("master, page step") << u"List1"_qs << 0 << int(QAbstractSlider::SliderPageStepAdd) << 1;
        QTest::newRow("thumb moved") << u"List2_1"_qs << 0 << int(QAbstractSlider::SliderMove) << 1;
    }
    void scrollStepFlipsTheSelection()
    {
        QFETCH(QString, list);
        QFETCH(int, before);
        QFETCH(int, action);
        QFETCH(int, after);
        WorkingFolder folder;
        QVERIFY(writeAll(folder.path(kIni), exampleBytes()));
        OpenWindow form;
        auto* modeList = form.control<tool::ModeList>(list);
        QCOMPARE(modeList->modeIndex(), before);
        modeList->verticalScrollBar()->triggerAction(QAbstractSlider::SliderAction(action));
        QCOMPARE(modeList->modeIndex(), after);
        // The row in view is the selected one.
        QCOMPARE(modeList->verticalScrollBar()->value(), after);
        modeList->verticalScrollBar()->triggerAction(QAbstractSlider::SliderAction(action));
        QCOMPARE(modeList->modeIndex(), tool::steppedModeIndex(after));
    }

    void wheelStepsLikeTheArrows_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("angle");
        QTest::addColumn<int>("after");
        QTest::newRow("none, wheel down") << -1 << -120 << 0;
        QTest::newRow("full screen, wheel up at the end") << 0 << 120 << 1;
        QTest::newRow("window, wheel down at the end") << 1 << -120 << 0;
    }
    void wheelStepsLikeTheArrows()
    {
        QFETCH(int, before);
        QFETCH(int, angle);
        QFETCH(int, after);
        WorkingFolder folder;
        MessageCapture capture;
        OpenWindow form;
        auto* modeList = form.control<tool::ModeList>(u"List2_7"_qs);
        modeList->setModeIndex(before);
        const QPointF at = modeList->viewport()->rect().center();
        QWheelEvent wheel(at, modeList->viewport()->mapToGlobal(at), {}, {0, angle}, Qt::NoButton, {},
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(modeList->viewport(), &wheel);
        QCOMPARE(modeList->modeIndex(), after);
        QCOMPARE(modeList->verticalScrollBar()->value(), after);
    }

    void clickingTheVisibleItemSelectsIt()
    {
        WorkingFolder folder;
        QVERIFY(writeAll(folder.path(kIni), exampleBytes()));
        OpenWindow form;
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        auto* modeList = form.control<tool::ModeList>(u"List2_5"_qs);
        QCOMPARE(modeList->modeIndex(), -1);
        QTest::mouseClick(modeList->viewport(), Qt::LeftButton, {},
                          modeList->visualItemRect(modeList->item(0)).center());
        QCOMPARE(modeList->modeIndex(), 0);
    }

    void focusOrder()
    {
        WorkingFolder folder;
        MessageCapture capture;
        OpenWindow form;
        QStringList expected{u"Text1"_qs, u"Text2"_qs, u"Command1"_qs, u"List1"_qs, u"TabStrip1"_qs};
        for (int i = 0; i < kSlotCount; ++i) {
            const QString n = QString::number(i);
            if (i < 10)
                expected << u"List2_"_qs + n << u"Text3_"_qs + n;
            else
                expected << u"Text3_"_qs + n << u"List2_"_qs + n;
        }
        expected << u"Command2"_qs << slotNames("Check1");
        QStringList chain;
        QWidget* widget = form.control<QWidget>(u"Text1"_qs);
        do {
            if (expected.contains(widget->objectName()) && !chain.contains(widget->objectName()))
                chain << widget->objectName();
            widget = widget->nextInFocusChain();
        } while (widget != form.control<QWidget>(u"Text1"_qs));
        QCOMPARE(chain, expected);
    }

    void menus_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("menu");
        QTest::addColumn<int>("position");
        QTest::newRow("Menu10") << u"Menu10"_qs << u"ﾌｧｲﾙ"_qs << QString() << 0;
        QTest::newRow("Menu11") << u"Menu11"_qs << u"終了"_qs << u"Menu10"_qs << 0;
        QTest::newRow("Menu00") << u"Menu00"_qs << u"ヘルプ"_qs << QString() << 1;
        QTest::newRow("Menu03") << u"Menu03"_qs << u"ヘルプ"_qs << u"Menu00"_qs << 0;
        QTest::newRow("Menu01") << u"Menu01"_qs << u"About..."_qs << u"Menu00"_qs << 1;
    }
    void menus()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, menu);
        QFETCH(int, position);
        WorkingFolder folder;
        MessageCapture capture;
        OpenWindow form;
        const QList<QAction*> actions =
            menu.isEmpty() ? form->menuBar()->actions() : form.control<QMenu>(menu)->actions();
        QVERIFY(position < actions.size());
        QAction* action = actions[position];
        const QString actionName = action->menu() ? action->menu()->objectName() : action->objectName();
        QCOMPARE(actionName, name);
        QCOMPARE(action->text(), caption);
        QVERIFY(action->isEnabled());
        QVERIFY(!action->isCheckable());
        QVERIFY(action->shortcut().isEmpty());
    }

    void command1EndsTheProgramAtOnce()
    {
        WorkingFolder folder;
        QVERIFY(writeAll(folder.path(kIni), exampleBytes()));
        OpenWindow form;
        form->show();
        form.control<QAction>(u"Menu01"_qs)->trigger(); // an open About box must not keep the program alive
        QVERIFY(aboutBox());
        QTimer::singleShot(0, form.get(),
                           [&form] { QTest::mouseClick(form.control<QPushButton>(u"Command1"_qs), Qt::LeftButton); });
        QCOMPARE(runEventLoop(), 0);
        QVERIFY(form.isOpen());
        QVERIFY(readAll(folder.path(kIni)) == exampleBytes());
    }

    void exitClosesOnlyTheWindow_data()
    {
        QTest::addColumn<bool>("byMenu");
        QTest::newRow("menu 終了") << true;
        QTest::newRow("title bar") << false;
    }
    void exitClosesOnlyTheWindow()
    {
        QFETCH(bool, byMenu);
        WorkingFolder folder;
        QVERIFY(writeAll(folder.path(kIni), exampleBytes()));
        OpenWindow form;
        form->show();
        // The help menu's About box: one box however often it is asked for.
        form.control<QAction>(u"Menu01"_qs)->trigger();
        const QPointer<frmAbout> about = aboutBox();
        QVERIFY(about && about->isVisible());
        QCOMPARE(about->windowTitle(), u"Quillharbour_Master_Toolのﾊﾞｰｼﾞｮﾝ情報"_qs);
        form.control<QAction>(u"Menu01"_qs)->trigger();
        QCOMPARE(aboutBox(), about.data());
        form.control<QLineEdit>(u"Text1"_qs)->setText(u"7777"_qs);
        bool stillRunning = false;
        QTimer::singleShot(0, qApp, [&] {
            if (byMenu)
                form.control<QAction>(u"Menu11"_qs)->trigger();
            else
                form->close();
            // Runs after the closed window was deleted: the program runs on while the About box is open.
            QTimer::singleShot(0, about.data(), [&] {
                stillRunning = about && about->isVisible() && !form.isOpen();
                about->cmdOK_Click();
            });
        });
        QCOMPARE(runEventLoop(), 0);
        QVERIFY(stillRunning);
        QVERIFY(!form.isOpen());
        QVERIFY(readAll(folder.path(kIni)) == exampleBytes()); // neither way saves
    }

    void helpStartsTheViewerWithTheBareName()
    {
        WorkingFolder folder;
        QVERIFY(writeAll(folder.path(kIni), exampleBytes()));
        // A stand-in viewer that notes what it was started with and where.
        const QString viewer = folder.path(u"viewer.sh"_qs);
        QVERIFY(writeAll(viewer, "#!/bin/sh\n{ echo \"$#\"; printf '%s\\n' \"$@\"; pwd; } > \"$0.part\"\n"
                                 "mv \"$0.part\" \"$0.out\"\n"));
        QVERIFY(QFile::setPermissions(viewer, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        tool::setHelpViewerProgram(viewer);
        MessageCapture capture;
        OpenWindow form;
        form.control<QAction>(u"Menu03"_qs)->trigger();
        QTRY_VERIFY(QFile::exists(viewer + u".out"_qs));
        tool::setHelpViewerProgram({});
        const QByteArray expected = "1\nQuillharbour_Master.hlp\n" + QFile::encodeName(QDir::currentPath()) + '\n';
        QCOMPARE(readAll(viewer + u".out"_qs), expected);
        QVERIFY(capture.messages.isEmpty());
        QVERIFY(form.isOpen());
    }

    void helpThatCannotStartShowsNothing()
    {
        WorkingFolder folder;
        QVERIFY(writeAll(folder.path(kIni), exampleBytes()));
        const QString viewer = folder.path(u"no-such-viewer"_qs);
        tool::setHelpViewerProgram(viewer);
        MessageCapture capture;
        OpenWindow form;
        QVERIFY(!tool::startHelpViewer());
        form.control<QAction>(u"Menu03"_qs)->trigger();
        tool::setHelpViewerProgram({});
        QVERIFY(capture.messages.isEmpty());
        QVERIFY(form.isOpen());
    }

    void helpViewerIsFoundBesideTheProgramOrOnPath()
    {
        tool::setHelpViewerProgram({});
        const QString beside = QCoreApplication::applicationDirPath() + u"/Quillharbour_Help"_qs;
        QCOMPARE(tool::helpViewerProgram(), QFileInfo(beside).isExecutable() ? beside : u"Quillharbour_Help"_qs);
        tool::setHelpViewerProgram(u"/opt/viewer"_qs);
        QCOMPARE(tool::helpViewerProgram(), u"/opt/viewer"_qs);
        tool::setHelpViewerProgram({});
    }

private:
    static QString kToolTitle() { return u"Quillharbour_Master_Tool"_qs; }
};

QTEST_MAIN(TestToolWindow)
#include "test_toolwindow.moc"
