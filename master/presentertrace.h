#pragma once

#include <QString>

// With the environment variable QH_PRESENTER_TRACE set (to anything but empty), the presenter
// writes one line to its standard error for each step of its start-up and of each page change
// (common/eventtrace.h), so that a slow start or a slow page can be timed step by step:
//
//     qh-presenter <microseconds since 1970> <event> [<detail>]
//
// Events: start (the program has begun, before its window system), bar (shown), files (the URL
// list, the settings and the teacher's key read), bound (the master port), announced (to the children in use), panel
// (prepared), browser (its window made), navigate <address>, loaded <address> (the wait for the
// load has ended), sent <address> (to every child in use).
namespace qh::master {

void trace(const QString& event, const QString& detail = {});

} // namespace qh::master
