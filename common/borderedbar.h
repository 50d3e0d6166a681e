#pragma once

#include <QWidget>

class QPainter;

namespace qh {

class WindowDrag;

// A small borderless window of fixed size with a painted border, dragged by its surface or by the
// handles it adds, that the window system cannot close: the presenter's bar and the child's call
// bar, which only their program takes away.
class BorderedBar : public QWidget
{
    Q_OBJECT
public:
    // The size in twips; extraFlags adds to a frameless top-level window.
    BorderedBar(int widthTwips, int heightTwips, Qt::WindowFlags extraFlags = {});

    // Puts the bar back above the window that was just shown.
    void keepAbove();

protected:
    // A control on which a press drags the bar too (a label; it must pass on the mouse moves).
    void addDragHandle(QWidget* handle);
    // The border; a rectangle round the bar unless the bar draws its own.
    virtual void drawBorder(QPainter& painter);

    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    WindowDrag* m_drag = nullptr;
};

} // namespace qh
