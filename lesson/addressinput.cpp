#include "lesson/addressinput.h"

#include <QKeyEvent>

namespace qh::lesson {

AddressInput::AddressInput(QWidget* parent) : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
    setAcceptDrops(false);
    viewport()->setAcceptDrops(false);
    const int lineHeight = fontMetrics().lineSpacing();
    setFixedHeight(lineHeight * 3 + 2 * frameWidth() + 8);
}

void AddressInput::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !(event->modifiers() & Qt::ShiftModifier)) {
        emit submitted();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

} // namespace qh::lesson
