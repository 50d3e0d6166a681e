#include "common/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace qh::twips {

double screenDpi()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : 0.0;
    return dpi > 0 ? dpi : 96.0;
}

int toPixels(int twips)
{
    return int(std::lround(twips * screenDpi() / 1440.0));
}

QPoint toPixels(int left, int top)
{
    return {toPixels(left), toPixels(top)};
}

QSize sizeToPixels(int width, int height)
{
    return {toPixels(width), toPixels(height)};
}

QRect rectToPixels(int left, int top, int width, int height)
{
    return {toPixels(left, top), sizeToPixels(width, height)};
}

void place(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(rectToPixels(left, top, width, height));
}

} // namespace qh::twips
