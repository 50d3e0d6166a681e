#pragma once

#include "common/messages.h"

#include <QList>
#include <QStringList>

#include <functional>

namespace qh::test {

struct CapturedMessage {
    QString text;
    QString title;
    bool notice = false; // shown without waiting (showNotice)
};

// While alive, messages are recorded instead of shown, so that no test ever waits on a box. The
// message counts as open (MessageGate) while whileOpen, when set, runs; a notice is recorded only.
class MessageCapture : public MessageDisplay
{
public:
    MessageCapture();
    ~MessageCapture() override;
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    void display(const QString& text, const QString& title) override;
    // Recorded like a message, and answered with the next of `answers` (-1, closed, when none is left).
    int ask(const QString& text, const QString& title, const QStringList& answers) override;
    void displayNotice(const QString& text, const QString& title) override;
    // The texts of the messages, notices left out.
    QStringList texts() const;
    QStringList noticeTexts() const;

    QList<CapturedMessage> messages;
    QList<int> answers;
    std::function<void()> whileOpen;

private:
    MessageDisplay* m_previous = nullptr;
};

} // namespace qh::test
