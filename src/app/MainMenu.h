#pragma once

#include "core/events/Signal.h"

#include <QObject>
#include <QString>
#include <map>

class QAction;
class QMenu;

namespace vistrel {

class KeyWindow;
struct MenuCommand;
class VistrelController;

// Fills the main window's menu bar from the command table and keeps the Open Recent
// submenu in step with the recent documents. Every command's action is also added to
// the window itself, so its shortcut works while the menu bar is hidden; a shortcut
// with Ctrl, Alt or Meta works from the viewer's other windows too. Owns its
// actions; the window and the controller must outlive it.
class MainMenu : public QObject {
    Q_OBJECT
  public:
    MainMenu(KeyWindow& window, VistrelController& controller);

    // The action of a command by its name ("playNext"), or nullptr.
    QAction* action(const QString& name) const;
    QMenu* openRecentMenu() const { return m_openRecent; }

  private:
    QMenu* menuFor(int menu);
    QAction* addCommand(const MenuCommand& command);
    void rebuildOpenRecent();

    KeyWindow& m_window;
    VistrelController& m_controller;
    std::map<int, QMenu*> m_menus;
    std::map<QString, QAction*> m_actions;
    QMenu* m_openRecent = nullptr;
    Connection m_recentChanged;
    Connection m_loopModusChanged;
};

} // namespace vistrel
