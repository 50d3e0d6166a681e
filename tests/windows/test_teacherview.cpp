// Where the teacher is on the page, from end to end: the real presenter with its Qt WebEngine
// browser and real children on loopback, on a long local page of fixed-height sections. Child 01
// runs full screen as its own process, 02 in this process in a window narrower than the teacher's,
// 03 starts late; 04 is a plain socket that knows only the described datagrams, 05 one that has
// said Hello and counts what it gets.
#include "child/childprogram.h"
#include "child/pointerdot.h"
#include "master/panelwindow.h"
#include "master/webbrowser.h"
#include "tests/support/childprocess.h"
#include "tests/support/pagescript.h"
#include "tests/support/presenterwindowsfixture.h"
#include "tests/support/userinput.h"

#include <QAction>
#include <QApplication>
#include <QNetworkDatagram>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>
#include <QWebEnginePage>
#include <QWheelEvent>

#include <algorithm>
#include <csignal>
#include <optional>

using namespace qh;
using namespace qh::master;
using namespace qh::test;
using namespace Qt::StringLiterals;

namespace {
constexpr int kSection = 700; // CSS pixels

// Eight sections in a <main> with an id, then text whose height depends on the window's width, so
// that the share of the document differs between the children and only the section's place is right.
QString writeLongPage(const QString& folder)
{
    QByteArray sections;
    for (int section = 0; section < 8; ++section)
        sections += "<section>" + QByteArray::number(section) + "</section>";
    const QString path = folder + u"/long.html"_s;
    writeAll(path, "<html><head><title>Long</title><style>body{margin:0;font:20px sans-serif}"
                   "section{height:" +
                       QByteArray::number(kSection) +
                       "px;border-top:1px solid #000;box-sizing:border-box}</style></head><body><main id='lesson'>" +
                       sections + "</main><p>" + QByteArray("Words that wrap at the window's width. ").repeated(300) +
                       "</p><script>var clicks = 0; addEventListener('click', function () { ++clicks; });</script>"
                       "</body></html>");
    return QUrl::fromLocalFile(path).toString();
}

// A page that scrolls itself every 10 ms, without end.
QString writeBusyPage(const QString& folder)
{
    const QString path = folder + u"/busy.html"_s;
    writeAll(path,
             "<html><head><title>Busy</title></head><body style='margin:0'><div style='height:6000px'>busy</div>"
             "<script>setInterval(function () { scrollTo(0, (scrollY + 37) % 3000); }, 10);</script></body></html>");
    return QUrl::fromLocalFile(path).toString();
}

// The last event of the child that starts so ("scrolled"), without its name; empty when none.
QString last(const ChildProcess& child, const QString& event)
{
    const QStringList events = child.events().filter(QRegularExpression(u"^"_s + event + u" "_s));
    return events.isEmpty() ? QString() : events.last().mid(event.size() + 1);
}

// A plain socket on a child's loopback address: what it received, every payload.
class PlainChild
{
public:
    PlainChild(int number, quint16 port)
    {
        m_socket.bind(QHostAddress(QString::fromLatin1(childLoopbackAddress(number))), port);
    }
    QByteArrayList received()
    {
        while (m_socket.hasPendingDatagrams())
            m_received.append(m_socket.receiveDatagram().data());
        return m_received;
    }

private:
    QUdpSocket m_socket;
    QByteArrayList m_received;
};
} // namespace

