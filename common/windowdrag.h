#pragma once

#include <QObject>
#include <QPoint>

class QWidget;

namespace qh {

// Lets the user drag a borderless window with the left mouse button on its surface, or on a label
// that stands for its surface, as if by a title bar. The window manager moves the window where it
// can; where there is none to ask, the window follows the pointer until the button is released.
class WindowDrag : public QObject
{
    Q_OBJECT
public:
    // Watches the window's own surface; the window owns the drag.
    explicit WindowDrag(QWidget* window);

    // A widget on which a press drags the window too; it takes no press of its own. It must pass
    // on the mouse moves it does not use (a label does).
    void addHandle(QWidget* handle);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void start(const QPoint& globalPosition);

    QWidget* m_window;
    bool m_dragging = false;
    QPoint m_offset;
};

} // namespace qh
