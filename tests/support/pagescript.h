#pragma once

#include <QString>
#include <QVariant>

class QWebEnginePage;

namespace qh::test {

// The result of a script in the page's own world, waited for while the event loop runs; an invalid
// value when none came within the time.
QVariant evaluateInPage(QWebEnginePage* page, const QString& script, int timeoutMs = 20000);

} // namespace qh::test
