#include "core/intake/FolderIntake.h"

#include "core/intake/EntryBatches.h"
#include "core/intake/FileKind.h"
#include "core/intake/FolderScanner.h"
#include "core/platform/BackgroundWork.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <utility>

namespace vistrel {

struct FolderIntake::Progress {
    explicit Progress(Showing how) : showing(how) {}
    const Showing showing;
    std::atomic<bool> cancelled{false};
    bool added = false;
};

namespace {

bool isFolder(const std::string& path) {
    return fileKindOf(path) == FileKind::folder;
}

bool anyFolder(const std::vector<std::string>& paths) {
    return std::any_of(paths.begin(), paths.end(), isFolder);
}

// On the worker: hands what the scan finds to the GUI thread in batches, and stops
// the scan once the intake no longer wants it.
class PostingSink : public FolderScanner::Sink {
  public:
    using Report = std::function<void(std::string)>;

    PostingSink(const std::atomic<bool>& cancelled, EntryBatches::Send sendBatch, Report report)
        : m_cancelled(cancelled), m_batches(std::move(sendBatch)), m_report(std::move(report)) {}

    void found(PlaylistEntry entry) override { m_batches.add(std::move(entry)); }
    void skipped(const std::string& folder, const std::string& reason) override {
        m_report("folder skipped: " + folder + ": " + reason);
    }
    bool stopped() const override { return m_cancelled.load(std::memory_order_relaxed); }

    // Every path of one intake in order: a file as it is, a folder by its scan.
    void takeAll(const FolderScanner& scanner, const std::vector<std::string>& paths) {
        try {
            for (const std::string& path : paths) {
                if (stopped())
                    return;
                if (isFolder(path))
                    scanner.scan(path, *this);
                else
                    found(PlaylistEntry::forPath(path));
            }
            m_batches.flush();
        } catch (const std::exception& error) {
            m_report(std::string("folder scan ended early: ") + error.what());
        }
    }

  private:
    const std::atomic<bool>& m_cancelled;
    EntryBatches m_batches;
    Report m_report;
};

} // namespace

FolderIntake::FolderIntake(PlaylistStore& play, BackgroundWork& work, const std::vector<std::string>& pictureTypes,
                           const std::vector<std::string>& movieTypes, std::function<void()> showCurrent)
    : m_play(play), m_work(work), m_pictureTypes(pictureTypes), m_movieTypes(movieTypes),
      m_showCurrent(std::move(showCurrent)), m_listReplaced(play.aboutToChange.connect([this](const PlaylistChange& change) {
          if (change.kind == PlaylistChange::Kind::reset)
              cancel();
      })) {}

FolderIntake::~FolderIntake() {
    cancel();
}

void FolderIntake::takeIn(std::vector<std::string> paths, Showing showing) {
    m_waiting.push_back(Request{{}, std::move(paths), showing});
    startNext();
}

void FolderIntake::takeIn(FileList entries, std::vector<std::string> paths) {
    for (PlaylistEntry& entry : entries)
        entry.active = false;
    m_waiting.push_back(Request{std::move(entries), std::move(paths), Showing::firstAdded});
    startNext();
}

void FolderIntake::cancel() {
    m_waiting.clear();
    if (m_running)
        m_running->cancelled = true;
    m_running.reset();
}

// A scan that finishes at once (as with a synchronous worker) starts the next intake
// from inside this loop; the loop then finds nothing left to do.
void FolderIntake::startNext() {
    while (!m_running && !m_waiting.empty()) {
        Request request = std::move(m_waiting.front());
        m_waiting.pop_front();
        if (anyFolder(request.paths))
            startScan(std::move(request));
        else
            takeInAtOnce(std::move(request));
    }
}

void FolderIntake::takeInAtOnce(Request request) {
    Progress progress(request.showing);
    FileList entries = std::move(request.entries);
    entries.reserve(entries.size() + request.paths.size());
    for (const std::string& path : request.paths)
        entries.push_back(PlaylistEntry::forPath(path));
    land(progress, std::move(entries));
    conclude(progress);
}

// The worker touches only what the job owns: the paths, its own scanner, the
// cancellation flag. Every step it posts checks that flag on the GUI thread first,
// so a step of a cancelled scan (or of a destroyed intake) does nothing.
void FolderIntake::startScan(Request request) {
    auto progress = std::make_shared<Progress>(request.showing);
    m_running = progress;
    land(*progress, std::move(request.entries));
    auto scanner = std::make_shared<const FolderScanner>(m_pictureTypes, m_movieTypes);
    BackgroundWork& work = m_work;
    auto post = [&work, progress](std::function<void()> step) {
        work.post([progress, step = std::move(step)] {
            if (!progress->cancelled)
                step();
        });
    };
    m_work.run([this, progress, scanner, post, paths = std::move(request.paths)]() -> BackgroundWork::Finish {
        PostingSink sink(
            progress->cancelled,
            [this, progress, post](FileList batch) {
                post([this, progress, batch = std::move(batch)]() mutable { land(*progress, std::move(batch)); });
            },
            [this, post](std::string reason) { post([this, reason = std::move(reason)] { failed.notify(reason); }); });
        sink.takeAll(*scanner, paths);
        return [this, progress] {
            if (!progress->cancelled)
                finishScan(*progress);
        };
    });
}

void FolderIntake::land(Progress& progress, FileList batch) {
    if (batch.empty())
        return;
    const std::size_t first = m_play.fileList().size();
    m_play.append(std::move(batch));
    if (progress.showing == Showing::nothing || progress.added)
        return;
    progress.added = true;
    m_play.markOnly(first);
    m_showCurrent();
}

void FolderIntake::conclude(const Progress& progress) {
    if (progress.showing == Showing::firstAdded && !progress.added)
        m_showCurrent();
}

void FolderIntake::finishScan(const Progress& progress) {
    conclude(progress);
    m_running.reset();
    startNext();
}

} // namespace vistrel
