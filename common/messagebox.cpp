#include "messagebox.h"

#include <QApplication>
#include <QMessageBox>

namespace qh {

namespace {
QString g_programTitle;
MessageCapture* g_capture = nullptr;
int g_openBoxes = 0;

// Counts the box as open for its whole lifetime and announces its closing.
class OpenBoxGuard
{
public:
    OpenBoxGuard() { ++g_openBoxes; }
    ~OpenBoxGuard()
    {
        --g_openBoxes;
        emit MessageBoxNotifier::instance().closed();
    }
    OpenBoxGuard(const OpenBoxGuard&) = delete;
    OpenBoxGuard& operator=(const OpenBoxGuard&) = delete;
};
} // namespace

void setProgramTitle(const QString& title)
{
    g_programTitle = title;
}

QString programTitle()
{
    return g_programTitle.isEmpty() ? QCoreApplication::applicationName() : g_programTitle;
}

QString ownMessageTitle()
{
    return QStringLiteral("Quillharbour_Master") + kMessageTitleSuffix;
}

void showMessage(const QString& text, const QString& title)
{
    const QString shownTitle = title.isEmpty() ? programTitle() : title;
    OpenBoxGuard guard;
    if (g_capture) {
        g_capture->messages.append({text, shownTitle});
        if (g_capture->whileOpen)
            g_capture->whileOpen();
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, shownTitle, text, QMessageBox::Ok);
    box.exec();
}

bool messageBoxOpen()
{
    return g_openBoxes > 0;
}

MessageBoxNotifier& MessageBoxNotifier::instance()
{
    static MessageBoxNotifier notifier;
    return notifier;
}

MessageCapture::MessageCapture()
{
    g_capture = this;
}

MessageCapture::~MessageCapture()
{
    if (g_capture == this)
        g_capture = nullptr;
}

QStringList MessageCapture::texts() const
{
    QStringList out;
    for (const CapturedMessage& message : messages)
        out.append(message.text);
    return out;
}

} // namespace qh
