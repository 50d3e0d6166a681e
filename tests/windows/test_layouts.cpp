// The windows of both programs as they are laid out: every place and size in twips, as the windows
// were drawn, converted at the screen's dpi. One table for all windows.
#include "common/aboutbox.h"
#include "common/messages.h"
#include "common/twips.h"
#include "master/callwindow.h"
#include "master/panelwindow.h"
#include "master/presenterbar.h"
#include "tests/support/messagecapture.h"
#include "tests/support/testfiles.h"
#include "tool/settingswindow.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QTabBar>
#include <QTest>

#include <memory>

using namespace qh;
using namespace qh::test;
using namespace Qt::StringLiterals;

namespace {
std::unique_ptr<QWidget> makeWindow(const QString& window)
{
    if (window == u"bar")
        return std::make_unique<master::PresenterBar>();
    if (window == u"panel")
        return std::make_unique<master::PanelWindow>();
    if (window == u"call")
        return std::make_unique<master::CallWindow>();
    if (window == u"settings")
        return std::make_unique<tool::SettingsWindow>();
    return std::make_unique<AboutBox>();
}

QWidget* clientArea(QWidget* window)
{
    auto* mainWindow = qobject_cast<QMainWindow*>(window);
    return mainWindow ? mainWindow->centralWidget() : window;
}

QRect placeOf(QWidget* control)
{
    // The tab strip is its row of tabs over a panel (the one plain frame beside it): together they
    // take the strip's place.
    if (qobject_cast<QTabBar*>(control)) {
        for (QFrame* frame : control->parentWidget()->findChildren<QFrame*>(Qt::FindDirectChildrenOnly)) {
            if (frame->metaObject() == &QFrame::staticMetaObject)
                return control->geometry().united(frame->geometry());
        }
    }
    return control->geometry();
}

QString captionOf(QWidget* control)
{
    if (auto* label = qobject_cast<QLabel*>(control))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        return button->text();
    if (auto* frame = qobject_cast<QGroupBox*>(control))
        return frame->title();
    return {};
}
} // namespace

class TestLayouts : public QObject
{
    Q_OBJECT
private:
    // The settings window reads the configuration file of the working folder; without one it
    // reports the missing file, which is captured here.
    std::unique_ptr<WorkingFolder> m_folder;
    std::unique_ptr<MessageCapture> m_messages;

private slots:
    void initTestCase()
    {
        quietOffscreenWarnings();
        setProgramTitle(u"Quillharbour_Master"_s);
        m_folder = std::make_unique<WorkingFolder>();
        m_messages = std::make_unique<MessageCapture>();
    }

    void cleanupTestCase()
    {
        m_messages.reset();
        m_folder.reset();
    }

