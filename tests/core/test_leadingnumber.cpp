#include "common/leadingnumber.h"

#include <QTest>

using namespace qh;
using namespace Qt::StringLiterals;

class TestLeadingNumber : public QObject
{
    Q_OBJECT
private slots:
    void reads_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("exact");
        QTest::addColumn<double>("rounded");
        QTest::newRow("plain") << u"5000"_s << 5000.0 << 5000.0;
        QTest::newRow("trailing letters") << u"5000abc"_s << 5000.0 << 5000.0;
        QTest::newRow("leading blanks") << u"   5000abc"_s << 5000.0 << 5000.0;
        QTest::newRow("inner blank") << u"50 01"_s << 5001.0 << 5001.0;
        QTest::newRow("inner tab") << u"5\t0"_s << 50.0 << 50.0;
        QTest::newRow("leading zero") << u"01"_s << 1.0 << 1.0;
        QTest::newRow("letters") << u"abc"_s << 0.0 << 0.0;
        QTest::newRow("empty") << QString() << 0.0 << 0.0;
        QTest::newRow("blanks only") << u"  \t "_s << 0.0 << 0.0;
        QTest::newRow("minus") << u"-1"_s << -1.0 << -1.0;
        QTest::newRow("minus blank") << u"- 7"_s << -7.0 << -7.0;
        QTest::newRow("plus") << u"+12"_s << 12.0 << 12.0;
        QTest::newRow("sign alone") << u"-"_s << 0.0 << 0.0;
        QTest::newRow("second sign stops") << u"5-3"_s << 5.0 << 5.0;
        QTest::newRow("two signs") << u"--5"_s << 0.0 << 0.0;
        QTest::newRow("half to even down") << u"2.5"_s << 2.5 << 2.0;
        QTest::newRow("half to even up") << u"3.5"_s << 3.5 << 4.0;
        QTest::newRow("negative half") << u"-2.5"_s << -2.5 << -2.0;
        QTest::newRow("point first") << u".5"_s << 0.5 << 0.0;
        QTest::newRow("above half") << u"30.6"_s << 30.6 << 31.0;
        QTest::newRow("just above 30") << u"30.4"_s << 30.4 << 30.0;
        QTest::newRow("second point stops") << u"1.2.3"_s << 1.2 << 1.0;
        QTest::newRow("no exponent") << u"1e3"_s << 1.0 << 1.0;
        QTest::newRow("no hex") << u"&H10"_s << 0.0 << 0.0;
        QTest::newRow("full-width digit stops") << u"1２"_s << 1.0 << 1.0;
        QTest::newRow("huge") << u"99999999999999999999"_s << 1e20 << 1e20;
    }
    void reads()
    {
        QFETCH(QString, text);
        QFETCH(double, exact);
        QFETCH(double, rounded);
        QCOMPARE(leadingNumberExact(text), exact);
        QCOMPARE(leadingNumber(text), rounded);
    }
};

QTEST_APPLESS_MAIN(TestLeadingNumber)
#include "test_leadingnumber.moc"
