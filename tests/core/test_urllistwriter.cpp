#include "common/cp932text.h"
#include "common/urllist.h"
#include "tests/support/testfiles.h"

#include <QTest>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

using namespace Qt::StringLiterals;
using namespace qh;

namespace {

// What the presenter reads from a single line.
QStringList readLine(const QString& line)
{
    return parseUrlList(cp932::encode(line) + "\r\n").entries;
}

// Pieces that random entries are made of: what an address holds, what the reading rules treat
// apart (commas, quotes, blanks), Japanese text, and characters code page 932 lacks or holds only
// as another one.
const QStringList kPieces = {
    u"http://example.com/"_s,
    u"a"_s,
    u"?q=1"_s,
    u","_s,
    u"\""_s,
    u" "_s,
    u"\t"_s,
    u"ページ"_s,
    u"日本の山"_s,
    u"～"_s,
    u"①"_s,
    u"ｶﾅ"_s,
    u"\\"_s,
    u"é"_s,
    u"¥"_s,
    u"〜"_s,
    u"😀"_s,
    u"#"_s,
    u"'"_s,
    u"\r"_s,
    u"\n"_s,
};

QString randomEntry(QRandomGenerator& random)
{
    QString entry;
    const int pieces = int(random.bounded(5)); // none at all is an empty entry
    for (int i = 0; i < pieces; ++i) {
        // The line breaks and the characters code page 932 lacks come rarely, so that most lists
        // can be written whole.
        const int index = int(random.bounded(kPieces.size()));
        if (index >= kPieces.indexOf(u"é"_s) && random.bounded(4) != 0)
            continue;
        entry += kPieces[index];
    }
    return entry;
}

} // namespace

class TestUrlListWriter : public QObject
{
    Q_OBJECT
private slots:
    // Written then read gives the same list; a refused list names an entry that no line the
    // writer could choose (bare or in quotes) gives back, or one with a control character, and
    // every entry before it could be written. Quotes are used only where the bare entry would not
    // read back.
    void writtenListsReadBackTheSame()
    {
        const quint32 seed = QRandomGenerator::global()->generate();
        QRandomGenerator random(seed);
        int written = 0;
        int refused = 0;
        for (int round = 0; round < 3000; ++round) {
            QStringList entries;
            const int count = int(random.bounded(8));
            for (int i = 0; i < count; ++i)
                entries.append(randomEntry(random));
            const QByteArray context = "seed " + QByteArray::number(seed) + ", round " + QByteArray::number(round);
            const UrlListWrite write = writeUrlList(entries);
            if (write.refusal == UrlListRefusal::None) {
                ++written;
                QVERIFY2(parseUrlList(write.bytes).entries == entries, context.constData());
                const QList<QByteArray> lines = write.bytes.split('\n');
                QCOMPARE(lines.size(), entries.size() + 1); // one a line, each ended by CR LF
                for (int i = 0; i < entries.size(); ++i) {
                    QVERIFY2(lines[i].endsWith('\r'), context.constData());
                    if (lines[i].startsWith('"'))
                        QVERIFY2(readLine(entries[i]) != QStringList{entries[i]}, context.constData());
                }
                continue;
            }
            ++refused;
            QVERIFY2(write.entryIndex >= 0 && write.entryIndex < entries.size(), context.constData());
            QVERIFY2(write.bytes.isEmpty(), context.constData());
            const QString& entry = entries[write.entryIndex];
            if (write.refusal == UrlListRefusal::Control) {
                QVERIFY2(write.character.size() == 1 && write.character.front().unicode() < 0x20 &&
                             entry.contains(write.character),
                         context.constData());
            } else {
                for (const QString& line : {entry, u'"' + entry + u'"'})
                    QVERIFY2(readLine(line) != QStringList{entry}, context.constData());
            }
            QVERIFY2(writeUrlList(entries.mid(0, write.entryIndex)).refusal == UrlListRefusal::None,
                     context.constData());
            if (write.refusal == UrlListRefusal::Unencodable)
                QVERIFY2(entry.contains(write.character), context.constData());
        }
        // Both outcomes were met often enough to mean something.
        QVERIFY(written > 500);
        QVERIFY(refused > 100);
    }

