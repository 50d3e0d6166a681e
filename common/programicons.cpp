#include "common/programicons.h"

#include "common/bgrcolor.h"

#include <QPainter>
#include <QPixmap>

#include <functional>

namespace qh {

namespace {

// Draws the icon at each usual size on a 32-unit canvas that the painter scales.
QIcon drawIcon(const std::function<void(QPainter&)>& paint)
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 32.0, size / 32.0);
        paint(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

void drawScreen(QPainter& painter, const QRectF& frame, const QColor& face)
{
    painter.setPen(QPen(colorFromBgr(0x3A2A1A), 1.2));
    painter.setBrush(QColor(40, 48, 60));
    painter.drawRoundedRect(frame, 1.5, 1.5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(face);
    painter.drawRect(frame.adjusted(1.6, 1.6, -1.6, -1.6));
}

// A monitor on its stand with a page on it: a heading and two lines of text. The page is inset
// from the monitor's frame by `inset` at each side, 3 units at top and bottom.
void drawMonitorWithPage(QPainter& painter, const QRectF& frame, double inset)
{
    drawScreen(painter, frame, colorFromBgr(0xF0D8A0));
    const QRectF page = frame.adjusted(inset, 3, -inset, -3);
    painter.setBrush(Qt::white);
    painter.drawRect(page);
    const double left = page.left() + 1.5;
    painter.setBrush(colorFromBgr(kBgrBlue));
    painter.drawRect(QRectF(left, page.top() + 2, page.width() - 3, 1.8));
    painter.setBrush(QColor(150, 150, 150));
    painter.drawRect(QRectF(left, page.top() + 5.5, page.width() - 5, 1.2));
    painter.drawRect(QRectF(left, page.top() + 7.5, page.width() - 7, 1.2));
    painter.setBrush(QColor(70, 70, 70));
    const double middle = frame.center().x();
    painter.drawRect(QRectF(middle - 2, frame.bottom(), 4, 2.5));
    painter.drawRect(QRectF(middle - 6, frame.bottom() + 2.5, 12, 1.5));
}

} // namespace

QIcon presenterIcon()
{
    return drawIcon([](QPainter& painter) {
        // The teacher's large screen with a page on it.
        drawMonitorWithPage(painter, QRectF(1, 2, 22, 16), 4);
        // Two children's screens that show the same page.
        drawScreen(painter, QRectF(18, 19, 13, 10), Qt::white);
        drawScreen(painter, QRectF(3, 24, 12, 7.5), Qt::white);
        painter.setBrush(colorFromBgr(kBgrBlue));
        painter.drawRect(QRectF(20, 21.5, 9, 1.5));
        painter.drawRect(QRectF(5, 26, 8, 1.3));
    });
}

QIcon toolIcon()
{
    return drawIcon([](QPainter& painter) {
        painter.setPen(QPen(QColor(90, 90, 90), 1.2));
        painter.setBrush(QColor(250, 250, 244));
        painter.drawRoundedRect(QRectF(4, 1.5, 24, 29), 2, 2);
        for (int row = 0; row < 3; ++row) {
            const double top = 6 + row * 8;
            painter.setPen(QPen(QColor(60, 60, 60), 1.1));
            painter.setBrush(Qt::white);
            painter.drawRect(QRectF(7, top, 5.5, 5.5));
            painter.setPen(QPen(colorFromBgr(kBgrRed), 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.setBrush(Qt::NoBrush);
            painter.drawPolyline(QPolygonF({QPointF(8, top + 2.8), QPointF(9.6, top + 4.4), QPointF(12.5, top + 0.6)}));
            painter.setPen(Qt::NoPen);
            painter.setBrush(colorFromBgr(kBgrBlue));
            painter.drawRect(QRectF(15, top + 1.2, 10 - row * 2, 1.6));
            painter.setBrush(QColor(160, 160, 160));
            painter.drawRect(QRectF(15, top + 3.6, 8, 1.2));
        }
    });
}

QIcon childIcon()
{
    return drawIcon([](QPainter& painter) {
        // The student's screen with the teacher's page on it.
        drawMonitorWithPage(painter, QRectF(1, 7, 24, 17), 3.5);
        // The raised hand: a palm and three fingers, in the red of a call.
        painter.setPen(QPen(colorFromBgr(0x3A2A1A), 1));
        painter.setBrush(colorFromBgr(kBgrRed));
        painter.drawRoundedRect(QRectF(22, 8, 8, 9), 2, 2);
        for (int finger = 0; finger < 3; ++finger)
            painter.drawRoundedRect(QRectF(22.3 + finger * 2.6, 1.5 + (finger == 1 ? 0 : 1), 2.2, 8), 1.1, 1.1);
        painter.drawRoundedRect(QRectF(20, 11, 3, 5), 1.2, 1.2);
    });
}

QIcon lessonIcon()
{
    return drawIcon([](QPainter& painter) {
        // Three pages of the lesson, one behind the other, each with its heading.
        for (int page = 2; page >= 0; --page) {
            const QRectF sheet(2 + page * 4, 1.5 + page * 4, 19, 22);
            painter.setPen(QPen(QColor(90, 90, 90), 1));
            painter.setBrush(page == 0 ? QColor(250, 250, 244) : QColor(226, 230, 236));
            painter.drawRect(sheet);
            painter.setPen(Qt::NoPen);
            painter.setBrush(colorFromBgr(kBgrBlue));
            painter.drawRect(QRectF(sheet.left() + 2.5, sheet.top() + 3, 12, 2));
            painter.setBrush(QColor(160, 160, 160));
            painter.drawRect(QRectF(sheet.left() + 2.5, sheet.top() + 7.5, 13, 1.2));
            painter.drawRect(QRectF(sheet.left() + 2.5, sheet.top() + 10.5, 10, 1.2));
        }
        // The tick of a checked lesson, on a green disc.
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(46, 150, 70));
        painter.drawEllipse(QRectF(18, 18, 13, 13));
        painter.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPolyline(QPolygonF({QPointF(21.2, 24.8), QPointF(23.6, 27.2), QPointF(27.8, 21.6)}));
    });
}

} // namespace qh
