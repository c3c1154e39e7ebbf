#include "playlist/PlayMover.h"

namespace vistrel {

PlayMover::PlayMover(QWidget* parent) : QWidget(parent) {}

void PlayMover::setPanes(QWidget* tableView, QWidget* textView) {
    m_tableView = tableView;
    m_textView = textView;
}

void PlayMover::windowDidResize() {}

} // namespace vistrel
