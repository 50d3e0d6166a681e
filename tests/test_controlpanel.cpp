#include "bgrcolor.h"
#include "clicklabel.h"
#include "controlpanel.h"
#include "form2.h"
#include "frmabout.h"
#include "loopbackpresenter.h"
#include "messagebox.h"
#include "testutil.h"
#include "twips.h"
#include "udptestutil.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTest>

#include <memory>

using namespace qh;
using namespace qh::master;

namespace {

const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);
const QString kPageAddress = u"http://example.com/ページ2.html"_qs;

QColor defaultTextColor()
{
    QLabel fresh;
    return textColor(&fresh);
}

QString computerName(int slot)
{
    return u"PC%1"_qs.arg(slot + 1, 2, 10, QLatin1Char('0'));
}

} // namespace

// The panel drives a LoopbackPresenter whose sends are real datagrams; each child slot has its own
// listener on its own loopback address (127.0.0.2 to 127.0.0.31) at one child port, like 30
// computers.
class TestControlPanel : public QObject
{
    Q_OBJECT
private:
    std::array<std::unique_ptr<test::DatagramRecorder>, kSlotCount> m_children;
    std::unique_ptr<test::LoopbackPresenter> m_presenter;
    std::unique_ptr<ControlPanel> m_panel;
    int m_markerNumber = 0;

    ClickLabel* label(int index) const { return m_panel->form()->Label1(index); }

    void click(int index) { QTest::mouseClick(label(index), Qt::LeftButton); }

    // What the slot's child received since the last call: a marker is sent after it and waited for.
    QList<QByteArray> datagramsTo(int slot)
    {
        const QByteArray marker = "marker" + QByteArray::number(++m_markerNumber);
        if (!m_presenter->sendMarker(slot, marker))
            return {"(no marker could be sent)"};
        QList<QByteArray>& received = m_children.at(slot)->received;
        if (!QTest::qWaitFor([&received, &marker] { return received.contains(marker); }, 10000))
            return {"(the marker did not arrive)"};
        received.removeOne(marker);
        return std::exchange(received, {});
    }

private slots:
    void initTestCase()
    {
        test::quietOffscreenWarnings();
        // One port free on all 30 addresses; another program may hold it on one of them, so a
        // port that fails anywhere is given up for the next.
        for (int attempt = 0; attempt < 20; ++attempt) {
            m_children[0] = std::make_unique<test::DatagramRecorder>(QHostAddress(u"127.0.0.2"_qs));
            QVERIFY(m_children[0]->isBound());
            const quint16 childPort = m_children[0]->port();
            bool allBound = true;
            for (int slot = 1; slot < kSlotCount && allBound; ++slot) {
                m_children[slot] =
                    std::make_unique<test::DatagramRecorder>(QHostAddress(u"127.0.0.%1"_qs.arg(slot + 2)), childPort);
                allBound = m_children[slot]->isBound();
            }
            if (allBound)
                return;
            for (auto& child : m_children)
                child.reset();
        }
        QFAIL("no child port was free on all 30 loopback addresses");
    }

    void init()
    {
        m_presenter = std::make_unique<test::LoopbackPresenter>();
        m_presenter->childPort = m_children[0]->port();
        m_presenter->screenSizeText = u"FullScreen"_qs;
        m_presenter->location = kPageAddress;
        for (int slot = 0; slot < kSlotCount; ++slot) {
            m_presenter->childSlots[slot] = {computerName(slot), u"WindowScreen"_qs, u"0"_qs, false};
            m_presenter->hosts.insert(computerName(slot), m_children[slot]->address());
            m_children[slot]->received.clear();
        }
        m_panel = std::make_unique<ControlPanel>(*m_presenter);
    }

    void cleanup()
    {
        m_panel.reset();
        m_presenter.reset();
        if (frmAbout* box = aboutBox())
            box->cmdOK_Click();
    }

