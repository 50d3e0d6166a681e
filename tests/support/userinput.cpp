#include "tests/support/userinput.h"

#include <QWidget>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

namespace qh::test {

namespace {
// Two clicks at one place within the double-click time are one double click; these stamps are
// always further apart.
ulong nextTimestamp()
{
    static ulong stamp = 0;
    stamp += 1000;
    return stamp;
}
} // namespace

void userClick(QWidget* widget, QPoint position)
{
    if (position == QPoint(-1, -1))
        position = widget->rect().center();
    QWindow* window = widget->window()->windowHandle();
    if (!window)
        return;
    const QPointF global = widget->mapToGlobal(QPointF(position));
    const QPointF local = window->mapFromGlobal(global);
    using Interface = QWindowSystemInterface;
    Interface::handleMouseEvent<Interface::AsynchronousDelivery>(window, nextTimestamp(), local, global, Qt::LeftButton,
                                                                 Qt::LeftButton, QEvent::MouseButtonPress);
    Interface::handleMouseEvent<Interface::AsynchronousDelivery>(window, nextTimestamp(), local, global, Qt::NoButton,
                                                                 Qt::LeftButton, QEvent::MouseButtonRelease);
}

} // namespace qh::test
