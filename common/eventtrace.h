#pragma once

#include <QString>

// The programs' traces (QH_CHILD_TRACE, QH_PRESENTER_TRACE): with the program's environment
// variable set to anything but empty, one line on the standard error for each thing it does, so
// that whoever looks after the room can watch it, and tests and benchmarks can see and time it:
//
//     <program> <microseconds since 1970> <event> [<detail>]
namespace qh {

// Whether the variable is set to anything but empty; read once per call, so callers keep the answer.
bool isTraceOn(const char* variable);
// One trace line, written and flushed at once.
void writeTraceLine(const char* program, const QString& event, const QString& detail);

} // namespace qh
