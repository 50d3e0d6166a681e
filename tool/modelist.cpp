#include "tool/modelist.h"

#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace qh::tool {

int steppedModeIndex(int modeIndex)
{
    return modeIndex == 0 ? 1 : 0;
}

ModeList::ModeList(QWidget* parent) : QListWidget(parent)
{
    addItem(u"全画面表示"_s);
    addItem(u"ウィンドウ表示"_s);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUniformItemSizes(true);
    setModeIndex(-1);
    // actionTriggered comes for every step, also when the bar already stands at its end, so
    // that each step can flip the selection.
    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this, &ModeList::stepSelection);
}

int ModeList::modeIndex() const
{
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? -1 : row(selected.first());
}

void ModeList::setModeIndex(int modeIndex)
{
    if (modeIndex < 0 || modeIndex >= count()) {
        clearSelection();
        setCurrentItem(nullptr);
        verticalScrollBar()->setValue(0);
        return;
    }
    setCurrentRow(modeIndex, QItemSelectionModel::ClearAndSelect);
    scrollToItem(item(modeIndex), QAbstractItemView::PositionAtTop);
}

void ModeList::stepSelection(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
    case QAbstractSlider::SliderSingleStepSub:
    case QAbstractSlider::SliderPageStepAdd:
    case QAbstractSlider::SliderPageStepSub:
    case QAbstractSlider::SliderMove: // the thumb dragged to the other row
        break;
    default:
        return;
    }
    emit stepped();
    // The bar applies this position once the handler returns, which keeps the selected row in view.
    verticalScrollBar()->setSliderPosition(std::max(modeIndex(), 0));
}

void ModeList::wheelEvent(QWheelEvent* event)
{
    // A turn of the wheel is a step of the scroll bar, also at either end of it.
    const int delta = event->angleDelta().y();
    if (delta != 0)
        verticalScrollBar()->triggerAction(delta > 0 ? QAbstractSlider::SliderSingleStepSub
                                                     : QAbstractSlider::SliderSingleStepAdd);
    event->accept();
}

} // namespace qh::tool
