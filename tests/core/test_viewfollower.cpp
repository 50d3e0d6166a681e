// Where the teacher is on the page, as the presenter sends it: the real presenter without its
// windows, a scripted browser that answers every measure with the spot the test gives, and plain
// loopback sockets as the children (01 and 04 report, 03 does not).
#include "common/datagrams.h"
#include "master/viewfollower.h"
#include "tests/support/presenterfixture.h"

#include <QTest>
#include <QTimer>

using namespace qh;
using namespace qh::master;
using namespace qh::test;
using namespace Qt::StringLiterals;

namespace {
PageSpot spotAt(int documentY)
{
    return PageSpot{0, documentY, 0, 57143, "lesson", {3}};
}

QByteArrayList received(PresenterFixture& fixture, const QByteArray& prefix)
{
    QByteArrayList found;
    for (const QByteArray& datagram : fixture.children.received()) {
        if (datagram.contains(' ' + prefix))
            found.append(datagram);
    }
    return found;
}
} // namespace

class TestViewFollower : public QObject
{
    Q_OBJECT
private:
    // Started on page A with 01 and 04 having said Hello, and nothing received since.
    bool startWithReportingChildren(PresenterFixture& fixture)
    {
        if (!fixture.start({kPageA, kPageB}, fourSlots()) ||
            !fixture.handleIncoming({{"127.0.0.2", helloDatagram(1)}, {"127.0.0.5", helloDatagram(4)}}))
            return false;
        fixture.children.clear();
        return true;
    }

private slots:
    // The zoom goes along the browsers' steps, from wherever it is, and stops at the ends.
    void zoomSteps_data()
    {
        QTest::addColumn<int>("percent");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("after");
        QTest::newRow("in from 100") << 100 << 1 << 110;
        QTest::newRow("out from 100") << 100 << -1 << 90;
        QTest::newRow("in from between steps") << 105 << 1 << 110;
        QTest::newRow("out from between steps") << 105 << -1 << 100;
        QTest::newRow("out from a third") << 33 << -1 << 25;
        QTest::newRow("not below the smallest") << 25 << -1 << 25;
        QTest::newRow("not above the largest") << 500 << 1 << 500;
        QTest::newRow("back to 100") << 250 << 0 << 100;
    }
    void zoomSteps()
    {
        QFETCH(int, percent);
        QFETCH(int, step);
        QFETCH(int, after);
        QCOMPARE(zoomPercentAfter(percent, step), after);
    }

    // Only the children that report get the view; one that catches up or is switched on again gets
    // it after its page, a new page leaves the place behind, and End ends it.
    void viewGoesWithThePage()
    {
        PresenterFixture fixture;
        QVERIFY(startWithReportingChildren(fixture));
        const QByteArray place = placeDatagram(spotAt(500000));
        fixture.browserLog->place = spotAt(500000);
        QVERIFY(fixture.runUntilReceived([&] { emit fixture.scripted->scrolled(); }, 2));
        QVERIFY(fixture.runUntilReceived([&] { emit fixture.scripted->zoomed(125); }, 4));
        const QByteArray zoom = zoomDatagram(125);
        QCOMPARE(fixture.children.received(), (QByteArrayList{to("127.0.0.2", place), to("127.0.0.5", place),
                                                              to("127.0.0.2", zoom), to("127.0.0.5", zoom)}));

        fixture.children.clear();
        fixture.presenter->sendToChild(3, {commandText(kVerbVisibleTrue), kPageA}); // 04, which reported
        fixture.presenter->sendToChild(2, {commandText(kVerbVisibleTrue), kPageA}); // 03, which did not
        QVERIFY(fixture.runUntilReceived(nullptr, 6));
        QCOMPARE(
            fixture.children.received(),
            (QByteArrayList{to("127.0.0.5", "Command:VisibleTrue"), to("127.0.0.5", kPageA), to("127.0.0.5", place),
                            to("127.0.0.5", zoom), to("127.0.0.4", "Command:VisibleTrue"), to("127.0.0.4", kPageA)}));

        // 03 says Hello on the next page: the zoom still holds, the place was the last page's.
        QVERIFY(fixture.runUntilReceived([&] { fixture.presenter->nextPage(); }, 3));
        fixture.children.clear();
        QVERIFY(fixture.handleIncoming({{"127.0.0.4", helloDatagram(3)}}));
        QCOMPARE(fixture.children.received(),
                 (QByteArrayList{to("127.0.0.4", "Command:VisibleTrue"), to("127.0.0.4", "Command:FullScreen"),
                                 to("127.0.0.4", kPageB), to("127.0.0.4", zoom)}));

        // Nothing follows End, not even the zoom's second send once the view is still.
        fixture.children.clear();
        fixture.presenter->end();
        QTest::qWait(int(kStillDelay.count()) + 300);
        QCOMPARE(fixture.children.received(),
                 (QByteArrayList{to("127.0.0.2", "Command:VisibleFalse"), to("127.0.0.4", "Command:VisibleFalse"),
                                 to("127.0.0.5", "Command:VisibleFalse")}));
    }

