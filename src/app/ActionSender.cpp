#include "app/ActionSender.h"

#include <QAction>

namespace vistrel {

void ActionSender::setState(int state) {
    if (m_action->isCheckable())
        m_action->setChecked(state != 0);
}

} // namespace vistrel
