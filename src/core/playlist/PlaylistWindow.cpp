#include "core/playlist/PlaylistWindow.h"

#include "core/platform/BackgroundWork.h"
#include "core/playlist/PlaylistCommands.h"
#include "core/playlist/PlaylistWindowSurface.h"

#include <algorithm>
#include <utility>

namespace vistrel {

PlaylistWindow::PlaylistWindow(PlaylistStore& store, BackgroundWork& work, InfoReader readInfo,
                               PlaylistCommands& commands)
    : m_store(store), m_work(work), m_readInfo(std::move(readInfo)), m_commands(commands),
      m_transparencyFollower(store.transparencyChanged.connect([this](float alpha) {
          if (m_surface)
              m_surface->setAlphaValue(alpha);
      })) {}

PlaylistWindow::~PlaylistWindow() = default;

void PlaylistWindow::windowDidLoad(PlaylistWindowSurface* surface) {
    m_surface = surface;
    if (m_surface)
        setTransparency(1.0f);
}

// ---------------------------------------------------------------- actions

std::optional<std::size_t> PlaylistWindow::firstSelectedRow() const {
    const auto& selection = m_store.selIndex();
    if (selection.empty() || *selection.begin() < 0)
        return std::nullopt;
    const auto row = static_cast<std::size_t>(*selection.begin());
    if (row >= m_store.fileList().size())
        return std::nullopt;
    return row;
}

bool PlaylistWindow::markSelected() {
    const auto row = firstSelectedRow();
    if (!row)
        return false;
    m_store.markOnly(*row);
    return true;
}

// The viewer finds the marked entry itself: marking is how a row becomes current.
void PlaylistWindow::play(Sender*) {
    if (markSelected())
        m_commands.playIt();
}

void PlaylistWindow::loop(Sender* sender) {
    if (markSelected())
        m_commands.loop(sender);
}

void PlaylistWindow::stopLoop(Sender* sender) {
    m_commands.stopLoop(sender);
}

void PlaylistWindow::insert(Sender*) {
    m_commands.open(nullptr);
}

// The viewer's index is left alone: the mark, not the index, says what is current.
// The entry that moved up into the gap becomes the selection; after the last entry
// was removed, the new last one does.
void PlaylistWindow::remove(Sender*) {
    const auto row = firstSelectedRow();
    if (!row)
        return;
    m_store.remove(*row);
    const std::size_t count = m_store.fileList().size();
    if (count == 0 || !m_surface)
        return;
    const std::size_t next = std::min(*row, count - 1);
    m_surface->selectRow(next);
    m_surface->scrollRowToVisible(next);
}

void PlaylistWindow::saveList(Sender* sender) {
    m_commands.saveList(sender);
}

void PlaylistWindow::openList(Sender* sender) {
    m_commands.openList(sender);
}

// ---------------------------------------------------------------- information text

// Reading a file's facts is slow: it runs as background work. The answer to the latest
// click wins when it has a text; when it has none, the newest earlier text stands, so
// an answer that comes before the latest one is held until the latest one is known.
void PlaylistWindow::klick(std::optional<std::size_t> row) {
    if (!row || *row >= m_store.fileList().size())
        return;
    const std::uint64_t request = ++*m_latestKlick;
    m_latestYieldedNothing = false;
    std::weak_ptr<std::uint64_t> latest = m_latestKlick;
    m_work.run([this, latest, request, path = m_store.fileList()[*row].path,
                readInfo = m_readInfo]() -> BackgroundWork::Finish {
        std::optional<std::string> text;
        if (readInfo)
            text = readInfo(path);
        return [this, latest, request, text = std::move(text)]() mutable {
            if (latest.lock())
                takeInfoAnswer(request, std::move(text));
        };
    });
}

void PlaylistWindow::takeInfoAnswer(std::uint64_t request, std::optional<std::string> text) {
    const bool isLatest = request == *m_latestKlick;
    if (isLatest && !text) {
        m_latestYieldedNothing = true;
        if (m_heldAnswer)
            showInfoText(m_heldAnswer->request, std::move(m_heldAnswer->text));
        return;
    }
    if (!text || request <= m_shownKlick)
        return;
    if (isLatest || m_latestYieldedNothing)
        showInfoText(request, std::move(*text));
    else if (!m_heldAnswer || request > m_heldAnswer->request)
        m_heldAnswer = HeldAnswer{request, std::move(*text)};
}

void PlaylistWindow::showInfoText(std::uint64_t request, std::string text) {
    m_shownKlick = request;
    if (m_heldAnswer && m_heldAnswer->request <= request)
        m_heldAnswer.reset();
    if (m_surface)
        m_surface->setInfoText(text);
}

void PlaylistWindow::showInfo(Sender*) {
    klick(firstSelectedRow());
}

// ---------------------------------------------------------------- window events

void PlaylistWindow::windowDidBecomeKey() {
    const std::size_t marked = m_store.firstMarked();
    if (marked != PlaylistStore::npos && m_surface)
        m_surface->scrollRowToVisible(marked);
}

void PlaylistWindow::keyDown(Key key) {
    if (key == Key::returnKey)
        loop(nullptr);
}

// ---------------------------------------------------------------- dragging rows

std::optional<std::string> PlaylistWindow::tableViewWriteRows(const std::set<int>& rows) const {
    if (rows.empty() || *rows.begin() < 0)
        return std::nullopt;
    const auto row = static_cast<std::size_t>(*rows.begin());
    if (row >= m_store.fileList().size())
        return std::nullopt;
    return m_store.fileList()[row].path;
}

PlaylistWindow::DragOperation PlaylistWindow::tableViewValidateDrop(bool offersText) {
    return offersText ? DragOperation::move : DragOperation::none;
}

// `row` counts in the list without the dragged entry: an entry moved down lands one
// place below the drop line, one moved up exactly at it.
bool PlaylistWindow::tableViewAcceptDrop(const std::optional<std::string>& text, std::size_t row) {
    if (!text)
        return true;
    const FileList& list = m_store.fileList();
    const auto found = std::find_if(list.begin(), list.end(),
                                    [&](const PlaylistEntry& entry) { return entry.path == *text; });
    if (found == list.end())
        return true;
    const auto from = static_cast<std::size_t>(found - list.begin());
    m_store.move(from, std::min(row, list.size() - 1));
    m_store.setSortDesc({});
    return true;
}

} // namespace vistrel
