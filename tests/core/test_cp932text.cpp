#include "common/cp932text.h"

#include <QTest>

using namespace qh;
using namespace Qt::StringLiterals;

class TestCp932Text : public QObject
{
    Q_OBJECT
private slots:
    void encodesWindowsVariant_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ascii") << u"Command:VisibleTrue"_s << QByteArray("Command:VisibleTrue");
        // The Windows variant maps the wave dash and circled digits differently from plain Shift-JIS.
        QTest::newRow("wave dash") << QString(QChar(0xFF5E)) << QByteArray("\x81\x60");
        QTest::newRow("circled one") << QString(QChar(0x2460)) << QByteArray("\x87\x40");
        QTest::newRow("kanji") << u"漢字"_s << QByteArray("\x8a\xbf\x8e\x9a");
        QTest::newRow("half-width kana") << u"ﾊﾞｰｼﾞｮﾝ"_s << QByteArray("\xca\xde\xb0\xbc\xde\xae\xdd");
    }
    void encodesWindowsVariant()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(cp932::encode(text), bytes);
        QCOMPARE(cp932::decode(bytes), text);
        QVERIFY(cp932::canEncode(text));
    }

    void unencodableCharactersBecomeQuestionMarks()
    {
        const QString text = u"a"_s + QChar(0x00E9) + u"漢"_s + QString::fromUtf8("\xF0\x9F\x98\x80") + u"b"_s;
        QVERIFY(!cp932::canEncode(text));
        QCOMPARE(cp932::encode(text), QByteArray("a?\x8a\xbf?b"));
        // A lone surrogate is no character at all: also one question mark.
        QCOMPARE(cp932::encode(QString(QChar(0xD800))), QByteArray("?"));
    }

    void invalidBytesDecodeWithoutCrashing()
    {
        const QByteArray broken("\xff\x85\x40\x82\xa0\x82", 6);
        const QString text = cp932::decode(broken);
        QVERIFY(text.contains(u"あ"_s));
        QVERIFY(text.size() <= broken.size());
    }

    void tellsValidBytesFromInvalid_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("valid");
        QTest::newRow("ascii") << QByteArray("http://a/") << true;
        QTest::newRow("empty") << QByteArray() << true;
        QTest::newRow("double-byte") << QByteArray("\x8a\xbf\x82\xa0") << true;
        QTest::newRow("half-width kana") << QByteArray("\xca\xde") << true;
        QTest::newRow("lead byte last") << QByteArray("a\x81") << false;
        QTest::newRow("lead byte before a blank") << QByteArray("\x81 a") << false;
        QTest::newRow("bytes no character starts with") << QByteArray("\xff\xfd") << false;
    }
    void tellsValidBytesFromInvalid()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, valid);
        QCOMPARE(cp932::canDecode(bytes), valid);
        QVERIFY(cp932::canDecode("ok")); // an invalid input leaves no error behind
    }

    void splitsAtEveryLineEnd_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("lone cr") << QByteArray("a\rb\r") << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("lone lf") << QByteArray("a\nb") << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("last line without end") << QByteArray("a\r\nb") << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("empty lines kept")
            << QByteArray("\r\n\r\na\r\n\r\n") << QStringList{QString(), QString(), u"a"_s, QString()};
        QTest::newRow("cr cr lf is two ends") << QByteArray("a\r\r\nb") << QStringList{u"a"_s, QString(), u"b"_s};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
        QTest::newRow("double-byte") << QByteArray("\x8a\xbf\r\n\x82\xa0") << QStringList{u"漢"_s, u"あ"_s};
    }
    void splitsAtEveryLineEnd()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QCOMPARE(cp932::readLines(bytes), lines);
    }

    void writesCrLfAfterEveryLine()
    {
        QCOMPARE(cp932::writeLines({u"漢"_s, QString(), u"x"_s}), QByteArray("\x8a\xbf\r\n\r\nx\r\n"));
        QCOMPARE(cp932::writeLines({}), QByteArray());
    }
};

QTEST_APPLESS_MAIN(TestCp932Text)
#include "test_cp932text.moc"