    void layoutFollowsTheTwips()
    {
        m_panel->prepare();
        m_panel->Command2_Click();
        Form2* panel = m_panel->form();
        QCOMPARE(panel->windowTitle(), u"Quillharbour_Master PANEL"_qs);
        QCOMPARE(panel->centralWidget()->size(), twips::sizeToPixels(3750, 1185));
        QVERIFY(!(panel->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(panel->windowFlags() & Qt::WindowMaximizeButtonHint));
        for (int index = 0; index < kSlotCount; ++index) {
            auto* found = panel->findChild<ClickLabel*>(u"Label1(%1)"_qs.arg(index));
            QCOMPARE(found, label(index));
            QCOMPARE(found->text(), u"%1"_qs.arg(index + 1, 2, 10, QLatin1Char('0')));
            const int width = (index == 0 || index == 10) ? 135 : 255;
            QCOMPARE(found->geometry(),
                     twips::rectToPixels(120 + 360 * (index % 10), 120 + 360 * (index / 10), width, 255));
        }
        auto* menu11 = panel->findChild<QMenu*>(u"Menu11"_qs);
        QVERIFY(menu11);
        QCOMPARE(menu11->title(), u"画面サイズ"_qs);
        QCOMPARE(menu11->actions(), (QList<QAction*>{panel->Menu12(), panel->Menu13()}));
        QCOMPARE(panel->Menu12()->text(), u"全画面表示"_qs);
        QCOMPARE(panel->Menu13()->text(), u"ウィンドウ表示"_qs);
        // "About..." stands on the menu bar itself, with no items under it.
        QCOMPARE(panel->menuBar()->actions(), (QList<QAction*>{menu11->menuAction(), panel->Menu01()}));
        QCOMPARE(panel->Menu01()->text(), u"About..."_qs);
        QVERIFY(!panel->Menu01()->menu());
    }

    void preparationMarksEachSlot_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("flag");
        QTest::addColumn<QString>("color"); // "blue", "red" or "default"
        QTest::addColumn<bool>("enabled");
        QTest::newRow("on") << u"PC08"_qs << u"1"_qs << u"blue"_qs << true;
        QTest::newRow("off") << u"PC08"_qs << u"0"_qs << u"red"_qs << true;
        QTest::newRow("blank flag") << u"PC08"_qs << u" "_qs << u"default"_qs << true;
        QTest::newRow("empty flag") << u"PC08"_qs << QString() << u"default"_qs << true;
        QTest::newRow("other flag") << u"PC08"_qs << u"2"_qs << u"default"_qs << true;
        QTest::newRow("on, no name") << QString() << u"1"_qs << u"blue"_qs << false;
        QTest::newRow("off, blank name") << u" "_qs << u"0"_qs << u"red"_qs << false;
        QTest::newRow("nothing") << QString() << QString() << u"default"_qs << false;
        QTest::newRow("two blanks are a name") << u"  "_qs << u"1"_qs << u"blue"_qs << true;
    }

    void preparationMarksEachSlot()
    {
        QFETCH(QString, name);
        QFETCH(QString, flag);
        QFETCH(QString, color);
        QFETCH(bool, enabled);
        m_presenter->childSlots[7].computerName = name;
        m_presenter->childSlots[7].inUse = flag;
        m_presenter->childSlots[8].inUse = u"1"_qs;
        m_panel->prepare();
        const QColor expected = color == u"blue"_qs ? kBlue : color == u"red"_qs ? kRed : defaultTextColor();
        QCOMPARE(textColor(label(7)), expected);
        QCOMPARE(label(7)->isEnabled(), enabled);
        // The neighbours keep their own marks.
        QCOMPARE(textColor(label(6)), kRed);
        QCOMPARE(textColor(label(8)), kBlue);
        QVERIFY(label(6)->isEnabled());
        QVERIFY(!m_panel->form()->isVisible());
        QVERIFY(!m_panel->PanelShown());
        QCOMPARE(m_presenter->sendCount, 0);
    }

    void checkMarksFollowScreenSize_data()
    {
        QTest::addColumn<QString>("screenSize");
        QTest::addColumn<bool>("fullScreen");
        QTest::newRow("FullScreen") << u"FullScreen"_qs << true;
        QTest::newRow("lower case") << u"fullscreen"_qs << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("WindowScreen") << u"WindowScreen"_qs << false;
        QTest::newRow("trailing blank") << u"FullScreen "_qs << false;
    }

    void checkMarksFollowScreenSize()
    {
        QFETCH(QString, screenSize);
        QFETCH(bool, fullScreen);
        m_presenter->screenSizeText = screenSize;
        m_panel->prepare();
        QCOMPARE(m_panel->form()->Menu12()->isChecked(), fullScreen);
        QCOMPARE(m_panel->form()->Menu13()->isChecked(), !fullScreen);
        QVERIFY(m_presenter->fullScreenSettings.isEmpty());
    }

