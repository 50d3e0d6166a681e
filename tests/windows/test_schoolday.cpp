// A short school day: the real presenter with its Qt WebEngine browser, a real child program as its
// own process (01, 127.0.0.2), a child in this process (02, 127.0.0.3) and plain sockets for 03 to
// 06 that report their page and call, through a few hundred page changes by >>, <<, Home and links
// followed. Every page reaches every screen, and what would grow with each page or datagram does
// not: the file descriptors and threads of both programs with their Qt WebEngine helpers, and the
// QObjects of this process (the presenter and the child in it). bench_day times a longer day.
#include "child/childprogram.h"
#include "common/datagrams.h"
#include "master/webbrowser.h"
#include "tests/support/childprocess.h"
#include "tests/support/liveobjects.h"
#include "tests/support/presenterwindowsfixture.h"
#include "tests/support/processusage.h"

#include <QApplication>
#include <QImage>
#include <QNetworkDatagram>
#include <QPushButton>
#include <QTest>
#include <QUdpSocket>

#include <functional>
#include <memory>
#include <vector>

using namespace qh;
using namespace qh::master;
using namespace qh::test;
using namespace Qt::StringLiterals;

namespace {
constexpr int kWarmUpChanges = 40;
constexpr int kChanges = 300;
constexpr int kPlainChildren = 4; // slots 03 to 06
// What may come and go between two quiet moments without anything being kept: a descriptor or a
// thread of work under way, a timer or a request the browser has not handed back yet.
constexpr qint64 kHandleSlack = 2;
constexpr qint64 kObjectSlack = 8;

// Children that are plain sockets: they keep the last page they were sent.
class PlainChildren
{
public:
    explicit PlainChildren(quint16 childPort)
    {
        for (int number = 3; number < 3 + kPlainChildren; ++number) {
            m_sockets.push_back(std::make_unique<QUdpSocket>());
            m_sockets.back()->bind(QHostAddress(QString::fromLatin1(childLoopbackAddress(number))), childPort);
            m_pages.append(QByteArray());
        }
    }
    // Each reports the page it has, and one of them calls.
    void reportAndCall(quint16 masterPort, int call)
    {
        for (std::size_t index = 0; index < m_sockets.size(); ++index) {
            const int number = 3 + int(index);
            m_sockets[index]->writeDatagram(m_pages[qsizetype(index)].isEmpty()
                                                ? helloDatagram(number)
                                                : showingDatagram(number, m_pages[qsizetype(index)]),
                                            QHostAddress::LocalHost, masterPort);
        }
        const std::size_t caller = std::size_t(call) % m_sockets.size();
        m_sockets[caller]->writeDatagram(datagramBytes(callText(3 + int(caller))), QHostAddress::LocalHost, masterPort);
    }
    bool allHave(const QByteArray& page)
    {
        bool all = true;
        for (std::size_t index = 0; index < m_sockets.size(); ++index) {
            while (m_sockets[index]->hasPendingDatagrams()) {
                const QByteArray datagram = m_sockets[index]->receiveDatagram().data();
                if (!datagram.startsWith("Command:"))
                    m_pages[qsizetype(index)] = datagram;
            }
            all = all && m_pages[qsizetype(index)] == page;
        }
        return all;
    }

private:
    std::vector<std::unique_ptr<QUdpSocket>> m_sockets;
    QList<QByteArray> m_pages;
};

QString writePage(const QString& folder, const QString& name, const QString& body)
{
    writeAll(folder + u'/' + name,
             (u"<html><head><title>"_s + name + u"</title></head><body>"_s + body + u"</body></html>"_s).toUtf8());
    return QUrl::fromLocalFile(folder + u'/' + name).toString();
}

// This process and its helpers without the child program's process and its helpers.
ProcessUsage presenterUsage(qint64 childProcess)
{
    ProcessUsage own = usageOf(QCoreApplication::applicationPid());
    const ProcessUsage child = usageOf(childProcess);
    own.fds -= child.fds;
    own.threads -= child.threads;
    return own;
}
} // namespace

