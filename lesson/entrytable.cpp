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
    setDefaultDropAction(Qt::MoveAction);
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

void EntryTable::dropEvent(QDropEvent* event)
{
    if (event->source() != this) {
        QTableView::dropEvent(event);
        return;
    }
    // Rows dragged within the table move; the drag is then told they were copied, so that the
    // view does not remove the rows it dragged a second time.
    const QModelIndex target = indexAt(event->position().toPoint());
    int destination = m_model.rowCount();
    if (target.isValid())
        destination = target.row() + (dropIndicatorPosition() == QAbstractItemView::BelowItem ? 1 : 0);
    chooseRows(m_model.moveEntries(chosenRows(), destination));
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
