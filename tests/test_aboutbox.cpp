#include "frmabout.h"
#include "messagebox.h"
#include "programinfo.h"
#include "registrystore.h"
#include "testutil.h"
#include "twips.h"

#include "bgrcolor.h"
#include "programicons.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace qh;

namespace {

const QString kUnavailable = u"現時点ではｼｽﾃﾑ情報を使用できません"_qs;
const QString kPathKeyLine = u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]"_qs;
const QString kFolderKeyLine = u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location]"_qs;

// A program that leaves "<its path>.started" behind, so a test can see that it was started.
bool writeMarkerProgram(const QString& path)
{
    return test::writeAll(path, "#!/bin/sh\necho started > \"$0.started\"\n") &&
           QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner | QFileDevice::ExeUser);
}

QString hexBytes(int count)
{
    QStringList bytes;
    for (int i = 0; i < count; ++i)
        bytes.append(u"41"_qs);
    return bytes.join(u',');
}

int openAboutBoxes()
{
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<frmAbout*>(widget) && widget->isVisible())
            ++count;
    }
    return count;
}

} // namespace

class TestAboutBox : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    int m_storeNumber = 0;

    // Writes a store file in the temporary folder and points the programs' lookup at it.
    QString useStore(const QString& content)
    {
        const QString path = m_dir.filePath(u"store%1.txt"_qs.arg(++m_storeNumber));
        if (!test::writeAll(path, content.toUtf8()))
            return {};
        qputenv("QH_REGISTRY_FILE", QFile::encodeName(path));
        return path;
    }

    // Closes any box a test left and waits until it is gone.
    void closeAboutBox()
    {
        if (frmAbout* box = aboutBox())
            box->cmdOK_Click();
        QTRY_VERIFY(!aboutBox());
        QCOMPARE(aboutBoxState(), AboutBoxState::None);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        setProgramTitle(kPresenterTitle);
    }

    void cleanup() { closeAboutBox(); }

    void boxIsFilledForEachProgram_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("caption");
        QTest::newRow("settings tool") << kToolTitle << u"Quillharbour_Master_Toolのﾊﾞｰｼﾞｮﾝ情報"_qs;
        QTest::newRow("presenter") << kPresenterTitle << u"Quillharbour_Masterのﾊﾞｰｼﾞｮﾝ情報"_qs;
    }

    void boxIsFilledForEachProgram()
    {
        QFETCH(QString, title);
        QFETCH(QString, caption);
        setProgramTitle(title);
        showAboutBox();
        frmAbout* box = aboutBox();
        QVERIFY(box);
        QCOMPARE(box->windowTitle(), caption);
        QCOMPARE(box->lblTitle()->text(), title);
        QCOMPARE(box->lblVersion()->text(), u"ﾊﾞｰｼﾞｮﾝ 1.1.0"_qs);
        QCOMPARE(textColor(box->lblTitle()), QColor(Qt::red));
        QCOMPARE(box->lblTitle()->font().pointSize(), 12);
        QVERIFY(box->isVisible());
        QVERIFY(!box->isModal());
        QVERIFY(!box->parentWidget());
        setProgramTitle(kPresenterTitle);
    }

    void versionTextHasNoPadding_data()
    {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("revision");
        QTest::addColumn<QString>("expected");
        QTest::newRow("this version") << 1 << 1 << 0 << u"ﾊﾞｰｼﾞｮﾝ 1.1.0"_qs;
        QTest::newRow("two digits") << 2 << 10 << 15 << u"ﾊﾞｰｼﾞｮﾝ 2.10.15"_qs;
    }

    void versionTextHasNoPadding()
    {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, revision);
        QFETCH(QString, expected);
        QCOMPARE(aboutVersionText(major, minor, revision), expected);
    }

    void layoutFollowsTheTwips()
    {
        showAboutBox();
        frmAbout* box = aboutBox();
        QVERIFY(box);
        QCOMPARE(box->size(), twips::sizeToPixels(5730, 3750));
        QCOMPARE(box->minimumSize(), box->maximumSize());
        QVERIFY(!(box->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(box->windowFlags() & Qt::WindowMaximizeButtonHint));
        auto* ok = box->findChild<QPushButton*>(u"cmdOK"_qs);
        auto* sysInfo = box->findChild<QPushButton*>(u"cmdSysInfo"_qs);
        QVERIFY(ok && sysInfo);
        QCOMPARE(ok->geometry(), twips::rectToPixels(4245, 2760, 1380, 345));
        QCOMPARE(sysInfo->geometry(), twips::rectToPixels(4260, 3240, 1380, 345));
        QCOMPARE(ok->text(), u"OK"_qs);
        QCOMPARE(sysInfo->text(), u"ｼｽﾃﾑ情報(&S)..."_qs);
        QVERIFY(ok->isDefault());
        QCOMPARE(box->focusWidget(), ok);
        auto* title = box->findChild<QLabel*>(u"lblTitle"_qs);
        QCOMPARE(title->geometry(), twips::rectToPixels(1050, 240, 3885, 480));
        QVERIFY(box->findChild<QLabel*>(u"lblDisclaimer"_qs)->text().isEmpty());
        QVERIFY(!box->findChild<QLabel*>(u"lblDescription"_qs)->text().isEmpty());
    }

    void iconsAreDrawnForBothPrograms()
    {
        const QIcon presenter = presenterIcon();
        const QIcon tool = toolIcon();
        for (const QIcon& icon : {presenter, tool}) {
            QVERIFY(!icon.isNull());
            QVERIFY(icon.availableSizes().contains(QSize(16, 16)));
            QVERIFY(icon.availableSizes().contains(QSize(32, 32)));
            const QImage image = icon.pixmap(32, 32).toImage();
            // Drawn, not blank: the corners stay transparent, the middle is painted.
            QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
            QVERIFY(qAlpha(image.pixel(16, 16)) > 0);
        }
        QVERIFY(presenter.pixmap(32, 32).toImage() != tool.pixmap(32, 32).toImage());
    }

    void boxShowsTheProgramIcon()
    {
        QApplication::setWindowIcon(toolIcon());
        showAboutBox();
        frmAbout* box = aboutBox();
        auto* picture = box->findChild<QLabel*>(u"picIcon"_qs);
        QVERIFY(picture);
        const QPixmap shown = picture->pixmap();
        QVERIFY(!shown.isNull());
        QCOMPARE(shown.toImage(), toolIcon().pixmap(shown.size()).toImage());
        QCOMPARE(picture->pos(), twips::toPixels(240, 240));
        QCOMPARE(picture->size(), shown.deviceIndependentSize().toSize());
        QVERIFY(!box->windowIcon().isNull());
        QApplication::setWindowIcon(QIcon());
    }

    void secondShowKeepsTheSameBoxUnfilled()
    {
        showAboutBox();
        frmAbout* first = aboutBox();
        QVERIFY(first);
        // Marks the texts: a second fill would overwrite the mark.
        first->lblTitle()->setText(u"mark"_qs);
        first->lblVersion()->setText(u"mark"_qs);
        showAboutBox();
        QCOMPARE(aboutBox(), first);
        QCOMPARE(first->lblTitle()->text(), u"mark"_qs);
        QCOMPARE(first->lblVersion()->text(), u"mark"_qs);
        QCOMPARE(openAboutBoxes(), 1);
        QCOMPARE(aboutBoxState(), AboutBoxState::Open);
    }

    void okEmptiesTheReference()
    {
        showAboutBox();
        QPointer<frmAbout> first = aboutBox();
        first->lblTitle()->setText(u"mark"_qs);
        QTest::mouseClick(first->findChild<QPushButton*>(u"cmdOK"_qs), Qt::LeftButton);
        QCOMPARE(aboutBoxState(), AboutBoxState::None);
        QTRY_VERIFY(!first);
        QCOMPARE(openAboutBoxes(), 0);
        showAboutBox();
        QVERIFY(aboutBox());
        QCOMPARE(aboutBox()->lblTitle()->text(), kPresenterTitle);
        QCOMPARE(aboutBox()->windowTitle(), u"Quillharbour_Masterのﾊﾞｰｼﾞｮﾝ情報"_qs);
    }

    void closeBoxUnloadsButKeepsTheReference()
    {
        showAboutBox();
        QPointer<frmAbout> first = aboutBox();
        first->lblTitle()->setText(u"mark"_qs);
        QVERIFY(first->close());
        QTRY_VERIFY(!first);
        QCOMPARE(aboutBoxState(), AboutBoxState::Closed);
        QVERIFY(!aboutBox());
        showAboutBox();
        QCOMPARE(aboutBoxState(), AboutBoxState::Open);
        QCOMPARE(aboutBox()->lblTitle()->text(), kPresenterTitle);
    }

    void enterAndEscActAsOk_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
        QTest::newRow("Esc") << int(Qt::Key_Escape);
    }

    void enterAndEscActAsOk()
    {
        QFETCH(int, key);
        showAboutBox();
        QPointer<frmAbout> box = aboutBox();
        QVERIFY(box);
        QTest::keyClick(box, Qt::Key(key));
        QCOMPARE(aboutBoxState(), AboutBoxState::None);
        QTRY_VERIFY(!box);
    }

    void getKeyValueReadsTheStore_data()
    {
        QTest::addColumn<QString>("store");
        QTest::addColumn<uint>("root");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("expectedRead");
        QTest::addColumn<QString>("expectedText");

        const QString kanji1022 = QString(511, u'漢'); // 1022 bytes in code page 932
        const QString key = u"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"_qs;
        const uint hklm = kHKeyLocalMachine;
        QTest::newRow("string") << kPathKeyLine + u"\n\"PATH\"=\"/opt/info\"\n"_qs << hklm << key << u"PATH"_qs << true
                                << u"/opt/info"_qs;
        QTest::newRow("names ignore case") << kPathKeyLine.toLower() + u"\n\"path\"=\"/opt/info\"\n"_qs << hklm << key
                                           << u"PATH"_qs << true << u"/opt/info"_qs;
        QTest::newRow("escapes") << kPathKeyLine + u"\n\"PATH\"=\"C:\\\\a \\\"b\\\"\"\n"_qs << hklm << key << u"PATH"_qs
                                 << true << u"C:\\a \"b\""_qs;
        QTest::newRow("missing value") << kPathKeyLine + u"\n\"OTHER\"=\"/opt/info\"\n"_qs << hklm << key << u"PATH"_qs
                                       << false << QString();
        QTest::newRow("missing key") << kFolderKeyLine + u"\n\"PATH\"=\"/opt/info\"\n"_qs << hklm << key << u"PATH"_qs
                                     << false << QString();
        QTest::newRow("other root") << kPathKeyLine + u"\n\"PATH\"=\"/opt/info\"\n"_qs << uint(kHKeyCurrentUser) << key
                                    << u"PATH"_qs << false << QString();
        QTest::newRow("last one counts") << kPathKeyLine + u"\n\"PATH\"=\"/a\"\n\"PATH\"=\"/b\"\n"_qs << hklm << key
                                         << u"PATH"_qs << true << u"/b"_qs;
        QTest::newRow("malformed line skipped") << kPathKeyLine + u"\nPATH=/a\n\"PATH\"=\"/b\"\n\"PATH\"=\"/c\n"_qs
                                                << hklm << key << u"PATH"_qs << true << u"/b"_qs;
        QTest::newRow("1023 bytes and NUL are read")
            << kPathKeyLine + u"\n\"PATH\"=\""_qs + QString(1023, u'a') + u"\"\n"_qs << hklm << key << u"PATH"_qs
            << true << QString(1023, u'a');
        QTest::newRow("1024 bytes and NUL are not")
            << kPathKeyLine + u"\n\"PATH\"=\""_qs + QString(1024, u'a') + u"\"\n"_qs << hklm << key << u"PATH"_qs
            << false << QString();
        QTest::newRow("limit counts code page bytes") << kPathKeyLine + u"\n\"PATH\"=\""_qs + kanji1022 + u"a\"\n"_qs
                                                      << hklm << key << u"PATH"_qs << true << kanji1022 + u"a"_qs;
        QTest::newRow("two-byte text over the limit") << kPathKeyLine + u"\n\"PATH\"=\""_qs + kanji1022 + u"漢\"\n"_qs
                                                      << hklm << key << u"PATH"_qs << false << QString();
        QTest::newRow("number") << kPathKeyLine + u"\n\"PATH\"=dword:0000002a\n"_qs << hklm << key << u"PATH"_qs << true
                                << u"&h2A"_qs;
        QTest::newRow("binary leaves the text")
            << kPathKeyLine + u"\n\"PATH\"=hex:2f,61\n"_qs << hklm << key << u"PATH"_qs << true << u"unchanged"_qs;
        QTest::newRow("other type leaves the text") << kPathKeyLine + u"\n\"PATH\"=hex(2):2f,61,00\n"_qs << hklm << key
                                                    << u"PATH"_qs << true << u"unchanged"_qs;
        QTest::newRow("binary of 1024 bytes is read")
            << kPathKeyLine + u"\n\"PATH\"=hex:"_qs + hexBytes(1024) + u"\n"_qs << hklm << key << u"PATH"_qs << true
            << u"unchanged"_qs;
        QTest::newRow("binary of 1025 bytes is not") << kPathKeyLine + u"\n\"PATH\"=hex:"_qs + hexBytes(1025) + u"\n"_qs
                                                     << hklm << key << u"PATH"_qs << false << QString();
    }

    void getKeyValueReadsTheStore()
    {
        QFETCH(QString, store);
        QFETCH(uint, root);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(bool, expectedRead);
        QFETCH(QString, expectedText);
        useStore(store);
        QString text = u"unchanged"_qs;
        QCOMPARE(GetKeyValue(root, key, value, text), expectedRead);
        QCOMPARE(text, expectedText);
    }

    void getKeyValueWithoutAStoreFails_data()
    {
        QTest::addColumn<QString>("storeName");
        QTest::newRow("missing file") << u"no such store"_qs;
        QTest::newRow("a folder") << u"folder store"_qs;
        QTest::newRow("under a file") << u"store1.txt/store"_qs;
    }

    void getKeyValueWithoutAStoreFails()
    {
        QFETCH(QString, storeName);
        QVERIFY(QDir(m_dir.path()).mkpath(u"folder store"_qs));
        QVERIFY(test::writeAll(m_dir.filePath(u"store1.txt"_qs), "[HKEY_LOCAL_MACHINE]\n"));
        qputenv("QH_REGISTRY_FILE", QFile::encodeName(m_dir.filePath(storeName)));
        QString text = u"unchanged"_qs;
        QVERIFY(!GetKeyValue(kHKeyLocalMachine, kMsinfoPathKey, kMsinfoPathValue, text));
        QVERIFY(text.isEmpty());
    }

    void startSysInfoFollowsTheLookups_data()
    {
        QTest::addColumn<QString>("pathValue");     // the line of "PATH", or empty for none
        QTest::addColumn<QString>("folderValue");   // the line of "MSINFO", or empty for none
        QTest::addColumn<QString>("expectStarted"); // "path", "folder" or "" for the message

        QTest::addColumn<QString>("program"); // what the lookups find, or "-" for nothing

        QTest::newRow("PATH names a program")
            << u"\"PATH\"=\"@dir@/info.sh\""_qs << QString() << u"path"_qs << u"@dir@/info.sh"_qs;
        QTest::newRow("PATH wins over MSINFO") << u"\"PATH\"=\"@dir@/info.sh\""_qs << u"\"MSINFO\"=\"@dir@/msinfo\""_qs
                                               << u"path"_qs << u"@dir@/info.sh"_qs;
        QTest::newRow("PATH names a missing file; MSINFO not tried")
            << u"\"PATH\"=\"@dir@/missing.sh\""_qs << u"\"MSINFO\"=\"@dir@/msinfo\""_qs << QString()
            << u"@dir@/missing.sh"_qs;
        QTest::newRow("no PATH; MSINFO folder holds the file")
            << QString() << u"\"MSINFO\"=\"@dir@/msinfo\""_qs << u"folder"_qs << u"@dir@/msinfo/MSINFO32.EXE"_qs;
        QTest::newRow("no PATH; MSINFO folder without the file")
            << QString() << u"\"MSINFO\"=\"@dir@/empty\""_qs << QString() << u"-"_qs;
        QTest::newRow("no PATH; the file is a folder")
            << QString() << u"\"MSINFO\"=\"@dir@/folderfile\""_qs << QString() << u"-"_qs;
        QTest::newRow("neither value") << QString() << QString() << QString() << u"-"_qs;
        QTest::newRow("PATH over the limit; MSINFO tried")
            << u"\"PATH\"=\"@dir@/info.sh"_qs + QString(1100, u'x') + u"\""_qs << u"\"MSINFO\"=\"@dir@/msinfo\""_qs
            << u"folder"_qs << u"@dir@/msinfo/MSINFO32.EXE"_qs;
        QTest::newRow("binary PATH starts nothing")
            << u"\"PATH\"=hex:2f,62,69,6e,2f,73,68"_qs << u"\"MSINFO\"=\"@dir@/msinfo\""_qs << QString() << QString();
        QTest::newRow("number PATH starts nothing")
            << u"\"PATH\"=dword:00000001"_qs << u"\"MSINFO\"=\"@dir@/msinfo\""_qs << QString() << u"&h1"_qs;
    }

    void startSysInfoFollowsTheLookups()
    {
        QFETCH(QString, pathValue);
        QFETCH(QString, folderValue);
        QFETCH(QString, expectStarted);
        QFETCH(QString, program);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(writeMarkerProgram(dir.filePath(u"info.sh"_qs)));
        QVERIFY(QDir(dir.path()).mkpath(u"msinfo"_qs));
        QVERIFY(QDir(dir.path()).mkpath(u"empty"_qs));
        QVERIFY(QDir(dir.path()).mkpath(u"folderfile/MSINFO32.EXE"_qs));
        QVERIFY(writeMarkerProgram(dir.filePath(u"msinfo/MSINFO32.EXE"_qs)));

        QString store;
        if (!pathValue.isEmpty())
            store += kPathKeyLine + u'\n' + pathValue + u'\n';
        if (!folderValue.isEmpty())
            store += kFolderKeyLine + u'\n' + folderValue + u'\n';
        const QString storePath = useStore(store.replace(u"@dir@"_qs, dir.path()));

        // Which program the lookups settle on, and so that the second key was not used.
        const std::optional<QString> found = findSysInfoProgram(storePath);
        QCOMPARE(found.value_or(u"-"_qs), program.replace(u"@dir@"_qs, dir.path()));

        MessageCapture capture;
        StartSysInfo();
        const QString pathMarker = dir.filePath(u"info.sh.started"_qs);
        const QString folderMarker = dir.filePath(u"msinfo/MSINFO32.EXE.started"_qs);
        if (expectStarted.isEmpty()) {
            QCOMPARE(capture.texts(), QStringList{kUnavailable});
            QCOMPARE(capture.messages[0].title, kPresenterTitle);
            QVERIFY(!QFile::exists(folderMarker));
        } else {
            QCOMPARE(capture.texts(), QStringList());
            QTRY_VERIFY(QFile::exists(expectStarted == u"path"_qs ? pathMarker : folderMarker));
            QVERIFY(!QFile::exists(expectStarted == u"path"_qs ? folderMarker : pathMarker));
        }
    }

    void sysInfoButtonKeepsTheBoxOpenAfterTheMessage()
    {
        useStore(kFolderKeyLine + u"\n\"MSINFO\"=\"/nonexistent\"\n"_qs);
        showAboutBox();
        frmAbout* box = aboutBox();
        MessageCapture capture;
        QTest::mouseClick(box->findChild<QPushButton*>(u"cmdSysInfo"_qs), Qt::LeftButton);
        QCOMPARE(capture.texts(), QStringList{kUnavailable});
        QCOMPARE(aboutBox(), box);
        QVERIFY(box->isVisible());
        QCOMPARE(aboutBoxState(), AboutBoxState::Open);
    }

    void defaultStoreNamesAnInstalledProgram()
    {
        // The store shipped with the programs must name a program that can be started here.
        const QString shipped = QFINDTESTDATA("../data/Quillharbour_Registry.txt");
        QVERIFY(!shipped.isEmpty());
        const std::optional<QString> program = findSysInfoProgram(shipped);
        QVERIFY(program);
        QVERIFY2(QFileInfo(*program).isExecutable(), qPrintable(*program));
    }
};

QTEST_MAIN(TestAboutBox)
#include "test_aboutbox.moc"
