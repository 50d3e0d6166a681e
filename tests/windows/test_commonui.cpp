#include "common/messagebox.h"
#include "common/messagegate.h"
#include "common/messages.h"
#include "common/twips.h"
#include "tests/support/messagecapture.h"

#include <QApplication>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>

using namespace qh;
using namespace qh::test;
using namespace Qt::StringLiterals;

class TestCommonUi : public QObject
{
    Q_OBJECT
private slots:
    void messageTitle_data()
    {
        QTest::addColumn<QString>("programTitle"); // as set in main(), empty when never set
        QTest::addColumn<QString>("givenTitle");
        QTest::addColumn<QString>("shownTitle");
        QTest::newRow("program title") << u"Quillharbour_Master_Tool"_s << QString() << u"Quillharbour_Master_Tool"_s;
        QTest::newRow("given title wins") << u"Quillharbour_Master_Tool"_s << u"警告"_s << u"警告"_s;
        // A program that never set its title still names its boxes, after the application.
        QTest::newRow("title never set") << QString() << QString() << u"test_commonui"_s;
    }
    void messageTitle()
    {
        QFETCH(QString, programTitle);
        QFETCH(QString, givenTitle);
        QFETCH(QString, shownTitle);
        setProgramTitle(programTitle);
        MessageCapture capture;
        showMessage(u"現時点ではｼｽﾃﾑ情報を使用できません"_s, givenTitle);
        QCOMPARE(capture.messages.size(), 1);
        QCOMPARE(capture.messages[0].text, u"現時点ではｼｽﾃﾑ情報を使用できません"_s);
        QCOMPARE(capture.messages[0].title, shownTitle);
    }

    // Work held back while a message is open (the reading of datagrams) resumes on closed().
    void gateIsOpenWhileAMessageShows()
    {
        QSignalSpy closed(&MessageGate::instance(), &MessageGate::closed);
        MessageCapture capture;
        QList<bool> openWhileShown;
        QList<int> closedWhileShown;
        capture.whileOpen = [&] {
            openWhileShown << MessageGate::isOpen();
            closedWhileShown << int(closed.count());
        };
        QVERIFY(!MessageGate::isOpen());
        showMessage(u"one"_s);
        showMessage(u"two"_s);
        QCOMPARE(openWhileShown, (QList<bool>{true, true}));
        QCOMPARE(closedWhileShown, (QList<int>{0, 1}));
        QVERIFY(!MessageGate::isOpen());
        QCOMPARE(closed.count(), 2);
    }

    // A notice is shown in a box that nothing waits for and that blocks no window; while it is
    // open, later notices are dropped, so that a page that causes them in a loop leaves one box.
    void noticesAreOneBoxThatBlocksNothing()
    {
        const MessageBoxDisplay display;
        QWidget program;
        program.show();
        const auto noticeBoxes = [] {
            QList<QMessageBox*> boxes;
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
                    boxes.append(box);
            }
            return boxes;
        };
        // A page's alert text: shown as it is, never as markup.
        showNotice(u"<b>first</b>"_s, u"ページ example.com からのメッセージ"_s);
        for (int i = 0; i < 100; ++i)
            showNotice(u"again"_s);
        QCOMPARE(noticeBoxes().size(), 1);
        QMessageBox* box = noticeBoxes().first();
        QCOMPARE(box->text(), u"<b>first</b>"_s);
        QCOMPARE(box->textFormat(), Qt::PlainText);
        QCOMPARE(box->windowTitle(), u"ページ example.com からのメッセージ"_s);
        QCOMPARE(box->windowModality(), Qt::NonModal);
        QVERIFY(!MessageGate::isOpen());
        QCOMPARE(QApplication::activeModalWidget(), nullptr);

        box->close();
        QTRY_VERIFY(noticeBoxes().isEmpty());
        showNotice(u"next"_s);
        QCOMPARE(noticeBoxes().size(), 1);
        QCOMPARE(noticeBoxes().first()->text(), u"next"_s);
        noticeBoxes().first()->close();
    }

    void twipsAtTheScreensDpi_data()
    {
        QTest::addColumn<int>("twips");
        QTest::addColumn<int>("pixels"); // at 96 dpi
        QTest::newRow("one pixel") << 15 << 1;
        QTest::newRow("one inch") << 1440 << 96;
        QTest::newRow("rounds down") << 7 << 0;
        QTest::newRow("rounds up") << 8 << 1;
        QTest::newRow("odd width") << 615 << 41;
    }
    void twipsAtTheScreensDpi()
    {
        QFETCH(int, twips);
        QFETCH(int, pixels);
        if (twips::screenDpi() != 96.0)
            QSKIP("the table is for a screen of 96 dpi");
        QCOMPARE(twips::toPixels(twips), pixels);
        QCOMPARE(twips::rectToPixels(twips, 0, twips, 15), QRect(pixels, 0, pixels, 1));
    }
};

QTEST_MAIN(TestCommonUi)
#include "test_commonui.moc"
