#include "common/borderedbar.h"

#include "common/twips.h"
#include "common/windowdrag.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPainter>

using namespace Qt::StringLiterals;

namespace qh {

BorderedBar::BorderedBar(int widthTwips, int heightTwips, Qt::WindowFlags extraFlags)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | extraFlags), m_drag(new WindowDrag(this))
{
    setFixedSize(twips::sizeToPixels(widthTwips, heightTwips));
}

void BorderedBar::keepAbove()
{
    // A window manager keeps a stay-on-top window above the others by itself; without one (a bare
    // X server) only raising it does. Windowless platforms have no stacking to change.
    if (isVisible() && QGuiApplication::platformName() != u"offscreen")
        raise();
}

void BorderedBar::addDragHandle(QWidget* handle)
{
    m_drag->addHandle(handle);
}

void BorderedBar::drawBorder(QPainter& painter)
{
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void BorderedBar::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    drawBorder(painter);
}

void BorderedBar::closeEvent(QCloseEvent* event)
{
    // A close asked for by the window system would leave the class without its bar: the presenter's
    // children and browser behind, a student without the way to call the teacher.
    event->ignore();
}

} // namespace qh
