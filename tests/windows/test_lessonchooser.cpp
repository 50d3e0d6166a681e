#include "common/pagetitles.h"
#include "packaging/launchermessages.h"
#include "packaging/lessonchoice.h"
#include "packaging/lessonchooser.h"
#include "tests/support/testfiles.h"

#include <QTest>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTreeWidget>

using namespace Qt::StringLiterals;
using namespace qh;
using namespace qh::launcher;

namespace {
QStringList names(const QList<LessonList>& lists)
{
    QStringList out;
    for (const LessonList& list : lists)
        out.append(list.fileName);
    return out;
}
} // namespace

class TestLessonChooser : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { test::quietOffscreenWarnings(); }

    // No list: the presenter gets no name. One list: it is started. Three: the one picked last
    // comes first, the others by name with numbers counted as numbers, each with its pages, its
    // first page's title when known (else its address) and its time.
    void listsOfTheClassFolder_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("picked");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("none") << QStringList{u"Quillharbour_Master.ini"_s} << QString() << QStringList{};
        QTest::newRow("one") << QStringList{u"Quillharbour_Master.ini"_s, u"weblist.txt"_s} << QString()
                             << QStringList{u"weblist.txt"_s};
        QTest::newRow("three, one picked before")
            << QStringList{u"lesson10.txt"_s, u"weblist.txt"_s, u"lesson2.TXT"_s, u"notes.ini"_s} << u"weblist.txt"_s
            << QStringList{u"weblist.txt"_s, u"lesson2.TXT"_s, u"lesson10.txt"_s};
        QTest::newRow("three, the one picked is gone")
            << QStringList{u"lesson10.txt"_s, u"weblist.txt"_s, u"lesson2.txt"_s} << u"removed.txt"_s
            << QStringList{u"lesson2.txt"_s, u"lesson10.txt"_s, u"weblist.txt"_s};
    }
    void listsOfTheClassFolder()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, picked);
        QFETCH(QStringList, order);
        QTemporaryDir folder;
        for (const QString& file : files)
            QVERIFY(test::writeAll(folder.filePath(file), "http://example.com/" + file.toLatin1() + "\r\nb,c\r\n"));
        PageTitles titles;
        titles.remember(u"http://example.com/weblist.txt"_s, u"はじめに"_s);
        const QList<LessonList> lists =
            findLessonLists(folder.path(), picked.isEmpty() ? QString() : folder.filePath(picked), titles);
        QCOMPARE(names(lists), order);
        for (const LessonList& list : lists) {
            QCOMPARE(list.pages, 3);
            QCOMPARE(list.firstPage,
                     list.fileName == u"weblist.txt"_s ? u"はじめに"_s : u"http://example.com/"_s + list.fileName);
            QVERIFY(list.lastChanged.isValid());
        }
    }

    // The chooser starts with the first list chosen, so Enter starts it; the arrow keys choose
    // another. The pick is kept per user and read back.
    void enterStartsTheChosenList()
    {
        const QList<LessonList> lists{{u"weblist.txt"_s, 12, u"はじめに"_s, QDateTime::currentDateTime()},
                                      {u"lesson2.txt"_s, -1, QString(), {}},
                                      {u"lesson10.txt"_s, 0, QString(), {}}};
        LessonChooser chooser(lists);
        chooser.show();
        auto* rows = chooser.findChild<QTreeWidget*>(u"lessonLists"_s);
        QCOMPARE(rows->topLevelItemCount(), 3);
        QCOMPARE(rows->topLevelItem(0)->text(1), u"12"_s);
        QCOMPARE(rows->topLevelItem(1)->text(1), kUnknownPagesText);
        QCOMPARE(chooser.chosenList(), u"weblist.txt"_s);
        QSignalSpy accepted(&chooser, &QDialog::accepted);
        QTest::keyClick(rows, Qt::Key_Down);
        QTest::keyClick(rows, Qt::Key_Return);
        QCOMPARE(accepted.count(), 1);
        QCOMPARE(chooser.chosenList(), u"lesson2.txt"_s);

        QTemporaryDir state;
        const QString statePath = state.filePath(u"deep/last-lesson"_s);
        QCOMPARE(readLastPicked(statePath), QString());
        QVERIFY(rememberPicked(state.filePath(u"class/my lesson.txt"_s), statePath));
        QCOMPARE(readLastPicked(statePath), state.filePath(u"class/my lesson.txt"_s));
    }
};

QTEST_MAIN(TestLessonChooser)
#include "test_lessonchooser.moc"
