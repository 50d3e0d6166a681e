// The class view's pictures and attention in the real presenter without windows: plain loopback
// sockets play the children (127.0.0.2 and up) and whoever else sends to the master port.
#include "common/classroomdatagrams.h"
#include "common/datagrams.h"
#include "common/teacherkey.h"
#include "tests/support/childprocess.h"
#include "tests/support/presenterfixture.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <array>

using namespace qh;
using namespace qh::master;
using namespace qh::test;
using namespace Qt::StringLiterals;

namespace {
QByteArray address(int number)
{
    return "127.0.0." + QByteArray::number(number + 1);
}

// The picture requests among the arrivals, by the address they went to: their tokens.
QList<QByteArray> tokensTo(const QList<Arrival>& arrivals, const QByteArray& to)
{
    QList<QByteArray> tokens;
    for (const Arrival& arrival : arrivals) {
        if (arrival.to == to && arrival.payload.startsWith("Command:Picture:"))
            tokens.append(arrival.payload.sliced(16));
    }
    return tokens;
}

qsizetype requestCount(const QList<Arrival>& arrivals)
{
    return std::count_if(arrivals.cbegin(), arrivals.cend(),
                         [](const Arrival& arrival) { return arrival.payload.startsWith("Command:Picture:"); });
}

// A JPEG of that size, as a child (or anyone) might send it.
QByteArray jpegOf(QSize size)
{
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "jpeg");
    return bytes;
}

QByteArray answer(int number, const QByteArray& token, const QByteArray& jpeg)
{
    return "%1Picture:"_ba.replace("%1", QByteArray::number(number).rightJustified(2, '0')) + token +
           (jpeg.isEmpty() ? QByteArray(":Hidden") : ":Shown:" + jpeg);
}
} // namespace

