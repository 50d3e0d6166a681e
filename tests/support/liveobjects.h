#pragma once

#include <QtGlobal>

namespace qh::test {

// The QObjects alive in this process, counted through the hooks Qt keeps for debugging tools, so
// that a test can tell whether something is kept per page or per datagram. Only objects made
// after startCountingObjects() count: call it before the objects of interest are made, and
// compare counts taken at two quiet moments.
void startCountingObjects();
qint64 liveObjectCount();

} // namespace qh::test
