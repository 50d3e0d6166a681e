#include "common/cp932text.h"
#include "tests/support/toolfixture.h"
#include "tool/modelist.h"
#include "tool/savesettings.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <optional>
#include <unistd.h>

using namespace qh;
using namespace qh::test;
using namespace Qt::StringLiterals;

namespace {

const QString kIni = u"Quillharbour_Master.ini"_s;
const QString kTemp = u"Temp.tmp"_s;
const QString kTempNotWritten =
    u"Temp.tmp に書き込めないため、設定を保存できませんでした。\nQuillharbour_Master.ini は変更されていません。"_s;

// The example file with some of its lines replaced.
QByteArray exampleWith(const QList<QPair<QByteArray, QByteArray>>& replacements)
{
    QByteArray bytes = exampleBytes();
    for (const auto& [from, to] : replacements) {
        const qsizetype at = bytes.indexOf(from + "\r\n");
        if (at < 0)
            return {};
        bytes.replace(at, from.size(), to);
    }
    return bytes;
}

// What the window holds in the tests that save without it.
tool::SettingsEntries typedEntries()
{
    tool::SettingsEntries entries;
    entries.childPortText = u"6000"_s;
    entries.masterPortText = u"50ab"_s;
    entries.screenModeIndex = 0;
    entries.childSlots[1] = {true, u"PC2"_s, 0};
    entries.childSlots[2] = {true, QString(), 1};
    entries.childSlots[3] = {false, u"教室ＰＣ①"_s, -1};
    entries.childSlots[4] = {true, u"PC,5"_s, 1};
    return entries;
}

void stepModeList(const OpenWindow& window, const QString& name)
{
    window.control<tool::ModeList>(name)->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
}

} // namespace

class TestSaveSettings : public QObject
{
    Q_OBJECT
private slots:
    void init() { setProgramTitle(u"Quillharbour_Master_Tool"_s); }

