#pragma once

#include "master/classtile.h"

#include <QList>
#include <QWidget>

class QLabel;
class QPushButton;

namespace qh::master {

// The class view's window (objectName classView): one tile per slot given, in their order, laid out
// in the grid that gives the largest pictures for the window's size; above them, while attention
// is on, how long it has left and a button that lifts it. A tile double-clicked shows its picture
// larger in a window of its own. What the tiles show is the class view's affair (ClassView).
class ClassViewWindow : public QWidget
{
    Q_OBJECT
public:
    // Tiles for the slots (0-based), in that order.
    explicit ClassViewWindow(const QList<int>& slotIndexes, QWidget* parent = nullptr);

    const QList<int>& slotIndexes() const { return m_slotIndexes; }
    // The tile of a slot, or nullptr when the view has none for it.
    ClassTile* tile(int slotIndex) const;
    QPushButton* liftButton() const { return m_liftButton; }
    QLabel* largePicture() const { return m_large; }

    // The attention banner's text; empty hides the banner.
    void showAttention(const QString& status);
    // Shows the tile's picture larger, or brings it up to date if that slot is the one shown.
    void showLarger(int slotIndex);
    void updateLarger(int slotIndex);

    // The columns of the grid that gives `count` tiles the largest pictures in `area`.
    static int gridColumns(int count, const QSize& area, int textHeight);

signals:
    void liftClicked();
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void layoutTiles();

    QList<int> m_slotIndexes;
    QList<ClassTile*> m_tiles;
    QWidget* m_tileArea = nullptr;
    QWidget* m_banner = nullptr;
    QLabel* m_bannerText = nullptr;
    QPushButton* m_liftButton = nullptr;
    QLabel* m_large = nullptr;
    int m_largeSlot = -1;
};

} // namespace qh::master
