#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>
#include <span>

namespace vistrel {

class Sender;
class VistrelController;

// The menus of the menu bar, in their order.
enum class MenuId { App, File, Edit, View, Movie, Play, Window, Help };

// One command of the menu bar: where it sits, what it is called, the keys that run
// it and what it does. This table is the one source of the menus, of the keyboard
// shortcuts and of the shortcut list in the documentation.
struct MenuCommand {
    MenuId menu;
    const char* name; // the QAction's object name: the controller action it runs
    const char* title;
    const char* keys; // portable key sequences separated by "; " (first one is shown in the menu)
    void (*perform)(VistrelController& controller, Sender* sender);
    bool checkable = false;
    bool separatorBefore = false;

    QList<QKeySequence> shortcuts() const;
    // Whether every key of the command holds a command modifier: such a command works
    // whichever window of the viewer is in front, as from an application-wide menu bar.
    bool worksFromEveryWindow() const;
};

// Ctrl, Alt or Meta. A key without one belongs to the window that has the focus (Shift
// alone only types another character), so typing in a field never runs a command.
bool holdsCommandModifier(Qt::KeyboardModifiers modifiers);

std::span<const MenuCommand> menuCommands();
QString menuTitle(MenuId menu);

// The Markdown page listing every command with its keys.
QString shortcutListMarkdown();

} // namespace vistrel
