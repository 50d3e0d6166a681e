#include "child/childtrace.h"

#include "common/eventtrace.h"

namespace qh::child {

bool isTracing()
{
    static const bool tracing = isTraceOn("QH_CHILD_TRACE");
    return tracing;
}

void trace(const QString& event, const QString& detail)
{
    if (isTracing())
        writeTraceLine("qh-child", event, detail);
}

} // namespace qh::child
