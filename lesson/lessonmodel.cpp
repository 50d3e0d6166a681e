#include "lesson/lessonmodel.h"

#include "common/tooltiptext.h"
#include "common/urllist.h"
#include "lesson/entrywarnings.h"
#include "lesson/lessonmessages.h"

#include <QBrush>
#include <QColor>
#include <QMimeData>

#include <algorithm>
#include <numeric>

using namespace Qt::StringLiterals;

namespace qh::lesson {

namespace {
const QString kRowsMimeType = u"application/x-quillharbour-lesson-rows"_s;
const QColor kFailedColor(255, 218, 218);
const QColor kWarningColor(255, 243, 196);
const QColor kQuietColor(128, 128, 128);

QList<int> sortedUnique(QList<int> rows, int rowCount)
{
    rows.removeIf([rowCount](int row) { return row < 0 || row >= rowCount; });
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}
} // namespace

LessonModel::LessonModel(QObject* parent) : QAbstractTableModel(parent) {}

void LessonModel::setEntries(const QStringList& entries, const QHash<QString, QString>& titles)
{
    beginResetModel();
    m_entries = entries;
    m_titles = titles;
    m_outcomes.clear();
    m_checking.clear();
    endResetModel();
    setModified(false);
}

void LessonModel::setModified(bool modified)
{
    if (m_modified == modified)
        return;
    m_modified = modified;
    emit modifiedChanged(modified);
}

int LessonModel::insertLinks(int row, const QList<ImportedLink>& links)
{
    const int count = int(std::min<qsizetype>(links.size(), kMaxUrlListEntries - m_entries.size()));
    if (count <= 0)
        return 0;
    row = std::clamp(row, 0, int(m_entries.size()));
    beginInsertRows({}, row, row + count - 1);
    for (int i = 0; i < count; ++i) {
        m_entries.insert(row + i, links[i].address);
        if (!links[i].title.isEmpty() && !m_titles.contains(links[i].address))
            m_titles.insert(links[i].address, links[i].title);
    }
    endInsertRows();
    setModified(true);
    return count;
}

void LessonModel::removeEntries(const QList<int>& rows)
{
    const QList<int> sorted = sortedUnique(rows, rowCount());
    if (sorted.isEmpty())
        return;
    // Contiguous runs, from the last, so that the rows still to remove keep their numbers.
    for (qsizetype end = sorted.size(); end > 0;) {
        qsizetype start = end - 1;
        while (start > 0 && sorted[start - 1] == sorted[start] - 1)
            --start;
        beginRemoveRows({}, sorted[start], sorted[end - 1]);
        m_entries.remove(sorted[start], sorted[end - 1] - sorted[start] + 1);
        endRemoveRows();
        end = start;
    }
    // The numbers of the rows below changed.
    emit dataChanged(index(0, NumberColumn), index(std::max(0, rowCount() - 1), NumberColumn));
    setModified(true);
}

QList<int> LessonModel::moveEntries(const QList<int>& rows, int destination)
{
    const QList<int> moved = sortedUnique(rows, rowCount());
    destination = std::clamp(destination, 0, rowCount());
    QList<int> rest;
    for (int row = 0; row < rowCount(); ++row) {
        if (!std::binary_search(moved.begin(), moved.end(), row))
            rest.append(row);
    }
    const auto before = std::count_if(moved.begin(), moved.end(), [destination](int row) { return row < destination; });
    const int at = destination - int(before);
    QList<int> newOrder = rest;
    for (qsizetype i = 0; i < moved.size(); ++i)
        newOrder.insert(at + i, moved[i]);
    reorder(newOrder);
    QList<int> newRows(moved.size());
    std::iota(newRows.begin(), newRows.end(), at);
    return newRows;
}

QList<int> LessonModel::stepEntries(const QList<int>& rows, int step)
{
    const QList<int> moved = sortedUnique(rows, rowCount());
    const int count = rowCount();
    QList<int> newOrder(count);
    std::iota(newOrder.begin(), newOrder.end(), 0);
    QList<bool> selected(count, false);
    for (int row : moved)
        selected[row] = true;
    // Each chosen row trades places with the unchosen row next to it; one that stands at the end,
    // or behind another chosen row that could not move, stays.
    const bool up = step < 0;
    for (int i = up ? 1 : count - 2; up ? i < count : i >= 0; i += up ? 1 : -1) {
        const int neighbour = up ? i - 1 : i + 1;
        if (selected[i] && !selected[neighbour]) {
            std::swap(newOrder[i], newOrder[neighbour]);
            std::swap(selected[i], selected[neighbour]);
        }
    }
    reorder(newOrder);
    QList<int> newRows;
    for (int row = 0; row < count; ++row) {
        if (selected[row])
            newRows.append(row);
    }
    return newRows;
}

void LessonModel::reorder(const QList<int>& newOrder)
{
    QList<int> newRowOf(newOrder.size());
    bool changed = false;
    for (int row = 0; row < newOrder.size(); ++row) {
        newRowOf[newOrder[row]] = row;
        changed = changed || newOrder[row] != row;
    }
    if (!changed)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    QStringList entries;
    entries.reserve(m_entries.size());
    for (int old : newOrder)
        entries.append(m_entries[old]);
    m_entries = std::move(entries);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    for (const QModelIndex& index : before)
        after.append(this->index(newRowOf[index.row()], index.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    setModified(true);
}

void LessonModel::setKnownTitle(const QString& entry, const QString& title)
{
    if (title.isEmpty())
        return;
    m_titles.insert(entry, title);
    entriesChanged(entry);
}

void LessonModel::setChecking(const QString& entry)
{
    m_checking.insert(entry);
    entriesChanged(entry);
}

void LessonModel::setOutcome(const QString& entry, const PageOutcome& outcome)
{
    m_checking.remove(entry);
    m_outcomes.insert(entry, outcome);
    if (outcome.kind == PageOutcome::Kind::Loaded && !outcome.title.isEmpty())
        m_titles.insert(entry, outcome.title);
    entriesChanged(entry);
}

void LessonModel::clearOutcomes()
{
    m_checking.clear();
    m_outcomes.clear();
    entriesChanged({});
}

void LessonModel::stopChecking()
{
    m_checking.clear();
    entriesChanged({});
}

int LessonModel::problemRows() const
{
    return int(
        std::count_if(m_entries.begin(), m_entries.end(), [this](const QString& entry) { return isProblem(entry); }));
}

void LessonModel::entriesChanged(const QString&)
{
    // The rows of one entry may be anywhere; the views redraw only what they show.
    if (!m_entries.isEmpty())
        emit dataChanged(index(0, ResultColumn), index(rowCount() - 1, WarningColumn));
}

const QStringList& LessonModel::warningsOf(const QString& entry) const
{
    auto found = m_warnings.constFind(entry);
    if (found == m_warnings.constEnd())
        found = m_warnings.insert(entry, entryWarnings(entry));
    return *found;
}

QString LessonModel::resultText(const QString& entry) const
{
    if (entry.isEmpty())
        return kEmptyEntryText;
    if (m_checking.contains(entry))
        return kCheckingText;
    if (const auto outcome = m_outcomes.constFind(entry); outcome != m_outcomes.constEnd()) {
        switch (outcome->kind) {
        case PageOutcome::Kind::Loaded:
            return outcome->title;
        case PageOutcome::Kind::HttpStatus:
            return httpStatusText(outcome->httpStatus);
        case PageOutcome::Kind::NetworkError:
            return networkErrorText(outcome->error);
        case PageOutcome::Kind::Download:
            return kDownloadText;
        case PageOutcome::Kind::Crashed:
            return kCrashedText;
        case PageOutcome::Kind::TimedOut:
            return timedOutText(int(PageCheck::kPageTimeLimit.count()));
        }
    }
    if (!presenterLoads(entry))
        return kNotLoadedText;
    return m_titles.value(entry);
}

bool LessonModel::isProblem(const QString& entry) const
{
    const auto outcome = m_outcomes.constFind(entry);
    return (outcome != m_outcomes.constEnd() && outcome->isProblem()) || !warningsOf(entry).isEmpty();
}

int LessonModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

int LessonModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant LessonModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_entries.size())
        return {};
    const QString& entry = m_entries[index.row()];
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: {
        if (column == NumberColumn)
            return index.row();
        QString text;
        if (column == AddressColumn)
            text = entry.isEmpty() && role == Qt::DisplayRole ? kEmptyEntryText : visibleText(entry);
        else if (column == ResultColumn)
            text = resultText(entry);
        else
            text = warningsOf(entry).join(role == Qt::DisplayRole ? u"／"_s : u"\n"_s);
        // Titles and addresses come from pages and files: a tooltip never renders them as markup.
        return role == Qt::ToolTipRole ? toolTipText(text) : text;
    }
    case Qt::EditRole:
        return column == AddressColumn ? QVariant(entry) : data(index, Qt::DisplayRole);
    case Qt::ForegroundRole:
        // What is not the entry itself, or not found by this check, is shown quieter.
        if ((column == AddressColumn && entry.isEmpty()) ||
            (column == ResultColumn && (entry.isEmpty() || !m_outcomes.contains(entry))))
            return QBrush(kQuietColor);
        return {};
    case Qt::BackgroundRole: {
        const auto outcome = m_outcomes.constFind(entry);
        if (outcome != m_outcomes.constEnd() && outcome->isProblem())
            return QBrush(kFailedColor);
        return warningsOf(entry).isEmpty() ? QVariant() : QVariant(QBrush(kWarningColor));
    }
    case ProblemRole:
        return isProblem(entry);
    default:
        return {};
    }
}

