#include "cp932text.h"
#include "settingsfile.h"
#include "testutil.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace qh;

namespace {
PresenterSettings readLine(const QString& line)
{
    return parseSettingsLines({line});
}

QStringList exampleLines()
{
    return cp932::readLines(test::readAll(test::dataPath(u"example.ini"_qs)));
}

// A computer name of 1 to 12 characters drawn from ASCII, kana, kanji and the Windows-only
// characters of CP932, never a comma and never a lone blank.
QString randomName(QRandomGenerator& random)
{
    static const QString pool = u"ABCxyz019-_.ROOMpcあいうアイウｱｲｳ漢字教室～①Ⅱ￢∵ "_qs;
    QString name;
    const int length = 1 + random.bounded(12);
    for (int i = 0; i < length; ++i)
        name += pool[random.bounded(int(pool.size()))];
    return name == u" "_qs ? u"X"_qs : name;
}
} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT
private slots:
    void readsTheExampleFile()
    {
        const PresenterSettings s = parseSettingsLines(exampleLines());
        QCOMPARE(s.childSlots[0].computerName, u"ROOM2-PC01"_qs);
        QCOMPARE(s.childSlots[0].inUse, u"1"_qs);
        QCOMPARE(s.childSlots[0].screenMode, u"FullScreen"_qs);
        QCOMPARE(s.childSlots[1].computerName, u"ROOM2-PC02"_qs);
        QCOMPARE(s.childSlots[2].inUse, u"0"_qs);
        QCOMPARE(s.childSlots[2].screenMode, u"WindowScreen"_qs);
        for (int i = 3; i < kSlotCount; ++i) {
            QCOMPARE(s.childSlots[i].computerName, QString());
            QCOMPARE(s.childSlots[i].inUse, u" "_qs);
            QCOMPARE(s.childSlots[i].screenMode, QString());
            QVERIFY(!slotHoldsComputer(s.childSlots[i]));
        }
        QCOMPARE(s.RemotePort, 5001);
        QCOMPARE(s.MyHostPort, 5002);
        QVERIFY(isFullScreen(s.ScreenSize));
    }

    void readsSampleLines()
    {
        PresenterSettings s = readLine(u"ChildComp05= ,"_qs);
        QCOMPARE(s.childSlots[4].computerName, QString());
        QCOMPARE(s.childSlots[4].inUse, u" "_qs);
        QCOMPARE(s.childSlots[4].screenMode, QString());

        s = readLine(u"ChildComp07=0ROOM2-PC07,WindowScreen"_qs);
        QCOMPARE(s.childSlots[6].computerName, u"ROOM2-PC07"_qs);
        QCOMPARE(s.childSlots[6].inUse, u"0"_qs);
        QVERIFY(!isFullScreen(s.childSlots[6].screenMode));

        for (const QString& line : {u"ScreenSizex=fullscreen"_qs, u"ScreenSizex="_qs, u"ScreenSizex=FullScreen "_qs}) {
            s = readLine(line);
            QVERIFY(s.hasScreenSize);
            QVERIFY2(!isFullScreen(s.ScreenSize), qPrintable(line));
        }
        QVERIFY(isFullScreen(readLine(u"ScreenSizex=FullScreen"_qs).ScreenSize));

        s = readLine(u"RemotePort=5000"_qs); // the value is taken from the 13th character: "000"
        QVERIFY(s.hasRemotePort);
        QCOMPARE(s.RemotePort, 0);
        QCOMPARE(readLine(u"MyHostPortx= 5002"_qs).MyHostPort, 5002);
        s = readLine(u"RemotePortx="_qs);
        QVERIFY(s.hasRemotePort);
        QCOMPARE(s.RemotePort, 0);
        QCOMPARE(readLine(u"RemotePortx=5000abc"_qs).RemotePort, 5000);
        QCOMPARE(readLine(u"RemotePortx=-32768"_qs).RemotePort, -32768);
        QCOMPARE(readLine(u"MyHostPortx=05000"_qs).MyHostPort, 5000);
    }

    void readingRules()
    {
        // Any order, the later line wins, headers and unknown lines have no effect, values verbatim.
        const PresenterSettings s = parseSettingsLines({
            u"MyHostPortx=7000"_qs,
            u"[ChildComp05=1NOPE,FullScreen]"_qs,
            u"ChildComp05=1FIRST,FullScreen"_qs,
            u"Something else"_qs,
            u"ChildComp05=0 second ,fullScreen"_qs,
            u"MyHostPortx=7001"_qs,
            u"ChildComp 6=1教室ＰＣ,FullScreen,x"_qs,
        });
        QCOMPARE(s.MyHostPort, 7001);
        QCOMPARE(s.childSlots[4].computerName, u" second "_qs);
        QCOMPARE(s.childSlots[4].screenMode, u"fullScreen"_qs);
        QCOMPARE(s.childSlots[4].inUse, u"0"_qs);
        QVERIFY(s.childSlots[4].anyLineInUse); // the first line's "1" still ticks the tool's box
        QCOMPARE(s.childSlots[5].computerName, u"教室ＰＣ"_qs);
        QCOMPARE(s.childSlots[5].screenMode, u"FullScreen,x"_qs);
        QVERIFY(!s.hasRemotePort);
        QVERIFY(!s.hasScreenSize);
    }

    void skipsLinesOutsideTheFormat_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("slot 31") << u"ChildComp31=1PC31,FullScreen"_qs;
        QTest::newRow("slot 00") << u"ChildComp00=1PC00,FullScreen"_qs;
        QTest::newRow("slot -1") << u"ChildComp-1=1PC,FullScreen"_qs;
        QTest::newRow("slot 99") << u"ChildComp99=1PC,FullScreen"_qs;
        QTest::newRow("slot letters") << u"ChildCompab=1PC,FullScreen"_qs;
        QTest::newRow("no comma") << u"ChildComp02=1PC02"_qs;
        QTest::newRow("comma at 13") << u"ChildComp02=,PC02"_qs;
        QTest::newRow("comma at 12") << u"ChildComp02,1PC02"_qs;
        QTest::newRow("key only") << u"ChildComp"_qs;
        QTest::newRow("short child") << u"ChildComp02"_qs;
        QTest::newRow("short port") << u"RemotePortx"_qs;
        QTest::newRow("short master port") << u"MyHostPor"_qs;
        QTest::newRow("short screen") << u"ScreenSize="_qs;
        QTest::newRow("port above range") << u"RemotePortx=32768"_qs;
        QTest::newRow("port below range") << u"MyHostPortx=-32769"_qs;
        QTest::newRow("port far above") << u"MyHostPortx=99999999999999999999999"_qs;
    }
    void skipsLinesOutsideTheFormat()
    {
        QFETCH(QString, line);
        const QStringList before = exampleLines();
        QStringList lines = before;
        lines.insert(5, line);
        lines.append(line);
        const PresenterSettings expected = parseSettingsLines(before);
        const PresenterSettings got = parseSettingsLines(lines);
        for (int i = 0; i < kSlotCount; ++i) {
            QCOMPARE(got.childSlots[i].computerName, expected.childSlots[i].computerName);
            QCOMPARE(got.childSlots[i].inUse, expected.childSlots[i].inUse);
            QCOMPARE(got.childSlots[i].screenMode, expected.childSlots[i].screenMode);
        }
        QCOMPARE(got.RemotePort, expected.RemotePort);
        QCOMPARE(got.MyHostPort, expected.MyHostPort);
        QCOMPARE(got.ScreenSize, expected.ScreenSize);
    }

    void readsFilesAndTellsFailuresApart()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(kSettingsFileName);
        QCOMPARE(ReadSettingsFile(path).status, ReadStatus::Missing);

        QVERIFY(QDir(dir.path()).mkdir(kSettingsFileName)); // exists, but cannot be read as a file
        QCOMPARE(ReadSettingsFile(path).status, ReadStatus::Unopenable);
        QVERIFY(QDir(dir.path()).rmdir(kSettingsFileName));

        // Double-byte names, a lone CR and a last line without its end.
        QVERIFY(test::writeAll(path, "ChildComp04=1\x8b\xb3\x8e\xba,FullScreen\rRemotePortx=6001"));
        const SettingsReadResult result = ReadSettingsFile(path);
        QCOMPARE(result.status, ReadStatus::Ok);
        QCOMPARE(result.settings.childSlots[3].computerName, u"教室"_qs);
        QCOMPARE(result.settings.childSlots[3].screenMode, u"FullScreen"_qs);
        QCOMPARE(result.settings.RemotePort, 6001);
    }

    void unchangedValuesSaveByteForByte()
    {
        QByteArray file = test::readAll(test::dataPath(u"example.ini"_qs));
        // Header, empty and unknown lines, an unusual order and bytes that are not CP932 at all.
        file.prepend("; written by hand\r\n\r\n");
        file.append("MyHostPortx=5002\r\n[\xff\xfe broken]\r\nunknown \x85\x40 line\r\n");
        const SettingsEntries entries = entriesFromSettings(parseSettingsBytes(file));
        const QByteArray saved = rewriteSettingsBytes(file, entries);
        QCOMPARE(saved, file);
        QCOMPARE(rewriteSettingsBytes(saved, entriesFromSettings(parseSettingsBytes(saved))), saved);
    }

    void writesTheExactTexts()
    {
        SettingsEntries entries;
        entries.remotePortText = u"50 01x"_qs;
        entries.myHostPortText = QString();
        entries.screenModeIndex = -1;
        entries.childSlots[0] = {true, u"PC01"_qs, 0};
        entries.childSlots[1] = {false, u"PC02"_qs, 1};
        entries.childSlots[2] = {true, u"PC03"_qs, -1};
        entries.childSlots[3] = {true, QString(), 0}; // cleared name: an empty slot, flag and mode dropped
        const QStringList in{u"ChildComp01=0old,WindowScreen"_qs,
                             u"ChildComp02= ,"_qs,
                             u"ChildComp03"_qs,
                             u"ChildComp04=1PC04,FullScreen"_qs,
                             u"ChildComp31=1PC31,FullScreen"_qs,
                             u"RemotePort=5000"_qs,
                             u"MyHostPor"_qs,
                             u"ScreenSizxx=FullScreen"_qs,
                             u"ScreenSiz"_qs,
                             u""_qs,
                             u"[x]"_qs,
                             u"other"_qs};
        const QStringList expected{u"ChildComp01=1PC01,FullScreen"_qs,
                                   u"ChildComp02=0PC02,WindowScreen"_qs,
                                   u"ChildComp03=1PC03,WindowScreen"_qs,
                                   u"ChildComp04= ,"_qs,
                                   u"ChildComp31=1PC31,FullScreen"_qs,
                                   u"RemotePortx=50 01x"_qs,
                                   u"MyHostPortx="_qs,
                                   u"ScreenSizex=WindowScreen"_qs,
                                   u"ScreenSizex=WindowScreen"_qs,
                                   u""_qs,
                                   u"[x]"_qs,
                                   u"other"_qs};
        QCOMPARE(RewriteSettingsFile(in, entries), expected);
        entries.screenModeIndex = 0;
        QCOMPARE(RewriteSettingsFile({u"ScreenSizex=WindowScreen"_qs}, entries),
                 QStringList{u"ScreenSizex=FullScreen"_qs});
    }

    // Whatever a window holds, within the format's limits, reads back as it was entered.
    void writerAndReaderAgree()
    {
        const quint32 seed = QRandomGenerator::global()->generate();
        QRandomGenerator random(seed);
        const QStringList template_ = exampleLines();
        for (int round = 0; round < 300; ++round) {
            SettingsEntries entries;
            const int myHostPort = random.bounded(-32768, 32768);
            const int remotePort = random.bounded(1, 32768);
            entries.myHostPortText = QString::number(myHostPort);
            entries.remotePortText = QString::number(remotePort) + (random.bounded(2) ? u"abc"_qs : QString());
            entries.screenModeIndex = random.bounded(-1, 2);
            for (SlotEntry& slot : entries.childSlots) {
                slot.checked = random.bounded(2);
                slot.modeIndex = random.bounded(-1, 2);
                slot.name = random.bounded(3) ? randomName(random) : QString();
            }
            const QByteArray bytes = cp932::writeLines(RewriteSettingsFile(template_, entries));
            const PresenterSettings back = parseSettingsBytes(bytes);
            const QString context = u"seed %1 round %2"_qs.arg(seed).arg(round);
            QVERIFY2(back.MyHostPort == myHostPort, qPrintable(context));
            QVERIFY2(back.RemotePort == remotePort, qPrintable(context));
            QVERIFY2(isFullScreen(back.ScreenSize) == (entries.screenModeIndex == 0), qPrintable(context));
            for (int i = 0; i < kSlotCount; ++i) {
                const SlotEntry& slot = entries.childSlots[i];
                const ChildSlot& read = back.childSlots[i];
                QVERIFY2(read.computerName == slot.name, qPrintable(context));
                if (slot.name.isEmpty()) {
                    QVERIFY2(read.inUse == u" "_qs && read.screenMode.isEmpty(), qPrintable(context));
                } else {
                    QVERIFY2(read.inUse == (slot.checked ? u"1"_qs : u"0"_qs), qPrintable(context));
                    QVERIFY2(isFullScreen(read.screenMode) == (slot.modeIndex == 0), qPrintable(context));
                }
            }
        }
    }

    void namesOutsideTheCodePageAreWrittenWithQuestionMarks()
    {
        SettingsEntries entries;
        entries.childSlots[0] = {true, u"caf"_qs + QChar(0x00E9), 0};
        const QByteArray bytes = rewriteSettingsBytes("ChildComp01= ,\r\n", entries);
        QCOMPARE(bytes, QByteArray("ChildComp01=1caf?,FullScreen\r\n"));
        QCOMPARE(parseSettingsBytes(bytes).childSlots[0].computerName, u"caf?"_qs);
    }
};

QTEST_APPLESS_MAIN(TestSettingsFile)
#include "test_settingsfile.moc"