class TestSchoolDay : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { quietOffscreenWarnings(); }

    void nothingGrowsOverHundredsOfPages()
    {
        PresenterWindowsFixture fixture;
        fixture.childPort = freeUdpPort();
        const QString folder = fixture.folder.path();
        const QString first = writePage(folder, u"a.html"_s, u"<a id='link' href='c.html'>c</a><p>first</p>"_s);
        QImage picture(320, 200, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        QVERIFY(picture.save(folder + u"/picture.png"_s));
        const QString second = writePage(folder, u"b.html"_s, u"<p>second</p><img src='picture.png'>"_s);
        const QString linked = writePage(folder, u"c.html"_s, u"<p>linked</p>"_s);
        fixture.writeUrlList({first, second});
        QList<SlotLine> slotLines;
        for (int number = 1; number < 3 + kPlainChildren; ++number)
            slotLines.append({number, u"1"_s, QString::fromLatin1(childLoopbackAddress(number)), u"WindowScreen"_s});
        fixture.writeSettings(slotLines);

        ChildProcess process;
        QVERIFY(process.startOnLoopback(1, fixture.childPort, fixture.masterPort, {u"--window"_s}));
        child::ChildProgram inProcess(loopbackChildSettings(2, fixture.childPort, fixture.masterPort));
        QVERIFY(inProcess.start());
        QList<QUrl> inProcessLoads;
        connect(&inProcess.pageWindow(), &child::PageWindow::loadEnded, this,
                [&inProcessLoads](const QUrl& page) { inProcessLoads.append(page); });
        PlainChildren plain(fixture.childPort);

        WebBrowser* browser = nullptr;
        PresenterOptions options;
        options.createBrowser = [&browser] {
            auto made = std::make_unique<WebBrowser>();
            browser = made.get();
            return made;
        };
        QVERIFY(fixture.make(std::move(options)).startUp());

        // Link, Home, >>, <<: a, c, a, b, a, c, ...; every page differs from the one before.
        QString shown = first;
        ProcessUsage presenterBefore;
        ProcessUsage childBefore;
        qint64 objectsBefore = 0;
        for (int change = 1; change <= kWarmUpChanges + kChanges; ++change) {
            const qsizetype mark = process.mark();
            const qsizetype inProcessMark = inProcessLoads.size();
            const std::function<void()> moves[] = {
                [&] { browser->view()->page()->runJavaScript(u"document.getElementById('link').click()"_s); },
                [&] { fixture.bar().homeButton()->click(); },
                [&] { fixture.bar().nextButton()->click(); },
                [&] { fixture.bar().previousButton()->click(); },
            };
            const QString pages[] = {linked, first, second, first};
            const int move = (change - 1) % 4;
            const QString page = pages[move];
            const QByteArray pageBytes = page.toUtf8();
            const bool allShown = fixture.runLoop(
                [&] {
                    plain.reportAndCall(fixture.masterPort, change);
                    moves[move]();
                },
                [&] {
                    return process.events(mark).contains(u"loaded "_s + page) &&
                           inProcessLoads.mid(inProcessMark).contains(QUrl(page)) && plain.allHave(pageBytes);
                },
                20000);
            QVERIFY2(
                allShown,
                qPrintable(
                    u"page change %1 to %2, from %3: the presenter shows %4, 01 did %5, 02 shows %6"_s.arg(change).arg(
                        page, shown, browser->locationUrl(), process.events(mark).join(u", "_s),
                        inProcess.pageWindow().url().toString())));
            shown = page;
            if (change == kWarmUpChanges || change == kWarmUpChanges + kChanges) {
                fixture.runFor(nullptr, 300); // what the last change started has ended
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                if (change == kWarmUpChanges) {
                    presenterBefore = presenterUsage(process.processId());
                    childBefore = usageOf(process.processId());
                    objectsBefore = liveObjectCount();
                }
            }
        }
        const ProcessUsage presenterAfter = presenterUsage(process.processId());
        const ProcessUsage childAfter = usageOf(process.processId());
        const qint64 objectsAfter = liveObjectCount();
        qInfo("over %d page changes: this process %lld -> %lld descriptors, %lld -> %lld threads, %lld -> %lld "
              "QObjects; the child program %lld -> %lld descriptors, %lld -> %lld threads",
              kChanges, presenterBefore.fds, presenterAfter.fds, presenterBefore.threads, presenterAfter.threads,
              objectsBefore, objectsAfter, childBefore.fds, childAfter.fds, childBefore.threads, childAfter.threads);
        QVERIFY(presenterAfter.fds <= presenterBefore.fds + kHandleSlack);
        QVERIFY(presenterAfter.threads <= presenterBefore.threads + kHandleSlack);
        QVERIFY(childAfter.fds <= childBefore.fds + kHandleSlack);
        QVERIFY(childAfter.threads <= childBefore.threads + kHandleSlack);
        QVERIFY(objectsAfter <= objectsBefore + kObjectSlack);
        QVERIFY(fixture.messages.messages.isEmpty());
    }
};

int main(int argc, char* argv[])
{
    startCountingObjects(); // before any object this process makes
    QApplication app(argc, argv);
    TestSchoolDay test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_schoolday.moc"
