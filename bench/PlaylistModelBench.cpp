// The play list window with 100,000 entries: a header-click sort, one dragged
// entry dropped at the end, and a scroll from the top to the bottom, each with the
// table showing the list and a row selected, next to the bare work on a copy of the
// same entries in the same run (a stable sort, a rotate, a repaint at the top).
// Each should stay well under 0.2 s.

#include "FakeBackgroundWork.h"
#include "FakePlaylistCommands.h"
#include "playlist/PlaylistTableModel.h"
#include "core/playlist/PlaylistWindow.h"
#include "playlist/PlaylistWindowView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QMimeData>
#include <QScrollBar>
#include <QTableView>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace vistrel;

namespace {

constexpr int rounds = 5;
constexpr std::size_t entryCount = 100000;
constexpr double goalMs = 200.0;

// Names in no particular order, in a few hundred folders, as a large scan gives them.
FileList makeEntries() {
    FileList list;
    list.reserve(entryCount);
    unsigned state = 12345;
    for (std::size_t i = 0; i < entryCount; ++i) {
        state = state * 1103515245u + 12345u;
        const unsigned folder = (state >> 8) % 300;
        list.push_back(PlaylistEntry::forPath("/media/bench/folder" + std::to_string(folder) + "/IMG_" +
                                              std::to_string((state >> 4) % 1000000) + "_" +
                                              std::to_string(i) + (i % 7 == 0 ? ".mov" : ".jpg")));
    }
    return list;
}

double medianMilliseconds(const std::function<void(int)>& work) {
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        work(round);
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void report(const char* what, double measured, double baseline) {
    std::printf("%-34s %8.1f ms   baseline %8.1f ms   ratio %7.1f   %s\n", what, measured, baseline,
                measured / std::max(baseline, 0.001), measured < goalMs ? "ok" : "OVER 0.2 s");
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const FileList entries = makeEntries();
    PlaylistStore store;
    store.setFileList(entries);
    test::FakeBackgroundWork work;
    test::FakePlaylistCommands commands;
    PlaylistWindow logic(store, work, {}, commands);
    PlaylistWindowView view(logic);
    view.resize(900, 700);
    view.show();
    QCoreApplication::processEvents();
    QTableView& table = *view.table();
    PlaylistTableModel& model = *view.model();
    table.selectRow(500);
    auto paint = [&] { table.viewport()->repaint(); };

    // Sorting: the header's indicator turns, alternately up and down; the baseline
    // sorts a copy of the entries the same way.
    FileList copy = entries;
    const double sortBaseline = medianMilliseconds([&](int round) {
        std::stable_sort(copy.begin(), copy.end(), [round](const PlaylistEntry& a, const PlaylistEntry& b) {
            return round % 2 == 0 ? a.name < b.name : b.name < a.name;
        });
    });
    const double sortMs = medianMilliseconds([&](int round) {
        table.horizontalHeader()->setSortIndicator(PlaylistTableModel::nameColumn,
                                                   round % 2 == 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
        paint();
    });

    // Dragging the first entry below the last one.
    const double moveBaseline =
        medianMilliseconds([&](int) { std::rotate(copy.begin(), copy.begin() + 1, copy.end()); });
    const double moveMs = medianMilliseconds([&](int) {
        std::unique_ptr<QMimeData> dragged(model.mimeData({model.index(0, 0)}));
        model.dropMimeData(dragged.get(), Qt::MoveAction, model.rowCount(), 0, {});
        paint();
    });

    // From the top to the bottom and back, each ending with the rows painted.
    QScrollBar& bar = *table.verticalScrollBar();
    const double paintBaseline = medianMilliseconds([&](int) {
        bar.setValue(bar.minimum());
        paint();
    });
    const double scrollMs = medianMilliseconds([&](int) {
        table.scrollToBottom();
        paint();
        table.scrollToTop();
        paint();
    });

    std::printf("play list of %zu entries in the window's table, median of %d\n", entryCount, rounds);
    report("header-click sort + repaint", sortMs, sortBaseline);
    report("drag-move via dropMimeData + repaint", moveMs, moveBaseline);
    report("scroll top->bottom->top + 2 repaints", scrollMs, paintBaseline);
    return 0;
}
