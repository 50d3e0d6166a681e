#pragma once

#include <QLabel>
#include <QMouseEvent>

namespace qh::master {

// A label that reports a click of the left button, pressed and released on it. A disabled label
// receives no mouse events and so reports no click.
class ClickLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        m_pressed = event->button() == Qt::LeftButton;
        event->accept();
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        const bool click =
            m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
        m_pressed = false;
        event->accept();
        if (click)
            emit clicked();
    }

private:
    bool m_pressed = false;
};

} // namespace qh::master
