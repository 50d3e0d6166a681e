#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

#include <cstdint>

namespace qh::master {

// What one tile of the class view shows of its slot.
struct TileContent {
    QString title;            // "07 PC07"
    QString stateText;        // the panel's follow state: 追従中, ...
    std::uint32_t background; // the panel's colour for that state (0xBBGGRR)
    QImage picture;           // null when there is none to show
    QString note;             // in place of the picture: hidden, or none yet
    QString age;              // how old the picture is; empty before the first
    bool stale = false;       // the child has stopped answering: the picture is greyed
    QString toolTip;
};

// One slot's tile: its title and follow state on the panel's colour, its child's latest picture
// scaled to the tile (greyed once stale) and the picture's age. A double click asks for it larger.
class ClassTile : public QWidget
{
    Q_OBJECT
public:
    explicit ClassTile(QWidget* parent = nullptr);

    void showContent(const TileContent& content);
    const TileContent& content() const { return m_content; }

    // The picture as the tile draws it: greyed when stale.
    static QImage drawnPicture(const TileContent& content);

signals:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    TileContent m_content;
    QImage m_drawn;
};

} // namespace qh::master
