#pragma once

#include "core/events/Signal.h"
#include "core/playlist/PlaylistStore.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vistrel {

class Alerts;
class BackgroundWork;
class FilePanels;

// Saving the play list to a file and loading one in its place. Files are read,
// parsed, serialised and written on a worker; the list is only touched on the GUI
// thread, in the finishing steps. A failure shows one modal warning and leaves the
// list in use as it was.
class PlaylistFileCommands {
public:
    static constexpr const char* warningMessage = "\"Warning\"";
    static constexpr const char* savingFailed = "Saving the Playlist didn't work....";
    static constexpr const char* loadingFailed = "Loading the Playlist didn't work....";
    static constexpr const char* alertButton = "Ok";

    // Runs on the GUI thread once the files are read, before any warning: the entries
    // they hold, or nullopt when none of them could be read.
    using Received = std::function<void(std::optional<FileList> entries)>;

    PlaylistFileCommands(PlaylistStore& play, FilePanels& panels, Alerts& alerts, BackgroundWork& work);
    ~PlaylistFileCommands();
    PlaylistFileCommands(const PlaylistFileCommands&) = delete;
    PlaylistFileCommands& operator=(const PlaylistFileCommands&) = delete;

    // Writes the list as it is now to a file the user names.
    void saveList();
    // Replaces the list whole with one the user chooses. Nothing is played or stopped.
    void openList();
    // Reads play list files handed to the viewer, several joined in the order given
    // (only the first mark among them kept), and hands their entries to `receive`;
    // a file that cannot be read warns as openList does.
    void readLists(std::vector<std::string> listPaths, Received receive);

    // Why a save or a load failed, for the log; the user sees only the alert.
    Signal<std::string> failed;

private:
    struct Loaded {
        std::optional<FileList> list;
        std::vector<std::string> failures;
    };
    static Loaded loadAll(const std::vector<std::string>& listPaths);
    void finishLoading(Loaded loaded, const Received& receive);
    void report(const char* informativeText, const std::vector<std::string>& reasons);

    PlaylistStore& m_play;
    FilePanels& m_panels;
    Alerts& m_alerts;
    BackgroundWork& m_work;
    // Finishing steps that arrive after this object is gone find the token expired.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace vistrel
