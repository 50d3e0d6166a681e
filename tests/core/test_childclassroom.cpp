// The child program's side of the class view and of attention, as its own process: a plain socket
// on 127.0.0.1 plays the presenter on the master port.
#include "common/classroomdatagrams.h"
#include "common/thumbnail.h"
#include "tests/support/childprocess.h"
#include "tests/support/loopback.h"
#include "tests/support/testfiles.h"

#include <QNetworkDatagram>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

using namespace qh;
using namespace qh::test;
using namespace Qt::StringLiterals;

namespace {
// The presenter's socket: it sends to child 01 and reads the pictures that come back.
struct Presenter {
    Presenter() : masterPort(freeUdpPort()), childPort(freeUdpPort())
    {
        socket.bind(QHostAddress(u"127.0.0.1"_s), masterPort);
    }
    void send(const QByteArray& datagram) { socket.writeDatagram(datagram, QHostAddress(u"127.0.0.2"_s), childPort); }
    QList<PictureReport> pictures()
    {
        while (socket.hasPendingDatagrams()) {
            if (const std::optional<PictureReport> report = pictureReportOf(socket.receiveDatagram().data()))
                received.append(*report);
        }
        return received;
    }
    QByteArray request(const QByteArray& token)
    {
        return classroomCommandDatagram({ClassroomCommand::Kind::Picture, token, std::nullopt});
    }

    quint16 masterPort;
    quint16 childPort;
    QUdpSocket socket;
    QList<PictureReport> received;
};

QStringList attentionEvents(const ChildProcess& child, qsizetype since = 0)
{
    return child.events(since).filter(QRegularExpression(u"^attention "_s));
}
} // namespace

class TestChildClassroom : public QObject
{
    Q_OBJECT
private slots:
    // A hidden page window says so; a shown one sends its page as a thumbnail within the limits;
    // a flood of requests gets one answer a second.
    void picturesOfThePageWindowAlone()
    {
        Presenter presenter;
        ChildProcess child;
        QVERIFY(child.startOnLoopback(1, presenter.childPort, presenter.masterPort, {u"--window"_s}));
        presenter.send(presenter.request("0000aaaa"));
        QTRY_COMPARE(presenter.pictures().size(), 1);
        QCOMPARE(presenter.received.first(), (PictureReport{1, "0000aaaa", true, {}}));
        QVERIFY(child.events().contains(u"picture hidden"_s));

        QTemporaryDir pages(testPagesFolder() + u"/pages-XXXXXX"_s);
        const QString page = pages.filePath(u"green.html"_s);
        writeAll(page, "<html><body style='background:#00c000'><h1>Green</h1></body></html>");
        presenter.send("Command:VisibleTrue");
        presenter.send(QUrl::fromLocalFile(page).toString().toUtf8());
        QVERIFY(child.waitFor(u"loaded "_s + QUrl::fromLocalFile(page).toString()));
        QTest::qWait(1200); // painted, and the last answer a second ago
        for (const char* token : {"0000bbbb", "0000cccc", "0000dddd", "0000eeee"})
            presenter.send(presenter.request(token));
        QTRY_COMPARE(presenter.pictures().size(), 2);
        QTest::qWait(300);
        QCOMPARE(presenter.pictures().size(), 2);
        const PictureReport& shown = presenter.received.last();
        QCOMPARE(shown.token, QByteArray("0000bbbb"));
        QVERIFY(!shown.hidden);
        const std::optional<QImage> picture = thumbnailOf(shown.image);
        QVERIFY(picture);
        QVERIFY(picture->width() <= kLargestPictureSide && picture->height() <= kLargestPictureSide);
        const QColor middle = picture->pixelColor(picture->width() / 2, picture->height() * 3 / 4);
        QVERIFY2(middle.green() > 150 && middle.red() < 80, qPrintable(middle.name()));
    }

    // Attention covers until the time told, a repeat with the time left changes nothing, a new time
    // does; the teacher's lift and a hidden page window uncover it; malformed commands are ignored.
    void attentionFollowsWhatThePresenterSays()
    {
        Presenter presenter;
        ChildProcess child;
        QVERIFY(child.startOnLoopback(1, presenter.childPort, presenter.masterPort, {u"--window"_s}));
        for (const char* datagram : {"Command:AttentionOn:0", "Command:AttentionOn:0060", "Command:Picture:XYZ"})
            presenter.send(datagram);
        QTRY_COMPARE(child.events().filter(u"ignored"_s).size(), 3);
        presenter.send("Command:AttentionOn:60");
        QVERIFY(child.waitFor(u"attention on 60"_s));
        presenter.send("Command:AttentionOn:59"); // the refresh a second later
        presenter.send("Command:AttentionOn:30"); // the teacher chose a shorter time
        QVERIFY(child.waitFor(u"attention on 30"_s));
        presenter.send("Command:VisibleFalse"); // End, or switched off on the panel
        QVERIFY(child.waitFor(u"attention off hidden"_s));
        presenter.send("Command:AttentionOn");
        QVERIFY(child.waitFor(u"attention on until-lifted"_s));
        presenter.send("Command:AttentionOff");
        presenter.send("Command:AttentionOff");
        QVERIFY(child.waitFor(u"attention off lifted"_s));
        presenter.send("Command:AttentionOn:1");
        QVERIFY(child.waitFor(u"attention off time"_s, 0, 5000));
        QCOMPARE(attentionEvents(child),
                 (QStringList{u"attention on 60"_s, u"attention on 30"_s, u"attention off hidden"_s,
                              u"attention on until-lifted"_s, u"attention off lifted"_s, u"attention on 1"_s,
                              u"attention off time"_s}));
    }
};

QTEST_GUILESS_MAIN(TestChildClassroom)
#include "test_childclassroom.moc"
