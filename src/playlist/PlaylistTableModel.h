#pragma once

#include "core/events/Signal.h"
#include "core/playlist/PlaylistStore.h"

#include <QAbstractTableModel>
#include <QModelIndexList>

#include <string>

namespace vistrel {

class PlaylistWindow;

// The play list as table rows. Every edit of the store arrives as its own row
// signal (inserted, removed, moved, changed, sorted), so the view keeps its
// selection and scroll position; only a whole-list reset re-reads everything.
// Rows are dragged as the path of the first one, in plain text, and dropped
// through the window logic, which moves the entry inside the store.
class PlaylistTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { markColumn, nameColumn, typeColumn, pathColumn, columnCount_ };

    explicit PlaylistTableModel(PlaylistWindow& window, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // A header click: the list is sorted in place by the column's entry key.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    static std::string keyOfColumn(int column);
    static int columnOfKey(const std::string& key);

    // Dragging and dropping. removeRows is deliberately not implemented: after a
    // move the view asks the model to remove the dragged rows, and the entry has
    // already been moved by the drop.
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;
    Qt::DropActions supportedDropActions() const override;
    Qt::DropActions supportedDragActions() const override;

  signals:
    // The store's sort order changed; column -1 when the list is in no sort order.
    void sortOrderChanged(int column, Qt::SortOrder order);

  private:
    void willChange(const PlaylistChange& change);
    void didChange(const PlaylistChange& change);
    void remapPersistentRows(const std::vector<std::size_t>& order);
    void announceSortOrder();

    PlaylistWindow& m_window;
    const PlaylistStore& m_store;
    QModelIndexList m_rowsBeforeSort;
    bool m_moveAsReset = false;
    Connection m_beforeChange;
    Connection m_afterChange;
    Connection m_sortOrderFollower;
};

} // namespace vistrel