    void pc05WalkThrough()
    {
        m_presenter->childSlots[4].inUse = u"1"_qs;
        m_panel->prepare();
        m_panel->Command2_Click();
        QVERIFY(m_panel->form()->isVisible());
        QCOMPARE(textColor(label(4)), kBlue);

        click(4);
        QCOMPARE(datagramsTo(4), QList<QByteArray>{"Command:VisibleFalse"});
        QCOMPARE(textColor(label(4)), kRed);
        QCOMPARE(m_presenter->childSlots[4].inUse, u"0"_qs);

        click(4);
        QCOMPARE(datagramsTo(4), (QList<QByteArray>{"Command:VisibleTrue", cp932::encode(kPageAddress)}));
        QCOMPARE(textColor(label(4)), kBlue);
        QCOMPARE(m_presenter->childSlots[4].inUse, u"1"_qs);

        // No other child heard anything.
        for (int slot = 0; slot < kSlotCount; ++slot)
            QVERIFY2(m_children[slot]->received.isEmpty(), qPrintable(computerName(slot)));
        QCOMPARE(m_presenter->sendCount, 3);
    }

    void firstClickOnAnUnmarkedSlotSwitchesOn()
    {
        m_presenter->childSlots[12].inUse = u" "_qs;
        m_presenter->location = u"http://example.com/followed-link.html"_qs;
        m_panel->prepare();
        m_panel->Command2_Click();
        QCOMPARE(textColor(label(12)), defaultTextColor());
        click(12);
        QCOMPARE(datagramsTo(12), (QList<QByteArray>{"Command:VisibleTrue", "http://example.com/followed-link.html"}));
        QCOMPARE(textColor(label(12)), kBlue);
        QCOMPARE(m_presenter->childSlots[12].inUse, u"1"_qs);
    }

