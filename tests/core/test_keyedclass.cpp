// A class with the teacher's key, from end to end: the real presenter (without its windows, its
// browser scripted) holds a key made by the documented command, real child programs on 127.0.0.2 and up hold its public
// key or none, and a plain socket on 127.0.0.10 stands for a student's computer in slot 09 that asks for signed
// datagrams and records them. Once the presenter has ended its port is free, and the test sends from it, with the
// teacher's address, what a student's tool would.
#include "common/datagrams.h"
#include "common/keytexts.h"
#include "common/teacherkey.h"
#include "common/viewdatagrams.h"
#include "tests/support/childprocess.h"
#include "tests/support/presenterfixture.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace qh;
using namespace qh::test;
using namespace Qt::StringLiterals;

namespace {
QString writePage(const QString& folder, const QString& title)
{
    const QString path = folder + u'/' + title + u".html"_s;
    writeAll(path, "<html><head><title>" + title.toUtf8() + "</title></head><body></body></html>");
    return QUrl::fromLocalFile(path).toString();
}

// Quillharbour_Launcher --make-key FOLDER; the public key file, or empty when it failed.
QString makeKey(const QString& folder)
{
    QProcess launcher;
    launcher.start(QString::fromUtf8(QH_LAUNCHER_PATH), {u"--make-key"_s, folder});
    const bool made = launcher.waitForFinished(30000) && launcher.exitCode() == 0;
    return made ? QDir(folder).filePath(kTeacherPublicKeyFileName) : QString();
}

// The events of the child since the mark that match the pattern.
QStringList eventsLike(const ChildProcess& child, qsizetype mark, const QString& pattern)
{
    return child.events(mark).filter(QRegularExpression(pattern));
}
} // namespace

