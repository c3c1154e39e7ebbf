#pragma once

#include "core/controller/Sender.h"
#include "core/events/Signal.h"
#include "core/playlist/PlaylistStore.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>

namespace vistrel {

class BackgroundWork;
class PlaylistCommands;
class PlaylistWindowSurface;

// The commands of the play list window: making a row current and playing it,
// removing and adding entries, the information text of a row, and the row
// arithmetic of dragging an entry to another place. The list itself is the store's;
// the window on screen is reached through a surface, present only once it is built.
class PlaylistWindow {
public:
    // Builds the information text of a file, or nullopt; runs on a worker thread.
    using InfoReader = std::function<std::optional<std::string>(const std::string& path)>;

    PlaylistWindow(PlaylistStore& store, BackgroundWork& work, InfoReader readInfo, PlaylistCommands& commands);
    ~PlaylistWindow();
    PlaylistWindow(const PlaylistWindow&) = delete;
    PlaylistWindow& operator=(const PlaylistWindow&) = delete;

    PlaylistStore& store() { return m_store; }
    PlaylistCommands& commands() const { return m_commands; }

    // The window was built and shows the store's rows; nullptr when it goes away.
    void windowDidLoad(PlaylistWindowSurface* surface);
    float transparency() const { return m_store.transparency(); }
    void setTransparency(float alpha) { m_store.setTransparency(alpha); }

    // --- actions (buttons, the table, keys)
    void play(Sender* sender = nullptr);
    void loop(Sender* sender = nullptr);
    void doubleClick(Sender* sender = nullptr) { loop(sender); }
    void stopLoop(Sender* sender = nullptr);
    void insert(Sender* sender = nullptr);
    void remove(Sender* sender = nullptr);
    // Shows the information text of `row`; nullopt (a click on no row) shows nothing new.
    void klick(std::optional<std::size_t> row);
    void showInfo(Sender* sender = nullptr);
    void klickActive(Sender* sender = nullptr) { (void)sender; }
    void saveList(Sender* sender = nullptr);
    void openList(Sender* sender = nullptr);

    // --- window events
    void windowDidBecomeKey();
    enum class Key { returnKey, other };
    void keyDown(Key key);

    // --- dragging rows
    // What a drag of `rows` carries: the path of the lowest row only; nullopt for no row.
    std::optional<std::string> tableViewWriteRows(const std::set<int>& rows) const;
    enum class DragOperation { none = 0, move = 16 };
    // Only plain text can be dropped; a drag of file names alone is refused.
    static DragOperation tableViewValidateDrop(bool offersText);
    // Moves the first entry whose path is `text` to `row` (an insertion index counted
    // after the entry was taken out) and clears the sort order. Text equal to no path
    // changes nothing; the drop is accepted either way.
    bool tableViewAcceptDrop(const std::optional<std::string>& text, std::size_t row);

private:
    // The first selected row, when it names an entry.
    std::optional<std::size_t> firstSelectedRow() const;
    // Makes the first selected entry the only marked one; false when none is selected.
    bool markSelected();
    void takeInfoAnswer(std::uint64_t request, std::optional<std::string> text);
    void showInfoText(std::uint64_t request, std::string text);

    PlaylistStore& m_store;
    BackgroundWork& m_work;
    InfoReader m_readInfo;
    PlaylistCommands& m_commands;
    PlaylistWindowSurface* m_surface = nullptr;
    // The number of the latest information request. Finishing steps hold it weakly:
    // an older answer, or one that arrives after the window logic is gone, is dropped.
    std::shared_ptr<std::uint64_t> m_latestKlick = std::make_shared<std::uint64_t>(0);
    // The request whose text is shown; whether the latest request answered with none;
    // and the newest text that came in while a later click was still being answered.
    std::uint64_t m_shownKlick = 0;
    bool m_latestYieldedNothing = false;
    struct HeldAnswer {
        std::uint64_t request;
        std::string text;
    };
    std::optional<HeldAnswer> m_heldAnswer;
    Connection m_transparencyFollower;
};

} // namespace vistrel
