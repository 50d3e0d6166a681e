#pragma once

#include <QObject>
#include <QPoint>

class QWidget;

namespace qh::master {

// The teacher's input over the page that belongs to the presentation, not to the page: Ctrl and
// the wheel, Ctrl and + - 0 (also Ctrl and ; where a Japanese keyboard has its +) zoom, the
// pointer's key switches the pointer; these never reach the page, so that no page can take them.
// The mouse's moves over the page and its leaving are told as well (and reach the page too), and
// the view's changes of size.
//
// It watches the widgets Qt WebEngine shows the page in, each as the view makes it.
class TeacherInput : public QObject
{
    Q_OBJECT
public:
    explicit TeacherInput(QWidget& view);

signals:
    // +1 in, -1 out, 0 back to 100 %.
    void zoomStepped(int step);
    void pointerKeyPressed();
    // In the view's coordinates.
    void mouseMoved(QPoint at);
    void mouseLeft();
    // The view changed its size (full screen, a window): other text may be at its top now.
    void resized();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watch(QObject* child);

    QWidget& m_view;
    int m_wheelAngle = 0; // the turn of the wheel not yet taken as a step, in eighths of a degree
};

} // namespace qh::master
