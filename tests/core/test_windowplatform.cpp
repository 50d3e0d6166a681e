#include "common/windowplatform.h"

#include <QTest>

using namespace Qt::StringLiterals;

using namespace qh;

class TestWindowPlatform : public QObject
{
    Q_OBJECT
private slots:
    void choosesXWaylandOnWayland_data()
    {
        QTest::addColumn<QStringList>("environment"); // NAME=value pairs
        QTest::addColumn<QByteArray>("platform");
        QTest::newRow("X11 session") << QStringList{u"DISPLAY=:0"_s} << QByteArray();
        QTest::newRow("Wayland with XWayland")
            << QStringList{u"WAYLAND_DISPLAY=wayland-0"_s, u"DISPLAY=:0"_s} << QByteArray("xcb");
        QTest::newRow("the user's choice stays")
            << QStringList{u"WAYLAND_DISPLAY=wayland-0"_s, u"DISPLAY=:0"_s, u"QT_QPA_PLATFORM=wayland"_s}
            << QByteArray();
        QTest::newRow("an empty choice is no choice")
            << QStringList{u"WAYLAND_DISPLAY=wayland-0"_s, u"DISPLAY=:0"_s, u"QT_QPA_PLATFORM="_s} << QByteArray("xcb");
        QTest::newRow("Wayland without XWayland") << QStringList{u"WAYLAND_DISPLAY=wayland-0"_s} << QByteArray();
        QTest::newRow("empty WAYLAND_DISPLAY") << QStringList{u"WAYLAND_DISPLAY="_s, u"DISPLAY=:0"_s} << QByteArray();
        QTest::newRow("no display at all") << QStringList{} << QByteArray();
        QTest::newRow("offscreen chosen")
            << QStringList{u"WAYLAND_DISPLAY=wayland-0"_s, u"DISPLAY=:0"_s, u"QT_QPA_PLATFORM=offscreen"_s}
            << QByteArray();
    }
    void choosesXWaylandOnWayland()
    {
        QFETCH(QStringList, environment);
        QFETCH(QByteArray, platform);
        QProcessEnvironment given;
        for (const QString& pair : environment)
            given.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
        QCOMPARE(stayOnTopPlatform(given), platform);
    }
};

QTEST_GUILESS_MAIN(TestWindowPlatform)
#include "test_windowplatform.moc"
