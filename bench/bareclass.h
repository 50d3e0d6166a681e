#pragma once

#include "bench/bareview.h"
#include "bench/benchutil.h"
#include "bench/childevents.h"
#include "tests/support/childprocess.h"

#include <QCoreApplication>
#include <QProcess>
#include <QUdpSocket>
#include <QWebEngineView>

#include <functional>
#include <memory>
#include <vector>

// The bare class of the benchmarks: a bare Qt WebEngine view for the teacher that, when its load
// has finished, sends the address to bare child views (bench_bareview --listen, each a process of
// its own on the loopback addresses of our children), each of which loads what it receives. It is
// what our class is measured against.
namespace qh::bench {

using namespace Qt::StringLiterals;
using test::childLoopbackAddress;
using test::freeUdpPort;

// Between two page changes, so that one class's painting does not fall into the other's change.
inline constexpr int kSettleMs = 100;

// Waits as the presenter fixture's loop does, looking every 2 ms, so that both classes are woken alike.
inline bool waitAsTheFixture(const std::function<bool()>& done)
{
    return waitUntil(done, 30000, 2);
}

inline void pause(int milliseconds)
{
    waitUntil([] { return false; }, milliseconds, 2);
}

// bench_bareview --listen as a process, its output read into events.
class BareChild
{
public:
    BareChild(int number, quint16 port)
    {
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &m_process, [this] { read(); });
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QCoreApplication::applicationDirPath() + u"/bench_bareview"_s,
                        {u"--listen"_s, QString::fromLatin1(childLoopbackAddress(number)), QString::number(port)});
    }
    ~BareChild()
    {
        m_process.kill();
        m_process.waitForFinished(10000);
    }
    const QList<ChildEvent>& events() const { return m_events; }
    qsizetype mark() const { return m_events.size(); }

private:
    void read()
    {
        m_pending += m_process.readAllStandardOutput();
        for (qsizetype end; (end = m_pending.indexOf('\n')) >= 0; m_pending.remove(0, end + 1)) {
            const QStringList parts = QString::fromUtf8(m_pending.left(end)).split(u' ');
            if (parts.size() >= 2)
                m_events.append({parts[1].toLongLong(), parts[0], parts.mid(2).join(u' ')});
        }
    }

    QProcess m_process;
    QByteArray m_pending;
    QList<ChildEvent> m_events;
};

// One page change of either class: the times from its start, in milliseconds.
struct Change {
    double endToEnd = 0;    // to the slowest child's loaded page
    double teacherLoad = 0; // the teacher's own load
    double toLoad = 0;      // from the start to the teacher's load request
    double sends = 0;       // from the teacher's load end to the page reaching the last child
    double childLoad = 0;   // the slowest child's load, from the page's arrival
};

// The medians of a list of page changes.
inline Change medians(const QList<Change>& changes)
{
    const auto of = [&changes](double Change::*field) {
        QList<double> values;
        for (const Change& change : changes)
            values.append(change.*field);
        return median(values);
    };
    return {of(&Change::endToEnd), of(&Change::teacherLoad), of(&Change::toLoad), of(&Change::sends),
            of(&Change::childLoad)};
}

// The slowest child's page and its arrival, from marks taken at the start of the change; false
// while a child has not loaded the page.
struct Slowest {
    qint64 loaded = 0;
    qint64 lastArrival = 0;
    qint64 longestLoad = 0;
};
inline bool slowestOf(const std::vector<const QList<ChildEvent>*>& children, const std::vector<qsizetype>& marks,
               const QString& page, Slowest& slowest)
{
    slowest = {};
    for (std::size_t i = 0; i < children.size(); ++i) {
        const qint64 loaded = eventAt(*children[i], marks[i], u"loaded"_s, page);
        const qint64 arrived = eventAt(*children[i], marks[i], u"open"_s, page);
        if (loaded == 0 || arrived == 0)
            return false;
        slowest.loaded = std::max(slowest.loaded, loaded);
        slowest.lastArrival = std::max(slowest.lastArrival, arrived);
        slowest.longestLoad = std::max(slowest.longestLoad, loaded - arrived);
    }
    return true;
}

// The bare class: a bare view for the teacher in this process, bare child views as processes.
class BareClass
{
public:
    explicit BareClass(int count) : m_port(freeUdpPort())
    {
        for (int number = 1; number <= count; ++number)
            m_children.push_back(std::make_unique<BareChild>(number, m_port));
        sizeLikeOurWindows(m_view);
        m_view.show();
        QObject::connect(&m_view, &QWebEngineView::loadFinished, &m_view, [this] {
            m_loadEnd = nowMicros();
            const QByteArray address = m_view.url().toString().toUtf8();
            for (std::size_t i = 0; i < m_children.size(); ++i)
                m_socket.writeDatagram(address, QHostAddress(QString::fromLatin1(childLoopbackAddress(int(i) + 1))),
                                       m_port);
        });
        m_started = waitAsTheFixture([this] {
            for (const auto& child : m_children) {
                if (eventAt(child->events(), 0, u"ready"_s, {}) == 0)
                    return false;
            }
            return true;
        });
        Change first;
        m_started = m_started && change(kPages[0], first);
    }
    bool isStarted() const { return m_started; }

    bool change(const QString& page, Change& change)
    {
        std::vector<qsizetype> marks;
        std::vector<const QList<ChildEvent>*> events;
        for (const auto& child : m_children) {
            marks.push_back(child->mark());
            events.push_back(&child->events());
        }
        Slowest slowest;
        m_loadEnd = 0;
        const qint64 requested = nowMicros();
        m_view.setUrl(QUrl(page));
        if (!waitAsTheFixture([&] { return slowestOf(events, marks, page, slowest); }) || m_loadEnd == 0)
            return false;
        change.endToEnd = double(slowest.loaded - requested) / 1000;
        change.teacherLoad = double(m_loadEnd - requested) / 1000;
        change.sends = double(slowest.lastArrival - m_loadEnd) / 1000;
        change.childLoad = double(slowest.longestLoad) / 1000;
        return true;
    }

private:
    quint16 m_port;
    std::vector<std::unique_ptr<BareChild>> m_children;
    QWebEngineView m_view;
    QUdpSocket m_socket;
    qint64 m_loadEnd = 0;
    bool m_started = false;
};

} // namespace qh::bench
