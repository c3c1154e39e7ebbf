#include "playlist/PlaylistTableView.h"

namespace vistrel {

QModelIndex PlaylistTableView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
    if (cursorAction == MoveHome || cursorAction == MoveEnd)
        modifiers |= Qt::ControlModifier; // a table's own meaning of Ctrl+Home and Ctrl+End
    return QTableView::moveCursor(cursorAction, modifiers);
}

} // namespace vistrel