    void savesEveryLineInItsPlace_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("header, empty and unknown lines in an unusual order")
            << QByteArray("[Head]\r\n\r\nScreenSizex=WindowScreen\r\nfoo=bar\r\nChildComp02=0X,WindowScreen\r\n"
                          "\r\nRemotePort=5000\r\n[ChildComp]\r\n")
            << QByteArray("[Head]\r\n\r\nScreenSizex=FullScreen\r\nfoo=bar\r\nChildComp02=1PC2,FullScreen\r\n"
                          "\r\nRemotePortx=6000\r\n[ChildComp]\r\n");
        QTest::newRow("cleared name with a ticked box is an empty slot")
            << QByteArray("ChildComp03=1OLD,FullScreen\r\n") << QByteArray("ChildComp03= ,\r\n");
        QTest::newRow("port text as typed") << QByteArray("MyHostPortx=5002\r\n") << QByteArray("MyHostPortx=50ab\r\n");
        QTest::newRow("double-byte name, no selection is window")
            << QByteArray("ChildComp04= ,\r\n") << cp932::encode(u"ChildComp04=0教室ＰＣ①,WindowScreen\r\n"_s);
        QTest::newRow("name with a comma as typed")
            << QByteArray("ChildComp05= ,\r\n") << QByteArray("ChildComp05=1PC,5,WindowScreen\r\n");
        QTest::newRow("lone LF and missing last terminator")
            << QByteArray("[H]\nChildComp02= ,\nzzz") << QByteArray("[H]\r\nChildComp02=1PC2,FullScreen\r\nzzz\r\n");
    }
    void savesEveryLineInItsPlace()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        const WorkingFolder folder;
        QVERIFY(folder.write(kIni, before));
        // A Temp.tmp left over from an earlier save is overwritten and then removed.
        QVERIFY(folder.write(kTemp, QByteArray(10000, 'x')));
        QCOMPARE(tool::saveSettings(typedEntries()).message, QString());
        QCOMPARE(readAll(kIni), after);
        QVERIFY(!QFileInfo::exists(kTemp));
        // A second save leaves the file byte for byte as the first left it.
        QCOMPARE(tool::saveSettings(typedEntries()).message, QString());
        QCOMPARE(readAll(kIni), after);
    }

    void keepsTheFilePermissions()
    {
        const WorkingFolder folder;
        QVERIFY(folder.write(kIni, exampleBytes()));
        const QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
        QVERIFY(QFile::setPermissions(kIni, permissions));
        QCOMPARE(tool::saveSettings(typedEntries()).message, QString());
        QVERIFY(readAll(kIni).contains("MyHostPortx=50ab\r\n"));
        QCOMPARE(QFileInfo(kIni).permissions() & 0x7077, permissions); // owner, group, other
    }

    void linkedFileIsReplacedWhereTheLinkPoints()
    {
        const WorkingFolder folder;
        QVERIFY(QDir().mkdir(u"shared"_s));
        QVERIFY(folder.write(u"shared/real.ini"_s, exampleBytes()));
        QVERIFY(QFile::link(u"shared/real.ini"_s, kIni));
        QCOMPARE(tool::saveSettings(typedEntries()).message, QString());
        QVERIFY(QFileInfo(kIni).isSymLink());
        QVERIFY(readAll(u"shared/real.ini"_s).contains("RemotePortx=6000\r\n"));
        QVERIFY(!QFileInfo::exists(kTemp));
    }

    void failedReplaceKeepsBothFiles()
    {
        // A folder where the configuration file should be replaced makes the rename fail for real.
        const WorkingFolder folder;
        QVERIFY(QDir().mkpath(u"target/inner"_s));
        QVERIFY(folder.write(kTemp, "new settings\r\n"));
        QCOMPARE(tool::replaceSettingsFile(kTemp, u"target"_s).message,
                 u"target を置き換えられないため、設定を保存できませんでした。\n"
                 u"target は元のままです。新しい設定は Temp.tmp に残してあります。"_s);
        QCOMPARE(readAll(kTemp), QByteArray("new settings\r\n"));
        QVERIFY(QFileInfo(u"target/inner"_s).isDir());
    }

    void windowSavesWhatItShows()
    {
        const ToolSession tool;
        const OpenWindow& window = tool.window;
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QTest::keyClicks(window.control<QLineEdit>(u"Text3_3"_s), u"ROOM2-PC04"_s);
        window.control<QCheckBox>(u"Check1_3"_s)->click();
        window.control<QCheckBox>(u"Check1_0"_s)->click();
        window.control<QLineEdit>(u"Text3_1"_s)->clear();
        stepModeList(window, u"List2_3"_s);
        stepModeList(window, u"List1"_s);
        auto* port = window.control<QLineEdit>(u"Text2"_s);
        port->selectAll();
        QTest::keyClicks(port, u"6001"_s);

        QTest::mouseClick(window.control<QPushButton>(u"Command2"_s), Qt::LeftButton);
        QCOMPARE(tool.messages.texts(), QStringList());
        const QByteArray expected =
            exampleWith({{"ChildComp01=1ROOM2-PC01,FullScreen", "ChildComp01=0ROOM2-PC01,FullScreen"},
                         {"ChildComp02=1ROOM2-PC02,FullScreen", "ChildComp02= ,"},
                         {"ChildComp04= ,", "ChildComp04=1ROOM2-PC04,FullScreen"},
                         {"RemotePortx=5001", "RemotePortx=6001"},
                         {"ScreenSizex=FullScreen", "ScreenSizex=WindowScreen"}});
        QVERIFY(!expected.isEmpty());
        QCOMPARE(readAll(kIni), expected);
        QVERIFY(!QFileInfo::exists(kTemp));
        // The window still shows what it showed, the ticked box of the cleared slot included.
        QCOMPARE(window.value(u"Text3_1"_s), QVariant(QString()));
        QCOMPARE(window.value(u"Check1_1"_s), QVariant(true));
        QCOMPARE(window.value(u"List1"_s), QVariant(1));
    }

    // Every way a save from the window can fail: the user is told (but for a file that cannot be
    // opened at all), the configuration file keeps its bytes, and no half-written Temp.tmp is left.
    void failuresLoseNothing_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("message");
        QTest::newRow("file removed after loading") << u"remove"_s << u" ファイルがありません"_s;
        const QString notAFile = u"INIファイルが通常のファイルではないため読めません"_s;
        QTest::newRow("folder in the file's place") << u"ini folder"_s << notAFile;
        QTest::newRow("FIFO in the file's place") << u"ini fifo"_s << notAFile;
        QTest::newRow("file read-only")
            << u"read-only"_s
            << u"Quillharbour_Master.ini は読み取り専用のため、設定を保存できませんでした。\n"
               u"Quillharbour_Master.ini は変更されていません。"_s;
        QTest::newRow("folder named Temp.tmp") << u"temp folder"_s << kTempNotWritten;
        // A link planted as Temp.tmp must not make the save write where it leads.
        const QString notOwn =
            u"Temp.tmp がリンクなど通常のファイルではないため、設定を保存できませんでした。"
            u"Temp.tmp を削除してから保存してください。\nQuillharbour_Master.ini は変更されていません。"_s;
        QTest::newRow("symbolic link named Temp.tmp") << u"temp link"_s << notOwn;
        QTest::newRow("link to no file named Temp.tmp") << u"temp dangling link"_s << notOwn;
        QTest::newRow("second name of a file as Temp.tmp") << u"temp hard link"_s << notOwn;
        // Renamed into place, another user's Temp.tmp would make that user the settings' owner.
        QTest::newRow("Temp.tmp of another user")
            << u"temp of another user"_s
            << u"Temp.tmp が他のユーザーのファイルのため、設定を保存できませんでした。Temp.tmp "
               u"を削除してから保存してください。\n"
               u"Quillharbour_Master.ini は変更されていません。"_s;
        // A name that would break the file's line or come back as another name is refused.
        const QString refused = u"コンピュータ番号05の名前に保存できない文字があります。\n設定は保存されていません。"_s;
        QTest::newRow("name outside code page 932") << u"name:café"_s << refused;
        QTest::newRow("name with a line break") << u"name:PC\r\nX"_s << refused;
        QTest::newRow("name with a tab") << u"name:PC\tX"_s << refused;
    }
    void failuresLoseNothing()
    {
        QFETCH(QString, setup);
        QFETCH(QString, message);
        const ToolSession tool;
        const OpenWindow& window = tool.window;
        QCOMPARE(tool.messages.texts(), QStringList());
        if (setup == u"remove" || setup.startsWith(u"ini "))
            QVERIFY(QFile::remove(kIni));
        if (setup == u"ini folder")
            QVERIFY(QDir().mkpath(kIni + u"/inner"_s));
        std::optional<Fifo> fifo;
        if (setup == u"ini fifo")
            QVERIFY(fifo.emplace(kIni).isValid());
        if (setup == u"read-only")
            QVERIFY(QFile::setPermissions(kIni, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        if (setup == u"temp folder")
            QVERIFY(QDir().mkpath(kTemp + u"/inner"_s));
        const QString elsewhere = u"elsewhere.txt"_s;
        if (setup == u"temp link" || setup == u"temp hard link")
            QVERIFY(writeAll(elsewhere, "someone else's"));
        if (setup == u"temp link" || setup == u"temp dangling link")
            QVERIFY(QFile::link(elsewhere, kTemp));
        if (setup == u"temp hard link")
            QCOMPARE(::link(QFile::encodeName(elsewhere).constData(), QFile::encodeName(kTemp).constData()), 0);
        constexpr uid_t kOtherUser = 65534; // nobody
        if (setup == u"temp of another user") {
            QVERIFY(writeAll(kTemp, "someone else's"));
            QCOMPARE(::chown(QFile::encodeName(kTemp).constData(), kOtherUser, gid_t(-1)), 0);
        }
        window.control<QLineEdit>(u"Text1"_s)->setText(u"1234"_s);
        if (setup.startsWith(u"name:"))
            window.control<QLineEdit>(u"Text3_4"_s)->setText(setup.mid(5));

        QTest::mouseClick(window.control<QPushButton>(u"Command2"_s), Qt::LeftButton);
        QCOMPARE(tool.messages.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        for (const CapturedMessage& shown : tool.messages.messages)
            QCOMPARE(shown.title, u"Quillharbour_Masterからのメッセージ"_s);
        if (setup == u"remove")
            QVERIFY(!QFileInfo::exists(kIni));
        else if (setup == u"ini folder")
            QVERIFY(QFileInfo(kIni + u"/inner"_s).isDir());
        else if (setup == u"ini fifo")
            QVERIFY(!QFileInfo(kIni).isFile() && QFileInfo::exists(kIni));
        else
            QCOMPARE(readAll(kIni), exampleBytes());
        if (setup == u"temp folder")
            QVERIFY(QFileInfo(kTemp + u"/inner"_s).isDir());
        else if (setup.startsWith(u"temp"))
            QVERIFY(QFileInfo(kTemp).isSymLink() || QFileInfo(kTemp).isFile()); // left as planted
        else
            QVERIFY(!QFileInfo::exists(kTemp));
        if (setup == u"temp link" || setup == u"temp hard link")
            QCOMPARE(readAll(elsewhere), QByteArray("someone else's"));
        if (setup == u"temp of another user") {
            QCOMPARE(readAll(kTemp), QByteArray("someone else's"));
            QCOMPARE(QFileInfo(kTemp).ownerId(), kOtherUser);
        }
        if (setup == u"temp dangling link")
            QVERIFY(!QFileInfo::exists(elsewhere));
        QCOMPARE(window.value(u"Text1"_s), QVariant(u"1234"_s));
    }
};

QTEST_MAIN(TestSaveSettings)
#include "test_savesettings.moc"
