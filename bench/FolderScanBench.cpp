// Handing over a folder of 100,000 files in 1,000 folders: how long the scan takes
// next to `find` listing the same tree in the same run (the goal is at most 1.5
// times), how long the GUI thread is held, and how soon the first entry lands and
// is shown while the rest keeps arriving. The tree is built under the temporary
// folder once and reused by later runs; every figure is taken with the tree in the
// file system's cache, as `find` is run once before anything is measured.

#include "app/QtBackgroundWork.h"
#include "TestExecutor.h"
#include "core/intake/EntryBatches.h"
#include "core/intake/FolderIntake.h"
#include "core/intake/FolderScanner.h"
#include "core/playlist/PlaylistStore.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <vector>

using namespace vistrel;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int rounds = 7;
constexpr int groups = 20;
constexpr int albumsPerGroup = 50;
constexpr int filesPerAlbum = 100;
constexpr double goalRatio = 1.5;

const std::vector<std::string> pictureTypes{"jpg", "jpeg", "png", "tif", "tiff", "gif", "bmp", "webp", "heic"};
const std::vector<std::string> movieTypes{"mov", "mp4", "m4v", "mkv", "avi", "mpg", "mts", "webm", "wmv"};

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Mostly pictures, some movies and some side files that are not listed.
std::string fileName(int index) {
    if (index % 20 == 7)
        return "MVI_" + std::to_string(index) + ".MOV";
    if (index % 20 == 13)
        return "IMG_" + std::to_string(index) + ".xmp";
    return "IMG_" + std::to_string(index) + ".JPG";
}

std::string treeRoot() {
    const fs::path root = fs::temp_directory_path() / "vistrel-folder-scan-bench";
    const fs::path complete = root / ".complete";
    if (fs::exists(complete))
        return root.native();
    std::printf("building the tree under %s (once) ...\n", root.c_str());
    fs::remove_all(root);
    for (int group = 0; group < groups; ++group)
        for (int album = 0; album < albumsPerGroup; ++album) {
            const fs::path folder = root / ("20" + std::to_string(10 + group)) / ("album " + std::to_string(album));
            fs::create_directories(folder);
            for (int file = 0; file < filesPerAlbum; ++file)
                std::ofstream(folder / fileName(file));
        }
    std::ofstream(complete) << "built\n";
    return root.native();
}

// Wall time and processor time (user + system) of one measured step. On a shared
// machine the wall time is mostly waiting for a processor; the processor time
// compares the work itself.
struct Cost {
    double wall = 0;
    double cpu = 0;
};

double cpuMilliseconds(int who) {
    rusage usage{};
    ::getrusage(who, &usage);
    auto ms = [](const timeval& time) { return time.tv_sec * 1000.0 + time.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

Cost findCost(const std::string& root) {
    const std::string command = "find '" + root + "' > /dev/null";
    const double cpuBefore = cpuMilliseconds(RUSAGE_CHILDREN);
    const Clock::time_point start = Clock::now();
    if (std::system(command.c_str()) != 0)
        std::printf("find failed\n");
    return Cost{millisecondsSince(start), cpuMilliseconds(RUSAGE_CHILDREN) - cpuBefore};
}

// What the intake's worker does: every entry made and handed on in batches; here the
// batches are dropped instead of posted, so the figure is the scan's alone.
class DroppingSink : public FolderScanner::Sink {
  public:
    void found(PlaylistEntry entry) override { m_batches.add(std::move(entry)); }
    void skipped(const std::string& folder, const std::string& reason) override {
        std::printf("skipped %s: %s\n", folder.c_str(), reason.c_str());
    }
    void finish() { m_batches.flush(); }
    std::size_t count = 0;

  private:
    EntryBatches m_batches{[this](FileList batch) { count += batch.size(); }};
};

Cost scanCost(const std::string& root, std::size_t& found) {
    const FolderScanner scanner(pictureTypes, movieTypes);
    DroppingSink sink;
    const double cpuBefore = cpuMilliseconds(RUSAGE_THREAD);
    const Clock::time_point start = Clock::now();
    scanner.scan(root, sink);
    sink.finish();
    const Cost cost{millisecondsSince(start), cpuMilliseconds(RUSAGE_THREAD) - cpuBefore};
    found = sink.count;
    return cost;
}

struct StreamedIntake {
    double guiHeld = 0;     // the takeIn call itself
    double guiHeldCpu = 0;  // the processor time of that call
    double firstShown = 0;  // until the first entry is in the list and shown
    double allLanded = 0;   // until the last batch is in the list
    std::size_t entries = 0;
    int edits = 0;
};

StreamedIntake streamIntoList(const std::string& root, QtBackgroundWork& work) {
    PlaylistStore play;
    StreamedIntake result;
    Clock::time_point start;
    FolderIntake intake(play, work, pictureTypes, movieTypes,
                        [&] { result.firstShown = millisecondsSince(start); });
    const Connection counting = play.changed.connect([&](const PlaylistChange&) { ++result.edits; });
    const double cpuBefore = cpuMilliseconds(RUSAGE_THREAD);
    start = Clock::now();
    intake.takeIn({root});
    result.guiHeld = millisecondsSince(start);
    result.guiHeldCpu = cpuMilliseconds(RUSAGE_THREAD) - cpuBefore;
    while (intake.scanning())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    result.allLanded = millisecondsSince(start);
    result.entries = play.fileList().size();
    return result;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const std::string root = treeRoot();
    findCost(root); // the tree into the cache

    std::vector<double> finds, scans, findsCpu, scansCpu, held, heldCpu, first, landed;
    std::size_t found = 0;
    StreamedIntake streamed;
    QtBackgroundWork work{test::testExecutor()};
    for (int round = 0; round < rounds; ++round) {
        const Cost find = findCost(root);
        const Cost scan = scanCost(root, found);
        finds.push_back(find.wall);
        findsCpu.push_back(find.cpu);
        scans.push_back(scan.wall);
        scansCpu.push_back(scan.cpu);
        streamed = streamIntoList(root, work);
        held.push_back(streamed.guiHeld);
        heldCpu.push_back(streamed.guiHeldCpu);
        first.push_back(streamed.firstShown);
        landed.push_back(streamed.allLanded);
    }

    const double ratio = median(scans) / median(finds);
    const double cpuRatio = median(scansCpu) / median(findsCpu);
    std::printf("tree: %d folders, %d files, %zu listed\n", groups * albumsPerGroup + groups,
                groups * albumsPerGroup * filesPerAlbum, found);
    std::printf("median of %d rounds:\n", rounds);
    std::printf("                                    wall        processor\n");
    std::printf("  find DIR > /dev/null           %8.1f ms   %8.1f ms\n", median(finds), median(findsCpu));
    std::printf("  folder scan (worker's part)    %8.1f ms   %8.1f ms\n", median(scans), median(scansCpu));
    std::printf("  scan / find                    %8.2f      %8.2f      %s\n", ratio, cpuRatio,
                ratio <= goalRatio ? "within 1.5 x find" : "OVER 1.5 x find");
    std::printf("  intake: GUI thread held        %8.2f ms   %8.2f ms\n", median(held), median(heldCpu));
    std::printf("  intake: first entry shown      %8.2f ms\n", median(first));
    std::printf("  intake: all %zu entries landed %8.1f ms in %d list edits\n", streamed.entries, median(landed),
                streamed.edits);
    return ratio <= goalRatio ? EXIT_SUCCESS : EXIT_FAILURE;
}
