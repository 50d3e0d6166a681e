#include "common/aboutbox.h"
#include "common/messages.h"
#include "common/programicons.h"
#include "common/registrystore.h"
#include "tests/support/messagecapture.h"
#include "tests/support/testfiles.h"
#include "tests/support/toolfixture.h"

#include <QApplication>
#include <QDir>
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
const QString kPathKey = u"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"_s;
const QString kPathKeyLine = u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]"_s;
const QString kFolderKeyLine = u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location]"_s;

// A program that leaves "<its path>.started" behind, so a test can see that it was started.
bool writeMarkerProgram(const QString& path)
{
    return writeAll(path, "#!/bin/sh\necho started > \"$0.started\"\n") &&
           QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner | QFileDevice::ExeUser);
}

QString hexBytes(int count)
{
    QStringList bytes;
    for (int i = 0; i < count; ++i)
        bytes.append(u"41"_s);
    return bytes.join(u',');
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

    // A store without a key line is read under the key of "PATH".
    void getKeyValueReadsTheStore_data()
    {
        QTest::addColumn<QString>("store");
        QTest::addColumn<bool>("read");
        QTest::addColumn<QString>("text");
        const QString kanji1022 = QString(511, u'漢'); // 1022 bytes in code page 932
        QTest::newRow("string") << u"\"PATH\"=\"/opt/info\""_s << true << u"/opt/info"_s;
        QTest::newRow("names ignore case")
            << kPathKeyLine.toLower() + u"\n\"path\"=\"/opt/info\""_s << true << u"/opt/info"_s;
        QTest::newRow("escapes") << u"\"PATH\"=\"C:\\\\a \\\"b\\\"\""_s << true << u"C:\\a \"b\""_s;
        QTest::newRow("missing value") << u"\"OTHER\"=\"/opt/info\""_s << false << QString();
        QTest::newRow("missing key") << kFolderKeyLine + u"\n\"PATH\"=\"/opt/info\""_s << false << QString();
        QTest::newRow("other root") << u"[HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\n"
                                       u"\"PATH\"=\"/opt/info\""_s
                                    << false << QString();
        QTest::newRow("last one counts") << u"\"PATH\"=\"/a\"\n\"PATH\"=\"/b\""_s << true << u"/b"_s;
        QTest::newRow("malformed lines skipped") << u"PATH=/a\n\"PATH\"=\"/b\"\n\"PATH\"=\"/c"_s << true << u"/b"_s;
        QTest::newRow("1023 bytes and NUL are read")
            << u"\"PATH\"=\""_s + QString(1023, u'a') + u'"' << true << QString(1023, u'a');
        QTest::newRow("1024 bytes and NUL are not")
            << u"\"PATH\"=\""_s + QString(1024, u'a') + u'"' << false << QString();
        QTest::newRow("limit counts code page bytes")
            << u"\"PATH\"=\""_s + kanji1022 + u"a\""_s << true << kanji1022 + u'a';
        QTest::newRow("two-byte text over the limit") << u"\"PATH\"=\""_s + kanji1022 + u"漢\""_s << false << QString();
        QTest::newRow("number") << u"\"PATH\"=dword:0000002a"_s << true << u"&h2A"_s;
        QTest::newRow("binary leaves the text") << u"\"PATH\"=hex:2f,61"_s << true << u"unchanged"_s;
        QTest::newRow("other type leaves the text") << u"\"PATH\"=hex(2):2f,61,00"_s << true << u"unchanged"_s;
        QTest::newRow("binary of 1024 bytes is read") << u"\"PATH\"=hex:"_s + hexBytes(1024) << true << u"unchanged"_s;
        QTest::newRow("binary of 1025 bytes is not") << u"\"PATH\"=hex:"_s + hexBytes(1025) << false << QString();
    }
    void getKeyValueReadsTheStore()
    {
        QFETCH(QString, store);
        QFETCH(bool, read);
        QFETCH(QString, text);
        useStore((store.startsWith(u'[') ? store : kPathKeyLine + u'\n' + store) + u'\n');
        QString value = u"unchanged"_s;
        QCOMPARE(getKeyValue(kHKeyLocalMachine, kPathKey, u"PATH"_s, value), read);
        QCOMPARE(value, text);
    }

    void getKeyValueWithoutAStoreFails_data()
    {
        QTest::addColumn<QString>("storeName");
        QTest::newRow("missing file") << u"no such store"_s;
        QTest::newRow("a folder") << u"folder store"_s;
        QTest::newRow("under a file") << u"plain.txt/store"_s;
    }
    void getKeyValueWithoutAStoreFails()
    {
        QFETCH(QString, storeName);
        QVERIFY(QDir(m_dir.path()).mkpath(u"folder store"_s));
        QVERIFY(writeAll(m_dir.filePath(u"plain.txt"_s), "[HKEY_LOCAL_MACHINE]\n"));
        qputenv("QH_REGISTRY_FILE", QFile::encodeName(m_dir.filePath(storeName)));
        QString value = u"unchanged"_s;
        QVERIFY(!getKeyValue(kHKeyLocalMachine, kPathKey, u"PATH"_s, value));
        QVERIFY(value.isEmpty());
    }

    void systemInformationFollowsTheLookups_data()
    {
        QTest::addColumn<QString>("pathValue");   // the line of "PATH", or empty for none
        QTest::addColumn<QString>("folderValue"); // the line of "MSINFO", or empty for none
        QTest::addColumn<QString>("started");     // "path", "folder" or empty for the message

        QTest::newRow("PATH names a program") << u"\"PATH\"=\"@dir@/info.sh\""_s << QString() << u"path"_s;
        QTest::newRow("PATH wins over MSINFO")
            << u"\"PATH\"=\"@dir@/info.sh\""_s << u"\"MSINFO\"=\"@dir@/msinfo\""_s << u"path"_s;
        QTest::newRow("PATH names a missing file; MSINFO not tried")
            << u"\"PATH\"=\"@dir@/missing.sh\""_s << u"\"MSINFO\"=\"@dir@/msinfo\""_s << QString();
        QTest::newRow("no PATH; MSINFO folder holds the file")
            << QString() << u"\"MSINFO\"=\"@dir@/msinfo\""_s << u"folder"_s;
        QTest::newRow("no PATH; MSINFO folder without the file")
            << QString() << u"\"MSINFO\"=\"@dir@/empty\""_s << QString();
        QTest::newRow("no PATH; the file is a folder")
            << QString() << u"\"MSINFO\"=\"@dir@/folderfile\""_s << QString();
        QTest::newRow("neither value") << QString() << QString() << QString();
        QTest::newRow("PATH over the limit; MSINFO tried")
            << u"\"PATH\"=\"@dir@/info.sh"_s + QString(1100, u'x') + u"\""_s << u"\"MSINFO\"=\"@dir@/msinfo\""_s
            << u"folder"_s;
        QTest::newRow("binary PATH starts nothing")
            << u"\"PATH\"=hex:2f,62,69,6e,2f,73,68"_s << u"\"MSINFO\"=\"@dir@/msinfo\""_s << QString();
        QTest::newRow("number PATH starts nothing")
            << u"\"PATH\"=dword:00000001"_s << u"\"MSINFO\"=\"@dir@/msinfo\""_s << QString();
    }
    void systemInformationFollowsTheLookups()
    {
        QFETCH(QString, pathValue);
        QFETCH(QString, folderValue);
        QFETCH(QString, started);

        const QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(writeMarkerProgram(dir.filePath(u"info.sh"_s)));
        QVERIFY(QDir(dir.path()).mkpath(u"msinfo"_s));
        QVERIFY(QDir(dir.path()).mkpath(u"empty"_s));
        QVERIFY(QDir(dir.path()).mkpath(u"folderfile/MSINFO32.EXE"_s));
        QVERIFY(writeMarkerProgram(dir.filePath(u"msinfo/MSINFO32.EXE"_s)));
        QString store;
        if (!pathValue.isEmpty())
            store += kPathKeyLine + u'\n' + pathValue + u'\n';
        if (!folderValue.isEmpty())
            store += kFolderKeyLine + u'\n' + folderValue + u'\n';
        useStore(store.replace(u"@dir@"_s, dir.path()));

        MessageCapture capture;
        startSystemInformation();
        const QString pathMarker = dir.filePath(u"info.sh.started"_s);
        const QString folderMarker = dir.filePath(u"msinfo/MSINFO32.EXE.started"_s);
        if (started.isEmpty()) {
            QCOMPARE(capture.texts(), QStringList{kUnavailable});
            QCOMPARE(capture.messages[0].title, u"Quillharbour_Master"_s);
            QTest::qWait(100); // what was started wrongly would leave its marker by now
            QVERIFY(!QFile::exists(pathMarker));
            QVERIFY(!QFile::exists(folderMarker));
        } else {
            QCOMPARE(capture.texts(), QStringList());
            QTRY_VERIFY(QFile::exists(started == u"path" ? pathMarker : folderMarker));
            QVERIFY(!QFile::exists(started == u"path" ? folderMarker : pathMarker));
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

    void shippedStoreNamesAnInstalledProgram()
    {
        // The store shipped with the programs must name a program that can be started here.
        const std::optional<QString> program = findSysInfoProgram(dataPath(u"../../data/Quillharbour_Registry.txt"_s));
        QVERIFY(program);
        QVERIFY2(QFileInfo(*program).isExecutable(), qPrintable(*program));
    }
};

QTEST_MAIN(TestAboutBox)
#include "test_aboutbox.moc"
