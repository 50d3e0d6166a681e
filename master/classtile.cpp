#include "master/classtile.h"

#include "common/bgrcolor.h"

#include <QMouseEvent>
#include <QPainter>

namespace qh::master {

namespace {
constexpr int kMargin = 4;
} // namespace

ClassTile::ClassTile(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(120, 90);
}

void ClassTile::showContent(const TileContent& content)
{
    const bool pictureChanged =
        content.picture.cacheKey() != m_content.picture.cacheKey() || content.stale != m_content.stale;
    m_content = content;
    if (pictureChanged)
        m_drawn = drawnPicture(m_content);
    setToolTip(content.toolTip);
    setAccessibleName(content.title);
    setAccessibleDescription(content.toolTip);
    update();
}

QImage ClassTile::drawnPicture(const TileContent& content)
{
    if (content.picture.isNull() || !content.stale)
        return content.picture;
    // Greyed: the picture's greys, lightened towards white, so that a stopped child stands out.
    QImage grey = content.picture.convertToFormat(QImage::Format_Grayscale8).convertToFormat(QImage::Format_RGB32);
    QPainter painter(&grey);
    painter.fillRect(grey.rect(), QColor(255, 255, 255, 140));
    return grey;
}

void ClassTile::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect area = rect();
    painter.fillRect(area, colorFromBgr(m_content.background));
    painter.setPen(QColor(0x60, 0x60, 0x60));
    painter.drawRect(area.adjusted(0, 0, -1, -1));

    const QFontMetrics metrics(font());
    const int line = metrics.height();
    const QRect head(kMargin, kMargin, area.width() - 2 * kMargin, line);
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(Qt::black);
    painter.drawText(head, Qt::AlignLeft | Qt::AlignVCenter,
                     QFontMetrics(bold).elidedText(m_content.title, Qt::ElideRight, head.width() * 2 / 3));
    painter.setFont(font());
    painter.drawText(head, Qt::AlignRight | Qt::AlignVCenter, m_content.stateText);

    const QRect foot(kMargin, area.height() - kMargin - line, area.width() - 2 * kMargin, line);
    painter.drawText(foot, Qt::AlignRight | Qt::AlignVCenter, m_content.age);

    const QRect frame(kMargin, head.bottom() + 2, area.width() - 2 * kMargin, foot.top() - head.bottom() - 4);
    if (m_drawn.isNull()) {
        painter.fillRect(frame, QColor(0x50, 0x50, 0x50));
        painter.setPen(Qt::white);
        painter.drawText(frame, Qt::AlignCenter | Qt::TextWordWrap, m_content.note);
        return;
    }
    const QSize fitted = m_drawn.size().scaled(frame.size(), Qt::KeepAspectRatio);
    const QRect target(frame.x() + (frame.width() - fitted.width()) / 2,
                       frame.y() + (frame.height() - fitted.height()) / 2, fitted.width(), fitted.height());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, m_drawn);
}

void ClassTile::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
    emit doubleClicked();
}

} // namespace qh::master
