#pragma once

#include "core/events/Signal.h"
#include "core/playlist/PlaylistStore.h"

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vistrel {

class BackgroundWork;

// Takes files and folders into the play list without making the GUI thread wait
// for a folder scan.
//
// The paths of one intake are taken in their order: a file as it is, a folder as
// the entries its scan finds (see FolderScanner). When no folder is among them they
// are appended at once. Otherwise a worker scans and the entries arrive in batches
// (EntryBatches) on the GUI thread; the first entry added is marked and shown as
// soon as it lands, while the rest keep arriving. When the intake added nothing, the
// current entry is shown again once it is over.
//
// Intakes never overtake one another: one that comes while a scan runs waits behind
// it, so the list ends in the order of a synchronous scan of everything in turn.
// Setting the list as a whole (a loaded play list) ends the running scan and drops
// the waiting intakes: they belonged to the list that was replaced. Destroying the
// intake ends them too; the worker stops between two entries, and its finishing
// steps that arrive later do nothing.
class FolderIntake {
  public:
    enum class Showing {
        firstAdded, // mark and show the first entry added, or the current one again
        nothing,    // only append
    };

    // The type lists are read when a scan starts; `showCurrent` shows the marked entry.
    FolderIntake(PlaylistStore& play, BackgroundWork& work, const std::vector<std::string>& pictureTypes,
                 const std::vector<std::string>& movieTypes, std::function<void()> showCurrent);
    ~FolderIntake();
    FolderIntake(const FolderIntake&) = delete;
    FolderIntake& operator=(const FolderIntake&) = delete;

    void takeIn(std::vector<std::string> paths, Showing showing = Showing::firstAdded);
    // Entries made already (those of a play list file) followed by `paths`, as one
    // intake that marks and shows the first entry added; the entries' own marks go.
    void takeIn(FileList entries, std::vector<std::string> paths);
    // Ends the running scan where it is and drops the intakes waiting behind it.
    void cancel();
    // Whether a scan is running (its last entries may not have landed yet).
    bool scanning() const { return m_running != nullptr; }

    // Why a folder was skipped, or why a scan ended early, for the log.
    Signal<std::string> failed;

  private:
    struct Request {
        FileList entries; // land before the paths
        std::vector<std::string> paths;
        Showing showing;
    };
    // One intake in progress. `cancelled` is read by the worker; the rest is the GUI thread's.
    struct Progress;

    void startNext();
    void takeInAtOnce(Request request);
    void startScan(Request request);
    void land(Progress& progress, FileList batch);
    void conclude(const Progress& progress);
    void finishScan(const Progress& progress);

    PlaylistStore& m_play;
    BackgroundWork& m_work;
    const std::vector<std::string>& m_pictureTypes;
    const std::vector<std::string>& m_movieTypes;
    std::function<void()> m_showCurrent;
    std::deque<Request> m_waiting;
    std::shared_ptr<Progress> m_running;
    Connection m_listReplaced;
};

} // namespace vistrel
