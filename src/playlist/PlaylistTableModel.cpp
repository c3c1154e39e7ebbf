#include "playlist/PlaylistTableModel.h"

#include "media/support/LogCategories.h"
#include "core/playlist/PlaylistWindow.h"

#include <QMimeData>

#include <array>
#include <set>

namespace vistrel {

namespace {

using Kind = PlaylistChange::Kind;

struct ColumnInfo {
    const char* title;
    const char* key;
};

// The entry key each column shows and sorts by, in column order.
constexpr std::array<ColumnInfo, PlaylistTableModel::columnCount_> columns{{
    {"", "active"},
    {"Name", "name"},
    {"Type", "type"},
    {"Path", "path"},
}};

const QString markSymbol = QStringLiteral("\u25CF");
const QString plainText = QStringLiteral("text/plain");

// Qt counts a list of file names as text too; only real plain text may be dropped.
bool offersPlainText(const QMimeData* data) {
    return data && data->hasFormat(plainText);
}

int lastRow(const PlaylistChange& change) {
    return static_cast<int>(change.first + change.count) - 1;
}

} // namespace

PlaylistTableModel::PlaylistTableModel(PlaylistWindow& window, QObject* parent)
    : QAbstractTableModel(parent), m_window(window), m_store(window.store()),
      m_beforeChange(window.store().aboutToChange.connect([this](const PlaylistChange& c) { willChange(c); })),
      m_afterChange(window.store().changed.connect([this](const PlaylistChange& c) { didChange(c); })),
      m_sortOrderFollower(window.store().sortDescChanged.connect([this] { announceSortOrder(); })) {}

int PlaylistTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_store.fileList().size());
}

int PlaylistTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columnCount_;
}

QVariant PlaylistTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const PlaylistEntry& entry = m_store.fileList()[static_cast<std::size_t>(index.row())];
    if (role == Qt::TextAlignmentRole && index.column() == markColumn)
        return Qt::AlignCenter;
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
    case markColumn: return entry.active ? markSymbol : QString();
    case nameColumn: return QString::fromStdString(entry.name);
    case typeColumn: return QString::fromStdString(entry.type);
    case pathColumn: return QString::fromStdString(entry.path);
    default: return {};
    }
}

QVariant PlaylistTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount_)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return QString::fromUtf8(columns[static_cast<std::size_t>(section)].title);
    if (role == Qt::ToolTipRole && section == markColumn)
        return QStringLiteral("Current entry");
    return {};
}

Qt::ItemFlags PlaylistTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::ItemIsDropEnabled; // below the last row
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled |
           Qt::ItemNeverHasChildren;
}

// ---------------------------------------------------------------- sorting

std::string PlaylistTableModel::keyOfColumn(int column) {
    if (column < 0 || column >= columnCount_)
        return {};
    return columns[static_cast<std::size_t>(column)].key;
}

int PlaylistTableModel::columnOfKey(const std::string& key) {
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (key == columns[i].key)
            return static_cast<int>(i);
    return -1;
}

void PlaylistTableModel::sort(int column, Qt::SortOrder order) {
    const std::string key = keyOfColumn(column);
    if (!key.empty())
        m_window.store().setSortDesc({SortDescriptor{key, order == Qt::AscendingOrder}});
}

