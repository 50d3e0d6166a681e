#include "common/urllist.h"
#include "lesson/lessonmessages.h"
#include "lesson/lessonmodel.h"
#include "lesson/lessonwindow.h"
#include "tests/support/messagecapture.h"
#include "tests/support/testfiles.h"

#include <QTest>

#include <QAbstractItemModel>
#include <QApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QWindow>
#include <qpa/qplatformdrag.h>
#include <qpa/qwindowsysteminterface.h>

using namespace Qt::StringLiterals;
using namespace qh;
using namespace qh::lesson;
using namespace qh::test;

namespace {
// The presenter's bytes for two entries: a page in a Japanese folder and an empty entry.
const QByteArray kStartList = "file:///srv/\x83\x79\x81\x5b\x83\x57.html\r\n\r\n";

struct EditorSession {
    WorkingFolder folder;
    MessageCapture messages;
    bool written = folder.write(kDefaultUrlListFileName, kStartList);
    QPointer<LessonWindow> window = new LessonWindow(kDefaultUrlListFileName);

    ~EditorSession() { delete window.data(); }

    template <typename Widget> Widget* control(const QString& name) const { return window->findChild<Widget*>(name); }
    QTableView* table() const { return control<QTableView>(u"entryTable"_s); }
    QAbstractItemModel* model() const { return table()->model(); }
    void click(const QString& button) const { QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton); }
    void choose(int row) const { table()->selectRow(row); }
    QStringList shownAddresses() const
    {
        QStringList addresses;
        for (int row = 0; row < model()->rowCount(); ++row)
            addresses.append(model()->index(row, LessonModel::AddressColumn).data(Qt::EditRole).toString());
        return addresses;
    }
};
} // namespace

class TestLessonWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { quietOffscreenWarnings(); }

    // Edits made the way a teacher makes them, saved, and read back by the presenter's reader.
    void editsAreSavedSoThatThePresenterReadsThem()
    {
        EditorSession editor;
        QVERIFY(editor.written);
        editor.window->show();
        QCOMPARE(editor.window->windowTitle(), u"URLリストの編集 - weblist.txt"_s);
        QCOMPARE(editor.shownAddresses(), (QStringList{u"file:///srv/ページ.html"_s, QString()}));
        QCOMPARE(editor.model()->index(1, LessonModel::AddressColumn).data().toString(), u"（空）"_s);

        // Two pasted lines after the first row, then one typed and added with Enter at the end.
        auto* input = editor.control<QPlainTextEdit>(u"addressInput"_s);
        editor.choose(0);
        input->setPlainText(u"http://example.com/a?x=1,2\n  http://example.com/ 日本 \n"_s);
        editor.click(u"addButton"_s);
        editor.choose(3);
        input->setFocus();
        QTest::keyClicks(input, u"http://example.com/typed"_s);
        QTest::keyClick(input, Qt::Key_Return);
        QCOMPARE(input->toPlainText(), QString());
        // Edited in place.
        const QModelIndex first = editor.model()->index(0, LessonModel::AddressColumn);
        editor.table()->setCurrentIndex(first);
        editor.table()->edit(first);
        auto* cell = editor.table()->viewport()->findChild<QLineEdit*>();
        QVERIFY(cell);
        cell->selectAll();
        QTest::keyClicks(cell, u"file:///srv/\"quoted\" page.html"_s);
        QTest::keyClick(cell, Qt::Key_Return);
        // The typed row one up, the pasted Japanese one removed.
        editor.choose(4);
        editor.click(u"upButton"_s);
        editor.choose(2);
        editor.click(u"removeButton"_s);
        const QStringList expected{u"file:///srv/\"quoted\" page.html"_s, u"http://example.com/a?x=1,2"_s,
                                   u"http://example.com/typed"_s, QString()};
        QCOMPARE(editor.shownAddresses(), expected);

        editor.click(u"saveButton"_s);
        QCOMPARE(editor.messages.texts(), QStringList());
        const UrlListReadResult read = readUrlListFile(kDefaultUrlListFileName);
        QCOMPARE(read.status, FileStatus::Ok);
        QCOMPARE(read.list.entries, expected);
        // Closing after the save asks nothing.
        QVERIFY(editor.window->close());
        QCOMPARE(editor.messages.texts(), QStringList());
    }

    // A file dropped on a row adds its link before that row, and the drop is reported as a copy even
    // where a move was offered: a file manager removes a file whose drop was taken as a move.
    void droppedFilesAreCopiedNeverMoved()
    {
        EditorSession editor;
        editor.window->show();
        QMimeData dropped;
        dropped.setUrls({QUrl::fromLocalFile(dataPath(u"lesson/shortcut.url"_s))});
        QVERIFY(QTest::qWaitForWindowExposed(editor.window));
        // Delivered as the window system delivers a drag: entering, moving, dropping.
        const QRect secondRow = editor.table()->visualRect(editor.model()->index(1, LessonModel::AddressColumn));
        const QPoint at = editor.table()->viewport()->mapTo(editor.window, secondRow.center());
        QWindow* window = editor.window->windowHandle();
        const Qt::DropActions offered = Qt::MoveAction | Qt::CopyAction;
        const QPlatformDragQtResponse dragged =
            QWindowSystemInterface::handleDrag(window, &dropped, at, offered, Qt::LeftButton, Qt::NoModifier);
        QVERIFY(dragged.isAccepted());
        QCOMPARE(dragged.acceptedAction(), Qt::CopyAction);
        const QPlatformDropQtResponse drop =
            QWindowSystemInterface::handleDrop(window, &dropped, at, offered, Qt::LeftButton, Qt::NoModifier);
        QVERIFY(drop.isAccepted());
        QCOMPARE(drop.acceptedAction(), Qt::CopyAction);
        QCOMPARE(editor.shownAddresses(),
                 (QStringList{u"file:///srv/ページ.html"_s, u"http://example.com/ページ"_s, QString()}));
        QCOMPARE(editor.messages.texts(), QStringList());
    }

    // An entry the file cannot hold is named, its row chosen, and nothing is written.
    void anEntryTheFileCannotHoldIsNamedAndNothingWritten()
    {
        EditorSession editor;
        editor.control<QPlainTextEdit>(u"addressInput"_s)->setPlainText(u"http://café.example/"_s);
        editor.click(u"addButton"_s);
        editor.click(u"saveButton"_s);
        QCOMPARE(editor.messages.texts().size(), 1);
        QVERIFY(editor.messages.texts().front().contains(u"番号2"_s));
        QVERIFY(editor.messages.texts().front().contains(u"「é」"_s));
        QCOMPARE(readAll(editor.folder.path(kDefaultUrlListFileName)), kStartList);
        QCOMPARE(editor.table()->currentIndex().row(), 2);
    }

    // Leaving with changes not saved asks: cancelled, the window stays; not saved, it closes and
    // the file is as before; saved, the file has the change.
    void leavingWithChangesAsksFirst_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<bool>("saved");
        QTest::newRow("cancel") << 2 << false << false;
        QTest::newRow("closed without an answer") << -1 << false << false;
        QTest::newRow("do not save") << 1 << true << false;
        QTest::newRow("save") << 0 << true << true;
    }
    void leavingWithChangesAsksFirst()
    {
        QFETCH(int, answer);
        QFETCH(bool, closes);
        QFETCH(bool, saved);
        EditorSession editor;
        editor.window->show();
        editor.choose(1);
        editor.click(u"removeButton"_s);
        editor.messages.answers = {answer};
        QCOMPARE(editor.window->close(), closes);
        QCOMPARE(editor.messages.texts(), QStringList{unsavedChangesText(u"weblist.txt"_s)});
        QTRY_COMPARE(editor.window.isNull(), closes);
        const QStringList entries = readUrlListFile(editor.folder.path(kDefaultUrlListFileName)).list.entries;
        QCOMPARE(entries.size(), saved ? 1 : 2);
    }
};

QTEST_MAIN(TestLessonWindow)
#include "test_lessonwindow.moc"
