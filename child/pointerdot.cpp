#include "child/pointerdot.h"

#include <QPainter>

namespace qh::child {

namespace {
constexpr int kDiameter = 24;
constexpr int kRing = 3;
} // namespace

PointerDot::PointerDot(QWidget& view) : QWidget(&view)
{
    setObjectName(QStringLiteral("pointerDot"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    resize(kDiameter, kDiameter);
    hide();
}

void PointerDot::showAt(QPoint center)
{
    move(center - QPoint(kDiameter / 2, kDiameter / 2));
    show();
    raise();
}

void PointerDot::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // A dark edge, a white ring and a red centre stand out on light, dark and red pages alike.
    painter.setPen(QPen(QColor(40, 40, 40), 1));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(0.5, 0.5, kDiameter - 1, kDiameter - 1));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(230, 0, 0));
    painter.drawEllipse(QRectF(kRing, kRing, kDiameter - 2 * kRing, kDiameter - 2 * kRing));
}

} // namespace qh::child
