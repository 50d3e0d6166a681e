#pragma once

#include <QList>
#include <QTableView>

namespace qh::lesson {

class LessonModel;

// The table of a list's entries. Rows dragged within it move; links and text dropped on it from
// elsewhere go to the model, which adds them where they fell. The Delete key asks for the chosen
// rows to be removed.
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
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    LessonModel& m_model;
};

} // namespace qh::lesson
