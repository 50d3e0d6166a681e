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

QStringList MessageCapture::texts() const
{
    QStringList out;
    for (const CapturedMessage& message : messages)
        out.append(message.text);
    return out;
}

} // namespace qh::test
