#pragma once

#include <QRect>

class QWidget;

// Window layouts are given in twips (1/1440 inch): 15 twips to a pixel at 96 dpi, scaled with the
// screen's logical dpi. Every layout converts here and nowhere else.
namespace qh::twips {

// Logical dpi of the primary screen, 96 when there is none.
double screenDpi();

int toPixels(int twips);
QPoint toPixels(int left, int top);
QSize sizeToPixels(int width, int height);
QRect rectToPixels(int left, int top, int width, int height);

// Places a child widget at its twips rectangle.
void place(QWidget* widget, int left, int top, int width, int height);

} // namespace qh::twips
