#pragma once

#include "common/messagebox.h"

namespace qh::child {

// Writes each message to standard error, where an administrator who starts the program from a
// terminal or a login script sees it, and shows it in a box as well when there is a screen with a
// user to close it (not on the offscreen platform, where a box would wait for ever).
class ConsoleMessageDisplay : public MessageBoxDisplay
{
public:
    void display(const QString& text, const QString& title) override;
};

} // namespace qh::child