void PlaylistTableModel::announceSortOrder() {
    const auto& descriptors = m_store.sortDesc();
    if (descriptors.empty()) {
        emit sortOrderChanged(-1, Qt::AscendingOrder);
        return;
    }
    const SortDescriptor& first = descriptors.front();
    emit sortOrderChanged(columnOfKey(first.key), first.ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

// ---------------------------------------------------------------- store edits as row signals

void PlaylistTableModel::willChange(const PlaylistChange& change) {
    const QModelIndex root;
    switch (change.kind) {
    case Kind::reset: beginResetModel(); break;
    case Kind::inserted: beginInsertRows(root, static_cast<int>(change.first), lastRow(change)); break;
    case Kind::removed: beginRemoveRows(root, static_cast<int>(change.first), lastRow(change)); break;
    case Kind::moved: {
        // Qt names the row the entry is put before, counted in the list before the move.
        const std::size_t before = change.to > change.first ? change.to + 1 : change.to;
        const int from = static_cast<int>(change.first);
        m_moveAsReset = !beginMoveRows(root, from, from, root, static_cast<int>(before));
        if (m_moveAsReset) {
            qCWarning(lcPlaylist) << "row move" << from << "to" << change.to << "refused; rows re-read";
            beginResetModel();
        }
        break;
    }
    case Kind::changed: break;
    case Kind::reordered:
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        m_rowsBeforeSort = persistentIndexList();
        break;
    }
}

void PlaylistTableModel::didChange(const PlaylistChange& change) {
    switch (change.kind) {
    case Kind::reset: endResetModel(); break;
    case Kind::inserted: endInsertRows(); break;
    case Kind::removed: endRemoveRows(); break;
    case Kind::moved: m_moveAsReset ? endResetModel() : endMoveRows(); break;
    case Kind::changed:
        emit dataChanged(index(static_cast<int>(change.first), 0), index(lastRow(change), columnCount_ - 1));
        break;
    case Kind::reordered:
        remapPersistentRows(change.order);
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
        break;
    }
}

// `order[newRow]` is the old row: selection, current row and scroll anchor follow
// their entries to where the sort put them.
void PlaylistTableModel::remapPersistentRows(const std::vector<std::size_t>& order) {
    std::vector<int> newRowOf(order.size());
    for (std::size_t newRow = 0; newRow < order.size(); ++newRow)
        newRowOf[order[newRow]] = static_cast<int>(newRow);
    QModelIndexList moved;
    moved.reserve(m_rowsBeforeSort.size());
    for (const QModelIndex& old : m_rowsBeforeSort) {
        const auto row = static_cast<std::size_t>(old.row());
        moved.append(row < newRowOf.size() ? index(newRowOf[row], old.column()) : QModelIndex());
    }
    changePersistentIndexList(m_rowsBeforeSort, moved);
    m_rowsBeforeSort.clear();
}

// ---------------------------------------------------------------- dragging and dropping

QStringList PlaylistTableModel::mimeTypes() const {
    return {plainText};
}

QMimeData* PlaylistTableModel::mimeData(const QModelIndexList& indexes) const {
    std::set<int> rows;
    for (const QModelIndex& index : indexes)
        if (index.isValid())
            rows.insert(index.row());
    const auto path = m_window.tableViewWriteRows(rows);
    if (!path)
        return nullptr;
    // The path's own bytes: a name that is not UTF-8 would not survive a QString.
    auto* data = new QMimeData;
    data->setData(plainText, QByteArray::fromStdString(*path));
    return data;
}

bool PlaylistTableModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int, int,
                                         const QModelIndex&) const {
    return PlaylistWindow::tableViewValidateDrop(offersPlainText(data)) == PlaylistWindow::DragOperation::move;
}

// A drop onto a row counts as a drop on the line above it; a drop below every row
// as one after the last.
bool PlaylistTableModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int,
                                      const QModelIndex& parent) {
    if (action == Qt::IgnoreAction || !data)
        return true;
    if (row < 0)
        row = parent.isValid() ? parent.row() : rowCount();
    std::optional<std::string> text;
    if (offersPlainText(data))
        text = data->data(plainText).toStdString();
    return m_window.tableViewAcceptDrop(text, static_cast<std::size_t>(row));
}

Qt::DropActions PlaylistTableModel::supportedDropActions() const {
    return Qt::MoveAction | Qt::CopyAction;
}

Qt::DropActions PlaylistTableModel::supportedDragActions() const {
    return Qt::MoveAction | Qt::CopyAction;
}

} // namespace vistrel
