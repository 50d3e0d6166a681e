#include "common/cp932text.h"
#include "common/settingsfile.h"
#include "tests/support/testfiles.h"
#include "tool/settingsentries.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTest>

using namespace qh;
using namespace qh::tool;
using namespace Qt::StringLiterals;

namespace {

// What a reading holds, in one line: each slot that got any text as "NN=" + flag + name + "," +
// mode, then the three settings, "-" for a setting whose line was missing.
QString summary(const PresenterSettings& settings)
{
    QStringList parts;
    for (int i = 0; i < kSlotCount; ++i) {
        const ChildSlot& slot = settings.childSlots[i];
        if (!slot.inUse.isEmpty() || !slot.computerName.isEmpty() || !slot.screenMode.isEmpty())
            parts << u"%1=%2%3,%4"_s.arg(i + 1, 2, 10, QLatin1Char('0'))
                         .arg(slot.inUse, slot.computerName, slot.screenMode);
    }
    parts << u"child="_s + (settings.hasChildPort ? QString::number(settings.childPort) : u"-"_s);
    parts << u"master="_s + (settings.hasMasterPort ? QString::number(settings.masterPort) : u"-"_s);
    parts << u"mode="_s + (settings.hasScreenMode ? settings.screenMode : u"-"_s);
    return parts.join(u' ');
}

// A computer name of 1 to 12 characters drawn from ASCII, kana, kanji and the Windows-only
// characters of code page 932, never a comma and never a lone blank.
QString randomName(QRandomGenerator& random)
{
    static const QString pool = u"ABCxyz019-_.ROOMpcあいうアイウｱｲｳ漢字教室～①Ⅱ￢∵ "_s;
    QString name;
    const int length = 1 + random.bounded(12);
    for (int i = 0; i < length; ++i)
        name += pool[random.bounded(int(pool.size()))];
    return name == u" "_s ? u"X"_s : name;
}

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT
private slots:
    void readsLines_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("read");
        QTest::newRow("empty slot as the tool writes it")
            << QStringList{u"ChildComp05= ,"_s} << u"05= , child=- master=- mode=-"_s;
        QTest::newRow("named slot not in use") << QStringList{u"ChildComp07=0ROOM2-PC07,WindowScreen"_s}
                                               << u"07=0ROOM2-PC07,WindowScreen child=- master=- mode=-"_s;
        QTest::newRow("values verbatim") << QStringList{u"ChildComp05=0 second ,fullScreen"_s}
                                         << u"05=0 second ,fullScreen child=- master=- mode=-"_s;
        QTest::newRow("first comma ends the name, blank in the number")
            << QStringList{u"ChildComp 6=1教室ＰＣ,FullScreen,x"_s}
            << u"06=1教室ＰＣ,FullScreen,x child=- master=- mode=-"_s;
        QTest::newRow("later line wins") << QStringList{u"ChildComp09=1A,FullScreen"_s, u"MyHostPortx=7000"_s,
                                                        u"ChildComp09=0B,WindowScreen"_s, u"MyHostPortx=7001"_s}
                                         << u"09=0B,WindowScreen child=- master=7001 mode=-"_s;
        QTest::newRow("header and unknown lines")
            << QStringList{u"[ChildComp05=1NOPE,FullScreen]"_s, u"Other=1"_s, QString(), u"RemotePortx=5001"_s}
            << u"child=5001 master=- mode=-"_s;
        QTest::newRow("key without x: value from the 13th character")
            << QStringList{u"RemotePort=5000"_s} << u"child=0 master=- mode=-"_s;
        QTest::newRow("blank before the port")
            << QStringList{u"MyHostPortx= 5002"_s} << u"child=- master=5002 mode=-"_s;
        QTest::newRow("empty port") << QStringList{u"RemotePortx="_s} << u"child=0 master=- mode=-"_s;
        QTest::newRow("letters after the port")
            << QStringList{u"RemotePortx=5000abc"_s} << u"child=5000 master=- mode=-"_s;
        QTest::newRow("leading zero") << QStringList{u"MyHostPortx=05000"_s} << u"child=- master=5000 mode=-"_s;
        QTest::newRow("lowest port") << QStringList{u"RemotePortx=-32768"_s} << u"child=-32768 master=- mode=-"_s;
        QTest::newRow("highest port") << QStringList{u"RemotePortx=32767"_s} << u"child=32767 master=- mode=-"_s;
        QTest::newRow("screen mode verbatim")
            << QStringList{u"ScreenSizex=FullScreen "_s} << u"child=- master=- mode=FullScreen "_s;
        QTest::newRow("empty screen mode") << QStringList{u"ScreenSizex="_s} << u"child=- master=- mode="_s;
    }
    void readsLines()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, read);
        QCOMPARE(summary(parseSettingsLines(lines)), read);
    }

    void onlyExactFullScreenIsFullScreen_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("fullScreen");
        QTest::newRow("FullScreen") << u"FullScreen"_s << true;
        QTest::newRow("lower case") << u"fullscreen"_s << false;
        QTest::newRow("trailing blank") << u"FullScreen "_s << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("WindowScreen") << u"WindowScreen"_s << false;
    }
    void onlyExactFullScreenIsFullScreen()
    {
        QFETCH(QString, mode);
        QFETCH(bool, fullScreen);
        QCOMPARE(isFullScreen(mode), fullScreen);
    }

    // A line outside the format is skipped, before and after the lines it could spoil.
    void skipsLinesOutsideTheFormat_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("slot 31") << u"ChildComp31=1PC31,FullScreen"_s;
        QTest::newRow("slot 00") << u"ChildComp00=1PC00,FullScreen"_s;
        QTest::newRow("slot -1") << u"ChildComp-1=1PC,FullScreen"_s;
        QTest::newRow("slot letters") << u"ChildCompab=1PC,FullScreen"_s;
        QTest::newRow("no comma") << u"ChildComp02=1PC02"_s;
        QTest::newRow("comma at 13") << u"ChildComp02=,PC02"_s;
        QTest::newRow("comma at 12") << u"ChildComp02,1PC02"_s;
        QTest::newRow("key only") << u"ChildComp"_s;
        QTest::newRow("short child") << u"ChildComp02"_s;
        QTest::newRow("short port") << u"RemotePortx"_s;
        QTest::newRow("short master port") << u"MyHostPor"_s;
        QTest::newRow("short screen") << u"ScreenSize="_s;
        QTest::newRow("port above range") << u"RemotePortx=32768"_s;
        QTest::newRow("port below range") << u"MyHostPortx=-32769"_s;
        QTest::newRow("port far above") << u"MyHostPortx=99999999999999999999999"_s;
    }
    void skipsLinesOutsideTheFormat()
    {
        QFETCH(QString, line);
        const QStringList lines{line,
                                u"ChildComp02=1PC02,FullScreen"_s,
                                u"RemotePortx=5001"_s,
                                u"MyHostPortx=5002"_s,
                                u"ScreenSizex=FullScreen"_s,
                                line};
        QCOMPARE(summary(parseSettingsLines(lines)), u"02=1PC02,FullScreen child=5001 master=5002 mode=FullScreen"_s);
    }

    void readsFilesAndTellsFailuresApart()
    {
        const test::WorkingFolder folder;
        QCOMPARE(readSettingsFile(kSettingsFileName).status, FileStatus::Missing);
        QVERIFY(QDir().mkdir(kSettingsFileName)); // exists, but is no file
        QCOMPARE(readSettingsFile(kSettingsFileName).status, FileStatus::NotAFile);
        QVERIFY(QDir().rmdir(kSettingsFileName));
        // Code page 932 names, a lone CR and a last line without its end.
        QVERIFY(folder.write(kSettingsFileName, "ChildComp04=1\x8b\xb3\x8e\xba,FullScreen\rRemotePortx=6001"));
        const SettingsReadResult result = readSettingsFile(kSettingsFileName);
        QCOMPARE(result.status, FileStatus::Ok);
        QCOMPARE(summary(result.settings), u"04=1教室,FullScreen child=6001 master=- mode=-"_s);
    }

    void writesTheExactTexts()
    {
        SettingsEntries entries;
        entries.childPortText = u"50 01x"_s;
        entries.childSlots[0] = {true, u"PC01"_s, 0};
        entries.childSlots[1] = {false, u"PC02"_s, 1};
        entries.childSlots[2] = {true, u"PC03"_s, -1};
        entries.childSlots[3] = {true, QString(), 0}; // cleared name: an empty slot, flag and mode dropped
        entries.childSlots[4] = {true, u"caf"_s + QChar(0x00E9), 0};
        const QByteArray in =
            cp932::writeLines({u"ChildComp01=0old,WindowScreen"_s, u"ChildComp02= ,"_s, u"ChildComp03"_s,
                               u"ChildComp04=1PC04,FullScreen"_s, u"ChildComp05= ,"_s,
                               u"ChildComp31=1PC31,FullScreen"_s, u"RemotePort=5000"_s, u"MyHostPor"_s,
                               u"ScreenSizxx=FullScreen"_s, u"ScreenSiz"_s, QString(), u"[x]"_s, u"other"_s});
        const QByteArray out = cp932::writeLines(
            {u"ChildComp01=1PC01,FullScreen"_s, u"ChildComp02=0PC02,WindowScreen"_s,
             u"ChildComp03=1PC03,WindowScreen"_s, u"ChildComp04= ,"_s, u"ChildComp05=1caf?,FullScreen"_s,
             u"ChildComp31=1PC31,FullScreen"_s, u"RemotePortx=50 01x"_s, u"MyHostPortx="_s,
             u"ScreenSizex=WindowScreen"_s, u"ScreenSizex=WindowScreen"_s, QString(), u"[x]"_s, u"other"_s});
        QCOMPARE(rewriteSettingsBytes(in, entries), out);
    }

    void unchangedValuesSaveByteForByte()
    {
        QByteArray file = test::readAll(test::dataPath(u"example.ini"_s));
        // Header, empty and unknown lines, an unusual order and bytes that are not code page 932.
        file.prepend("; written by hand\r\n\r\n");
        file.append("MyHostPortx=5002\r\n[\xff\xfe broken]\r\nunknown \x85\x40 line\r\n");
        QCOMPARE(rewriteSettingsBytes(file, entriesFromSettings(parseSettingsBytes(file))), file);
    }

    // Whatever a window holds, within the format's limits, reads back as it was entered.
    void writerAndReaderAgree()
    {
        const quint32 seed = QRandomGenerator::global()->generate();
        QRandomGenerator random(seed);
        const QByteArray example = test::readAll(test::dataPath(u"example.ini"_s));
        for (int round = 0; round < 300; ++round) {
            SettingsEntries entries;
            const int masterPort = random.bounded(-32768, 32768);
            const int childPort = random.bounded(1, 32768);
            entries.masterPortText = QString::number(masterPort);
            entries.childPortText = QString::number(childPort) + (random.bounded(2) ? u"abc"_s : QString());
            entries.screenModeIndex = random.bounded(-1, 2);
            for (SlotEntry& slot : entries.childSlots) {
                slot.checked = random.bounded(2);
                slot.modeIndex = random.bounded(-1, 2);
                slot.name = random.bounded(3) ? randomName(random) : QString();
            }
            const PresenterSettings back = parseSettingsBytes(rewriteSettingsBytes(example, entries));
            const QByteArray seedAndRound = u"seed %1 round %2"_s.arg(seed).arg(round).toUtf8();
            const char* context = seedAndRound.constData();
            QVERIFY2(back.masterPort == masterPort && back.childPort == childPort, context);
            QVERIFY2(isFullScreen(back.screenMode) == (entries.screenModeIndex == 0), context);
            for (int i = 0; i < kSlotCount; ++i) {
                const SlotEntry& slot = entries.childSlots[i];
                const ChildSlot& read = back.childSlots[i];
                QVERIFY2(read.computerName == slot.name, context);
                if (slot.name.isEmpty()) {
                    QVERIFY2(read.inUse == u" "_s && read.screenMode.isEmpty(), context);
                } else {
                    QVERIFY2(read.inUse == (slot.checked ? u"1"_s : u"0"_s), context);
                    QVERIFY2(isFullScreen(read.screenMode) == (slot.modeIndex == 0), context);
                }
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestSettingsFile)
#include "test_settingsfile.moc"
