#include "form1.h"
#include "presenterfixture.h"
#include "twips.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace qh;
using namespace qh::master;
using namespace qh::test;

class TestForm1 : public QObject
{
    Q_OBJECT
private slots:
    void controlsSitAtTheirTwipsPlaces_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRect>("twipsRect");
        QTest::newRow("Home") << u"Command1"_qs << u"Home"_qs << QRect(120, 120, 615, 255);
        QTest::newRow("<<") << u"Command4"_qs << u"<<"_qs << QRect(840, 120, 495, 255);
        QTest::newRow(">>") << u"Command3"_qs << u">>"_qs << QRect(1440, 120, 495, 255);
        QTest::newRow("page number") << u"Label1"_qs << QString() << QRect(2160, 120, 495, 255);
        QTest::newRow("PANEL") << u"Command2"_qs << u"PANEL"_qs << QRect(2760, 120, 735, 255);
        QTest::newRow("End") << u"Command5"_qs << u"End"_qs << QRect(3600, 120, 615, 255);
    }

    void controlsSitAtTheirTwipsPlaces()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QRect, twipsRect);
        PresenterFixture fixture;
        Form1& form = fixture.make().form();
        auto* control = form.findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(control->geometry(),
                 twips::rectToPixels(twipsRect.x(), twipsRect.y(), twipsRect.width(), twipsRect.height()));
        if (auto* pushButton = qobject_cast<QPushButton*>(control))
            QCOMPARE(pushButton->text(), caption);
        else
            QCOMPARE(qobject_cast<QLabel*>(control)->text(), caption);
    }

    void barIsBorderlessAndTabsInItsOrder()
    {
        PresenterFixture fixture;
        Form1& form = fixture.make().form();
        QCOMPARE(form.size(), twips::sizeToPixels(4335, 510));
        QVERIFY(form.windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(form.windowTitle(), u"Quillharbour_Master"_qs);
        QStringList order;
        QWidget* widget = form.Command3;
        for (int i = 0; i < 5; ++i) {
            order.append(widget->objectName());
            widget = widget->nextInFocusChain();
            while (!qobject_cast<QPushButton*>(widget))
                widget = widget->nextInFocusChain();
        }
        QCOMPARE(order, (QStringList{u"Command3"_qs, u"Command4"_qs, u"Command5"_qs, u"Command1"_qs, u"Command2"_qs}));
    }

    void setTopmostKnowsTwoModes()
    {
        QWidget window;
        QCOMPARE(SetTopmost(&window, 2), 0);
        QVERIFY(!window.isVisible());
        QVERIFY(!window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(SetTopmost(&window, -1), 0);
        QVERIFY(!window.isVisible());

        window.move(40, 30);
        QVERIFY(SetTopmost(&window, 1) != 0);
        QVERIFY(window.isVisible());
        QVERIFY(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(window.pos(), QPoint(40, 30));
        QVERIFY(SetTopmost(&window, 0) != 0);
        QVERIFY(window.isVisible());
        QVERIFY(!window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(window.pos(), QPoint(40, 30));
    }

    void barIsDraggedWithTheLeftButton_data()
    {
        QTest::addColumn<QString>("pressedOn");
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("moves");
        QTest::newRow("left on the bar") << u"Form1"_qs << int(Qt::LeftButton) << true;
        QTest::newRow("left on the label") << u"Label1"_qs << int(Qt::LeftButton) << true;
        QTest::newRow("right on the bar") << u"Form1"_qs << int(Qt::RightButton) << false;
        QTest::newRow("right on the label") << u"Label1"_qs << int(Qt::RightButton) << false;
        QTest::newRow("left on a button") << u"Command3"_qs << int(Qt::LeftButton) << false;
    }

    void barIsDraggedWithTheLeftButton()
    {
        QFETCH(QString, pressedOn);
        QFETCH(int, button);
        QFETCH(bool, moves);
        PresenterFixture fixture;
        Form1& form = fixture.make().form();
        form.move(100, 100);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QWidget* target = pressedOn == u"Form1" ? static_cast<QWidget*>(&form) : form.findChild<QWidget*>(pressedOn);
        QVERIFY(target);
        // A point on the bar's own surface, clear of every control, or the middle of the control.
        const QPoint start = target == &form ? QPoint(2, 2) : target->rect().center();
        const auto mouseButton = Qt::MouseButton(button);
        const QPoint before = form.pos();
        QTest::mousePress(target, mouseButton, {}, start);
        QTest::mouseMove(target, start + QPoint(30, 20));
        QTest::mouseRelease(target, mouseButton, {}, start + QPoint(30, 20));
        QCOMPARE(form.pos() != before, moves);
        if (moves)
            QCOMPARE(form.pos(), before + QPoint(30, 20));
    }
};

QTEST_MAIN(TestForm1)
#include "test_form1.moc"
