#pragma once

#include <QStringList>
#include <QtGlobal>

namespace qh::test {

// While alive, keeps every log line of the program's own categories (qh.*) as "category: message",
// and passes all others on.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // The lines kept, whose text contains every one of the parts.
    QStringList linesWith(const QStringList& parts) const;

    QStringList lines;

private:
    QtMessageHandler m_previous = nullptr;
};

} // namespace qh::test
