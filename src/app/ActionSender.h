#pragma once

#include "core/controller/Sender.h"

class QAction;

namespace vistrel {

// The menu item that sent an action: a state set by the controller becomes the
// item's check mark.
class ActionSender : public Sender {
  public:
    explicit ActionSender(QAction* action) : m_action(action) {}
    void setState(int state) override;

  private:
    QAction* m_action;
};

} // namespace vistrel
