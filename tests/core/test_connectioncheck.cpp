// The settings tool's connection check (接続確認): its warnings as a function of the window's
// values and the name service's answers.
#include "tool/connectioncheck.h"

#include <QTest>

using namespace qh;
using namespace qh::tool;
using namespace Qt::StringLiterals;

namespace {

// "1 PC01" is a ticked slot named PC01, "0 PC01" an unticked one; the slots are 01, 02, ... in turn.
SettingsEntries entriesOf(const QStringList& slotTexts, const QString& masterPort, const QString& childPort)
{
    SettingsEntries entries;
    entries.masterPortText = masterPort;
    entries.childPortText = childPort;
    for (int i = 0; i < slotTexts.size(); ++i) {
        entries.childSlots[i].checked = slotTexts[i].startsWith(u'1');
        entries.childSlots[i].name = slotTexts[i].mid(2);
        entries.childSlots[i].modeIndex = 0;
    }
    return entries;
}

// "PC01=10.0.0.1", or the name with "=notfound", "=noipv4" or "=unusable".
QHash<QString, ComputerAddress> answersOf(const QStringList& texts)
{
    using Outcome = ComputerAddress::Outcome;
    QHash<QString, ComputerAddress> answers;
    for (const QString& text : texts) {
        const QString name = text.section(u'=', 0, 0);
        const QString answer = text.section(u'=', 1);
        if (answer == u"notfound")
            answers.insert(name, {Outcome::NotFound, {}, {}});
        else if (answer == u"noipv4")
            answers.insert(name, {Outcome::NoIPv4, {}, {}});
        else if (answer == u"unusable")
            answers.insert(name, {Outcome::Unusable, {}, {}});
        else
            answers.insert(name, {Outcome::Found, QHostAddress(answer), {QHostAddress(answer)}});
    }
    return answers;
}

// A row as "number|name|destination|warning;warning".
QStringList rowsOf(const QList<SlotCheck>& checks)
{
    QStringList rows;
    for (const SlotCheck& check : checks)
        rows.append(u"%1|%2|%3|%4"_s.arg(check.index + 1, 2, 10, QLatin1Char('0'))
                        .arg(check.name, check.destination, check.warnings.join(u';')));
    return rows;
}

const QString kNotFound = u"コンピュータ名がみつかりません"_s;
const QString kRefused = u"プレゼンターはこの名前に送れません"_s;
const QString kComma = u"名前の「,」から後ろは保存されません"_s;
const QString kUnstorable = u"名前に保存できない文字があります"_s;

} // namespace

