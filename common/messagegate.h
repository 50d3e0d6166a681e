#pragma once

#include <QObject>

namespace qh {

// Whether a message is on screen. Work that must not run under an open message (the reading of
// arriving datagrams) asks isOpen() and resumes on closed().
class MessageGate : public QObject
{
    Q_OBJECT
public:
    static MessageGate& instance();
    static bool isOpen();

    // Counts a message as open for its lifetime and announces its closing.
    class OpenMessage
    {
    public:
        OpenMessage();
        ~OpenMessage();
        OpenMessage(const OpenMessage&) = delete;
        OpenMessage& operator=(const OpenMessage&) = delete;
    };

signals:
    void closed();

private:
    int m_open = 0;
};

} // namespace qh
