#pragma once

#include <QPoint>

class QWidget;

namespace qh::test {

// A left click as the window system delivers one: queued with the user's other input and taken
// when the program next handles input, at the widget's point (its centre by default). A program
// that holds input back while it waits takes the click when the wait ends; a window that a modal
// box blocks never gets it. QTest's clicks are delivered at once and would pass both.
void userClick(QWidget* widget, QPoint position = {-1, -1});

} // namespace qh::test
