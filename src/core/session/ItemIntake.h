#pragma once

#include "core/intake/FolderIntake.h"
#include "core/playlist/PlaylistStore.h"

#include <string>
#include <vector>

namespace vistrel {

class BackgroundWork;
class FilePanels;
class PlaylistFileCommands;
class PlaylistStore;
class ShowingSession;

// How files, folders and play lists get into the list: the Open panel, files handed
// to the application or dropped on it, and folders added from the play list window.
class ItemIntake {
  public:
    ItemIntake(PlaylistStore& list, BackgroundWork& work, FilePanels& panels, PlaylistFileCommands& listFiles,
               ShowingSession& session);

    void open();
    void openFiles(const std::vector<std::string>& paths);
    void addFolder(const std::string& folder);
    // Files and folders on their way into the list; its `failed` reports skipped folders.
    FolderIntake& folders() { return m_folders; }

  private:
    void placeListed(FileList listed, std::vector<std::string> files);

    PlaylistStore& m_list;
    FilePanels& m_panels;
    PlaylistFileCommands& m_listFiles;
    ShowingSession& m_session;
    FolderIntake m_folders;
};

} // namespace vistrel