    void slotWithoutAComputerStaysInert_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("flag");
        QTest::addColumn<bool>("rebuilt"); // a rebuilt panel has every label enabled
        QTest::newRow("empty name, on") << QString() << u"1"_qs << false;
        QTest::newRow("blank name, off") << u" "_qs << u"0"_qs << false;
        QTest::newRow("empty name, on, rebuilt") << QString() << u"1"_qs << true;
        QTest::newRow("blank name, off, rebuilt") << u" "_qs << u"0"_qs << true;
    }

    void slotWithoutAComputerStaysInert()
    {
        QFETCH(QString, name);
        QFETCH(QString, flag);
        QFETCH(bool, rebuilt);
        m_presenter->childSlots[20].computerName = name;
        m_presenter->childSlots[20].inUse = flag;
        m_panel->prepare();
        if (rebuilt) {
            QVERIFY(m_panel->form()->close());
            QVERIFY(!m_panel->form());
        }
        m_panel->Command2_Click();
        QCOMPARE(label(20)->isEnabled(), rebuilt);
        const QColor before = textColor(label(20));
        click(20);
        m_panel->form()->Label1_Click(20); // straight to the handler, past the disabled label
        QCOMPARE(m_presenter->sendCount, 0);
        QCOMPARE(m_presenter->childSlots[20].inUse, flag);
        QCOMPARE(textColor(label(20)), before);
    }

    void closeBoxDiscardsAndPanelRebuilds()
    {
        m_presenter->screenSizeText = u"WindowScreen"_qs;
        m_presenter->childSlots[4].inUse = u"1"_qs;
        m_presenter->childSlots[2].computerName = QString();
        m_panel->prepare();
        m_panel->Command2_Click();
        QVERIFY(m_panel->PanelShown());
        QPointer<Form2> first = m_panel->form();
        QVERIFY(first->close());
        QVERIFY(!m_panel->PanelShown());
        QVERIFY(!m_panel->form());
        QTRY_VERIFY(!first);

        m_panel->Command2_Click();
        QVERIFY(m_panel->PanelShown());
        Form2* rebuilt = m_panel->form();
        QVERIFY(rebuilt && rebuilt->isVisible());
        for (int index = 0; index < kSlotCount; ++index) {
            QCOMPARE(textColor(label(index)), defaultTextColor());
            QVERIFY(label(index)->isEnabled());
        }
        QVERIFY(rebuilt->Menu12()->isChecked());
        QVERIFY(!rebuilt->Menu13()->isChecked());
        QCOMPARE(m_presenter->childSlots[4].inUse, u"1"_qs);

        click(4);
        QCOMPARE(datagramsTo(4), QList<QByteArray>{"Command:VisibleFalse"});
        QCOMPARE(textColor(label(4)), kRed);
        QCOMPARE(m_presenter->childSlots[4].inUse, u"0"_qs);
    }

    void panelButtonShowsAndHides()
    {
        m_presenter->childSlots[4].inUse = u"1"_qs;
        m_presenter->childSlots[2].computerName = QString();
        m_panel->prepare();
        Form2* panel = m_panel->form();
        m_panel->Command2_Click();
        QVERIFY(panel->isVisible());
        QVERIFY(m_panel->PanelShown());
        click(5); // off -> on
        QCOMPARE(textColor(label(5)), kBlue);
        panel->Menu13()->trigger();

        m_panel->Command2_Click();
        QVERIFY(!panel->isVisible());
        QVERIFY(!m_panel->PanelShown());
        QCOMPARE(m_panel->form(), panel); // only hidden, not discarded

        m_panel->Command2_Click();
        QVERIFY(panel->isVisible());
        QVERIFY(m_panel->PanelShown());
        QCOMPARE(m_panel->form(), panel);
        QCOMPARE(textColor(label(4)), kBlue);
        QCOMPARE(textColor(label(5)), kBlue);
        QCOMPARE(textColor(label(6)), kRed);
        QVERIFY(!label(2)->isEnabled());
        QVERIFY(panel->Menu13()->isChecked());
        QVERIFY(!panel->Menu12()->isChecked());
    }

    void screenModeMenu()
    {
        m_panel->prepare();
        m_panel->Command2_Click();
        Form2* panel = m_panel->form();
        QVERIFY(panel->Menu12()->isChecked());
        panel->Menu12()->trigger(); // already checked: the same assignments again
        QVERIFY(panel->Menu12()->isChecked());
        QVERIFY(!panel->Menu13()->isChecked());
        panel->Menu13()->trigger();
        QVERIFY(!panel->Menu12()->isChecked());
        QVERIFY(panel->Menu13()->isChecked());
        panel->Menu13()->trigger();
        QVERIFY(panel->Menu13()->isChecked());
        panel->Menu12()->trigger();
        QVERIFY(panel->Menu12()->isChecked());
        QVERIFY(!panel->Menu13()->isChecked());
        QCOMPARE(m_presenter->fullScreenSettings, (QList<bool>{true, false, false, true}));
        QCOMPARE(m_presenter->sendCount, 0); // the children hear nothing of it
    }

    void aboutOpensWithoutBlockingThePanel()
    {
        m_presenter->childSlots[4].inUse = u"1"_qs;
        m_panel->prepare();
        m_panel->Command2_Click();
        QVERIFY(!aboutBox());
        m_panel->form()->Menu01()->trigger();
        QVERIFY(aboutBox());
        QVERIFY(aboutBox()->isVisible());
        QVERIFY(!aboutBox()->isModal());
        QCOMPARE(aboutBox()->windowTitle(), u"%1のﾊﾞｰｼﾞｮﾝ情報"_qs.arg(programTitle()));
        // The panel goes on working while the box is open.
        click(4);
        QCOMPARE(datagramsTo(4), QList<QByteArray>{"Command:VisibleFalse"});
    }

    void switchOnWithoutAnAddressSendsOnlyTheCommand()
    {
        // The presenter reports no address only when it has never shown a page.
        m_presenter->location = QString();
        m_panel->prepare();
        m_panel->Command2_Click();
        click(9);
        QCOMPARE(datagramsTo(9), QList<QByteArray>{"Command:VisibleTrue"});
        QCOMPARE(textColor(label(9)), kBlue);
        QCOMPARE(m_presenter->childSlots[9].inUse, u"1"_qs);
    }

    void failedSendStillSwitches_data()
    {
        QTest::addColumn<QString>("flag");
        QTest::addColumn<QString>("newFlag");
        QTest::addColumn<int>("messages");
        QTest::newRow("switch off") << u"1"_qs << u"0"_qs << 1;
        QTest::newRow("switch on") << u"0"_qs << u"1"_qs << 2;
    }

    void failedSendStillSwitches()
    {
        QFETCH(QString, flag);
        QFETCH(QString, newFlag);
        QFETCH(int, messages);
        m_presenter->childSlots[15].computerName = u"NOSUCHPC"_qs;
        m_presenter->childSlots[15].inUse = flag;
        m_panel->prepare();
        m_panel->Command2_Click();
        MessageCapture capture;
        click(15);
        QCOMPARE(capture.texts(), QStringList(messages, u"コンピュータ名NOSUCHPCがみつかりません"_qs));
        QCOMPARE(m_presenter->childSlots[15].inUse, newFlag);
        QCOMPARE(textColor(label(15)), newFlag == u"1"_qs ? kBlue : kRed);
    }
};

QTEST_MAIN(TestControlPanel)
#include "test_controlpanel.moc"
