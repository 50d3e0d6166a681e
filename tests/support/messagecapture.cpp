#include "tests/support/messagecapture.h"

namespace qh::test {

MessageCapture::MessageCapture() : m_previous(setMessageDisplay(this)) {}

MessageCapture::~MessageCapture()
{
    setMessageDisplay(m_previous);
}

void MessageCapture::display(const QString& text, const QString& title)
{
    messages.append({text, title});
    if (whileOpen)
        whileOpen();
}

int MessageCapture::ask(const QString& text, const QString& title, const QStringList&)
{
    display(text, title);
    return answers.isEmpty() ? -1 : answers.takeFirst();
}

void MessageCapture::displayNotice(const QString& text, const QString& title)
{
    messages.append({text, title, true});
}

QStringList MessageCapture::texts() const
{
    QStringList out;
    for (const CapturedMessage& message : messages) {
        if (!message.notice)
            out.append(message.text);
    }
    return out;
}

QStringList MessageCapture::noticeTexts() const
{
    QStringList out;
    for (const CapturedMessage& message : messages) {
        if (message.notice)
            out.append(message.text);
    }
    return out;
}

} // namespace qh::test
