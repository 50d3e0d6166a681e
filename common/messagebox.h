#pragma once

#include "common/messages.h"

namespace qh {

// Shows each message in a modal QMessageBox with an OK button only and no icon. A program's main()
// installs one for its whole run.
class MessageBoxDisplay : public MessageDisplay
{
public:
    MessageBoxDisplay();
    ~MessageBoxDisplay() override;
    MessageBoxDisplay(const MessageBoxDisplay&) = delete;
    MessageBoxDisplay& operator=(const MessageBoxDisplay&) = delete;

    void display(const QString& text, const QString& title) override;
    int ask(const QString& text, const QString& title, const QStringList& answers) override;

private:
    MessageDisplay* m_previous = nullptr;
};

} // namespace qh
