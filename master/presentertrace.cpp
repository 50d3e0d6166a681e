#include "master/presentertrace.h"

#include "common/eventtrace.h"

namespace qh::master {

void trace(const QString& event, const QString& detail)
{
    static const bool tracing = isTraceOn("QH_PRESENTER_TRACE");
    if (tracing)
        writeTraceLine("qh-presenter", event, detail);
}

} // namespace qh::master