QVariant LessonModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const QStringList headers = {kNumberHeader, kAddressHeader, kResultHeader, kWarningHeader};
    return headers.value(section);
}

Qt::ItemFlags LessonModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
    if (index.column() == AddressColumn)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool LessonModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.column() != AddressColumn || role != Qt::EditRole)
        return false;
    // Typed text: blanks around it are never meant as part of an address.
    const QString entry = value.toString().trimmed();
    if (entry == m_entries[index.row()])
        return true;
    m_entries[index.row()] = entry;
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), ColumnCount - 1));
    setModified(true);
    return true;
}

Qt::DropActions LessonModel::supportedDropActions() const
{
    return Qt::CopyAction | Qt::MoveAction;
}

Qt::DropActions LessonModel::supportedDragActions() const
{
    // Rows dragged out are copied: a program that took them as moved must not remove them here.
    return Qt::CopyAction;
}

QStringList LessonModel::mimeTypes() const
{
    return {kRowsMimeType, u"text/uri-list"_s, u"text/plain"_s};
}

QMimeData* LessonModel::mimeData(const QModelIndexList& indexes) const
{
    QList<int> rows;
    for (const QModelIndex& index : indexes)
        rows.append(index.row());
    rows = sortedUnique(rows, rowCount());
    QStringList addresses;
    QByteArray rowBytes;
    for (int row : rows) {
        addresses.append(m_entries[row]);
        rowBytes += QByteArray::number(row) + '\n';
    }
    auto* data = new QMimeData; // owned by the drag that asked for it
    data->setData(kRowsMimeType, rowBytes);
    data->setText(addresses.join(u'\n'));
    return data;
}

bool LessonModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int, int, const QModelIndex&) const
{
    return data && (data->hasUrls() || data->hasText());
}

bool LessonModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                               const QModelIndex& parent)
{
    if (!canDropMimeData(data, action, row, column, parent))
        return false;
    if (row < 0)
        row = parent.isValid() ? parent.row() : rowCount();
    const qsizetype room = kMaxUrlListEntries - m_entries.size();
    LinkImport import = linksFromMimeData(*data, room);
    const int added = insertLinks(row, import.links);
    if (import.truncated || added < import.links.size())
        import.problems.append(listFullText());
    if (!import.problems.isEmpty())
        emit importProblems(import.problems);
    return added > 0;
}

} // namespace qh::lesson
