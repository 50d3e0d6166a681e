#include "common/aboutbox.h"
#include "common/messages.h"
#include "common/programicons.h"
#include "tests/support/messagecapture.h"
#include "tests/support/testfiles.h"
#include "tests/support/toolfixture.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace qh;
using namespace qh::test;
using namespace Qt::StringLiterals;

namespace {

const QString kUnavailable = u"現時点ではｼｽﾃﾑ情報を使用できません"_s;
const QString kPathKeyLine = u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]"_s;
const QString kFolderKeyLine = u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location]"_s;

// A program that leaves "<its path>.started" behind, so a test can see that it was started.
bool writeMarkerProgram(const QString& path)
{
    return writeAll(path, "#!/bin/sh\necho started > \"$0.started\"\n") &&
           QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner | QFileDevice::ExeUser);
}

// The one About box on screen, or nullptr.
AboutBox* shownBox()
{
    const QList<AboutBox*> boxes = shownAboutBoxes();
    return boxes.size() == 1 ? boxes.first() : nullptr;
}

QLabel* label(const QWidget* box, const QString& name)
{
    return box->findChild<QLabel*>(name);
}

} // namespace

class TestAboutBox : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    int m_storeNumber = 0;

    // Writes a store file in the temporary folder and points the programs' lookup at it.
    void useStore(const QString& content)
    {
        const QString path = m_dir.filePath(u"store%1.txt"_s.arg(++m_storeNumber));
        QVERIFY(writeAll(path, content.toUtf8()));
        qputenv("QH_REGISTRY_FILE", QFile::encodeName(path));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        quietOffscreenWarnings();
        setProgramTitle(u"Quillharbour_Master"_s);
    }

    // Closes any box a test left and waits until it is gone.
    void cleanup()
    {
        for (AboutBox* box : shownAboutBoxes()) {
            const QPointer<AboutBox> closing = box;
            box->accept();
            QTRY_VERIFY(!closing);
        }
        setProgramTitle(u"Quillharbour_Master"_s);
        QApplication::setWindowIcon(QIcon());
    }

    void boxIsFilledForEachProgram_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QIcon>("icon");
        QTest::newRow("settings tool") << u"Quillharbour_Master_Tool"_s << u"Quillharbour_Master_Toolのﾊﾞｰｼﾞｮﾝ情報"_s
                                       << toolIcon();
        QTest::newRow("presenter") << u"Quillharbour_Master"_s << u"Quillharbour_Masterのﾊﾞｰｼﾞｮﾝ情報"_s
                                   << presenterIcon();
    }
    void boxIsFilledForEachProgram()
    {
        QFETCH(QString, title);
        QFETCH(QString, caption);
        QFETCH(QIcon, icon);
        setProgramTitle(title);
        QApplication::setWindowIcon(icon);
        showAboutBox();
        AboutBox* box = shownBox();
        QVERIFY(box && box->isVisible());
        QVERIFY(!box->isModal());
        QVERIFY(!box->parentWidget());
        QCOMPARE(box->windowTitle(), caption);
        const QLabel* titleLabel = label(box, u"lblTitle"_s);
        QCOMPARE(titleLabel->text(), title);
        QCOMPARE(titleLabel->palette().color(QPalette::Active, titleLabel->foregroundRole()), QColor(Qt::red));
        QCOMPARE(titleLabel->font().pointSize(), 12);
        QCOMPARE(label(box, u"lblVersion"_s)->text(), u"ﾊﾞｰｼﾞｮﾝ 1.1.0"_s);
        QCOMPARE(aboutVersionText(2, 10, 15), u"ﾊﾞｰｼﾞｮﾝ 2.10.15"_s); // no padding, no sign
        QVERIFY(!label(box, u"lblDescription"_s)->text().isEmpty());
        QVERIFY(label(box, u"lblDisclaimer"_s)->text().isEmpty());
        // The picture box shows the program's icon and sizes itself to it.
        const QPixmap shown = label(box, u"picIcon"_s)->pixmap();
        QVERIFY(!shown.isNull());
        QCOMPARE(shown.toImage(), icon.pixmap(shown.size()).toImage());
        QCOMPARE(label(box, u"picIcon"_s)->size(), shown.deviceIndependentSize().toSize());
        QVERIFY(!box->windowIcon().isNull());
        // A fixed border without minimise and maximise; OK has the focus and takes Enter.
        QCOMPARE(box->minimumSize(), box->maximumSize());
        QVERIFY(!(box->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        auto* ok = box->findChild<QPushButton*>(u"cmdOK"_s);
        QCOMPARE(ok->text(), u"OK"_s);
        QVERIFY(ok->isDefault());
        QCOMPARE(box->focusWidget(), ok);
        QCOMPARE(box->findChild<QPushButton*>(u"cmdSysInfo"_s)->text(), u"ｼｽﾃﾑ情報(&S)..."_s);
    }

    void iconsAreDrawnForBothPrograms()
    {
        const QIcon presenter = presenterIcon();
        const QIcon tool = toolIcon();
        for (const QIcon& icon : {presenter, tool}) {
            QVERIFY(icon.availableSizes().contains(QSize(16, 16)));
            QVERIFY(icon.availableSizes().contains(QSize(32, 32)));
            const QImage image = icon.pixmap(32, 32).toImage();
            // Drawn, not blank: the corners stay transparent, the middle is painted.
            QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
            QVERIFY(qAlpha(image.pixel(16, 16)) > 0);
        }
        QVERIFY(presenter.pixmap(32, 32).toImage() != tool.pixmap(32, 32).toImage());
    }

    // OK, Enter, Esc and the frame's close box unload the box, and the next Show fills a new one;
    // a Show while the box is open brings the same box back without filling it again.
    void showAfterClosing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("filledAnew");
        QTest::newRow("OK") << u"ok"_s << true;
        QTest::newRow("Enter") << u"enter"_s << true;
        QTest::newRow("keypad Enter") << u"keypad enter"_s << true;
        QTest::newRow("Esc") << u"esc"_s << true;
        QTest::newRow("close box") << u"close"_s << true;
        QTest::newRow("still open") << QString() << false;
    }
    void showAfterClosing()
    {
        QFETCH(QString, how);
        QFETCH(bool, filledAnew);
        showAboutBox();
        const QPointer<AboutBox> first = shownBox();
        QVERIFY(first);
        // Marks the texts: a fill would overwrite the mark.
        label(first, u"lblTitle"_s)->setText(u"mark"_s);
        if (how == u"ok")
            QTest::mouseClick(first->findChild<QPushButton*>(u"cmdOK"_s), Qt::LeftButton);
        else if (how == u"close")
            QVERIFY(first->close());
        else if (!how.isEmpty())
            QTest::keyClick(first, how == u"esc" ? Qt::Key_Escape : how == u"enter" ? Qt::Key_Return : Qt::Key_Enter);
        if (filledAnew)
            QTRY_VERIFY(!first);
        showAboutBox();
        QCOMPARE(shownAboutBoxes().size(), 1);
        QCOMPARE(label(shownBox(), u"lblTitle"_s)->text(), filledAnew ? u"Quillharbour_Master"_s : u"mark"_s);
    }

    // The program the store names is started; one that cannot start gives the message, as no
    // program found does (the button's test below).
    void systemInformationIsStarted_data()
    {
        QTest::addColumn<QString>("store");
        QTest::addColumn<bool>("started");
        QTest::newRow("PATH names a program") << kPathKeyLine + u"\n\"PATH\"=\"@dir@/info.sh\""_s << true;
        QTest::newRow("PATH names a missing file") << kPathKeyLine + u"\n\"PATH\"=\"@dir@/missing.sh\""_s << false;
    }

    void systemInformationIsStarted()
    {
        QFETCH(QString, store);
        QFETCH(bool, started);
        const QTemporaryDir dir;
        QVERIFY(writeMarkerProgram(dir.filePath(u"info.sh"_s)));
        useStore(store.replace(u"@dir@"_s, dir.path()) + u'\n');

        MessageCapture capture;
        startSystemInformation();
        const QString marker = dir.filePath(u"info.sh.started"_s);
        if (started) {
            QCOMPARE(capture.texts(), QStringList());
            QTRY_VERIFY(QFile::exists(marker));
        } else {
            QCOMPARE(capture.texts(), QStringList{kUnavailable});
            QCOMPARE(capture.messages[0].title, u"Quillharbour_Master"_s);
        }
    }

    void sysInfoButtonKeepsTheBoxOpenAfterTheMessage()
    {
        useStore(kFolderKeyLine + u"\n\"MSINFO\"=\"/nonexistent\"\n"_s);
        showAboutBox();
        AboutBox* box = shownBox();
        MessageCapture capture;
        QTest::mouseClick(box->findChild<QPushButton*>(u"cmdSysInfo"_s), Qt::LeftButton);
        QCOMPARE(capture.texts(), QStringList{kUnavailable});
        QCOMPARE(shownBox(), box);
        QVERIFY(box->isVisible());
    }
};

QTEST_MAIN(TestAboutBox)
#include "test_aboutbox.moc"
