#include "common/windowdrag.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace qh {

WindowDrag::WindowDrag(QWidget* window) : QObject(window), m_window(window)
{
    window->installEventFilter(this);
}

void WindowDrag::addHandle(QWidget* handle)
{
    handle->installEventFilter(this);
}

void WindowDrag::start(const QPoint& globalPosition)
{
    if (m_window->windowHandle() && m_window->windowHandle()->startSystemMove())
        return;
    m_dragging = true;
    m_offset = globalPosition - m_window->pos();
}

bool WindowDrag::eventFilter(QObject* watched, QEvent* event)
{
    const bool onWindow = watched == m_window;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if ((mouse->buttons() | mouse->button()) & Qt::LeftButton)
            start(mouse->globalPosition().toPoint());
        return !onWindow; // a handle takes no press of its own
    }
    case QEvent::MouseMove: {
        // Moves over a handle reach the window too, since the handle passes them on.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (onWindow && m_dragging && (mouse->buttons() & Qt::LeftButton))
            m_window->move(mouse->globalPosition().toPoint() - m_offset);
        return false;
    }
    case QEvent::MouseButtonRelease:
        if (onWindow && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            m_dragging = false;
        return false;
    default:
        return false;
    }
}

} // namespace qh
