#include "tests/support/pagescript.h"

#include <QTest>
#include <QWebEnginePage>

#include <memory>
#include <optional>

namespace qh::test {

QVariant evaluateInPage(QWebEnginePage* page, const QString& script, int timeoutMs)
{
    // Shared with the callback, which may come after the wait has given up.
    auto result = std::make_shared<std::optional<QVariant>>();
    page->runJavaScript(script, [result](const QVariant& value) { *result = value; });
    if (!QTest::qWaitFor([&] { return result->has_value(); }, timeoutMs))
        return {};
    return result->value_or(QVariant());
}

} // namespace qh::test
