#pragma once

#include "bench/benchutil.h"
#include "tests/support/childprocess.h"
#include "tests/support/testfiles.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUrl>

#include <functional>

// What the benchmarks of children share: the demo's pages, the children's events and the wait
// for them.
namespace qh::bench {

using test::ChildEvent;

// The demo's pages (text, a table, Japanese fonts); the benchmark defines QH_DATA_DIR.
inline const QStringList kPages{QUrl::fromLocalFile(QStringLiteral(QH_DATA_DIR "/pages/index.html")).toString(),
                                QUrl::fromLocalFile(QStringLiteral(QH_DATA_DIR "/pages/rivers.html")).toString()};
// The child program's options that let it show those pages from the source tree.
inline const QStringList kLocalFolders{QStringLiteral("--local-folders"), QStringLiteral(QH_DATA_DIR "/pages")};

// Microseconds since 1970, the clock of the children's events.
inline qint64 nowMicros()
{
    return nowNs() / 1000;
}

// The time of the first "<event> <page>" since the mark; 0 when there is none.
inline qint64 eventAt(const QList<ChildEvent>& events, qsizetype mark, const QString& event, const QString& page)
{
    for (qsizetype i = mark; i < events.size(); ++i) {
        if (events[i].event == event && events[i].detail == page)
            return events[i].atMicros;
    }
    return 0;
}

// Runs the event loop until done() holds, looking at it every intervalMs without keeping a core busy.
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs = 30000, int intervalMs = 1)
{
    QEventLoop loop;
    QTimer check;
    check.setTimerType(Qt::PreciseTimer);
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    check.start(intervalMs);
    if (!done())
        loop.exec();
    return done();
}

} // namespace qh::bench
