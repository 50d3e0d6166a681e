#pragma once

#include "common/messages.h"

#include <QPointer>

class QMessageBox;

namespace qh {

// Shows each message in a modal QMessageBox with an OK button only and no icon, and each notice in
// the same box without modality. A program's main() installs one for its whole run.
class MessageBoxDisplay : public MessageDisplay
{
public:
    MessageBoxDisplay();
    ~MessageBoxDisplay() override;
    MessageBoxDisplay(const MessageBoxDisplay&) = delete;
    MessageBoxDisplay& operator=(const MessageBoxDisplay&) = delete;

    void display(const QString& text, const QString& title) override;
    int ask(const QString& text, const QString& title, const QStringList& answers) override;
    void displayNotice(const QString& text, const QString& title) override;

private:
    MessageDisplay* m_previous = nullptr;
    QPointer<QMessageBox> m_notice;
};

} // namespace qh
