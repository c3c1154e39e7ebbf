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

    // Runs on the GUI thread once loading is over: true when a list was put in place.
    using AfterLoading = std::function<void(bool loaded)>;

    PlaylistFileCommands(PlaylistStore& play, FilePanels& panels, Alerts& alerts, BackgroundWork& work);
    ~PlaylistFileCommands();
    PlaylistFileCommands(const PlaylistFileCommands&) = delete;
    PlaylistFileCommands& operator=(const PlaylistFileCommands&) = delete;

    // Writes the list as it is now to a file the user names.
    void saveList();
    // Replaces the list whole with one the user chooses. Nothing is played or stopped.
    void openList();
    // Play list files handed to the viewer: loaded as openList loads one, several
    // joined in the order given (only the first mark among them kept).
    void loadHandedOver(std::vector<std::string> listPaths, AfterLoading then = {});

    // Why a save or a load failed, for the log; the user sees only the alert.
    Signal<std::string> failed;

private:
    struct Loaded {
        std::optional<FileList> list;
        std::vector<std::string> failures;
    };
    static Loaded loadAll(const std::vector<std::string>& listPaths);
    void finishLoading(Loaded loaded, const AfterLoading& then);
    void report(const char* informativeText, const std::vector<std::string>& reasons);

    PlaylistStore& m_play;
    FilePanels& m_panels;
    Alerts& m_alerts;
    BackgroundWork& m_work;
    // Finishing steps that arrive after this object is gone find the token expired.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace vistrel
