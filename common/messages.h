#pragma once

#include <QString>
#include <QStringList>

// The program's message boxes: an OK button only, no icon, and the program's title when the caller
// gives none. Where a message goes is set once: the programs show it in a box (messagebox.h), the
// tests record it. A message is modal: showMessage() returns when it has been closed, and until
// then MessageGate (messagegate.h) reports it open. A notice (showNotice()) is not: the program
// goes on while it is on screen.
namespace qh {

// The title of the program's own message boxes when a caller gives none; set once in main().
void setProgramTitle(const QString& title);
QString programTitle();

// Where messages are shown.
class MessageDisplay
{
public:
    virtual ~MessageDisplay() = default;
    // Shows the message and returns once the user has closed it.
    virtual void display(const QString& text, const QString& title) = 0;
    // Asks the user to choose one of the answers (button captions: the first is the default, the
    // last is what Esc chooses) and returns its index, or -1 when it was closed without an answer.
    virtual int ask(const QString& text, const QString& title, const QStringList& answers) = 0;
    // Shows the message and returns at once. One notice at a time: while one is on screen, the
    // next is dropped, so that a page that causes them in a loop cannot bury the program's windows.
    virtual void displayNotice(const QString& text, const QString& title) = 0;
};

// Makes `display` the place messages go from now on and returns the one before. With none set, a
// message is shown nowhere (a program without a user interface).
MessageDisplay* setMessageDisplay(MessageDisplay* display);

// Shows a message; with an empty title the program's title is used.
void showMessage(const QString& text, const QString& title = {});

// Asks a question with the answers given; with an empty title the program's title is used. Returns
// the index of the answer chosen, or -1 when the question was closed without one or there is no
// user to ask.
int askQuestion(const QString& text, const QStringList& answers, const QString& title = {});
// Shows a message without waiting for it, for what a page does: clicks, datagrams and the pages
// themselves go on while it is on screen.
void showNotice(const QString& text, const QString& title = {});

} // namespace qh
