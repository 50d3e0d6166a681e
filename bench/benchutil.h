#pragma once

#include "tests/support/loopback.h"
#include "tests/support/testfiles.h"

#include <QByteArray>
#include <QList>

#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace qh::bench {

using test::Arrival;
using test::LoopbackChildren;

inline std::int64_t nowNs()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return std::int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

inline double median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The configuration file of a presenter whose children are 127.0.0.2 .. 127.0.0.(1 + count).
inline QByteArray settingsFor(int childCount, int childPort, int masterPort)
{
    QByteArray text = "[ChildComp]\r\n";
    for (int slot = 1; slot <= 30; ++slot) {
        text += "ChildComp" + QByteArray::number(slot).rightJustified(2, '0') + '=';
        text += slot <= childCount ? "1127.0.0." + QByteArray::number(slot + 1) + ",WindowScreen\r\n" : " ,\r\n";
    }
    text += "RemotePortx=" + QByteArray::number(childPort) + "\r\nMyHostPortx=" + QByteArray::number(masterPort) +
            "\r\nScreenSizex=WindowScreen\r\n";
    return text;
}

} // namespace qh::bench