class TestConnectionCheck : public QObject
{
    Q_OBJECT
private slots:
    void warnings_data()
    {
        QTest::addColumn<QStringList>("slotTexts");
        QTest::addColumn<QString>("masterPort");
        QTest::addColumn<QString>("childPort");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QStringList>("lookedUp");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("portWarnings");
        const QString m = u"5002"_s;
        const QString c = u"5001"_s;
        const auto row = [](const char* name, const QStringList& slotTexts, const QStringList& answers,
                            const QStringList& lookedUp, const QStringList& rows) {
            QTest::newRow(name) << slotTexts << u"5002"_s << u"5001"_s << answers << lookedUp << rows << QStringList();
        };
        row("address", {u"1 127.0.0.2"_s}, {}, {}, {u"01|127.0.0.2|127.0.0.2|"_s});
        row("name found", {u"1 PC01"_s}, {u"PC01=10.0.0.1"_s}, {u"PC01"_s}, {u"01|PC01|10.0.0.1|"_s});
        row("name not answered yet", {u"1 PC01"_s}, {}, {u"PC01"_s}, {u"01|PC01|確認中…|"_s});
        row("name not found", {u"1 PC01"_s}, {u"PC01=notfound"_s}, {u"PC01"_s},
            {u"01|PC01|みつかりません|"_s + kNotFound});
        row("unticked name not found: the panel may switch it on", {u"0 PC01"_s}, {u"PC01=notfound"_s}, {u"PC01"_s},
            {u"01|PC01|みつかりません|"_s + kNotFound});
        row("name with IPv6 addresses only", {u"1 PC01"_s}, {u"PC01=noipv4"_s}, {u"PC01"_s},
            {u"01|PC01|IPv4のアドレスがありません|IPv4のアドレスがないため送れません"_s});
        row("name giving 0.0.0.0", {u"1 PC01"_s}, {u"PC01=unusable"_s}, {u"PC01"_s},
            {u"01|PC01|使えないアドレスです|"_s + kRefused});
        row("ticked without a name", {u"0 PC01"_s, u"0 "_s, u"1 "_s}, {u"PC01=10.0.0.1"_s}, {u"PC01"_s},
            {u"01|PC01|10.0.0.1|"_s, u"03||－|チェックがありますが、コンピュータ名がありません"_s});
        row("address 0.0.0.0", {u"0 0.0.0.0"_s}, {}, {}, {u"01|0.0.0.0|使えないアドレスです|"_s + kRefused});
        row("IPv6 address", {u"1 ::1"_s}, {}, {}, {u"01|::1|使えないアドレスです|"_s + kRefused});
        row("ticked blank name", {u"1  "_s}, {}, {}, {u"01| |－|"_s + kRefused});
        row("unticked blank name is no computer", {u"0  "_s}, {}, {}, {u"01| |－|"_s});
        row("comma", {u"1 PC01,x"_s}, {u"PC01=10.0.0.1"_s}, {u"PC01"_s}, {u"01|PC01,x|10.0.0.1|"_s + kComma});
        row("comma first, ticked", {u"1 ,PC01"_s}, {}, {}, {u"01|,PC01|－|"_s + kComma + u';' + kRefused});
        row("control character", {u"1 PC\t01"_s}, {}, {}, {u"01|PC\t01|－|"_s + kUnstorable});
        row("character code page 932 cannot hold", {u"0 café"_s}, {}, {}, {u"01|café|－|"_s + kUnstorable});
        row("one name in two slots is looked up once", {u"1 PC01"_s, u"1 PC01"_s}, {u"PC01=10.0.0.1"_s}, {u"PC01"_s},
            {u"01|PC01|10.0.0.1|コンピュータ番号02と同じアドレスです"_s,
             u"02|PC01|10.0.0.1|コンピュータ番号01と同じアドレスです"_s});
        row("three slots, one address", {u"1 127.0.0.2"_s, u"1 PC02"_s, u"0 PC03"_s, u"0 127.0.0.2"_s},
            {u"PC02=127.0.0.2"_s, u"PC03=127.0.0.3"_s}, {u"PC02"_s, u"PC03"_s},
            {u"01|127.0.0.2|127.0.0.2|コンピュータ番号02、04と同じアドレスです"_s,
             u"02|PC02|127.0.0.2|コンピュータ番号01、04と同じアドレスです"_s, u"03|PC03|127.0.0.3|"_s,
             u"04|127.0.0.2|127.0.0.2|コンピュータ番号01、02と同じアドレスです"_s});
        row("ports as typed", {}, {}, {}, {});

        const auto ports = [](const char* name, const QString& master, const QString& child,
                              const QStringList& warnings) {
            QTest::newRow(name) << QStringList() << master << child << QStringList() << QStringList() << QStringList()
                                << warnings;
        };
        ports("child port empty", m, QString(), {u"Childのポート番号がありません（1～32767の数を入れてください）"_s});
        ports("master port 0", u"0"_s, c, {u"Masterのポート番号「0」は使えません（1～32767の数を入れてください）"_s});
        ports("negative port", m, u"-1"_s, {u"Childのポート番号「-1」は使えません（1～32767の数を入れてください）"_s});
        ports("port above 32767", u"32768"_s, c,
              {u"Masterのポート番号「32768」は使えません（1～32767の数を入れてください）"_s});
        ports("highest port", u"32767"_s, u"1"_s, {});
        ports("leading zero", m, u"05001"_s, {});
        ports("letters after the number", m, u"5000abc"_s, {u"Childのポート番号「5000abc」は5000として読まれます"_s});
        ports("decimal part", u"5001.5"_s, c, {u"Masterのポート番号「5001.5」は5002として読まれます"_s});
        ports("blank inside", u"50 02"_s, c, {u"Masterのポート番号「50 02」は5002として読まれます"_s});
        ports("the same port", c, c, {u"Childのポート番号がMasterのポート番号と同じです"_s});
        ports("the same port, written otherwise", u"5001"_s, u"5001x"_s,
              {u"Childのポート番号「5001x」は5001として読まれます"_s,
               u"Childのポート番号がMasterのポート番号と同じです"_s});
    }

    void warnings()
    {
        QFETCH(QStringList, slotTexts);
        QFETCH(QString, masterPort);
        QFETCH(QString, childPort);
        QFETCH(QStringList, answers);
        QFETCH(QStringList, lookedUp);
        QFETCH(QStringList, rows);
        QFETCH(QStringList, portWarnings);
        const SettingsEntries entries = entriesOf(slotTexts, masterPort, childPort);
        QCOMPARE(namesToLookUp(entries), lookedUp);
        const ConnectionReport report = checkConnections(entries, answersOf(answers));
        QCOMPARE(rowsOf(report.slotChecks), rows);
        QCOMPARE(report.portWarnings, portWarnings);
    }
};

QTEST_GUILESS_MAIN(TestConnectionCheck)
#include "test_connectioncheck.moc"
