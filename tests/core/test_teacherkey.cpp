// The teacher's key: its files, the signed datagrams and the child's check of them, each datagram
// taken once and only by the children it is for.
#include "child/signedintake.h"
#include "common/keytexts.h"
#include "common/signeddatagram.h"
#include "common/teacherkey.h"
#include "tests/support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace qh;
using namespace qh::child;
using namespace Qt::StringLiterals;

namespace {
using Verdict = SignedIntake::Verdict;

// RFC 8032, 7.1, test 1: a seed, its public key and its signature of the empty message.
const QByteArray kRfcSeed = QByteArray::fromHex("9d61b19deffd5a60ba844af492ec2cc44449c5697b326919703bac031cae7f60");
const QByteArray kRfcPublicKey =
    QByteArray::fromHex("d75a980182b10ab7d54bfed3c964073a0ee172f3daa62325af021a68f707511a");
const QByteArray kRfcSignature = QByteArray::fromHex(
    "e5564300c360ac729086e2cc806e828a84877f1eb8e5d974d873e065224901555fb8821590a33bacc61e39701cf9b46bd25bf5f0595bbe24"
    "655141438e7a100b");

const QByteArray kRun = QByteArray::fromHex("0123456789abcdef");

SignedHeader fanOut(quint64 sequence, quint32 mask, const QByteArray& run = kRun)
{
    return {run, sequence, {mask, 0, {}}};
}

SignedHeader answer(quint64 sequence, int number, const QByteArray& challenge, const QByteArray& run = kRun)
{
    return {run, sequence, {0, number, challenge}};
}

QByteArray signedBy(const TeacherSigningKey& key, const SignedHeader& header, const QByteArray& inner)
{
    return signedDatagram(key, header, inner).value_or(QByteArray());
}

// Sets the file's permission bits as chmod does.
bool setMode(const QString& path, QFileDevice::Permissions permissions)
{
    return QFile::setPermissions(path, permissions);
}
} // namespace

class TestTeacherKey : public QObject
{
    Q_OBJECT
private slots:
    // libsodium's Ed25519 as the standard gives it, and the fingerprint of RFC 8032's key as
    // BLAKE2b-256 gives it (Python's hashlib).
    void keyMatchesTheStandard()
    {
        const std::optional<TeacherSigningKey> key = TeacherSigningKey::fromSeed(kRfcSeed);
        QVERIFY(key);
        QCOMPARE(key->publicKey(), kRfcPublicKey);
        QCOMPARE(key->sign({}), kRfcSignature);
        QVERIFY(isTeacherSignature(kRfcPublicKey, {}, kRfcSignature));
        QVERIFY(!isTeacherSignature(kRfcPublicKey, "x", kRfcSignature));
        QCOMPARE(keyFingerprint(kRfcPublicKey), u"7849-AC30-4968-0BE1"_s);
        QVERIFY(!TeacherSigningKey::fromSeed(kRfcSeed.first(31)));
    }

