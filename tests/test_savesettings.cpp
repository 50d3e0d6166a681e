#include "cp932text.h"
#include "messagebox.h"
#include "savesettings.h"
#include "toolfixture.h"

#include <QPushButton>
#include <QScrollBar>

using namespace qh;
using namespace qh::test;
using tool::SaveOutcome;

namespace {

const QString kIni = u"Quillharbour_Master.ini"_qs;
const QString kTemp = u"Temp.tmp"_qs;

QByteArray crlf(const QString& text)
{
    return cp932::encode(text);
}

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

// Entries that any file with the example's lines accepts.
SettingsEntries validEntries()
{
    SettingsEntries entries;
    entries.myHostPortText = u"5002"_qs;
    entries.remotePortText = u"5001"_qs;
    return entries;
}

} // namespace

class TestSaveSettings : public QObject
{
    Q_OBJECT
private slots:
    void init() { setProgramTitle(u"Quillharbour_Master_Tool"_qs); }

    void savesEveryLineInItsPlace_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QByteArray>("rereadName");
        SettingsEntries entries;
        entries.remotePortText = u"6000"_qs;
        entries.myHostPortText = u"50ab"_qs;
        entries.screenModeIndex = 0;
        entries.childSlots[1] = {true, u"PC2"_qs, 0};
        entries.childSlots[2] = {true, QString(), 1};
        entries.childSlots[3] = {false, u"教室ＰＣ①"_qs, -1};
        QTest::newRow("header, empty and unknown lines in an unusual order")
            << crlf(u"[Head]\r\n\r\nScreenSizex=WindowScreen\r\nfoo=bar\r\nChildComp02=0X,WindowScreen\r\n"
                    u"\r\nRemotePort=5000\r\n[ChildComp]\r\n"_qs)
            << crlf(u"[Head]\r\n\r\nScreenSizex=FullScreen\r\nfoo=bar\r\nChildComp02=1PC2,FullScreen\r\n"
                    u"\r\nRemotePortx=6000\r\n[ChildComp]\r\n"_qs)
            << QByteArray("PC2");
        QTest::newRow("cleared name with a ticked box is an empty slot")
            << crlf(u"ChildComp03=1OLD,FullScreen\r\n"_qs) << crlf(u"ChildComp03= ,\r\n"_qs) << QByteArray();
        QTest::newRow("port text as typed")
            << crlf(u"MyHostPortx=5002\r\n"_qs) << crlf(u"MyHostPortx=50ab\r\n"_qs) << QByteArray();
        QTest::newRow("double-byte name, no selection is window")
            << crlf(u"ChildComp04= ,\r\n"_qs) << crlf(u"ChildComp04=0教室ＰＣ①,WindowScreen\r\n"_qs)
            << QByteArray("\xe6\x95\x99\xe5\xae\xa4\xef\xbc\xb0\xef\xbc\xa3\xe2\x91\xa0");
        QTest::newRow("lone LF and missing last terminator")
            << QByteArray("[H]\nChildComp02= ,\nzzz") << QByteArray("[H]\r\nChildComp02=1PC2,FullScreen\r\nzzz\r\n")
            << QByteArray("PC2");
        m_entries = entries;
    }
    void savesEveryLineInItsPlace()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(QByteArray, rereadName);
        WorkingFolder folder;
        QVERIFY(writeAll(folder.path(kIni), before));
        const tool::SaveResult result = tool::saveSettings(m_entries);
        QCOMPARE(int(result.outcome), int(SaveOutcome::Saved));
        QVERIFY(result.message.isEmpty());
        QCOMPARE(readAll(folder.path(kIni)), after);
        QVERIFY(!QFileInfo::exists(folder.path(kTemp)));
        // What was saved reads back as it was entered.
        const SettingsReadResult reread = ReadSettingsFile(kIni);
        QCOMPARE(int(reread.status), int(ReadStatus::Ok));
        if (!rereadName.isEmpty()) {
            const QString name = QString::fromUtf8(rereadName);
            bool found = false;
            for (const ChildSlot& slot : reread.settings.childSlots)
                found = found || slot.computerName == name;
            QVERIFY(found);
        }
        // A second save leaves the file byte for byte as the first left it.
        QCOMPARE(int(tool::saveSettings(m_entries).outcome), int(SaveOutcome::Saved));
        QCOMPARE(readAll(folder.path(kIni)), after);
    }

    void leftoverTempFileIsReplacedAndRemoved()
    {
        WorkingFolder folder;
        QVERIFY(writeAll(folder.path(kIni), exampleBytes()));
        QVERIFY(writeAll(folder.path(kTemp), QByteArray(10000, 'x')));
        const SettingsEntries entries = entriesFromSettings(ReadSettingsFile(kIni).settings);
        QCOMPARE(int(tool::saveSettings(entries).outcome), int(SaveOutcome::Saved));
        QVERIFY(!QFileInfo::exists(folder.path(kTemp)));
        QCOMPARE(readAll(folder.path(kIni)), exampleBytes());
    }

    void keepsTheFilePermissions()
    {
        WorkingFolder folder;
        QVERIFY(writeAll(folder.path(kIni), exampleBytes()));
        const QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
        QVERIFY(QFile::setPermissions(folder.path(kIni), permissions));
        QCOMPARE(int(tool::saveSettings(validEntries()).outcome), int(SaveOutcome::Saved));
        QCOMPARE(QFileInfo(folder.path(kIni)).permissions() & 0x7077, permissions); // owner, group, other
    }

    // Every way a save can fail: the configuration file keeps its bytes, and what the user typed
    // is either not yet written or left complete in Temp.tmp.
    void failuresLoseNothing_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("newContentInTemp");
        QTest::newRow("file missing") << u"missing"_qs << int(SaveOutcome::SettingsMissing)
                                      << u" ファイルがありません"_qs << false;
        QTest::newRow("folder named like the file")
            << u"ini folder"_qs << int(SaveOutcome::SettingsUnopenable) << QString() << false;
        QTest::newRow("file read-only")
            << u"read-only"_qs << int(SaveOutcome::SettingsReadOnly)
            << u"Quillharbour_Master.ini は読み取り専用のため、設定を保存できませんでした。\n"
               u"Quillharbour_Master.ini は変更されていません。"_qs
            << false;
        QTest::newRow("folder named Temp.tmp") << u"temp folder"_qs << int(SaveOutcome::TempNotWritten)
                                               << u"Temp.tmp に書き込めないため、設定を保存できませんでした。\n"
                                                  u"Quillharbour_Master.ini は変更されていません。"_qs
                                               << false;
    }
    void failuresLoseNothing()
    {
        QFETCH(QString, setup);
        QFETCH(int, outcome);
        QFETCH(QString, message);
        QFETCH(bool, newContentInTemp);
        WorkingFolder folder;
        const QByteArray old = exampleBytes();
        if (setup == u"ini folder"_qs)
            QVERIFY(QDir().mkpath(folder.path(kIni + u"/inner"_qs)));
        else if (setup != u"missing"_qs)
            QVERIFY(writeAll(folder.path(kIni), old));
        if (setup == u"read-only"_qs)
            QVERIFY(QFile::setPermissions(folder.path(kIni), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        if (setup == u"temp folder"_qs)
            QVERIFY(QDir().mkpath(folder.path(kTemp + u"/inner"_qs)));

        SettingsEntries entries = validEntries();
        entries.childSlots[0] = {true, u"NEW-PC"_qs, 0};
        const tool::SaveResult result = tool::saveSettings(entries);
        QCOMPARE(int(result.outcome), outcome);
        QCOMPARE(result.message, message);
        if (setup == u"missing"_qs)
            QVERIFY(!QFileInfo::exists(folder.path(kIni)));
        else if (setup == u"ini folder"_qs)
            QVERIFY(QFileInfo(folder.path(kIni + u"/inner"_qs)).isDir());
        else
            QCOMPARE(readAll(folder.path(kIni)), old);
        if (setup == u"temp folder"_qs)
            QVERIFY(QFileInfo(folder.path(kTemp + u"/inner"_qs)).isDir());
        else
            QCOMPARE(QFileInfo::exists(folder.path(kTemp)), newContentInTemp);
    }

    void namesThatWouldNotReadBackAreRefused_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message"); // empty when the value is stored as typed
        const QString refused =
            u"コンピュータ番号05の名前に保存できない文字があります。\n設定は保存されていません。"_qs;
        // Ports and commas are the file format's own limits: stored as typed, read back leniently.
        QTest::newRow("port letters") << u"master"_qs << u"abc"_qs << QString();
        QTest::newRow("port digits then letters") << u"master"_qs << u"5000abc"_qs << QString();
        QTest::newRow("port empty") << u"child"_qs << QString() << QString();
        QTest::newRow("port 32768") << u"child"_qs << u"32768"_qs << QString();
        QTest::newRow("name plain") << u"name"_qs << u"ROOM2-PC05"_qs << QString();
        QTest::newRow("name double-byte") << u"name"_qs << u"教室ＰＣ①"_qs << QString();
        QTest::newRow("name with comma") << u"name"_qs << u"PC,5"_qs << QString();
        QTest::newRow("name outside code page 932") << u"name"_qs << u"café"_qs << refused;
        QTest::newRow("name with line break") << u"name"_qs << u"PC\r\nX"_qs << refused;
        QTest::newRow("name with tab") << u"name"_qs << u"PC\tX"_qs << refused;
    }
    void namesThatWouldNotReadBackAreRefused()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, message);
        WorkingFolder folder;
        QVERIFY(writeAll(folder.path(kIni), exampleBytes()));
        SettingsEntries entries = validEntries();
        if (field == u"master"_qs)
            entries.myHostPortText = text;
        else if (field == u"child"_qs)
            entries.remotePortText = text;
        else
            entries.childSlots[4] = {true, text, 0};
        const tool::SaveResult result = tool::saveSettings(entries);
        QCOMPARE(result.message, message);
        QCOMPARE(int(result.outcome), int(message.isEmpty() ? SaveOutcome::Saved : SaveOutcome::InvalidEntry));
        if (!message.isEmpty())
            QCOMPARE(readAll(folder.path(kIni)), exampleBytes());
        else if (field == u"master"_qs)
            QVERIFY(readAll(folder.path(kIni)).contains(cp932::encode(u"MyHostPortx="_qs + text) + "\r\n"));
        else if (field == u"child"_qs)
            QVERIFY(readAll(folder.path(kIni)).contains(cp932::encode(u"RemotePortx="_qs + text) + "\r\n"));
        else
            QVERIFY(readAll(folder.path(kIni)).contains(cp932::encode(u"ChildComp05=1"_qs + text) + ",FullScreen\r\n"));
        QVERIFY(!QFileInfo::exists(folder.path(kTemp)));
    }

    void linkedFileIsReplacedWhereTheLinkPoints()
    {
        WorkingFolder folder;
        QVERIFY(QDir().mkdir(folder.path(u"shared"_qs)));
        QVERIFY(writeAll(folder.path(u"shared/real.ini"_qs), exampleBytes()));
        QVERIFY(QFile::link(folder.path(u"shared/real.ini"_qs), folder.path(kIni)));
        SettingsEntries entries = validEntries();
        entries.remotePortText = u"6001"_qs;
        QCOMPARE(int(tool::saveSettings(entries).outcome), int(SaveOutcome::Saved));
        QVERIFY(QFileInfo(folder.path(kIni)).isSymLink());
        QVERIFY(readAll(folder.path(u"shared/real.ini"_qs)).contains("RemotePortx=6001\r\n"));
        QVERIFY(!QFileInfo::exists(folder.path(kTemp)));
    }

    void tempPathUnderAFileIsReported()
    {
        WorkingFolder folder;
        QVERIFY(writeAll(folder.path(kIni), exampleBytes()));
        QVERIFY(writeAll(folder.path(u"plain"_qs), "x"));
        const tool::SaveResult result = tool::saveSettings(validEntries(), kIni, u"plain/Temp.tmp"_qs);
        QCOMPARE(int(result.outcome), int(SaveOutcome::TempNotWritten));
        QVERIFY(result.message.contains(u"plain/Temp.tmp"_qs));
        QCOMPARE(readAll(folder.path(kIni)), exampleBytes());
        QCOMPARE(readAll(folder.path(u"plain"_qs)), QByteArray("x"));
    }

    void failedReplaceKeepsBothFiles()
    {
        // A folder where the configuration file should be replaced makes the rename fail for real.
        WorkingFolder folder;
        QVERIFY(QDir().mkpath(folder.path(u"target/inner"_qs)));
        QVERIFY(writeAll(folder.path(kTemp), "new settings\r\n"));
        const tool::SaveResult result = tool::replaceSettingsFile(kTemp, u"target"_qs);
        QCOMPARE(int(result.outcome), int(SaveOutcome::ReplaceFailed));
        QCOMPARE(result.message, u"target を置き換えられないため、設定を保存できませんでした。\n"
                                 u"target は元のままです。新しい設定は Temp.tmp に残してあります。"_qs);
        QCOMPARE(readAll(folder.path(kTemp)), QByteArray("new settings\r\n"));
        QVERIFY(QFileInfo(folder.path(u"target/inner"_qs)).isDir());
    }

    void windowSavesWhatItShows()
    {
        WorkingFolder folder;
        QVERIFY(writeAll(folder.path(kIni), exampleBytes()));
        MessageCapture capture;
        OpenWindow form;
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        auto* name = form.control<QLineEdit>(u"Text3_3"_qs);
        QTest::keyClicks(name, u"ROOM2-PC04"_qs);
        form.control<QCheckBox>(u"Check1_3"_qs)->click();
        form.control<QCheckBox>(u"Check1_0"_qs)->click();
        form.control<QLineEdit>(u"Text3_1"_qs)->clear();
        form.control<tool::ModeList>(u"List2_3"_qs)
            ->verticalScrollBar()
            ->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        form.control<tool::ModeList>(u"List1"_qs)
            ->verticalScrollBar()
            ->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        auto* port = form.control<QLineEdit>(u"Text2"_qs);
        port->selectAll();
        QTest::keyClicks(port, u"6001"_qs);
        const SettingsEntries shown = form->entries();

        QTest::mouseClick(form.control<QPushButton>(u"Command2"_qs), Qt::LeftButton);
        QVERIFY(capture.messages.isEmpty());
        const QByteArray expected =
            exampleWith({{"ChildComp01=1ROOM2-PC01,FullScreen", "ChildComp01=0ROOM2-PC01,FullScreen"},
                         {"ChildComp02=1ROOM2-PC02,FullScreen", "ChildComp02= ,"},
                         {"ChildComp04= ,", "ChildComp04=1ROOM2-PC04,FullScreen"},
                         {"RemotePortx=5001", "RemotePortx=6001"},
                         {"ScreenSizex=FullScreen", "ScreenSizex=WindowScreen"}});
        QVERIFY(!expected.isEmpty());
        QCOMPARE(readAll(folder.path(kIni)), expected);
        QVERIFY(!QFileInfo::exists(folder.path(kTemp)));
        // The window still shows exactly what it showed, and a reopened window shows it too.
        QVERIFY(form->entries().childSlots[3].name == shown.childSlots[3].name);
        QCOMPARE(form.value(u"Check1_1"_qs), QVariant(true));
        QCOMPARE(form.value(u"List1"_qs), QVariant(1));
        OpenWindow reopened;
        QCOMPARE(reopened.value(u"Text3_3"_qs), QVariant(u"ROOM2-PC04"_qs));
        QCOMPARE(reopened.value(u"Check1_0"_qs), QVariant(false));
        QCOMPARE(reopened.value(u"Text2"_qs), QVariant(u"6001"_qs));
    }

    void windowReportsFailures_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("message");
        QTest::newRow("file removed after loading") << u"remove"_qs << u" ファイルがありません"_qs;
        QTest::newRow("folder named Temp.tmp") << u"temp folder"_qs
                                               << u"Temp.tmp に書き込めないため、設定を保存できませんでした。\n"
                                                  u"Quillharbour_Master.ini は変更されていません。"_qs;
        QTest::newRow("unopenable file") << u"ini folder"_qs << QString();
        QTest::newRow("name outside code page 932")
            << u"bad name"_qs
            << u"コンピュータ番号01の名前に保存できない文字があります。\n設定は保存されていません。"_qs;
    }
    void windowReportsFailures()
    {
        QFETCH(QString, setup);
        QFETCH(QString, message);
        WorkingFolder folder;
        QVERIFY(writeAll(folder.path(kIni), exampleBytes()));
        MessageCapture capture;
        OpenWindow form;
        QVERIFY(capture.messages.isEmpty());
        if (setup == u"remove"_qs || setup == u"ini folder"_qs)
            QVERIFY(QFile::remove(folder.path(kIni)));
        if (setup == u"ini folder"_qs)
            QVERIFY(QDir().mkdir(folder.path(kIni)));
        if (setup == u"temp folder"_qs)
            QVERIFY(QDir().mkdir(folder.path(kTemp)));
        const QString port = u"1234"_qs;
        form.control<QLineEdit>(u"Text1"_qs)->setText(port);
        if (setup == u"bad name"_qs)
            form.control<QLineEdit>(u"Text3_0"_qs)->setText(u"caf"_qs + QChar(0x00E9));
        QTest::mouseClick(form.control<QPushButton>(u"Command2"_qs), Qt::LeftButton);
        QCOMPARE(capture.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        for (const CapturedMessage& shown : capture.messages)
            QCOMPARE(shown.title, u"Quillharbour_Masterからのメッセージ"_qs);
        if (setup == u"temp folder"_qs || setup == u"bad name"_qs)
            QCOMPARE(readAll(folder.path(kIni)), exampleBytes());
        if (setup != u"temp folder"_qs)
            QVERIFY(!QFileInfo(folder.path(kTemp)).exists());
        QCOMPARE(form.value(u"Text1"_qs), QVariant(port));
    }

private:
    SettingsEntries m_entries;
};

QTEST_MAIN(TestSaveSettings)
#include "test_savesettings.moc"
