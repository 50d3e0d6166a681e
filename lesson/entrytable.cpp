#include "lesson/entrytable.h"

#include "lesson/lessonmodel.h"

#include <QDropEvent>
#include <QHeaderView>
#include <QItemSelection>
#include <QKeyEvent>

#include <algorithm>

namespace qh::lesson {

EntryTable::EntryTable(LessonModel& model, QWidget* parent) : QTableView(parent), m_model(model)
{
    setModel(&model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::CopyAction);
    setDragDropOverwriteMode(false);
    setDropIndicatorShown(true);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setWordWrap(false);
    verticalHeader()->hide();
    // Fixed row heights and widths: a list of tens of thousands of rows must not be measured.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setStretchLastSection(true);
    setColumnWidth(LessonModel::NumberColumn, 56);
    setColumnWidth(LessonModel::AddressColumn, 340);
    setColumnWidth(LessonModel::ResultColumn, 240);
}

QList<int> EntryTable::chosenRows() const
{
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void EntryTable::chooseRows(const QList<int>& rows)
{
    QItemSelection selection;
    for (int row : rows)
        selection.select(m_model.index(row, 0), m_model.index(row, LessonModel::ColumnCount - 1));
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (!rows.isEmpty()) {
        selectionModel()->setCurrentIndex(m_model.index(rows.front(), LessonModel::AddressColumn),
                                          QItemSelectionModel::NoUpdate);
        scrollTo(m_model.index(rows.front(), LessonModel::AddressColumn));
    }
}

int EntryTable::dropRow(const QDropEvent* event) const
{
    const QModelIndex target = indexAt(event->position().toPoint());
    if (!target.isValid())
        return m_model.rowCount();
    return target.row() + (dropIndicatorPosition() == QAbstractItemView::BelowItem ? 1 : 0);
}

void EntryTable::dragMoveEvent(QDragMoveEvent* event)
{
    QTableView::dragMoveEvent(event);
    if (event->isAccepted())
        event->setDropAction(Qt::CopyAction);
}

void EntryTable::dropEvent(QDropEvent* event)
{
    // Rows dragged within the table move here; what comes from elsewhere is added. The other side
    // is told either way that its data was copied: a moved file would be removed by the file
    // manager, and rows the view believes moved away would be removed by the view.
    if (event->source() == this)
        chooseRows(m_model.moveEntries(chosenRows(), dropRow(event)));
    else
        m_model.dropMimeData(event->mimeData(), Qt::CopyAction, dropRow(event), -1, {});
    event->setDropAction(Qt::CopyAction);
    event->accept();
    stopAutoScroll();
    setState(QAbstractItemView::NoState);
    viewport()->update();
}

void EntryTable::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete && state() != QAbstractItemView::EditingState) {
        emit removeRequested();
        return;
    }
    QTableView::keyPressEvent(event);
}

} // namespace qh::lesson