    // A new pair: the private key readable by its owner alone, both files one line that reads back
    // as the same pair; never written over unless asked.
    void keyPairIsWrittenOnce()
    {
        const QTemporaryDir folder;
        const KeyPairWrite written = writeTeacherKeyPair(folder.path());
        QCOMPARE(int(written.status), int(KeyPairWrite::Status::Written));
        const QString keyPath = folder.filePath(kTeacherKeyFileName);
        const QString publicPath = folder.filePath(kTeacherPublicKeyFileName);
        QCOMPARE(QFileInfo(keyPath).permissions() & ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        const QByteArray publicLine = test::readAll(publicPath);
        QCOMPARE(publicLine.size(), 45); // 44 characters and LF
        QCOMPARE(publicLine, written.publicKey.toBase64() + '\n');
        const SigningKeyFile key = readSigningKeyFile(keyPath);
        QVERIFY(key.key);
        QCOMPARE(key.key->publicKey(), written.publicKey);
        QCOMPARE(readPublicKeyFile(publicPath).publicKey, written.publicKey);

        QCOMPARE(int(writeTeacherKeyPair(folder.path()).status), int(KeyPairWrite::Status::Exists));
        QCOMPARE(test::readAll(publicPath), publicLine);
        const KeyPairWrite replaced = writeTeacherKeyPair(folder.path(), true);
        QCOMPARE(int(replaced.status), int(KeyPairWrite::Status::Written));
        QVERIFY(replaced.publicKey != written.publicKey);
        QCOMPARE(readSigningKeyFile(keyPath).key->publicKey(), replaced.publicKey);

        // A pair that cannot be written whole leaves the old one as it was.
        QVERIFY(QFile::remove(publicPath));
        QVERIFY(QDir(folder.path()).mkdir(kTeacherPublicKeyFileName));
        const QByteArray keyBefore = test::readAll(keyPath);
        QCOMPARE(int(writeTeacherKeyPair(folder.path(), true).status), int(KeyPairWrite::Status::NotWritten));
        QCOMPARE(test::readAll(keyPath), keyBefore);
    }

    // What each key file that cannot be used gives; the private one is refused unread when others
    // may read it. A seed and a public key are both 32 bytes: either file reads the other's line.
    void badKeyFilesAreNamed_data()
    {
        QTest::addColumn<QByteArray>("content"); // null: no file; "<folder>": a folder in its place
        QTest::addColumn<bool>("othersMayRead");
        QTest::addColumn<int>("privateProblem");
        QTest::addColumn<int>("publicProblem");
        const QByteArray line = kRfcSeed.toBase64();
        const auto row = [](const char* name, const QByteArray& content, bool othersMayRead, KeyFileProblem forPrivate,
                            KeyFileProblem forPublic) {
            QTest::newRow(name) << content << othersMayRead << int(forPrivate) << int(forPublic);
        };
        using P = KeyFileProblem;
        row("a line ending in LF", line + '\n', false, P::None, P::None);
        row("a line ending in CR LF", line + "\r\n", false, P::None, P::None);
        row("no line end", line, false, P::None, P::None);
        row("truncated", line.left(30) + '\n', false, P::NotAKey, P::NotAKey);
        row("not base64", "this is not a key at all, no, not at all!!!\n", false, P::NotAKey, P::NotAKey);
        row("without padding", line.chopped(1) + '\n', false, P::NotAKey, P::NotAKey);
        row("too long", (kRfcSeed + "x").toBase64() + '\n', false, P::NotAKey, P::NotAKey);
        row("a second line", line + '\n' + line + '\n', false, P::NotAKey, P::NotAKey);
        row("blanks around it", ' ' + line + " \n", false, P::NotAKey, P::NotAKey);
        row("empty", "", false, P::NotAKey, P::NotAKey);
        row("large", QByteArray(100000, 'A'), false, P::NotAKey, P::NotAKey);
        row("readable by others", line + '\n', true, P::ReadableByOthers, P::None);
        row("missing", QByteArray(), false, P::Missing, P::Missing);
        row("a folder", "<folder>", false, P::Unreadable, P::Unreadable);
    }
    void badKeyFilesAreNamed()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, othersMayRead);
        QFETCH(int, privateProblem);
        QFETCH(int, publicProblem);
        const QTemporaryDir folder;
        const QString path = folder.filePath(u"key"_s);
        if (content == "<folder>") {
            QVERIFY(QDir(folder.path()).mkdir(u"key"_s));
        } else if (!content.isNull()) {
            QVERIFY(test::writeAll(path, content));
            const QFileDevice::Permissions mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
            QVERIFY(setMode(path, othersMayRead ? mode | QFileDevice::ReadGroup | QFileDevice::ReadOther : mode));
        }
        const SigningKeyFile key = readSigningKeyFile(path);
        QCOMPARE(int(key.problem), privateProblem);
        QCOMPARE(key.key.has_value(), privateProblem == int(KeyFileProblem::None));
        const PublicKeyFile publicKey = readPublicKeyFile(path);
        QCOMPARE(int(publicKey.problem), publicProblem);
        QCOMPARE(publicKey.publicKey.size(), publicProblem == int(KeyFileProblem::None) ? kTeacherPublicKeyBytes : 0);
        if (key.problem != KeyFileProblem::None)
            QVERIFY(keyFileProblemText(path, key.problem).contains(path));
    }

    // Written and read back: the same header and bytes, for every form it can take, up to the
    // longest inner datagram that fits.
    void signedDatagramsReadBack_data()
    {
        QTest::addColumn<SignedHeader>("header");
        QTest::addColumn<QByteArray>("inner");
        const QByteArray challenge = QByteArray::fromHex("00112233445566778899aabbccddeeff");
        QTest::newRow("a page to all") << fanOut(1, kAllChildrenMask) << QByteArray("http://class/a.html");
        QTest::newRow("a command to one") << fanOut(42, childBit(7)) << QByteArray("Command:VisibleFalse");
        QTest::newRow("an answer to child 30")
            << answer(18446744073709551615ull, 30, challenge) << QByteArray("Command:VisibleTrue");
        QTest::newRow("colons and bytes")
            << fanOut(7, childBit(1) | childBit(30)) << QByteArray("a:b:c::\0\xff\x82\xa0", 12);
        QTest::newRow("empty") << fanOut(3, childBit(2)) << QByteArray();
        QTest::newRow("longest inner, longest header")
            << answer(18446744073709551615ull, 30, challenge) << QByteArray(kLargestSignedInnerBytes, 'x');
    }
    void signedDatagramsReadBack()
    {
        QFETCH(SignedHeader, header);
        QFETCH(QByteArray, inner);
        const TeacherSigningKey key = TeacherSigningKey::generate();
        const std::optional<QByteArray> datagram = signedDatagram(key, header, inner);
        QVERIFY(datagram);
        QVERIFY(datagram->size() <= kLargestDatagramBytes);
        QVERIFY(datagram->startsWith("Command:Signed:"));
        const OpenedDatagram opened = openSignedDatagram(*datagram, key.publicKey());
        QCOMPARE(int(opened.status), int(OpenedDatagram::Status::Verified));
        QCOMPARE(opened.header, header);
        QCOMPARE(opened.inner, inner);
        QCOMPARE(int(openSignedDatagram(*datagram, TeacherSigningKey::generate().publicKey()).status),
                 int(OpenedDatagram::Status::BadSignature));
    }

    // What cannot be signed, and what is not read as signed: every byte of a signed datagram
    // matters, and each field has one way of being written.
    void signedDatagramsRefuseTheirForgeries()
    {
        const TeacherSigningKey key = TeacherSigningKey::generate();
        QVERIFY(!signedDatagram(key, fanOut(1, 1), QByteArray(kLargestSignedInnerBytes + 1, 'x')));
        QVERIFY(!signedDatagram(key, fanOut(0, 1), "x"));
        QVERIFY(!signedDatagram(key, fanOut(1, 0), "x"));
        QVERIFY(!signedDatagram(key, fanOut(1, 1u << 30), "x"));
        QVERIFY(!signedDatagram(key, answer(1, 31, QByteArray(16, 'c')), "x"));
        QVERIFY(!signedDatagram(key, fanOut(1, 1, "short"), "x"));

        const QByteArray good = signedBy(key, fanOut(12, childBit(3)), "http://class/a.html");
        const QByteArray publicKey = key.publicKey();
        const auto status = [&](const QByteArray& datagram) { return openSignedDatagram(datagram, publicKey).status; };
        using Status = OpenedDatagram::Status;
        QCOMPARE(status(good), Status::Verified);
        for (qsizetype at = QByteArray("Command:Signed:").size(); at < good.size(); ++at) {
            QByteArray changed = good;
            changed[at] = char(changed[at] ^ 0x01);
            QVERIFY2(status(changed) == Status::BadSignature || status(changed) == Status::Malformed,
                     qPrintable(QString::number(at)));
        }
        QCOMPARE(status(good + "x"), Status::BadSignature);
        QCOMPARE(status("http://class/a.html"), Status::Unsigned);
        QCOMPARE(status("Command:VisibleFalse"), Status::Unsigned);
        QCOMPARE(status("Command:Signed:"), Status::Malformed);
        // The same fields written another way: upper-case hex, a leading zero, no padding.
        const QList<QByteArray> fields = good.split(':');
        QCOMPARE(fields.size(), 6 + 2); // the inner address holds one colon
        const auto with = [&](int field, const QByteArray& text) {
            QList<QByteArray> changed = fields;
            changed[field] = text;
            return changed.join(':');
        };
        QCOMPARE(status(with(2, fields[2].toUpper())), Status::Malformed);
        QCOMPARE(status(with(3, '0' + fields[3])), Status::Malformed);
        QCOMPARE(status(with(4, "00000000")), Status::Malformed);
        QCOMPARE(status(with(4, "40000000")), Status::Malformed);
        QCOMPARE(status(with(4, "31-" + QByteArray(32, 'a'))), Status::Malformed);
        QCOMPARE(status(with(5, fields[5].chopped(2))), Status::Malformed);
    }

    // The child's check, step by step: "hello" gives a new challenge (c1, c2, ...); "<verdict> <form>"
    // offers a datagram and expects the verdict. Forms: "answer <seq> <challenge> [<child>] [<run>]",
    // "fan <seq> [<children>] [<run>]" (children as "7,8"; 7 when left out), "other-key", "plain".
    // The child is 07; runs are r1 (the first), r2, ...
    void childTakesEachSignedDatagramOnce_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::newRow("an answer, then the run's fan-outs")
            << QStringList{u"hello"_s,        u"accepted answer 5 c1"_s, u"accepted fan 6"_s, u"accepted fan 9 7,8"_s,
                           u"replay fan 9"_s, u"replay answer 5 c1"_s};
        QTest::newRow("reordered within the window, once each")
            << QStringList{u"hello"_s,        u"accepted answer 1 c1"_s, u"accepted fan 70"_s, u"accepted fan 7"_s,
                           u"replay fan 7"_s, u"replay fan 6"_s,         u"accepted fan 69"_s};
        QTest::newRow("a run is followed only after an answer")
            << QStringList{u"hello"_s, u"unknown-run fan 3"_s, u"accepted answer 4 c1"_s, u"accepted fan 3"_s};
        QTest::newRow("for other children") << QStringList{
            u"hello"_s, u"accepted answer 1 c1"_s, u"not-addressed fan 2 8,30"_s, u"not-addressed answer 3 c1 8"_s};
        QTest::newRow("a challenge never given") << QStringList{u"hello"_s, u"replay answer 1 c9"_s};
        QTest::newRow("an old challenge") << QStringList{u"hello"_s,
                                                         u"hello"_s,
                                                         u"hello"_s,
                                                         u"hello"_s,
                                                         u"hello"_s,
                                                         u"replay answer 1 c1"_s,
                                                         u"accepted answer 2 c2"_s};
        QTest::newRow("a late answer to an earlier Hello")
            << QStringList{u"hello"_s, u"hello"_s, u"accepted answer 1 c1"_s, u"accepted answer 2 c2"_s};
        // The presenter restarted: its new run answers the next Hello; the old run's datagrams,
        // sent again, neither pass nor take the child back.
        QTest::newRow("a restarted presenter") << QStringList{u"hello"_s,
                                                              u"accepted answer 10 c1 7 r1"_s,
                                                              u"accepted fan 11 7 r1"_s,
                                                              u"hello"_s,
                                                              u"accepted answer 1 c2 7 r2"_s,
                                                              u"unknown-run fan 12 7 r1"_s,
                                                              u"replay answer 13 c1 7 r1"_s,
                                                              u"accepted fan 2 7 r2"_s};
        QTest::newRow("another key and plain datagrams")
            << QStringList{u"hello"_s, u"bad-signature other-key"_s, u"unsigned plain"_s, u"accepted answer 1 c1"_s};
    }
    void childTakesEachSignedDatagramOnce()
    {
        QFETCH(QStringList, steps);
        const TeacherSigningKey key = TeacherSigningKey::generate();
        const TeacherSigningKey otherKey = TeacherSigningKey::generate();
        SignedIntake intake(key.publicKey(), 7);
        QList<QByteArray> challenges;
        const auto runOf = [](const QString& name) { return QByteArray(7, 'r') + name.back().toLatin1(); };
        for (const QString& step : steps) {
            const QStringList parts = step.split(u' ');
            if (parts[0] == u"hello") {
                challenges.append(intake.newChallenge());
                QCOMPARE(challenges.last().size(), kHelloChallengeBytes);
                continue;
            }
            const QString& form = parts[1];
            const QByteArray inner = "http://class/" + step.toLatin1();
            QByteArray datagram = inner;
            if (form == u"other-key") {
                datagram = signedBy(otherKey, answer(1, 7, challenges.value(0)), inner);
            } else if (form == u"answer") {
                const QByteArray challenge = challenges.value(parts[3].mid(1).toInt() - 1, QByteArray(16, 'z'));
                datagram = signedBy(key,
                                    answer(parts[2].toULongLong(), parts.value(4, u"7"_s).toInt(), challenge,
                                           runOf(parts.value(5, u"r1"_s))),
                                    inner);
            } else if (form == u"fan") {
                quint32 mask = 0;
                for (const QString& number : parts.value(3, u"7"_s).split(u','))
                    mask |= childBit(number.toInt());
                datagram = signedBy(key, fanOut(parts[2].toULongLong(), mask, runOf(parts.value(4, u"r1"_s))), inner);
            }
            QVERIFY(!datagram.isEmpty());
            const SignedIntake::Result taken = intake.take(datagram);
            QVERIFY2(verdictName(taken.verdict) == parts[0], qPrintable(step + u": "_s + verdictName(taken.verdict)));
            QCOMPARE(taken.inner, taken.verdict == Verdict::Accepted ? inner : QByteArray());
        }
    }
};

QTEST_GUILESS_MAIN(TestTeacherKey)
#include "test_teacherkey.moc"