class TestClassPictures : public QObject
{
    Q_OBJECT
private slots:
    // 30 slots: 02 switched off, 30 never reports. Each child that speaks our extension is asked once
    // in 3 s while the view is open, never during a page's load, never once the view is closed; a
    // picture counts only from the slot's computer, answering its request, within the limits.
    void picturesAreAskedAndCheckedWhileTheViewIsOpen()
    {
        PresenterFixture fixture;
        QList<SlotLine> slotLines;
        for (int number = 1; number <= kSlotCount; ++number)
            slotLines.append({number, number == 2 ? u"0"_s : u"1"_s, QString::fromLatin1(address(number)), u"x"_s});
        QVERIFY(fixture.start({kPageA, kPageB}, slotLines));
        QList<PresenterFixture::Incoming> hellos;
        for (int number = 1; number < kSlotCount; ++number)
            hellos.append({"", helloDatagram(number)});
        QList<QByteArray> froms;
        for (int number = 1; number < kSlotCount; ++number)
            froms.append(address(number));
        for (qsizetype at = 0; at < hellos.size(); ++at)
            hellos[at].from = froms[at].constData();
        QVERIFY(fixture.handleIncoming(hellos));
        Classroom& classroom = fixture.presenter->classroom();
        QSignalSpy changed(&classroom.pictures(), &ClassPictures::pictureChanged);
        fixture.children.take();

        QList<Arrival> arrivals;
        classroom.setViewOpen(true);
        fixture.runFor([&] {}, int(kPictureIntervalMs) + 150);
        arrivals += fixture.children.take();
        for (int number = 1; number <= kSlotCount; ++number) {
            QList<std::int64_t> askedNs;
            for (const Arrival& arrival : arrivals) {
                if (arrival.to == address(number) && arrival.payload.startsWith("Command:Picture:"))
                    askedNs.append(arrival.atNs);
            }
            QCOMPARE(askedNs.isEmpty(), number == 2 || number == 30);
            for (qsizetype at = 1; at < askedNs.size(); ++at)
                QVERIFY(askedNs[at] - askedNs[at - 1] >= (kPictureIntervalMs - 100) * 1000000);
        }

        // 01 answers with a picture; 03's answer must come from 127.0.0.4, to its request, whole.
        const QByteArray first = tokensTo(arrivals, address(1)).last();
        const QByteArray third = tokensTo(arrivals, address(3)).last();
        const QByteArray good = jpegOf({200, 125});
        QList<PresenterFixture::Incoming> incoming{
            {"127.0.0.2", answer(1, first, good)},
            {"127.0.0.9", answer(3, third, good)},
            {"127.0.0.4", answer(3, "0badf00d", good)},
            {"127.0.0.4", answer(3, third, good.first(good.size() - 10))},
            {"127.0.0.4", answer(3, third, "\xFF\xD8\xFF" + QByteArray(300, 'x') + "\xFF\xD9")},
            {"127.0.0.4", answer(3, third, jpegOf({400, 250}))},
        };
        // A flood from one address in between changes nothing for the others.
        for (int copy = 0; copy < 500; ++copy)
            incoming.append({"127.0.0.9", answer(1, first, good)});
        incoming.append({"127.0.0.4", answer(3, third, {})});
        incoming.append({"127.0.0.4", answer(3, third, {})}); // a copy: the request was answered
        QVERIFY(fixture.handleIncoming(incoming));
        QCOMPARE(changed.size(), 2);
        QCOMPARE(changed.at(0).at(0).toInt(), 0);
        QCOMPARE(changed.at(1).at(0).toInt(), 2);
        QCOMPARE(classroom.pictures().picture(0).image.size(), QSize(200, 125));
        QVERIFY(!classroom.pictures().picture(0).hidden);
        QVERIFY(classroom.pictures().picture(2).hidden);
        QVERIFY(classroom.pictures().picture(2).image.isNull());
        QVERIFY(!classroom.pictures().isStale(0));

        // While the presenter waits for a page, nothing is asked: the answers could not be read.
        fixture.browserLog->loadMilliseconds = 1000;
        std::int64_t pressedNs = 0;
        std::int64_t pageNs = 0;
        arrivals.clear();
        fixture.children.take();
        QVERIFY(fixture.runLoop(
            [&] {
                pressedNs = QDateTime::currentMSecsSinceEpoch() * 1000000;
                fixture.presenter->nextPage();
            },
            [&] {
                for (const Arrival& arrival : fixture.children.take()) {
                    if (arrival.payload == kPageB.toLatin1() && pageNs == 0)
                        pageNs = arrival.atNs;
                    arrivals.append(arrival);
                }
                return pageNs != 0 && requestCount(arrivals) > 0;
            }));
        QVERIFY(pageNs - pressedNs >= 900000000);
        for (const Arrival& arrival : arrivals) {
            // A request that left just before the click may arrive a moment later.
            if (arrival.payload.startsWith("Command:Picture:") && arrival.atNs > pressedNs + 5000000)
                QVERIFY(arrival.atNs >= pageNs);
        }

        // Closed: nothing more is asked.
        classroom.setViewOpen(false);
        fixture.children.take();
        fixture.runFor([] {}, 1000);
        QCOMPARE(requestCount(fixture.children.take()), 0);
    }

