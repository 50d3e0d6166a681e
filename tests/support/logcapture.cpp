#include "tests/support/logcapture.h"

#include <QString>

#include <algorithm>

namespace qh::test {

namespace {
LogCapture* g_capture = nullptr;
QtMessageHandler g_previous = nullptr;

void keep(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const QString category = QString::fromLatin1(context.category ? context.category : "");
    if (g_capture && category.startsWith(u"qh."))
        g_capture->lines.append(category + QStringLiteral(": ") + message);
    else if (g_previous)
        g_previous(type, context, message);
}
} // namespace

LogCapture::LogCapture()
{
    g_capture = this;
    m_previous = qInstallMessageHandler(keep);
    g_previous = m_previous;
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(m_previous);
    g_capture = nullptr;
}

QStringList LogCapture::linesWith(const QStringList& parts) const
{
    QStringList found;
    for (const QString& line : lines) {
        if (std::all_of(parts.cbegin(), parts.cend(), [&](const QString& part) { return line.contains(part); }))
            found.append(line);
    }
    return found;
}

} // namespace qh::test
