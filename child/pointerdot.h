#pragma once

#include <QWidget>

namespace qh::child {

// The teacher's pointer on a child's page: a red dot in a white ring, a widget of its own above the
// page rather than anything in it, so that no page can move, hide or cover it, and transparent for
// the mouse, so that every click goes to the page beneath it.
class PointerDot : public QWidget
{
    Q_OBJECT
public:
    explicit PointerDot(QWidget& view);

    // Shows the dot centred on a point of the view, above the page.
    void showAt(QPoint center);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace qh::child
