#pragma once

#include <QTableView>

namespace vistrel {

// The table of the play list window. Its rows are whole entries, so Home and End
// go to the first and the last entry, not to the first and last column.
class PlaylistTableView : public QTableView {
    Q_OBJECT
  public:
    using QTableView::QTableView;

  protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
};

} // namespace vistrel