    void refusalsNameTheEntryAndWhy_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<int>("refusal");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("character");
        QTest::newRow("comma and quote") << QStringList{u"a"_s, u"http://x/?a=1,\"b\""_s}
                                         << int(UrlListRefusal::QuoteInQuotes) << 1 << QString();
        QTest::newRow("leading quote") << QStringList{u"\"x"_s} << int(UrlListRefusal::LeadingQuote) << 0 << QString();
        QTest::newRow("line break") << QStringList{u""_s, u"a\nb"_s} << int(UrlListRefusal::LineBreak) << 1
                                    << QString();
        QTest::newRow("control character")
            << QStringList{u"a\u001Ab"_s} << int(UrlListRefusal::Control) << 0 << u"\u001A"_s;
        QTest::newRow("accented letter") << QStringList{u"http://café/"_s} << int(UrlListRefusal::Unencodable) << 0
                                         << u"é"_s;
        QTest::newRow("wave dash stored as the fullwidth tilde")
            << QStringList{u"ok"_s, u"a〜b"_s} << int(UrlListRefusal::Unencodable) << 1 << u"〜"_s;
        QTest::newRow("emoji") << QStringList{u"x😀"_s} << int(UrlListRefusal::Unencodable) << 0 << u"😀"_s;
    }
    void refusalsNameTheEntryAndWhy()
    {
        QFETCH(QStringList, entries);
        QFETCH(int, refusal);
        QFETCH(int, index);
        QFETCH(QString, character);
        const UrlListWrite write = writeUrlList(entries);
        QCOMPARE(int(write.refusal), refusal);
        QCOMPARE(write.entryIndex, index);
        QCOMPARE(write.character, character);
    }

    void fullListIsWrittenAndOneMoreIsRefused()
    {
        QStringList entries(kMaxUrlListEntries, u"http://example.com/"_s);
        const UrlListWrite full = writeUrlList(entries);
        QCOMPARE(full.refusal, UrlListRefusal::None);
        QCOMPARE(parseUrlList(full.bytes).entries.size(), kMaxUrlListEntries);
        entries.append(u"one more"_s);
        const UrlListWrite over = writeUrlList(entries);
        QCOMPARE(over.refusal, UrlListRefusal::TooMany);
        QCOMPARE(over.entryIndex, kMaxUrlListEntries);
    }

    // The file is either the old list or the new one, never a part; nothing is left beside it.
    void savingReplacesTheFileWhole_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("status");
        QTest::newRow("new file") << u"none"_s << int(UrlListSaveStatus::Saved);
        QTest::newRow("existing file") << u"old"_s << int(UrlListSaveStatus::Saved);
        QTest::newRow("through a link") << u"link"_s << int(UrlListSaveStatus::Saved);
        QTest::newRow("read-only file") << u"read-only"_s << int(UrlListSaveStatus::ReadOnly);
        QTest::newRow("a folder in its place") << u"folder"_s << int(UrlListSaveStatus::NotWritten);
        QTest::newRow("an entry it cannot hold") << u"refused"_s << int(UrlListSaveStatus::Refused);
    }
    void savingReplacesTheFileWhole()
    {
        QFETCH(QString, setup);
        QFETCH(int, status);
        QTemporaryDir folder;
        const QString list = folder.filePath(u"lesson.txt"_s);
        const QString target = folder.filePath(u"real.txt"_s);
        const QByteArray old = "http://old.example/\r\n";
        if (setup == u"old"_s || setup == u"read-only"_s || setup == u"refused"_s)
            QVERIFY(test::writeAll(list, old));
        if (setup == u"read-only"_s)
            QVERIFY(QFile::setPermissions(list, QFileDevice::ReadOwner | QFileDevice::ReadOther));
        if (setup == u"link"_s)
            QVERIFY(test::writeAll(target, old) && QFile::link(target, list));
        if (setup == u"folder"_s)
            QVERIFY(QDir(folder.path()).mkdir(u"lesson.txt"_s));
        QStringList entries{u"file:///srv/ページ.html"_s, QString(), u"http://x/?a=1,2"_s, u"  spaced  "_s};
        if (setup == u"refused"_s)
            entries.append(u"café"_s);

        const UrlListSave save = saveUrlListFile(list, entries);
        QCOMPARE(int(save.status), status);
        const QStringList before =
            QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        if (status == int(UrlListSaveStatus::Saved)) {
            const UrlListReadResult read = readUrlListFile(list);
            QCOMPARE(read.status, FileStatus::Ok);
            QCOMPARE(read.list.entries, entries);
            if (setup == u"link"_s) {
                QVERIFY(QFileInfo(list).isSymLink());
                QCOMPARE(readUrlListFile(target).list.entries, entries);
            }
        } else if (setup != u"folder"_s) {
            QCOMPARE(test::readAll(list), old);
        }
        const QStringList expected =
            setup == u"link"_s ? QStringList{u"lesson.txt"_s, u"real.txt"_s} : QStringList{u"lesson.txt"_s};
        QCOMPARE(before, expected);
    }
};

QTEST_GUILESS_MAIN(TestUrlListWriter)
#include "test_urllistwriter.moc"
