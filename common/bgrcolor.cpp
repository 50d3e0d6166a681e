#include "common/bgrcolor.h"

#include <QPalette>
#include <QWidget>

namespace qh {

QColor colorFromBgr(std::uint32_t bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

void setTextColor(QWidget* widget, std::uint32_t bgr)
{
    QPalette palette = widget->palette();
    const QColor color = colorFromBgr(bgr);
    palette.setColor(QPalette::Active, QPalette::WindowText, color);
    palette.setColor(QPalette::Inactive, QPalette::WindowText, color);
    widget->setPalette(palette);
}

} // namespace qh
