// The child's call: the gate that spaces calls out, and what the call button reads as time passes.
#include "child/callgate.h"
#include "child/callstate.h"

#include <QHash>
#include <QTest>

using namespace qh::child;
using namespace Qt::StringLiterals;

class TestChildCall : public QObject
{
    Q_OBJECT
private slots:
    void callsAreSpacedOut_data()
    {
        QTest::addColumn<QList<int>>("clicksMs");
        QTest::addColumn<QList<bool>>("sent");
        QTest::newRow("first call") << QList<int>{5} << QList<bool>{true};
        QTest::newRow("held key") << QList<int>{0, 30, 60, 90, 1990} << QList<bool>{true, false, false, false, false};
        QTest::newRow("after two seconds") << QList<int>{0, 2000, 2100, 4000} << QList<bool>{true, true, false, true};
        QTest::newRow("refused clicks do not count")
            << QList<int>{0, 1500, 2500, 3000} << QList<bool>{true, false, true, false};
    }
    void callsAreSpacedOut()
    {
        QFETCH(QList<int>, clicksMs);
        QFETCH(QList<bool>, sent);
        CallGate gate;
        QList<bool> admitted;
        for (const int ms : clicksMs)
            admitted.append(gate.admit(std::chrono::milliseconds(1000000 + ms)));
        QCOMPARE(admitted, sent);
    }

    // What the call button reads as time passes: "<ms> <event>" steps, and "<ms> =<reading>"
    // checks. Events: sent, failed, answered (the presenter answered this child), confirm.
    void callButtonReads_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::newRow("a presenter that never answered")
            << QStringList{u"0 sent"_s, u"1999 =Sent"_s, u"2000 =Ready"_s, u"60000 =Ready"_s};
        QTest::newRow("not sent") << QStringList{u"0 answered"_s, u"0 failed"_s, u"1999 =Failed"_s, u"2000 =Ready"_s};
        QTest::newRow("confirmed") << QStringList{u"0 answered"_s,   u"0 sent"_s,         u"30 confirm"_s,
                                                  u"30 =Received"_s, u"5029 =Received"_s, u"5030 =Ready"_s};
        QTest::newRow("not confirmed") << QStringList{u"0 answered"_s,        u"0 sent"_s,
                                                      u"1999 =Sent"_s,        u"2000 =NotReceived"_s,
                                                      u"6999 =NotReceived"_s, u"7000 =Ready"_s};
        QTest::newRow("answered while the call waits")
            << QStringList{u"0 sent"_s, u"1000 answered"_s, u"2000 =NotReceived"_s};
        QTest::newRow("a confirmation is an answer too")
            << QStringList{u"0 sent"_s, u"500 confirm"_s, u"500 =Received"_s, u"9000 sent"_s, u"11000 =NotReceived"_s};
        QTest::newRow("confirmed late, then too late")
            << QStringList{u"0 answered"_s,  u"0 sent"_s,    u"2500 confirm"_s,  u"2500 =Received"_s,
                           u"7500 =Ready"_s, u"8000 sent"_s, u"15000 confirm"_s, u"15000 =Ready"_s};
        QTest::newRow("no call waits") << QStringList{u"0 answered"_s, u"0 confirm"_s,  u"0 =Ready"_s,
                                                      u"10 failed"_s,  u"20 confirm"_s, u"20 =Failed"_s};
        QTest::newRow("called again at once") << QStringList{u"0 answered"_s, u"0 sent"_s,       u"2000 sent"_s,
                                                             u"2000 =Sent"_s, u"2100 confirm"_s, u"2100 =Received"_s};
    }
    void callButtonReads()
    {
        QFETCH(QStringList, steps);
        using std::chrono::milliseconds;
        const QHash<QString, CallState::Reading> readings{{u"Ready"_s, CallState::Reading::Ready},
                                                          {u"Sent"_s, CallState::Reading::Sent},
                                                          {u"Failed"_s, CallState::Reading::Failed},
                                                          {u"Received"_s, CallState::Reading::Received},
                                                          {u"NotReceived"_s, CallState::Reading::NotReceived}};
        CallState state;
        for (const QString& step : steps) {
            const milliseconds now(step.section(u' ', 0, 0).toInt());
            const QString what = step.section(u' ', 1);
            if (what.startsWith(u'=')) {
                QVERIFY2(state.readingAt(now) == readings.value(what.mid(1)), qPrintable(step));
                // The bar is shown the next reading when the state says it changes, and not before.
                const std::optional<milliseconds> change = state.nextChange(now);
                const milliseconds later = change.value_or(now + milliseconds(60000));
                QVERIFY2((state.readingAt(later) != state.readingAt(now)) == change.has_value(), qPrintable(step));
                QVERIFY2(state.readingAt(later - milliseconds(1)) == state.readingAt(now), qPrintable(step));
            } else if (what == u"sent") {
                state.sent(now);
            } else if (what == u"failed") {
                state.failed(now);
            } else if (what == u"answered") {
                state.masterAnswered();
            } else {
                state.confirm(now);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestChildCall)
#include "test_childcall.moc"
