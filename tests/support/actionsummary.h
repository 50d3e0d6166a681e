#pragma once

#include "common/childaction.h"

#include <QString>

namespace qh::test {

// What a datagram made the child do, in one word: "show", "hide", "full", "window", "received",
// "none", "refused <why>", the teacher's view ("place <spot>", "zoom 125", ...), or the page opened.
QString actionSummary(const child::ChildAction& action);

} // namespace qh::test
