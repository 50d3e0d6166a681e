#include "common/aboutbox.h"
#include "master/clicklabel.h"
#include "master/controlpanel.h"
#include "master/panelwindow.h"
#include "tests/support/loopback.h"
#include "tests/support/loopbackpresenter.h"
#include "tests/support/messagecapture.h"
#include "tests/support/testfiles.h"
#include "tests/support/toolfixture.h"

#include <QAccessible>
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace qh;
using namespace qh::master;
using namespace qh::test;
using namespace Qt::StringLiterals;

namespace {
const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);
const QString kPageAddress = u"http://example.com/ページ2.html"_s;

QColor colorOf(const QWidget* widget)
{
    return widget->palette().color(QPalette::Active, QPalette::WindowText);
}

QColor defaultColor()
{
    return colorOf(std::make_unique<QLabel>().get());
}

QColor backgroundOf(const QWidget* widget)
{
    return widget->palette().color(QPalette::Active, QPalette::Window);
}

QColor defaultBackground()
{
    return backgroundOf(std::make_unique<QLabel>().get());
}
} // namespace

// The panel drives a LoopbackPresenter whose sends are real datagrams: slot k's computer PC<k+1>
// is 127.0.0.<k+2>, and one listener at the child port stands for all 30 of them.
class TestControlPanel : public QObject
{
    Q_OBJECT
private:
    ChildrenListener m_children;
    std::unique_ptr<LoopbackPresenter> m_presenter;
    std::unique_ptr<ControlPanel> m_panel;

    ClickLabel* label(int index) const { return m_panel->window()->slotLabel(index); }
    void click(int index) { QTest::mouseClick(label(index), Qt::LeftButton); }
    ChildSlot& slot(int index) { return m_presenter->childSlots.at(index); }

    void prepareAndShow()
    {
        m_panel->prepare();
        m_panel->toggle();
    }

private slots:
    void initTestCase()
    {
        quietOffscreenWarnings();
        QVERIFY(m_children.bindFreePort() != 0);
    }

    void init()
    {
        m_presenter = std::make_unique<LoopbackPresenter>();
        m_presenter->childPort = m_children.port();
        m_presenter->screenModeText = u"FullScreen"_s;
        m_presenter->location = kPageAddress;
        for (int index = 0; index < kSlotCount; ++index) {
            const QString name = u"PC%1"_s.arg(index + 1, 2, 10, QLatin1Char('0'));
            slot(index) = {name, u"WindowScreen"_s, u"0"_s, false};
            m_presenter->hosts.insert(name, QHostAddress(u"127.0.0.%1"_s.arg(index + 2)));
        }
        m_children.clear();
        m_panel = std::make_unique<ControlPanel>(*m_presenter);
    }

    void cleanup()
    {
        m_panel.reset();
        m_presenter.reset();
        for (AboutBox* box : shownAboutBoxes())
            box->accept();
    }

    void menus()
    {
        m_panel->prepare();
        PanelWindow* panel = m_panel->window();
        auto* screenMenu = panel->findChild<QMenu*>(u"Menu11"_s);
        QCOMPARE(screenMenu->title(), u"画面サイズ"_s);
        QCOMPARE(screenMenu->actions(), (QList<QAction*>{panel->fullScreenAction(), panel->windowAction()}));
        QCOMPARE(panel->fullScreenAction()->text(), u"全画面表示"_s);
        QCOMPARE(panel->windowAction()->text(), u"ウィンドウ表示"_s);
        // "About..." stands on the menu bar itself, with no items under it.
        // Our own menus come after the described ones.
        QCOMPARE(panel->menuBar()->actions().first(2),
                 (QList<QAction*>{screenMenu->menuAction(), panel->aboutAction()}));
        QCOMPARE(panel->aboutAction()->text(), u"About..."_s);
        QVERIFY(!panel->aboutAction()->menu());

        // The pointer's item switches it through the presenter, and a panel built anew shows it on.
        auto* classMenu = panel->findChild<QMenu*>(u"classMenu"_s);
        QCOMPARE(panel->menuBar()->actions().mid(2), QList<QAction*>{classMenu->menuAction()});
        QCOMPARE(classMenu->title(), u"クラス"_s);
        QCOMPARE(classMenu->actions().first(), panel->pointerAction());
        QCOMPARE(panel->pointerAction()->text(), u"ポインターを表示"_s);
        QCOMPARE(panel->pointerAction()->shortcut(), QKeySequence(u"Ctrl+L"_s));
        panel->pointerAction()->trigger();
        QVERIFY(m_presenter->pointerOn);
        m_panel->toggle();
        panel->close();
        m_panel->toggle();
        QVERIFY(m_panel->window()->pointerAction()->isChecked());
        m_panel->showPointerOn(false);
        QVERIFY(!m_panel->window()->pointerAction()->isChecked());
    }

