#include "child/childtrace.h"

#include <chrono>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace qh::child {

bool isTracing()
{
    static const bool tracing = !qEnvironmentVariableIsEmpty("QH_CHILD_TRACE");
    return tracing;
}

void trace(const QString& event, const QString& detail)
{
    if (!isTracing())
        return;
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    const qint64 micros = std::chrono::duration_cast<std::chrono::microseconds>(sinceEpoch).count();
    QString line = u"qh-child %1 "_s.arg(micros) + event;
    if (!detail.isEmpty())
        line += u' ' + detail;
    std::fprintf(stderr, "%s\n", line.toUtf8().constData());
    std::fflush(stderr);
}

} // namespace qh::child