    void windowsHaveTheirSizeAndTitle_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QSize>("clientSize");
        QTest::addColumn<QString>("frame"); // "none", "close box only" or "full"
        QTest::newRow("presenter's bar") << u"bar"_s << u"Quillharbour_Master"_s << QSize(4335, 510) << u"none"_s;
        QTest::newRow("control panel") << u"panel"_s << u"Quillharbour_Master PANEL"_s << QSize(3750, 1185)
                                       << u"close box only"_s;
        QTest::newRow("call window") << u"call"_s << u"Quillharbour_Master_Call"_s << QSize(3465, 930)
                                     << u"close box only"_s;
        QTest::newRow("settings window") << u"settings"_s << u"Quillharbour_Master_Tool"_s << QSize(6600, 5985)
                                         << u"full"_s;
        QTest::newRow("About box") << u"about"_s << u"Quillharbour_Masterのﾊﾞｰｼﾞｮﾝ情報"_s << QSize(5730, 3750)
                                   << u"close box only"_s;
    }

    void windowsHaveTheirSizeAndTitle()
    {
        QFETCH(QString, window);
        QFETCH(QString, title);
        QFETCH(QSize, clientSize);
        QFETCH(QString, frame);
        const std::unique_ptr<QWidget> shown = makeWindow(window);
        shown->show();
        QVERIFY(QTest::qWaitForWindowExposed(shown.get()));
        QCOMPARE(shown->windowTitle(), title);
        QCOMPARE(clientArea(shown.get())->size(), twips::sizeToPixels(clientSize.width(), clientSize.height()));
        const Qt::WindowFlags flags = shown->windowFlags();
        QCOMPARE(flags.testFlag(Qt::FramelessWindowHint), frame == u"none");
        if (frame == u"close box only") {
            QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
            QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
            QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        }
    }

    void controlsSitAtTheirPlaces_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRect>("place"); // left, top, width, height in twips
        const auto row = [](const char* window, const QString& control, const QString& caption, QRect place) {
            QTest::addRow("%s %s", window, qPrintable(control))
                << QString::fromLatin1(window) << control << caption << place;
        };
        row("bar", u"Command1"_s, u"Home"_s, {120, 120, 615, 255});
        row("bar", u"Command4"_s, u"<<"_s, {840, 120, 495, 255});
        row("bar", u"Command3"_s, u">>"_s, {1440, 120, 495, 255});
        row("bar", u"Label1"_s, QString(), {2160, 120, 495, 255});
        row("bar", u"Command2"_s, u"PANEL"_s, {2760, 120, 735, 255});
        row("bar", u"Command5"_s, u"End"_s, {3600, 120, 615, 255});
        row("panel", u"Label1(0)"_s, u"01"_s, {120, 120, 135, 255});
        row("panel", u"Label1(1)"_s, u"02"_s, {480, 120, 255, 255});
        row("panel", u"Label1(10)"_s, u"11"_s, {120, 480, 135, 255});
        row("panel", u"Label1(29)"_s, u"30"_s, {3360, 840, 255, 255});
        row("call", u"List1"_s, QString(), {240, 120, 2175, 600});
        row("call", u"Command1"_s, u"閉じる"_s, {2520, 120, 855, 255});
        row("settings", u"Label1"_s, u"Masterのポート番号"_s, {240, 120, 1575, 255});
        row("settings", u"Text1"_s, QString(), {1920, 120, 615, 270});
        row("settings", u"Label3"_s, u"Masterの初期画面表示"_s, {2760, 120, 1815, 255});
        row("settings", u"List1"_s, QString(), {4680, 120, 1695, 240});
        row("settings", u"Label2"_s, u"Childのポート番号"_s, {240, 480, 1575, 255});
        row("settings", u"Text2"_s, QString(), {1920, 480, 615, 270});
        row("settings", u"TabStrip1"_s, QString(), {240, 1080, 6135, 4335});
        row("settings", u"Frame1_1"_s, u"01-10"_s, {480, 1440, 5655, 3855});
        row("settings", u"Frame1_3"_s, u"21-30"_s, {480, 1440, 5655, 3855});
        row("settings", u"Command2"_s, u"設定"_s, {240, 5520, 1575, 375});
        row("settings", u"Command1"_s, u"終了"_s, {5280, 5520, 1095, 375});
        row("settings", u"Command3"_s, u"接続確認"_s, {1920, 5520, 1575, 375});
        // Slot rows, placed within their tab's frame.
        row("settings", u"Check1_0"_s, u"コンピュータ番号01"_s, {120, 240, 1815, 255});
        row("settings", u"Text3_12"_s, QString(), {2040, 960, 1335, 270});
        row("settings", u"List2_25"_s, QString(), {3600, 2040, 1695, 240});
        row("settings", u"Check1_29"_s, u"コンピュータ番号30"_s, {120, 3480, 1815, 255});
        row("about", u"cmdOK"_s, u"OK"_s, {4245, 2760, 1380, 345});
        row("about", u"cmdSysInfo"_s, u"ｼｽﾃﾑ情報(&S)..."_s, {4260, 3240, 1380, 345});
        row("about", u"lblTitle"_s, u"Quillharbour_Master"_s, {1050, 240, 3885, 480});
        row("about", u"lblVersion"_s, u"ﾊﾞｰｼﾞｮﾝ 1.1.0"_s, {1050, 780, 3885, 225});
    }

    void controlsSitAtTheirPlaces()
    {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(QString, caption);
        QFETCH(QRect, place);
        const std::unique_ptr<QWidget> built = makeWindow(window);
        auto* widget = built->findChild<QWidget*>(control);
        QVERIFY(widget);
        QCOMPARE(placeOf(widget), twips::rectToPixels(place.x(), place.y(), place.width(), place.height()));
        QCOMPARE(captionOf(widget), caption);
        // The settings window keeps every caption whole at its place, whatever the font.
        if (window == u"settings" && (qobject_cast<QLabel*>(widget) || qobject_cast<QCheckBox*>(widget)))
            QVERIFY(widget->sizeHint().width() <= widget->width());
    }
};

QTEST_MAIN(TestLayouts)
#include "test_layouts.moc"
