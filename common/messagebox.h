#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace qh {

// The title of the program's own message boxes when a caller gives none; set once in main().
void setProgramTitle(const QString& title);
QString programTitle();

// Title of the messages both programs show about their files and children.
inline const QString kMessageTitleSuffix = QStringLiteral("からのメッセージ");
QString ownMessageTitle(); // "Quillharbour_Masterからのメッセージ"

// Shows a modal message box with an OK button only and no icon. With an empty title the program's
// title is used. While a MessageCapture exists the box is not shown: the message is recorded.
void showMessage(const QString& text, const QString& title = {});

// True while a message box (or a captured one, during its callback) is open. Handlers that must
// wait for the box to close, like the reading of datagrams, test this.
bool messageBoxOpen();

// Emits closed() after each message box has been closed, so that work held back can resume.
class MessageBoxNotifier : public QObject
{
    Q_OBJECT
public:
    static MessageBoxNotifier& instance();
signals:
    void closed();
};

struct CapturedMessage {
    QString text;
    QString title;
};

// While alive, showMessage() records each message instead of showing a modal box. Tests use it so
// that no test ever waits on a box. whileOpen, when set, runs as if the box were on screen.
class MessageCapture
{
public:
    MessageCapture();
    ~MessageCapture();
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    QList<CapturedMessage> messages;
    std::function<void()> whileOpen;

    QStringList texts() const;
};

} // namespace qh
