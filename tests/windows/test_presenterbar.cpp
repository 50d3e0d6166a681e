#include "master/presenterbar.h"
#include "tests/support/testfiles.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace qh;
using namespace qh::master;
using namespace Qt::StringLiterals;

class TestPresenterBar : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { test::quietOffscreenWarnings(); }

    void tabOrderStartsAtNext()
    {
        PresenterBar bar;
        QStringList order;
        QWidget* widget = bar.nextButton();
        for (int i = 0; i < 5; ++i) {
            order.append(widget->objectName());
            widget = widget->nextInFocusChain();
            while (!qobject_cast<QPushButton*>(widget))
                widget = widget->nextInFocusChain();
        }
        QCOMPARE(order, (QStringList{u"Command3"_s, u"Command4"_s, u"Command5"_s, u"Command1"_s, u"Command2"_s}));
    }

    void setTopmostKnowsTwoModes()
    {
        QWidget window;
        QCOMPARE(setTopmost(&window, 2), 0);
        QCOMPARE(setTopmost(&window, -1), 0);
        QVERIFY(!window.isVisible());
        QVERIFY(!window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));

        window.move(40, 30);
        QVERIFY(setTopmost(&window, 1) != 0);
        QVERIFY(window.isVisible());
        QVERIFY(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(window.pos(), QPoint(40, 30));
        QVERIFY(setTopmost(&window, 0) != 0);
        QVERIFY(window.isVisible());
        QVERIFY(!window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(window.pos(), QPoint(40, 30));
    }

    void barIsDraggedWithTheLeftButton_data()
    {
        QTest::addColumn<QString>("pressedOn");
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("moves");
        QTest::newRow("left on the bar") << u"Form1"_s << int(Qt::LeftButton) << true;
        QTest::newRow("left on the label") << u"Label1"_s << int(Qt::LeftButton) << true;
        QTest::newRow("right on the bar") << u"Form1"_s << int(Qt::RightButton) << false;
        QTest::newRow("right on the label") << u"Label1"_s << int(Qt::RightButton) << false;
        QTest::newRow("left on a button") << u"Command3"_s << int(Qt::LeftButton) << false;
    }

    void barIsDraggedWithTheLeftButton()
    {
        QFETCH(QString, pressedOn);
        QFETCH(int, button);
        QFETCH(bool, moves);
        PresenterBar bar;
        bar.move(100, 100);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        QWidget* target = pressedOn == bar.objectName() ? &bar : bar.findChild<QWidget*>(pressedOn);
        QVERIFY(target);
        // A point on the bar's own surface, clear of every control, or the middle of the control.
        const QPoint start = target == &bar ? QPoint(2, 2) : target->rect().center();
        const auto mouseButton = Qt::MouseButton(button);
        const QPoint before = bar.pos();
        QTest::mousePress(target, mouseButton, {}, start);
        QTest::mouseMove(target, start + QPoint(30, 20));
        QTest::mouseRelease(target, mouseButton, {}, start + QPoint(30, 20));
        QCOMPARE(bar.pos(), moves ? before + QPoint(30, 20) : before);
    }

    void onlyEndClosesTheBar()
    {
        PresenterBar bar;
        bar.show();
        QVERIFY(!bar.close());
        QVERIFY(bar.isVisible());
    }
};

QTEST_MAIN(TestPresenterBar)
#include "test_presenterbar.moc"
