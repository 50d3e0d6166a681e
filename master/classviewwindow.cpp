#include "master/classviewwindow.h"

#include "master/presentermessages.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace qh::master {

namespace {
constexpr int kGap = 4;
// The pictures' usual shape: a page window on a 16:10 screen.
constexpr double kPictureAspect = 1.6;
// A picture shown larger: three times a thumbnail, within most of the screen.
constexpr int kLargerScale = 3;
} // namespace

ClassViewWindow::ClassViewWindow(const QList<int>& slotIndexes, QWidget* parent)
    : QWidget(parent, Qt::Window), m_slotIndexes(slotIndexes)
{
    setObjectName(u"classView"_s);
    setWindowTitle(kClassViewTitle);

    m_banner = new QWidget(this);
    m_banner->setObjectName(u"attentionBanner"_s);
    m_banner->setAutoFillBackground(true);
    QPalette bannerColours = m_banner->palette();
    bannerColours.setColor(QPalette::Window, QColor(0xff, 0xe0, 0x80));
    m_banner->setPalette(bannerColours);
    m_bannerText = new QLabel(m_banner);
    m_bannerText->setObjectName(u"attentionStatus"_s);
    m_liftButton = new QPushButton(kLiftAttentionButtonText, m_banner);
    m_liftButton->setObjectName(u"liftAttentionButton"_s);
    connect(m_liftButton, &QPushButton::clicked, this, &ClassViewWindow::liftClicked);
    auto* bannerLayout = new QHBoxLayout(m_banner);
    bannerLayout->setContentsMargins(8, 2, 8, 2);
    bannerLayout->addWidget(m_bannerText, 1);
    bannerLayout->addWidget(m_liftButton);
    m_banner->hide();

    m_tileArea = new QWidget(this);
    m_tileArea->setObjectName(u"tiles"_s);
    m_tileArea->installEventFilter(this);
    for (const int index : m_slotIndexes) {
        auto* tile = new ClassTile(m_tileArea);
        tile->setObjectName(u"tile%1"_s.arg(index + 1, 2, 10, QChar(u'0')));
        tile->setMinimumSize(0, 0);
        connect(tile, &ClassTile::doubleClicked, this, [this, index] { showLarger(index); });
        m_tiles.append(tile);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kGap, kGap, kGap, kGap);
    layout->setSpacing(kGap);
    layout->addWidget(m_banner);
    layout->addWidget(m_tileArea, 1);

    m_large = new QLabel(this, Qt::Window);
    m_large->setObjectName(u"largePicture"_s);
    m_large->setAlignment(Qt::AlignCenter);

    // Room for every tile on the screen it opens on, a 1366 x 768 laptop's too.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    resize(std::min(1200, screen.width() - 40), std::min(760, screen.height() - 60));
}

ClassTile* ClassViewWindow::tile(int slotIndex) const
{
    const qsizetype at = m_slotIndexes.indexOf(slotIndex);
    return at < 0 ? nullptr : m_tiles.at(at);
}

void ClassViewWindow::showAttention(const QString& status)
{
    m_bannerText->setText(status);
    m_banner->setVisible(!status.isEmpty());
}

void ClassViewWindow::showLarger(int slotIndex)
{
    m_largeSlot = slotIndex;
    updateLarger(slotIndex);
    m_large->show();
    m_large->raise();
}

void ClassViewWindow::updateLarger(int slotIndex)
{
    const ClassTile* shown = tile(slotIndex);
    if (slotIndex != m_largeSlot || !shown)
        return;
    const TileContent& content = shown->content();
    m_large->setWindowTitle(content.title);
    const QImage picture = ClassTile::drawnPicture(content);
    if (picture.isNull()) {
        m_large->setPixmap({});
        m_large->setText(content.note);
        m_large->resize(400, 250);
        return;
    }
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QSize larger = (picture.size() * kLargerScale).boundedTo(screen.size() * 9 / 10).expandedTo(QSize(1, 1));
    m_large->setPixmap(QPixmap::fromImage(picture.scaled(larger, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    m_large->resize(m_large->pixmap().size());
}

int ClassViewWindow::gridColumns(int count, const QSize& area, int textHeight)
{
    int best = 1;
    double bestWidth = -1;
    for (int columns = 1; columns <= std::max(1, count); ++columns) {
        const int rows = (count + columns - 1) / columns;
        const double width = double(area.width() - kGap * (columns - 1)) / columns;
        const double height = double(area.height() - kGap * (rows - 1)) / std::max(1, rows) - textHeight;
        const double pictureWidth = std::min(width, height * kPictureAspect);
        if (pictureWidth > bestWidth + 0.5) {
            bestWidth = pictureWidth;
            best = columns;
        }
    }
    return best;
}

void ClassViewWindow::layoutTiles()
{
    const QSize area = m_tileArea->size();
    const int count = int(m_tiles.size());
    if (count == 0)
        return;
    const int textHeight = 2 * fontMetrics().height() + 12;
    const int columns = gridColumns(count, area, textHeight);
    const int rows = (count + columns - 1) / columns;
    const int width = (area.width() - kGap * (columns - 1)) / columns;
    const int height = (area.height() - kGap * (rows - 1)) / rows;
    for (int at = 0; at < count; ++at) {
        const int row = at / columns;
        const int column = at % columns;
        m_tiles[at]->setGeometry(column * (width + kGap), row * (height + kGap), width, height);
    }
}

bool ClassViewWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_tileArea && event->type() == QEvent::Resize)
        layoutTiles();
    return QWidget::eventFilter(watched, event);
}

void ClassViewWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    m_large->close();
    emit closed();
}

} // namespace qh::master