    // Attention goes to the children in use that have reported: on for the time left, to a child
    // caught up after its start, every few seconds again, off at the lift, at the end of the time
    // and at End, before the pages are hidden.
    void attentionReachesTheChildrenThatSpeakOurExtension()
    {
        PresenterFixture fixture;
        QVERIFY(fixture.start({kPageA}, fourSlots()));
        // 01 reports; 02 is switched off; 03 starts later; 04 never reports.
        QVERIFY(fixture.handleIncoming({{"127.0.0.2", helloDatagram(1)}, {"127.0.0.3", helloDatagram(2)}}));
        Classroom& classroom = fixture.presenter->classroom();
        QSignalSpy changed(&classroom.attention(), &Attention::changed);
        fixture.children.clear();
        QVERIFY(fixture.runUntilReceived([&] { classroom.startAttention(60); }, 1));
        QCOMPARE(fixture.children.received(), QByteArrayList{to("127.0.0.2", "Command:AttentionOn:60")});
        QVERIFY(classroom.attention().isOn());
        QVERIFY(*classroom.attention().remainingMs() > 59000);

        fixture.children.clear();
        QVERIFY(fixture.handleIncoming({{"127.0.0.4", helloDatagram(3)}}));
        QTRY_COMPARE(
            fixture.children.receivedBy("127.0.0.4"),
            (QByteArrayList{"Command:VisibleTrue", "Command:FullScreen", kPageA.toLatin1(), "Command:AttentionOn:60"}));

        // The refresh tells both the time left.
        fixture.children.clear();
        QVERIFY(fixture.runLoop(
            nullptr, [&] { return fixture.children.count() >= 2; }, 8000));
        // 5 s after the start, as the timer keeps it: 55 s left, rounded up.
        const QByteArray refresh = fixture.children.received().value(0).sliced(10);
        QVERIFY2(refresh == "Command:AttentionOn:55" || refresh == "Command:AttentionOn:56", refresh.constData());
        QCOMPARE(fixture.children.received(), (QByteArrayList{to("127.0.0.2", refresh), to("127.0.0.4", refresh)}));

        fixture.children.clear();
        // The lift, and once more a second later for a child that lost it.
        QVERIFY(fixture.runUntilReceived([&] { classroom.attention().lift(); }, 4));
        const QByteArrayList lift{to("127.0.0.2", "Command:AttentionOff"), to("127.0.0.4", "Command:AttentionOff")};
        QCOMPARE(fixture.children.received(), lift + lift);
        QVERIFY(!classroom.attention().isOn());

        // A chosen time ends by itself, on the children too: nothing more is sent for it.
        fixture.children.clear();
        QVERIFY(fixture.runLoop([&] { classroom.startAttention(1); }, [&] { return !classroom.attention().isOn(); }));
        fixture.runFor(nullptr, 100);
        QCOMPARE(fixture.children.received(),
                 (QByteArrayList{to("127.0.0.2", "Command:AttentionOn:1"), to("127.0.0.4", "Command:AttentionOn:1")}));

        fixture.children.clear();
        QVERIFY(fixture.runUntilReceived([&] { classroom.startAttention(std::nullopt); }, 2));
        QCOMPARE(fixture.children.receivedBy("127.0.0.2"), QByteArrayList{"Command:AttentionOn"});
        QVERIFY(!classroom.attention().remainingMs());
        fixture.children.clear();
        QVERIFY(fixture.runUntilReceived([&] { fixture.presenter->end(); }, 5));
        QCOMPARE(fixture.children.received(),
                 (QByteArrayList{to("127.0.0.2", "Command:AttentionOff"), to("127.0.0.4", "Command:AttentionOff"),
                                 to("127.0.0.2", "Command:VisibleFalse"), to("127.0.0.4", "Command:VisibleFalse"),
                                 to("127.0.0.5", "Command:VisibleFalse")}));
        QCOMPARE(changed.size(), 6);
        QTest::qWait(1200);                    // the presenter has ended: its loop runs no more
        QCOMPARE(fixture.children.count(), 5); // after End, not even the lift's repeat
        // Ended: it cannot start again.
        classroom.startAttention(60);
        QVERIFY(!classroom.attention().isOn());
    }