    // A page that scrolls without pause: one place an interval, and the last one always; once
    // the view is still, the place is measured and sent once more, the pointer's end too, and then
    // nothing more comes.
    void scrollingKeepsTheRateAndEndsOnTheLastPlace()
    {
        PresenterFixture fixture;
        QVERIFY(startWithReportingChildren(fixture));
        fixture.presenter->setPointerOn(true);
        QVERIFY(fixture.runUntilReceived([&] { emit fixture.scripted->mouseMoved(QPoint(10, 20)); }, 2));
        QCOMPARE(received(fixture, "Command:Pointer:").first(),
                 to("127.0.0.2", pointerDatagram(PageSpot{10, 20, 0, 0, {}, {}})));
        QVERIFY(fixture.runUntilReceived([&] { emit fixture.scripted->mouseLeft(); }, 4));
        fixture.children.clear();

        int scrolls = 0;
        QTimer scrolling;
        connect(&scrolling, &QTimer::timeout, this, [&] {
            fixture.browserLog->place = spotAt(++scrolls);
            emit fixture.scripted->scrolled();
        });
        constexpr int kScrollingMs = 500;
        QTimer::singleShot(kScrollingMs, &scrolling, &QTimer::stop);
        scrolling.start(2);
        const auto lastPlace = [&] { return to("127.0.0.5", placeDatagram(spotAt(scrolls))); };
        QVERIFY(fixture.runLoop(nullptr, [&] {
            const QByteArrayList places = received(fixture, "Command:Place:");
            return !scrolling.isActive() && !places.isEmpty() && places.last() == lastPlace();
        }));
        const qsizetype places = received(fixture, "Command:Place:").size();
        // One an interval, and the first and the last, for each of the two children.
        QVERIFY2(places <= 2 * (2 + kScrollingMs / int(kPlaceInterval.count())), qPrintable(QString::number(places)));

        // Still: the pointer's end, then the place measured anew.
        fixture.children.clear();
        QVERIFY(fixture.runUntilReceived(nullptr, 4));
        QCOMPARE(fixture.children.received(),
                 (QByteArrayList{to("127.0.0.2", pointerOffDatagram()), to("127.0.0.5", pointerOffDatagram()),
                                 to("127.0.0.2", placeDatagram(spotAt(scrolls))), lastPlace()}));
        fixture.children.clear();
        const int measures = fixture.browserLog->placeMeasures;
        fixture.runFor(nullptr, int(kStillDelay.count()) + 300);
        QCOMPARE(fixture.children.received(), QByteArrayList{});
        QCOMPARE(fixture.browserLog->placeMeasures, measures);
    }
};

QTEST_GUILESS_MAIN(TestViewFollower)
#include "test_viewfollower.moc"
