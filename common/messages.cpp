#include "common/messages.h"

#include "common/messagegate.h"

#include <QCoreApplication>

#include <utility>

namespace qh {

namespace {
QString g_programTitle;
MessageDisplay* g_display = nullptr;
} // namespace

void setProgramTitle(const QString& title)
{
    g_programTitle = title;
}

QString programTitle()
{
    return g_programTitle.isEmpty() ? QCoreApplication::applicationName() : g_programTitle;
}

MessageDisplay* setMessageDisplay(MessageDisplay* display)
{
    return std::exchange(g_display, display);
}

void showMessage(const QString& text, const QString& title)
{
    const MessageGate::OpenMessage open;
    if (g_display)
        g_display->display(text, title.isEmpty() ? programTitle() : title);
}

int askQuestion(const QString& text, const QStringList& answers, const QString& title)
{
    const MessageGate::OpenMessage open;
    return g_display ? g_display->ask(text, title.isEmpty() ? programTitle() : title, answers) : -1;
}

void showNotice(const QString& text, const QString& title)
{
    if (g_display)
        g_display->displayNotice(text, title.isEmpty() ? programTitle() : title);
}

} // namespace qh
