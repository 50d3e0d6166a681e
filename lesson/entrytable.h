#pragma once

#include <QList>
#include <QTableView>

namespace qh::lesson {

class LessonModel;

// The table of a list's entries. Rows dragged within it move; links and text dropped on it from
// elsewhere go to the model, which adds them where they fell. Every drag and drop is a copy for
// the other side, so that neither a file manager nor another program removes what was dragged.
// The Delete key asks for the chosen rows to be removed.
class EntryTable : public QTableView
{
    Q_OBJECT
public:
    explicit EntryTable(LessonModel& model, QWidget* parent = nullptr);

    // The chosen rows, in order.
    QList<int> chosenRows() const;
    // Chooses these rows and shows the first.
    void chooseRows(const QList<int>& rows);

signals:
    void removeRequested();

protected:
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The row before which a drop at the event's place goes.
    int dropRow(const QDropEvent* event) const;

    LessonModel& m_model;
};

} // namespace qh::lesson