    void preparationMarksEachSlot_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("flag");
        QTest::addColumn<QString>("color"); // "blue", "red" or "default"
        QTest::addColumn<bool>("enabled");
        QTest::newRow("on") << u"PC08"_s << u"1"_s << u"blue"_s << true;
        QTest::newRow("off") << u"PC08"_s << u"0"_s << u"red"_s << true;
        QTest::newRow("blank flag") << u"PC08"_s << u" "_s << u"default"_s << true;
        QTest::newRow("empty flag") << u"PC08"_s << QString() << u"default"_s << true;
        QTest::newRow("other flag") << u"PC08"_s << u"2"_s << u"default"_s << true;
        QTest::newRow("on, no name") << QString() << u"1"_s << u"blue"_s << false;
        QTest::newRow("off, blank name") << u" "_s << u"0"_s << u"red"_s << false;
        QTest::newRow("nothing") << QString() << QString() << u"default"_s << false;
        QTest::newRow("two blanks are a name") << u"  "_s << u"1"_s << u"blue"_s << true;
    }

    void preparationMarksEachSlot()
    {
        QFETCH(QString, name);
        QFETCH(QString, flag);
        QFETCH(QString, color);
        QFETCH(bool, enabled);
        slot(7).computerName = name;
        slot(7).inUse = flag;
        slot(8).inUse = u"1"_s;
        m_panel->prepare();
        QCOMPARE(colorOf(label(7)), color == u"blue" ? kBlue : color == u"red" ? kRed : defaultColor());
        QCOMPARE(label(7)->isEnabled(), enabled);
        // The neighbours keep their own marks.
        QCOMPARE(colorOf(label(6)), kRed);
        QCOMPARE(colorOf(label(8)), kBlue);
        QVERIFY(label(6)->isEnabled());
        QVERIFY(!m_panel->window()->isVisible());
        QVERIFY(!m_panel->isShown());
        QCOMPARE(m_presenter->sendCount, 0);
    }

    // A click on slot 5's label switches its child: off with one command, on with a command and the
    // page the browser shows. The label's colour and the flag follow even when the send fails.
    void clickSwitchesTheChild_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("flag");
        QTest::addColumn<QString>("location");
        QTest::addColumn<QByteArrayList>("received"); // by 127.0.0.6, the only child to hear anything
        QTest::addColumn<int>("messages");
        const QByteArray page = "http://example.com/\x83\x79\x81\x5b\x83\x57"
                                "2.html";
        QTest::newRow("on to off") << u"PC05"_s << u"1"_s << kPageAddress << QByteArrayList{"Command:VisibleFalse"}
                                   << 0;
        QTest::newRow("off to on") << u"PC05"_s << u"0"_s << kPageAddress << QByteArrayList{"Command:VisibleTrue", page}
                                   << 0;
        QTest::newRow("unmarked to on, a followed link")
            << u"PC05"_s << u" "_s << u"http://example.com/followed-link.html"_s
            << QByteArrayList{"Command:VisibleTrue", "http://example.com/followed-link.html"} << 0;
        QTest::newRow("on without a page shown")
            << u"PC05"_s << u"0"_s << QString() << QByteArrayList{"Command:VisibleTrue"} << 0;
        QTest::newRow("off, name not found") << u"NOSUCHPC"_s << u"1"_s << kPageAddress << QByteArrayList{} << 1;
        QTest::newRow("on, name not found") << u"NOSUCHPC"_s << u"0"_s << kPageAddress << QByteArrayList{} << 2;
    }

    void clickSwitchesTheChild()
    {
        QFETCH(QString, name);
        QFETCH(QString, flag);
        QFETCH(QString, location);
        QFETCH(QByteArrayList, received);
        QFETCH(int, messages);
        slot(4).computerName = name;
        slot(4).inUse = flag;
        m_presenter->location = location;
        prepareAndShow();
        MessageCapture capture;
        click(4);
        QByteArrayList expected;
        for (const QByteArray& payload : received)
            expected.append("127.0.0.6 " + payload);
        QCOMPARE(m_children.received(), expected);
        QCOMPARE(capture.texts(), QStringList(messages, u"コンピュータ名NOSUCHPCがみつかりません"_s));
        const bool switchedOn = flag != u"1";
        QCOMPARE(slot(4).inUse, switchedOn ? u"1"_s : u"0"_s);
        QCOMPARE(colorOf(label(4)), switchedOn ? kBlue : kRed);
    }

    void slotWithoutAComputerStaysInert_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("flag");
        QTest::addColumn<bool>("rebuilt"); // a rebuilt panel has every label enabled
        QTest::newRow("empty name, on") << QString() << u"1"_s << false;
        QTest::newRow("blank name, off") << u" "_s << u"0"_s << false;
        QTest::newRow("empty name, on, rebuilt") << QString() << u"1"_s << true;
        QTest::newRow("blank name, off, rebuilt") << u" "_s << u"0"_s << true;
    }

    void slotWithoutAComputerStaysInert()
    {
        QFETCH(QString, name);
        QFETCH(QString, flag);
        QFETCH(bool, rebuilt);
        slot(20).computerName = name;
        slot(20).inUse = flag;
        m_panel->prepare();
        if (rebuilt)
            QVERIFY(m_panel->window()->close());
        m_panel->toggle();
        QCOMPARE(label(20)->isEnabled(), rebuilt);
        const QColor before = colorOf(label(20));
        click(20);
        m_panel->switchChild(20); // as a click that got past a disabled label would
        QCOMPARE(m_presenter->sendCount, 0);
        QCOMPARE(slot(20).inUse, flag);
        QCOMPARE(colorOf(label(20)), before);
    }

    // PANEL hides the panel and shows it again as it was. The close box discards it: PANEL then
    // builds it anew from its layout, unmarked, and the slots keep their flags.
    void hiddenPanelKeepsItsMarksClosedPanelIsRebuilt()
    {
        slot(4).inUse = u"1"_s;
        slot(2).computerName = QString();
        prepareAndShow();
        PanelWindow* panel = m_panel->window();
        click(5); // off -> on
        panel->windowAction()->trigger();
        m_panel->toggle();
        QVERIFY(!panel->isVisible());
        QVERIFY(!m_panel->isShown());
        m_panel->toggle();
        QVERIFY(m_panel->isShown());
        QCOMPARE(m_panel->window(), panel); // only hidden, not discarded
        QVERIFY(panel->isVisible());
        QCOMPARE(colorOf(label(4)), kBlue);
        QCOMPARE(colorOf(label(5)), kBlue);
        QCOMPARE(colorOf(label(6)), kRed);
        QVERIFY(!label(2)->isEnabled());
        QVERIFY(panel->windowAction()->isChecked());

        QPointer<PanelWindow> closed = panel;
        QVERIFY(panel->close());
        QVERIFY(!m_panel->isShown());
        QVERIFY(!m_panel->window());
        QTRY_VERIFY(!closed);
        m_panel->toggle();
        QVERIFY(m_panel->isShown());
        QVERIFY(m_panel->window()->isVisible());
        for (int index = 0; index < kSlotCount; ++index) {
            QCOMPARE(colorOf(label(index)), defaultColor());
            QVERIFY(label(index)->isEnabled());
        }
        QVERIFY(m_panel->window()->fullScreenAction()->isChecked());
        QVERIFY(!m_panel->window()->windowAction()->isChecked());
        m_children.clear();
        click(4);
        QCOMPARE(m_children.received(), QByteArrayList{"127.0.0.6 Command:VisibleFalse"});
        QCOMPARE(colorOf(label(4)), kRed);
        QCOMPARE(slot(4).inUse, u"0"_s);
    }

    // Each choice sets the browser's mode again, even the one already checked; the children hear
    // nothing of it.
    void screenModeMenu()
    {
        prepareAndShow();
        QAction* fullScreen = m_panel->window()->fullScreenAction();
        QAction* window = m_panel->window()->windowAction();
        for (QAction* chosen : {fullScreen, window, window, fullScreen}) {
            chosen->trigger();
            QVERIFY(chosen->isChecked());
            QVERIFY(!(chosen == fullScreen ? window : fullScreen)->isChecked());
        }
        QCOMPARE(m_presenter->fullScreenSettings, (QList<bool>{true, false, false, true}));
        QCOMPARE(m_presenter->sendCount, 0);
    }

    // Each way a child follows has a background of its own under the label's text colour, and a
    // tooltip, which is also the label's accessible description.
    void labelsTellHowChildrenFollow()
    {
        const QByteArray current = "http://class/b.html";
        auto& followings = m_presenter->followings;
        followings[0] = {FollowState::Following, true, false, current, 2500};
        followings[1] = {FollowState::OtherPage, true, false, "http://class/a.html", 0};
        followings[2] = {FollowState::Silent, true, false, current, 12000};
        followings[3] = {FollowState::Unknown, false, false, {}, 0};
        followings[4] = {FollowState::SwitchedOff, true, true, {}, 1000};
        for (int index = 0; index < 4; ++index)
            slot(index).inUse = u"1"_s;
        prepareAndShow();
        const QStringList toolTips{u"01 PC01: 追従中\nhttp://class/b.html（2秒前）"_s,
                                   u"02 PC02: 別のページ\nhttp://class/a.html（0秒前）"_s,
                                   u"03 PC03: 応答なし\nhttp://class/b.html（12秒前）"_s, u"04 PC04: 不明"_s,
                                   u"05 PC05: 停止中\n起動しました（1秒前）"_s};
        QList<QColor> backgrounds{defaultBackground()};
        for (int index = 0; index < 5; ++index) {
            QCOMPARE(label(index)->toolTip(), toolTips[index]);
            QCOMPARE(QAccessible::queryAccessibleInterface(label(index))->text(QAccessible::Description),
                     toolTips[index]);
            QVERIFY(label(index)->autoFillBackground());
            QVERIFY2(!backgrounds.contains(backgroundOf(label(index))), qPrintable(toolTips[index]));
            backgrounds.append(backgroundOf(label(index)));
            QCOMPARE(colorOf(label(index)), index < 4 ? kBlue : kRed);
        }
    }

    // While the panel is shown the labels follow the reports once a second, without a click; while
    // it is hidden or closed nothing runs, and showing it again shows the latest at once.
    void labelsFollowOnlyWhileThePanelIsShown()
    {
        slot(0).inUse = u"1"_s;
        prepareAndShow();
        auto* refresh = m_panel->findChild<QTimer*>();
        QVERIFY(refresh && refresh->isActive());
        QCOMPARE(label(0)->toolTip(), u"01 PC01: 不明"_s);
        m_presenter->followings[0] = {FollowState::Following, true, false, "http://class/b.html", 0};
        QTRY_COMPARE(label(0)->toolTip(), u"01 PC01: 追従中\nhttp://class/b.html（0秒前）"_s);
        m_panel->toggle();
        QVERIFY(!refresh->isActive());
        m_presenter->followings[0].ageMs = 4000;
        m_panel->toggle();
        QVERIFY(refresh->isActive());
        QCOMPARE(label(0)->toolTip(), u"01 PC01: 追従中\nhttp://class/b.html（4秒前）"_s);
        QVERIFY(m_panel->window()->close());
        QVERIFY(!refresh->isActive());
        m_presenter->followings[0].state = FollowState::Silent;
        m_panel->toggle();
        QCOMPARE(label(0)->toolTip(), u"01 PC01: 応答なし\nhttp://class/b.html（4秒前）"_s);
    }

    void aboutOpensWithoutBlockingThePanel()
    {
        slot(4).inUse = u"1"_s;
        prepareAndShow();
        QVERIFY(shownAboutBoxes().isEmpty());
        m_panel->window()->aboutAction()->trigger();
        QCOMPARE(shownAboutBoxes().size(), 1);
        QVERIFY(!shownAboutBoxes().first()->isModal());
        // The panel goes on working while the box is open.
        click(4);
        QCOMPARE(m_children.received(), QByteArrayList{"127.0.0.6 Command:VisibleFalse"});
    }
};

QTEST_MAIN(TestControlPanel)
#include "test_controlpanel.moc"
