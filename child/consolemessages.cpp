#include "child/consolemessages.h"

#include <QGuiApplication>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace qh::child {

void ConsoleMessageDisplay::display(const QString& text, const QString& title)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
    std::fflush(stderr);
    if (QGuiApplication::platformName() != u"offscreen")
        MessageBoxDisplay::display(text, title);
}

} // namespace qh::child