class TestKeyedClass : public QObject
{
    Q_OBJECT
private slots:
    // 01 holds the key, 03 holds none; both follow the lesson, a presenter that restarts, and
    // nothing else. What 09 recorded, sent again to 01, is refused: taken once already, meant for
    // another child, or from a run of the presenter that has ended.
    void classFollowsOnlyItsTeachersKey()
    {
        PresenterFixture fixture;
        fixture.childPort = freeUdpPort(); // the children listen on it; the fixture's listener keeps another
        const quint16 port = fixture.childPort;
        const QString publicKey = makeKey(fixture.folder.path());
        QVERIFY(!publicKey.isEmpty());
        const QStringList pages{writePage(fixture.folder.path(), u"P1"_s), writePage(fixture.folder.path(), u"P2"_s)};
        fixture.writeUrlList(pages);
        fixture.writeSettings({{1, u"1"_s, u"127.0.0.2"_s, u"WindowScreen"_s},
                               {3, u"1"_s, u"127.0.0.4"_s, u"WindowScreen"_s},
                               {9, u"1"_s, u"127.0.0.10"_s, u"WindowScreen"_s}});
        LoopbackChildren recorder;
        QVERIFY(recorder.bind(port, "127.0.0.10"));
        QVERIFY(fixture.make().startUp());
        QCOMPARE(recorder.take().size(), 3); // the announcement and P1, plain: 09 has not asked yet

        // The children start during the lesson and are caught up; 09 asks too.
        ChildProcess keyed;
        ChildProcess plain;
        keyed.launchOnLoopback(1, port, fixture.masterPort, {u"--teacher-key"_s, publicKey, u"--window"_s});
        plain.launchOnLoopback(3, port, fixture.masterPort, {u"--window"_s});
        const QByteArray challenge(kHelloChallengeBytes, 'n');
        QVERIFY(sendDatagramFrom("127.0.0.10", "127.0.0.1", fixture.masterPort, helloDatagram(9, challenge)));
        QVERIFY(fixture.runLoop(
            nullptr, [&] { return keyed.events().contains(u"title P1"_s) && plain.events().contains(u"title P1"_s); }));
        QCOMPARE(eventsLike(keyed, 0, u"^run "_s).size(), 1);
        QVERIFY(plain.events().filter(u"refused"_s).isEmpty());
        QList<Arrival> recorded = recorder.take();
        // VisibleTrue, the screen mode and P1, each signed for 09's challenge and then plain.
        QCOMPARE(recorded.size(), 6);
        const QByteArray answerTo09 = recorded.at(4).payload;
        QVERIFY(isSignedDatagram(answerTo09) && recorded.at(5).payload == datagramBytes(pages[0]));

        // Where the teacher is goes the same way: signed to 01 and 09, plain to 03.
        fixture.browserLog->place = PageSpot{0, 500000, 0, 0, {}, {}};
        QVERIFY(fixture.runLoop([&] { emit fixture.scripted->scrolled(); },
                                [&] {
                                    return !eventsLike(keyed, 0, u"^scrolled "_s).isEmpty() &&
                                           !eventsLike(plain, 0, u"^scrolled "_s).isEmpty();
                                }));
        recorded = recorder.take();
        QCOMPARE(recorded.size(), 1);
        QVERIFY(recorded.first().payload.startsWith("Command:Signed:"));
        QVERIFY(recorded.first().payload.endsWith(placeDatagram(fixture.browserLog->place)));

        qsizetype mark = keyed.mark();
        const qsizetype plainMark = plain.mark();
        QVERIFY(fixture.runLoop([&] { fixture.presenter->nextPage(); },
                                [&] {
                                    return keyed.events(mark).contains(u"title P2"_s) &&
                                           plain.events(plainMark).contains(u"title P2"_s);
                                }));
        // The described page comes plain as well, after its signed copy: the keyed child lets it
        // pass without taking it for a presenter that does not know it.
        QVERIFY(!eventsLike(keyed, mark, u"^ignored plain-copy "_s + pages[1]).isEmpty());
        QCOMPARE(eventsLike(keyed, mark, u"^(hello|refused) "_s), QStringList());
        recorded = recorder.take();
        QVERIFY(!recorded.isEmpty());
        const QByteArray toBoth = recorded.first().payload; // signed once for 01 and 09
        fixture.presenter->end();
        QVERIFY(keyed.waitFor(u"hidden"_s, mark));
        fixture.presenter.reset(); // the master port is free

        // Sent again as the teacher's computer would send them.
        const auto sendAsTeacher = [&](const char* to, const QByteArray& datagram) {
            return sendDatagramFrom("127.0.0.1", to, port, datagram, fixture.masterPort);
        };
        mark = keyed.mark();
        QVERIFY(sendAsTeacher("127.0.0.2", toBoth));
        QVERIFY(sendAsTeacher("127.0.0.2", answerTo09));
        QVERIFY(keyed.waitFor(u"refused not-addressed "_s + QString::fromLatin1(answerTo09.left(120)), mark));
        QCOMPARE(eventsLike(keyed, mark, u"^refused "_s),
                 (QStringList{u"refused replay "_s + QString::fromLatin1(toBoth.left(120)),
                              u"refused not-addressed "_s + QString::fromLatin1(answerTo09.left(120))}));

        // The presenter starts again: both follow within one Hello round, 01 a new run.
        mark = keyed.mark();
        QVERIFY(fixture.make().startUp());
        QVERIFY(fixture.runLoop(nullptr, [&] {
            return keyed.events(mark).contains(u"title P1"_s) && plain.events(plainMark).contains(u"title P1"_s);
        }));
        QCOMPARE(eventsLike(keyed, mark, u"^run "_s).size(), 1);
        QVERIFY(eventsLike(keyed, 0, u"^run "_s).first() != eventsLike(keyed, mark, u"^run "_s).first());
        fixture.presenter->end();
        QVERIFY(keyed.waitFor(u"hidden"_s, mark));
        fixture.presenter.reset();

        // The first run's datagram, a forged page and a forged hide: none is obeyed.
        mark = keyed.mark();
        QVERIFY(sendAsTeacher("127.0.0.2", toBoth));
        QVERIFY(sendAsTeacher("127.0.0.2", "Command:VisibleTrue"));
        QVERIFY(sendAsTeacher("127.0.0.2", datagramBytes(pages[1])));
        QVERIFY(sendAsTeacher("127.0.0.2", "Command:Zoom:200"));
        QVERIFY(sendAsTeacher("127.0.0.2", "Command:VisibleFalse"));
        QVERIFY(keyed.waitFor(u"refused unsigned Command:VisibleFalse"_s, mark));
        QCOMPARE(eventsLike(keyed, mark, u"^(refused|shown|hidden|open|zoom)"_s),
                 (QStringList{u"refused unknown-run "_s + QString::fromLatin1(toBoth.left(120)),
                              u"refused unsigned Command:VisibleTrue"_s, u"refused unsigned "_s + pages[1],
                              u"refused unsigned Command:Zoom:200"_s, u"refused unsigned Command:VisibleFalse"_s}));
        QTRY_VERIFY2(keyed.otherOutput().contains(u"not signed with the teacher's key"_s),
                     qPrintable(keyed.otherOutput()));
    }

    // A presenter with another key than the child's is not followed, and the child's log says so.
    void anotherKeyIsNotFollowed()
    {
        PresenterFixture fixture;
        fixture.childPort = freeUdpPort();
        QTemporaryDir childKeyFolder;
        const QString childKey = makeKey(childKeyFolder.path());
        QVERIFY(!childKey.isEmpty() && !makeKey(fixture.folder.path()).isEmpty());
        fixture.writeUrlList({writePage(fixture.folder.path(), u"P1"_s)});
        fixture.writeSettings({{1, u"1"_s, u"127.0.0.2"_s, u"WindowScreen"_s}});
        QVERIFY(fixture.make().startUp());
        ChildProcess child;
        child.launchOnLoopback(1, fixture.childPort, fixture.masterPort, {u"--teacher-key"_s, childKey});
        QVERIFY(
            fixture.runLoop(nullptr, [&] { return !eventsLike(child, 0, u"^refused bad-signature "_s).isEmpty(); }));
        QVERIFY(eventsLike(child, 0, u"^(shown|open|run)"_s).isEmpty());
        const QString fingerprint = keyFingerprint(readPublicKeyFile(childKey).publicKey);
        QTRY_VERIFY2(child.otherOutput().contains(u"signed with another key than the teacher's key "_s + fingerprint),
                     qPrintable(child.otherOutput()));
    }
};

QTEST_GUILESS_MAIN(TestKeyedClass)
#include "test_keyedclass.moc"