    // With the teacher's key: a child that holds it takes attention and picture requests only
    // signed, and gets them so; a child without a key gets them plain, as before. Forged plain ones
    // sent as the teacher's computer are refused.
    void keyedChildrenTakeOnlySignedCommands()
    {
        PresenterFixture fixture;
        fixture.childPort = freeUdpPort(); // the children listen on their own addresses
        QCOMPARE(writeTeacherKeyPair(fixture.folder.path()).status, KeyPairWrite::Status::Written);
        const QString publicKey = fixture.folder.path(kTeacherPublicKeyFileName);
        fixture.writeUrlList({kPageA});
        fixture.writeSettings(
            {{1, u"1"_s, u"127.0.0.2"_s, u"WindowScreen"_s}, {3, u"1"_s, u"127.0.0.4"_s, u"WindowScreen"_s}});
        ChildProcess keyed;
        ChildProcess plain;
        keyed.launchOnLoopback(1, fixture.childPort, fixture.masterPort,
                               {u"--teacher-key"_s, publicKey, u"--window"_s});
        plain.launchOnLoopback(3, fixture.childPort, fixture.masterPort, {u"--window"_s});
        for (ChildProcess* child : {&keyed, &plain})
            QVERIFY2(child->waitFor(u"ready %1"_s.arg(fixture.childPort)), qPrintable(child->otherOutput()));
        QVERIFY(fixture.make().startUp());
        QVERIFY(fixture.runLoop(nullptr, [&] {
            return !keyed.events().filter(QRegularExpression(u"^run "_s)).isEmpty() &&
                   fixture.presenter->slotFollowing(0).heard && fixture.presenter->slotFollowing(2).heard;
        }));
        Classroom& classroom = fixture.presenter->classroom();
        classroom.startAttention(60);
        classroom.setViewOpen(true);
        QVERIFY(fixture.runLoop(nullptr, [&] {
            return keyed.events().contains(u"attention on 60"_s) && plain.events().contains(u"attention on 60"_s) &&
                   classroom.pictures().picture(0).receivedMs && classroom.pictures().picture(2).receivedMs;
        }));
        // Only the start-up announcement, plain while the child had not asked yet, was refused.
        QCOMPARE(keyed.events().filter(QRegularExpression(u"^refused unsigned Command:(Attention|Picture)"_s)),
                 QStringList{});

        fixture.presenter.reset(); // the master port is free: send from it as the teacher's computer
        const qsizetype mark = keyed.mark();
        for (const QByteArray& forged : {QByteArray("Command:AttentionOff"), QByteArray("Command:Picture:0000aaaa")})
            QVERIFY(sendDatagramFrom("127.0.0.1", "127.0.0.2", fixture.childPort, forged, fixture.masterPort));
        QVERIFY(keyed.waitFor(u"refused unsigned Command:Picture:0000aaaa"_s, mark));
        QCOMPARE(
            keyed.events(mark).filter(QRegularExpression(u"^(refused|attention|picture)"_s)),
            (QStringList{u"refused unsigned Command:AttentionOff"_s, u"refused unsigned Command:Picture:0000aaaa"_s}));
    }

    // No student computer stays covered when the teacher's has gone without a word: real children
    // uncover by themselves once the presenter has been silent for 30 s, and not before 25 s (the
    // last refresh may have come up to 5 s before the end).
    void childrenUncoverWhenThePresenterIsGone()
    {
        PresenterFixture fixture;
        fixture.childPort = freeUdpPort(); // the children listen on their own addresses
        fixture.writeUrlList({kPageA});
        fixture.writeSettings(
            {{1, u"1"_s, u"127.0.0.2"_s, u"WindowScreen"_s}, {2, u"1"_s, u"127.0.0.3"_s, u"WindowScreen"_s}});
        std::array<ChildProcess, 2> children;
        for (int number = 1; number <= 2; ++number)
            children[number - 1].launchOnLoopback(number, fixture.childPort, fixture.masterPort, {u"--window"_s});
        for (ChildProcess& child : children)
            QVERIFY(child.waitFor(u"ready %1"_s.arg(fixture.childPort)));
        QVERIFY(fixture.make().startUp());
        const auto bothWrote = [&children](const QString& event) {
            return children[0].events().contains(event) && children[1].events().contains(event);
        };
        QVERIFY(fixture.runLoop(nullptr, [&] {
            return fixture.presenter->slotFollowing(0).heard && fixture.presenter->slotFollowing(1).heard;
        }));
        QVERIFY(fixture.runLoop([&] { fixture.presenter->classroom().startAttention(std::nullopt); },
                                [&] { return bothWrote(u"attention on until-lifted"_s); }));

        QElapsedTimer gone;
        fixture.presenter.reset(); // as the teacher's computer crashing: nothing more is sent
        gone.start();
        QTRY_VERIFY_WITH_TIMEOUT(bothWrote(u"attention off presenter-gone"_s), 40000);
        QVERIFY2(gone.elapsed() >= 25000 && gone.elapsed() <= 32000, qPrintable(QString::number(gone.elapsed())));
    }
};

QTEST_GUILESS_MAIN(TestClassPictures)
#include "test_classpictures.moc"
