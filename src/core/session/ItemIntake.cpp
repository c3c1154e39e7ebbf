#include "core/session/ItemIntake.h"

#include "core/intake/FileKind.h"
#include "core/platform/FilePanels.h"
#include "core/playlist/PlaylistFile.h"
#include "core/playlist/PlaylistFileCommands.h"
#include "core/session/ShowingSession.h"

#include <filesystem>
#include <system_error>
#include <utility>

namespace vistrel {

namespace {

bool isFolder(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(std::filesystem::path(path), error);
}

} // namespace

ItemIntake::ItemIntake(PlaylistStore& list, BackgroundWork& work, FilePanels& panels,
                       PlaylistFileCommands& listFiles, ShowingSession& session)
    : m_list(list), m_panels(panels), m_listFiles(listFiles), m_session(session),
      m_folders(list, work, session.pictureTypes(), session.movieTypes(), [&session] { session.playIt(); }) {}

// Play lists are offered too: choosing one loads it (see openFiles).
void ItemIntake::open() {
    std::vector<std::string> allowed = m_session.pictureTypes();
    const auto& movieTypes = m_session.movieTypes();
    allowed.insert(allowed.end(), movieTypes.begin(), movieTypes.end());
    const auto lists = playlistfile::readableExtensions();
    allowed.insert(allowed.end(), lists.begin(), lists.end());
    if (const auto chosen = m_panels.runOpenPanel(allowed))
        openFiles(*chosen);
}

// A play list file handed over brings its entries rather than becoming an entry
// nothing can show. Reading it finishes later, on the GUI thread; the other files
// handed over with it are taken in only then, behind its entries. Into an empty list
// it loads as Open Play List loads one, its marked entry shown when nothing is on
// screen yet; a list in use is never thrown away: the entries are appended as any
// intake appends, the first one added marked and shown.
// Folders are scanned on a worker; the first entry added is shown as soon as it lands.
void ItemIntake::openFiles(const std::vector<std::string>& paths) {
    if (paths.empty())
        return;
    std::vector<std::string> lists;
    std::vector<std::string> files;
    for (const auto& path : paths)
        (playlistfile::isPlaylistPath(path) && !isFolder(path) ? lists : files).push_back(path);
    if (lists.empty()) {
        m_folders.takeIn(files);
        return;
    }
    m_listFiles.readLists(std::move(lists), [this, files = std::move(files)](std::optional<FileList> listed) mutable {
        placeListed(listed ? std::move(*listed) : FileList{}, std::move(files));
    });
}

void ItemIntake::placeListed(FileList listed, std::vector<std::string> files) {
    const bool listInUse = !m_list.fileList().empty() || m_folders.scanning();
    if (!listInUse && !listed.empty()) {
        m_list.setFileList(std::move(listed));
        if (files.empty())
            m_session.showLoadedListIfIdle();
        else
            m_folders.takeIn(std::move(files));
    } else if (!listed.empty() || !files.empty()) {
        m_folders.takeIn(std::move(listed), std::move(files));
    }
}

// Queued behind any running intake like every other, so the GUI never waits for the
// scan and the entries land in the order the requests came.
void ItemIntake::addFolder(const std::string& folder) {
    if (fileKindOf(folder) == FileKind::folder)
        m_folders.takeIn({folder}, FolderIntake::Showing::nothing);
}

} // namespace vistrel
