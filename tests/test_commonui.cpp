#include "messagebox.h"
#include "twips.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

using namespace qh;

class TestCommonUi : public QObject
{
    Q_OBJECT
private slots:
    void messagesTakeTheProgramTitleWhenNoneIsGiven()
    {
        setProgramTitle(u"Quillharbour_Master_Tool"_qs);
        MessageCapture capture;
        bool openDuringBox = false;
        capture.whileOpen = [&openDuringBox] { openDuringBox = messageBoxOpen(); };
        int closedSignals = 0;
        QObject context;
        QObject::connect(&MessageBoxNotifier::instance(), &MessageBoxNotifier::closed, &context,
                         [&closedSignals] { ++closedSignals; });

        showMessage(u"現時点ではｼｽﾃﾑ情報を使用できません"_qs);
        showMessage(u"INIファイルがありません"_qs, ownMessageTitle());
        QCOMPARE(capture.messages.size(), 2);
        QCOMPARE(capture.messages[0].title, u"Quillharbour_Master_Tool"_qs);
        QCOMPARE(capture.messages[0].text, u"現時点ではｼｽﾃﾑ情報を使用できません"_qs);
        QCOMPARE(capture.messages[1].title, u"Quillharbour_Masterからのメッセージ"_qs);
        QVERIFY(openDuringBox);
        QVERIFY(!messageBoxOpen());
        QCOMPARE(closedSignals, 2);
    }

    void twipsScaleWithTheScreen()
    {
        const double dpi = twips::screenDpi();
        QVERIFY(dpi > 0);
        QCOMPARE(twips::toPixels(1440), qRound(dpi));
        QCOMPARE(twips::toPixels(0), 0);
        if (qFuzzyCompare(dpi, 96.0)) {
            QCOMPARE(twips::toPixels(15), 1);
            QCOMPARE(twips::rectToPixels(120, 120, 615, 255), QRect(8, 8, 41, 17));
        }
        QWidget parent;
        QLabel label(&parent);
        twips::place(&label, 2160, 120, 495, 255);
        QCOMPARE(label.geometry(), twips::rectToPixels(2160, 120, 495, 255));
    }
};

QTEST_MAIN(TestCommonUi)
#include "test_commonui.moc"
