#include "common/eventtrace.h"

#include <chrono>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace qh {

bool isTraceOn(const char* variable)
{
    return !qEnvironmentVariableIsEmpty(variable);
}

void writeTraceLine(const char* program, const QString& event, const QString& detail)
{
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    const qint64 micros = std::chrono::duration_cast<std::chrono::microseconds>(sinceEpoch).count();
    QString line = QLatin1String(program) + u' ' + QString::number(micros) + u' ' + event;
    if (!detail.isEmpty())
        line += u' ' + detail;
    std::fprintf(stderr, "%s\n", line.toUtf8().constData());
    std::fflush(stderr);
}

} // namespace qh
