#pragma once

#include "packaging/lessonchoice.h"

#include <QDialog>

#include <optional>

class QTreeWidget;

namespace qh::launcher {

// The small window in which the teacher picks the URL list to present: one row per list (its
// name, its number of pages, its first page, when it was last changed), the first row chosen, so
// that Enter starts the list picked last.
class LessonChooser : public QDialog
{
    Q_OBJECT
public:
    explicit LessonChooser(const QList<LessonList>& lists, QWidget* parent = nullptr);

    // The file name of the list chosen now.
    QString chosenList() const;

private:
    QTreeWidget* m_lists = nullptr;
};

// The list the presenter is to start from the class folder: none named when the folder holds no
// list (the presenter then names the missing default), the only one, or the one the teacher picks
// in the chooser, which is then kept as the last picked. Nothing when the chooser was cancelled.
std::optional<QString> pickLessonList(const QString& folder);

} // namespace qh::launcher
