#include "app/MenuCommands.h"

#include "core/controller/VistrelController.h"

#include <QCoreApplication>
#include <QStringList>
#include <algorithm>
#include <array>

namespace vistrel {

namespace {

using C = VistrelController;

// Each action's sender is the menu item, so that state-reflecting actions (the slide
// show) set its check mark. Punctuation keys name the character typed ("+", "<"), not
// the key cap, so they work on any keyboard layout that can type the character.
const std::array commands{
    MenuCommand{MenuId::App, "preferences", "Settings…", "Ctrl+,", [](C& c, Sender* s) { c.preferences(s); }},
    MenuCommand{MenuId::App, "reset", "Reset Settings", "Ctrl+Shift+R", [](C& c, Sender* s) { c.reset(s); }},
    MenuCommand{MenuId::App, "quit", "Quit", "Ctrl+Q", [](C&, Sender*) { QCoreApplication::quit(); }, false,
                true},

    MenuCommand{MenuId::File, "open", "Open…", "Ctrl+O", [](C& c, Sender* s) { c.open(s); }},
    MenuCommand{MenuId::File, "openList", "Open Play List…", "Ctrl+Shift+O",
                [](C& c, Sender* s) { c.openList(s); }, false, true},
    MenuCommand{MenuId::File, "saveList", "Save Play List…", "Ctrl+Shift+S",
                [](C& c, Sender* s) { c.saveList(s); }},
    MenuCommand{MenuId::File, "saveDocument", "Save Frame", "Ctrl+S", [](C& c, Sender* s) { c.saveDocument(s); },
                false, true},
    MenuCommand{MenuId::File, "makePictures", "Picture Series…", "Ctrl+Shift+P",
                [](C& c, Sender* s) { c.makePictures(s); }},
    MenuCommand{MenuId::File, "close", "Close", "Ctrl+W", [](C& c, Sender* s) { c.close(s); }, false, true},

    MenuCommand{MenuId::Edit, "copyFrame", "Copy Frame", "Ctrl+C", [](C& c, Sender* s) { c.copyFrame(s); }},

    MenuCommand{MenuId::View, "mouseEntered", "Show Menu Bar", "Esc",
                [](C& c, Sender*) { c.mouseEntered(); }},
    MenuCommand{MenuId::View, "movieToggleMenu", "Show/Hide Menu Bar", "M",
                [](C& c, Sender* s) { c.movieToggleMenu(s); }},
    MenuCommand{MenuId::View, "movieToggleControl", "Show/Hide Control Bar", "C",
                [](C& c, Sender* s) { c.movieToggleControl(s); }},
    MenuCommand{MenuId::View, "movieScale", "Bigger", "+; =", [](C& c, Sender* s) { c.movieScale(s); }, false,
                true},
    MenuCommand{MenuId::View, "movieScaleM", "Smaller", "-", [](C& c, Sender* s) { c.movieScaleM(s); }},
    MenuCommand{MenuId::View, "movieScaleY", "Stretch Vertically",
                "Alt++; Alt+=", [](C& c, Sender* s) { c.movieScaleY(s); }},
    MenuCommand{MenuId::View, "movieScaleYM", "Squeeze Vertically", "Alt+-",
                [](C& c, Sender* s) { c.movieScaleYM(s); }},
    MenuCommand{MenuId::View, "movieMoveX", "Move Right", "Alt+Right",
                [](C& c, Sender* s) { c.movieMoveX(s); }, false, true},
    MenuCommand{MenuId::View, "movieMoveMX", "Move Left", "Alt+Left",
                [](C& c, Sender* s) { c.movieMoveMX(s); }},
    MenuCommand{MenuId::View, "movieMoveY", "Move Up", "Alt+Up", [](C& c, Sender* s) { c.movieMoveY(s); }},
    MenuCommand{MenuId::View, "movieMoveMY", "Move Down", "Alt+Down",
                [](C& c, Sender* s) { c.movieMoveMY(s); }},

    MenuCommand{MenuId::Movie, "stopCont", "Pause/Continue", "P", [](C& c, Sender* s) { c.stopCont(s); }},
    MenuCommand{MenuId::Movie, "movieFaster", "Faster", "]", [](C& c, Sender* s) { c.movieFaster(s); }, false,
                true},
    MenuCommand{MenuId::Movie, "movieSlower", "Slower", "[", [](C& c, Sender* s) { c.movieSlower(s); }},
    MenuCommand{MenuId::Movie, "movieVolumePlus", "Louder", "0",
                [](C& c, Sender* s) { c.movieVolumePlus(s); }},
    MenuCommand{MenuId::Movie, "movieVolumeMinus", "Softer", "9",
                [](C& c, Sender* s) { c.movieVolumeMinus(s); }},
    MenuCommand{MenuId::Movie, "movieNormal", "Normal Rate and Volume", "N",
                [](C& c, Sender* s) { c.movieNormal(s); }},
    MenuCommand{MenuId::Movie, "movieSkip01", "Forward 0.5 %", ".", [](C& c, Sender* s) { c.movieSkip01(s); },
                false, true},
    MenuCommand{MenuId::Movie, "movieSkipm01", "Back 0.5 %", ",", [](C& c, Sender* s) { c.movieSkipm01(s); }},
    MenuCommand{MenuId::Movie, "movieSkip1", "Forward 2 %", ">", [](C& c, Sender* s) { c.movieSkip1(s); }},
    MenuCommand{MenuId::Movie, "movieSkipm1", "Back 2 %", "<", [](C& c, Sender* s) { c.movieSkipm1(s); }},
    MenuCommand{MenuId::Movie, "movieSkip10", "Forward 5 %", "Ctrl+Right",
                [](C& c, Sender* s) { c.movieSkip10(s); }},
    MenuCommand{MenuId::Movie, "movieSkipm10", "Back 5 %", "Ctrl+Left",
                [](C& c, Sender* s) { c.movieSkipm10(s); }},

    MenuCommand{MenuId::Play, "playNext", "Next", "Right; Space", [](C& c, Sender* s) { c.playNext(s); }},
    MenuCommand{MenuId::Play, "playPrevious", "Previous", "Left; Backspace",
                [](C& c, Sender* s) { c.playPrevious(s); }},
    MenuCommand{MenuId::Play, "setLoopMode", "Slide Show", "L", [](C& c, Sender* s) { c.setLoopMode(s); },
                true, true},
    MenuCommand{MenuId::Play, "stopLoop", "Stop Slide Show", "Shift+L",
                [](C& c, Sender* s) { c.stopLoop(s); }},
    MenuCommand{MenuId::Play, "showInfo", "Show Status", "I", [](C& c, Sender* s) { c.showInfo(s); }, false,
                true},

    MenuCommand{MenuId::Window, "showList", "Play List", "Ctrl+L", [](C& c, Sender* s) { c.showList(s); }},

    MenuCommand{MenuId::Help, "showHelp", "Vistrel Help", "F1", [](C& c, Sender* s) { c.showHelp(s); }},
};

QString keysForReading(const MenuCommand& command) {
    QStringList keys;
    for (const QKeySequence& sequence : command.shortcuts())
        keys.append(QStringLiteral("`%1`").arg(sequence.toString(QKeySequence::PortableText)));
    return keys.join(QStringLiteral(" or "));
}

} // namespace

QList<QKeySequence> MenuCommand::shortcuts() const {
    QList<QKeySequence> sequences;
    for (const QString& key : QString::fromUtf8(keys).split(QStringLiteral("; "), Qt::SkipEmptyParts))
        sequences.append(QKeySequence::fromString(key, QKeySequence::PortableText));
    return sequences;
}

bool MenuCommand::worksFromEveryWindow() const {
    const QList<QKeySequence> sequences = shortcuts();
    return !sequences.isEmpty() && std::all_of(sequences.begin(), sequences.end(), [](const QKeySequence& key) {
        return key.count() > 0 && holdsCommandModifier(key[0].keyboardModifiers());
    });
}

bool holdsCommandModifier(Qt::KeyboardModifiers modifiers) {
    return modifiers.testAnyFlags(Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
}

std::span<const MenuCommand> menuCommands() {
    return commands;
}

QString menuTitle(MenuId menu) {
    switch (menu) {
    case MenuId::App:
        return QStringLiteral("Vistrel");
    case MenuId::File:
        return QStringLiteral("File");
    case MenuId::Edit:
        return QStringLiteral("Edit");
    case MenuId::View:
        return QStringLiteral("View");
    case MenuId::Movie:
        return QStringLiteral("Movie");
    case MenuId::Play:
        return QStringLiteral("Play");
    case MenuId::Window:
        return QStringLiteral("Window");
    case MenuId::Help:
        return QStringLiteral("Help");
    }
    return {};
}

QString shortcutListMarkdown() {
    QString text = QStringLiteral("| Menu | Command | Keys |\n|---|---|---|\n");
    for (const MenuCommand& command : commands)
        text += QStringLiteral("| %1 | %2 | %3 |\n")
                    .arg(menuTitle(command.menu), QString::fromUtf8(command.title), keysForReading(command));
    return text;
}

} // namespace vistrel
