#pragma once

#include "lesson/linkimport.h"
#include "lesson/pagecheck.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QSet>
#include <QStringList>

// The entries of the URL list being edited, one row each, in file order, with what is known of
// each: its page number (from 0, as the presenter's bar counts), the page's title or what the
// check found, and its warnings. Titles and check results belong to an entry's text, so that they
// follow the entry wherever it is moved and stay right while entries change during a check.
namespace qh::lesson {

class LessonModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { NumberColumn, AddressColumn, ResultColumn, WarningColumn, ColumnCount };
    // Data role: true for a row that the check found unloadable or that has a warning.
    static constexpr int ProblemRole = Qt::UserRole + 1;

    explicit LessonModel(QObject* parent = nullptr);

    const QStringList& entries() const { return m_entries; }
    // Starts over with these entries and the titles known of them, unmodified and unchecked.
    void setEntries(const QStringList& entries, const QHash<QString, QString>& titles = {});

    bool isModified() const { return m_modified; }
    void setModified(bool modified);

    // Inserts the links before `row` (at the end for a row past it); returns how many fit in the
    // list. Their titles become known titles.
    int insertLinks(int row, const QList<ImportedLink>& links);
    void removeEntries(const QList<int>& rows);
    // Moves the rows, in their order, to stand before `destination`; returns their new rows.
    QList<int> moveEntries(const QList<int>& rows, int destination);
    // Moves each of the rows one place up (step -1) or down (+1), where a row not moved is next to
    // it; returns their new rows.
    QList<int> stepEntries(const QList<int>& rows, int step);

    void setKnownTitle(const QString& entry, const QString& title);
    void setChecking(const QString& entry);
    void setOutcome(const QString& entry, const PageOutcome& outcome);
    void clearOutcomes();
    // Entries still being loaded are no longer.
    void stopChecking();
    // Rows with a problem: a page that did not load, or a warning.
    int problemRows() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // Dragging rows out gives their addresses as text; dropping links or text in adds rows.
    Qt::DropActions supportedDropActions() const override;
    Qt::DropActions supportedDragActions() const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

signals:
    void modifiedChanged(bool modified);
    // What a drop could not add, for the user.
    void importProblems(const QStringList& problems);

private:
    // Puts the rows in a new order: newOrder[new row] is the old row.
    void reorder(const QList<int>& newOrder);
    void entriesChanged(const QString& entry);
    const QStringList& warningsOf(const QString& entry) const;
    QString resultText(const QString& entry) const;
    bool isProblem(const QString& entry) const;

    QStringList m_entries;
    QHash<QString, QString> m_titles;               // known titles, by entry
    QHash<QString, PageOutcome> m_outcomes;         // what the check found, by entry
    QSet<QString> m_checking;                       // being loaded now
    mutable QHash<QString, QStringList> m_warnings; // computed once for each text
    bool m_modified = false;
};

} // namespace qh::lesson