class TestTeacherView : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { quietOffscreenWarnings(); }

    void childrenSeeWhereTheTeacherIs()
    {
        PresenterWindowsFixture fixture;
        fixture.childPort = freeUdpPort();
        const quint16 port = fixture.childPort;
        const QStringList pages{writeLongPage(fixture.folder.path()), writeBusyPage(fixture.folder.path())};
        fixture.writeUrlList(pages);
        fixture.writeSettings({{1, u"1"_s, u"127.0.0.2"_s, u"FullScreen"_s},
                               {2, u"1"_s, u"127.0.0.3"_s, u"WindowScreen"_s},
                               {3, u"1"_s, u"127.0.0.4"_s, u"WindowScreen"_s},
                               {4, u"1"_s, u"127.0.0.5"_s, u"WindowScreen"_s},
                               {5, u"1"_s, u"127.0.0.6"_s, u"WindowScreen"_s}});
        ChildProcess full;
        full.launchOnLoopback(1, port, fixture.masterPort);
        child::ChildSettings narrowSettings = loopbackChildSettings(2, port, fixture.masterPort);
        narrowSettings.fullScreen = false;
        child::ChildProgram narrow(narrowSettings);
        narrow.pageWindow().resize(400, 300);
        QVERIFY(narrow.start());
        PlainChild described(4, port);
        PlainChild counting(5, port);
        QVERIFY(full.waitFor(u"ready %1"_s.arg(port)));

        Presenter& presenter = fixture.makeWithWebBrowser();
        QVERIFY(presenter.startUp());
        QWebEnginePage* teacherPage = fixture.webBrowser()->view()->page();
        QWidget* teacherInput = fixture.webBrowser()->view()->focusProxy();
        QVERIFY(teacherInput);
        child::PageWindow& narrowPage = narrow.pageWindow();
        const auto narrowY = [&narrowPage] { return qRound(narrowPage.page()->scrollPosition().y()); };
        // At 100 %; Qt WebEngine gives the scroll position in the view's pixels, and late after a zoom.
        const auto teacherY = [teacherPage] { return qRound(teacherPage->scrollPosition().y()); };
        QVERIFY(fixture.runLoop(nullptr, [&] {
            return full.events().contains(u"loaded "_s + pages[0]) && narrowPage.title() == u"Long"_s;
        }));
        QVERIFY(sendDatagramFrom("127.0.0.6", "127.0.0.1", fixture.masterPort, "05Hello"));

        // Scrolled by a script: 41 pixels into the fourth section on every child, whatever its size (a
        // share of the section that the child must round, not cut, to the pixel).
        const int scriptY = 3 * kSection + 41;
        QVERIFY(fixture.runLoop(
            [&] { teacherPage->runJavaScript(u"scrollTo(0, %1)"_s.arg(scriptY)); },
            [&] { return last(full, u"scrolled"_s) == u"0 %1"_s.arg(scriptY) && narrowY() == scriptY; }));

        // Scrolled by real keys, in the teacher's window: the student who scrolled away to read is
        // brought back too.
        evaluateInPage(narrowPage.page(), u"scrollTo(0, 100)"_s);
        QVERIFY(fixture.runLoop(
            [&] {
                QTest::keyClick(teacherInput, Qt::Key_PageDown);
                QTest::keyClick(teacherInput, Qt::Key_Down);
            },
            [&] {
                const int y = teacherY();
                return y > scriptY + 100 && last(full, u"scrolled"_s) == u"0 %1"_s.arg(y) && narrowY() == y;
            }));

        // A child whose renderer crashes shows its page again at the place (the child applies it
        // again, and the presenter sends it once more when the view has been still for a second).
        const int keysY = teacherY();
        QSignalSpy reloaded(&narrowPage, &child::PageWindow::loadEnded);
        QVERIFY(::kill(pid_t(narrowPage.page()->renderProcessPid()), SIGKILL) == 0);
        QTRY_VERIFY_WITH_TIMEOUT(!reloaded.isEmpty(), 20000);
        // Asked of the page itself: the view's scroll position may still be the crashed page's.
        QTRY_COMPARE(evaluateInPage(narrowPage.page(), u"scrollY"_s).toInt(), keysY);

        // The pointer, switched on by its key: the dot shows over the same place of the same section.
        // It takes no click: the page beneath it gets it.
        QVERIFY(fixture.runLoop([&] { QTest::keyClick(teacherInput, Qt::Key_L, Qt::ControlModifier); },
                                [&] { return presenter.view().isPointerOn(); }));
        QVERIFY(fixture.windows().panel().window()->pointerAction()->isChecked());
        auto* dot = narrowPage.findChild<child::PointerDot*>();
        const auto dotCentre = [dot] { return dot->geometry().center(); };
        QVERIFY(fixture.runLoop([&] { QTest::mouseMove(teacherInput, QPoint(200, 100)); },
                                [&] { return !last(full, u"pointer"_s).isEmpty() && dot->isVisible(); }));
        QCOMPARE(last(full, u"pointer"_s).section(u' ', 1).toInt(), teacherY() + 100);
        QVERIFY(qAbs(dotCentre().y() - 100) <= 2);
        QCOMPARE(narrowPage.childAt(dotCentre()), narrowPage.focusProxy());
        userClick(&narrowPage, dotCentre());
        QTRY_COMPARE(evaluateInPage(narrowPage.page(), u"clicks"_s).toInt(), 1);
        // Off when the mouse leaves the page, on again as it comes back, off from the panel's menu.
        QVERIFY(fixture.runLoop(
            [&] {
                QEvent leave(QEvent::Leave);
                QApplication::sendEvent(teacherInput, &leave);
            },
            [&] { return last(full, u"pointer"_s) == u"off"_s && !dot->isVisible(); }));
        QVERIFY(fixture.runLoop([&] { QTest::mouseMove(teacherInput, QPoint(300, 200)); },
                                [&] { return last(full, u"pointer"_s) != u"off"_s && dot->isVisible(); }));
        QVERIFY(fixture.runLoop([&] { fixture.windows().panel().window()->pointerAction()->trigger(); },
                                [&] { return last(full, u"pointer"_s) == u"off"_s && !dot->isVisible(); }));

        // Zoom: Ctrl and +, then Ctrl and the wheel, on every child; the place follows.
        QVERIFY(fixture.runLoop([&] { QTest::keyClick(teacherInput, Qt::Key_Equal, Qt::ControlModifier); },
                                [&] { return last(full, u"zoom"_s) == u"1.1"_s; }));
        QVERIFY(fixture.runLoop(
            [&] {
                QWheelEvent wheel(QPointF(100, 100), teacherInput->mapToGlobal(QPointF(100, 100)), {}, {0, 120},
                                  Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
                QApplication::sendEvent(teacherInput, &wheel);
            },
            [&] { return last(full, u"zoom"_s) == u"1.25"_s && narrowPage.zoomFactor() == 1.25; }));
        QCOMPARE(teacherPage->zoomFactor(), 1.25);

        // A late child gets the page, the zoom and the place together.
        const int placeY = evaluateInPage(teacherPage, u"scrollY"_s).toInt();
        ChildProcess late;
        QVERIFY(fixture.runLoop([&] { late.launchOnLoopback(3, port, fixture.masterPort); },
                                [&] { return last(late, u"scrolled"_s) == u"0 %1"_s.arg(placeY); }, 30000));
        QVERIFY(late.events().contains(u"loaded "_s + pages[0]));
        QCOMPARE(last(late, u"zoom"_s), u"1.25"_s);
        QVERIFY(fixture.runLoop([&] { QTest::keyClick(teacherInput, Qt::Key_0, Qt::ControlModifier); },
                                [&] { return last(full, u"zoom"_s) == u"1"_s && last(late, u"zoom"_s) == u"1"_s; }));

        // A page that scrolls itself every 10 ms: at most about ten places a second, and the
        // children, whose copies scroll themselves too, report no more than before.
        QPushButton* next = fixture.bar().nextButton();
        QVERIFY(fixture.runLoop([next] { next->click(); },
                                [&] { return full.events().contains(u"loaded "_s + pages[1]); }));
        const auto places = [&counting] {
            const QByteArrayList received = counting.received();
            return std::count_if(received.cbegin(), received.cend(),
                                 [](const QByteArray& datagram) { return datagram.startsWith("Command:Place:"); });
        };
        QStringList reports;
        const QMetaObject::Connection reading =
            connect(&presenter, &Presenter::datagramReceived, this,
                    [&reports](const QByteArray& datagram) { reports.append(QString::fromLatin1(datagram.left(2))); });
        const qsizetype placesBefore = places();
        fixture.runFor(nullptr, 2000);
        disconnect(reading);
        const qsizetype busyPlaces = places() - placesBefore;
        QVERIFY2(busyPlaces >= 3 && busyPlaces <= 21, qPrintable(QString::number(busyPlaces)));
        for (const QString& number : {u"01"_s, u"02"_s, u"03"_s})
            QVERIFY2(reports.count(number) <= 2, qPrintable(reports.join(u' ')));

        // Back to the long page: every child starts it at the top.
        const qsizetype fullMark = full.mark();
        QVERIFY(fixture.runLoop([&] { fixture.bar().previousButton()->click(); },
                                [&] {
                                    return full.events(fullMark).contains(u"loaded "_s + pages[0]) &&
                                           narrowPage.title() == u"Long"_s;
                                }));
        fixture.runFor(nullptr, 300);
        QCOMPARE(narrowY(), 0);
        QCOMPARE(full.events(fullMark).filter(u"scrolled"_s), QStringList{});

        // The peer that knows only the described datagrams got nothing else.
        const QByteArrayList describedCommands = {"Command:VisibleTrue", "Command:VisibleFalse", "Command:WindowScreen",
                                                  "Command:FullScreen"};
        for (const QByteArray& datagram : described.received())
            QVERIFY2(!datagram.startsWith("Command:") || describedCommands.contains(datagram), datagram.constData());
        QVERIFY(described.received().contains(pages[0].toUtf8()));
    }
};

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    TestTeacherView test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_teacherview.moc"
