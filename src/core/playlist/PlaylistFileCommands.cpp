#include "core/playlist/PlaylistFileCommands.h"

#include "core/platform/Alerts.h"
#include "core/platform/BackgroundWork.h"
#include "core/platform/FilePanels.h"
#include "core/playlist/PlaylistFile.h"

#include <algorithm>
#include <utility>

namespace vistrel {

namespace {

// Appends `more` to `joined`. Each list brings its own mark; joined, only the first
// one stays, so that exactly one entry is current.
void join(FileList& joined, FileList&& more) {
    bool marked = joined.end() != std::find_if(joined.begin(), joined.end(),
                                               [](const PlaylistEntry& entry) { return entry.active; });
    for (PlaylistEntry& entry : more) {
        entry.active = entry.active && !marked;
        marked = marked || entry.active;
        joined.push_back(std::move(entry));
    }
}

} // namespace

PlaylistFileCommands::PlaylistFileCommands(PlaylistStore& play, FilePanels& panels, Alerts& alerts,
                                           BackgroundWork& work)
    : m_play(play), m_panels(panels), m_alerts(alerts), m_work(work) {}

PlaylistFileCommands::~PlaylistFileCommands() = default;

void PlaylistFileCommands::saveList() {
    const auto path = m_panels.runSavePanel(playlistfile::writableExtensions());
    if (!path)
        return;
    // The worker gets a copy: the list may be edited while the file is written.
    m_work.run([this, alive = std::weak_ptr<bool>(m_alive), path = *path,
                snapshot = m_play.fileList()]() -> BackgroundWork::Finish {
        if (playlistfile::save(path, snapshot))
            return {};
        return [this, alive, reason = path + ": " + playlistfile::lastError()] {
            if (!alive.expired())
                report(savingFailed, {reason});
        };
    });
}

void PlaylistFileCommands::openList() {
    if (const auto path = m_panels.runOpenFilePanel(playlistfile::readableExtensions()))
        readLists({*path}, [this](std::optional<FileList> entries) {
            if (entries)
                m_play.setFileList(std::move(*entries));
        });
}

void PlaylistFileCommands::readLists(std::vector<std::string> listPaths, Received receive) {
    m_work.run([this, alive = std::weak_ptr<bool>(m_alive), listPaths = std::move(listPaths),
                receive = std::move(receive)]() mutable -> BackgroundWork::Finish {
        return [this, alive, loaded = loadAll(listPaths), receive = std::move(receive)]() mutable {
            if (!alive.expired())
                finishLoading(std::move(loaded), receive);
        };
    });
}

PlaylistFileCommands::Loaded PlaylistFileCommands::loadAll(const std::vector<std::string>& listPaths) {
    Loaded result;
    for (const std::string& path : listPaths) {
        auto list = playlistfile::load(path);
        if (!list)
            result.failures.push_back(playlistfile::lastError());
        else if (!result.list)
            result.list = std::move(list);
        else
            join(*result.list, std::move(*list));
    }
    return result;
}

// The entries go in first, so that they are already in place behind the alert.
void PlaylistFileCommands::finishLoading(Loaded loaded, const Received& receive) {
    receive(std::move(loaded.list));
    if (!loaded.failures.empty())
        report(loadingFailed, loaded.failures);
}

// One alert, however many files failed.
void PlaylistFileCommands::report(const char* informativeText, const std::vector<std::string>& reasons) {
    for (const std::string& reason : reasons)
        failed.notify(reason);
    m_alerts.showWarning(warningMessage, informativeText, alertButton);
}

} // namespace vistrel
