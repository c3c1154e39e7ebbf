#include "core/session/ShowingSession.h"

#include "core/controller/ModalGuard.h"
#include "core/intake/FileKind.h"
#include "core/intake/TypeLists.h"
#include "core/media/Movie.h"
#include "core/media/MovieService.h"
#include "core/media/Picture.h"
#include "core/media/PictureService.h"
#include "core/platform/BackgroundWork.h"
#include "core/platform/MainWindow.h"
#include "core/platform/StatusOverlay.h"
#include "core/playlist/PathComponents.h"
#include "core/playlist/PlaylistStore.h"
#include "core/session/Placement.h"
#include "core/session/ShownMovie.h"
#include "core/session/StatusText.h"
#include "core/settings/RecentDocuments.h"
#include "core/show/PictureSize.h"
#include "core/view/PictureView.h"

#include <algorithm>
#include <exception>
#include <utility>

namespace vistrel {

namespace {

constexpr double announcementDuration = 4.0;
constexpr int uprightOrientation = 1;

} // namespace

ShowingSession::ShowingSession(ShowingPorts ports, PlaylistStore& list, RecentDocuments& recent,
                               Placement& placement, ShownMovie& movie)
    : m_ports(ports), m_list(list), m_recent(recent), m_placement(placement), m_movie(movie),
      m_itemLoader(ports.work, ports.pictures),
      m_animation(ports.scheduler, ports.work, ports.pictures, ports.view),
      // Marks moving do not change which pictures lie next to which; other edits may.
      m_listChangeDropsPreloads(list.changed.connect([this](const PlaylistChange& change) {
          if (change.kind != PlaylistChange::Kind::changed)
              m_itemLoader.invalidate();
      })),
      m_slideShow(ports.scheduler, ports.modals, ports.overlay, list, [this] { playNext(); }) {}

// The movie service and the movies still on screen outlive the session.
ShowingSession::~ShowingSession() {
    m_ports.movies.observeMovieEnds({});
}

void ShowingSession::reset() {
    m_slideShow.reset();
    m_index = 0;
}

void ShowingSession::learnItemTypes() {
    if (m_movieTypes.empty())
        m_movieTypes = m_ports.movies.movieFileTypes();
    if (m_pictureTypes.empty())
        m_pictureTypes = m_ports.pictures.pictureFileTypes();
}

// The view goes on playing the old movie until a newly asked-for item arrives; only
// the end of the movie on screen, still on screen once the modals are gone, ends the item.
void ShowingSession::followMovieEnds() {
    m_ports.movies.observeMovieEnds([this](Movie& ended) {
        if (&ended != m_movie.get().get())
            return;
        m_ports.modals.whenFree([this, shown = std::weak_ptr<Movie>(m_movie.get())] {
            if (const auto movie = shown.lock(); movie && movie == m_movie.get())
                m_slideShow.itemEnded();
        });
    });
}

// ---------------------------------------------------------------- the current entry

std::optional<std::size_t> ShowingSession::currentEntryIndex() const {
    const FileList& list = m_list.fileList();
    const auto index = static_cast<std::size_t>(m_index);
    if (m_index >= 0 && index < list.size() && list[index].active)
        return index;
    for (std::size_t k = 0; k < list.size(); ++k)
        if (list[k].active)
            return k;
    return std::nullopt;
}

std::optional<std::string> ShowingSession::currentPath() {
    const auto current = currentEntryIndex();
    if (!current)
        return std::nullopt;
    m_index = static_cast<std::int32_t>(*current);
    return m_list.fileList()[*current].path;
}

// The index and the mark are taken at once.
void ShowingSession::playIt() {
    const auto path = currentPath();
    if (!path)
        return;
    m_movie.reset();
    requestItem(*path);
}

// Moves the mark to the neighbour of the current entry, wrapping at both ends, and shows it.
void ShowingSession::stepMark(int direction) {
    const auto count = static_cast<std::int64_t>(m_list.fileList().size());
    if (count == 0)
        return;
    if (count == 1) {
        playIt();
        return;
    }
    const auto current = currentEntryIndex();
    if (!current)
        return;
    const auto next =
        static_cast<std::size_t>((static_cast<std::int64_t>(*current) + direction + count) % count);
    m_list.markOnly(next);
    m_index = static_cast<std::int32_t>(next);
    playIt();
}

void ShowingSession::showLoadedListIfIdle() {
    if (m_movie.get() || m_ports.view.ciImage() || m_list.fileList().empty())
        return;
    if (m_list.firstMarked() == PlaylistStore::npos)
        m_list.markOnly(0);
    playIt();
}

void ShowingSession::showInfo() {
    const auto count = static_cast<int>(m_list.fileList().size());
    if (const auto& movie = m_movie.get()) {
        m_ports.overlay.showText(statusText::movieSummary(*movie, m_index + 1, count), announcementDuration);
        return;
    }
    const auto path = currentPath();
    if (!path)
        return;
    // The picture's facts are read on a worker (its file, a decoder helper that may
    // first have to start); the summary shows if that entry is still the one on screen.
    m_ports.work.run(
        [this, alive = std::weak_ptr<bool>(m_alive), path = *path, index = m_index, count]() -> BackgroundWork::Finish {
            PictureInfo info = m_ports.pictures.inspect(path);
            return [this, alive, path, index, count, info = std::move(info)] {
                if (!alive.lock() || currentPath() != path || m_index != index ||
                    info.status == PictureStatus::notAPicture)
                    return;
                m_ports.overlay.showText(
                    statusText::pictureSummary(paths::lastPathComponent(path), info, index + 1, count),
                    announcementDuration);
            };
        },
        WorkPriority::onScreen);
}

// ---------------------------------------------------------------- loading and showing

void ShowingSession::requestItem(const std::string& path) {
    m_itemLoader.request(path, isPicturePath(path), pictureSizeNeeded(),
                         [this, path](const LoadedItem& item) { showLoaded(path, item); });
}

void ShowingSession::showLoaded(const std::string& path, const LoadedItem& item) {
    noteShowOutcome(showItem(path, item));
    m_itemLoader.preload(neighbourPictures(), pictureSizeNeeded());
}

void ShowingSession::noteShowOutcome(ShowOutcome outcome) {
    if (outcome == ShowOutcome::shown)
        m_slideShow.itemShown();
    else if (outcome == ShowOutcome::unshown)
        m_slideShow.itemUnshown();
}

// Only a regular file (or a path that is gone, which the services report as unreadable)
// reaches a decoder: a FIFO or a device handed over directly would block.
ShowingSession::ShowOutcome ShowingSession::showItem(const std::string& path, const LoadedItem& item) {
    const FileKind kind = item.stamp.kind;
    if (kind != FileKind::regular && kind != FileKind::missing)
        return ShowOutcome::unshown;
    // A listed picture that does not decode is still tried as a movie of the same extension.
    if (isPicturePath(path) && showPicture(path, item.decoded))
        return ShowOutcome::shown;
    if (!containsType(m_movieTypes, paths::lowercaseAscii(paths::pathExtension(path))))
        return ShowOutcome::unshown;
    requestMovie(path);
    return ShowOutcome::pending;
}

bool ShowingSession::showPicture(const std::string& path, const DecodedPicture& decoded) {
    if (!decoded.picture)
        return false;
    m_animation.stop();
    PictureView& view = m_ports.view;
    // A picture without an orientation tag is stored upright; it must not inherit
    // the turn of the picture shown before it.
    view.setOrientation(decoded.orientation.value_or(uprightOrientation));
    view.setCiImage(decoded.picture);
    m_ports.window.setMenuBarVisible(false);
    m_placement.scale();
    view.setControllerVisible(false);
    m_recent.noteNewRecentDocumentURL(path);
    m_slideShow.itemEnded();
    if (decoded.animated)
        m_animation.start(path, pictureSizeNeeded());
    return true;
}

// The opening may finish at once or much later: by then the user may have stepped on,
// and the movie is dropped (which closes it) in favour of the newer request.
void ShowingSession::requestMovie(const std::string& path) {
    m_ports.movies.openMovie(
        path, [this, ticket = m_itemLoader.newestRequest(), path](std::shared_ptr<Movie> movie) {
            if (!ticket.isCurrent())
                return;
            noteShowOutcome(showMovie(path, std::move(movie)) ? ShowOutcome::shown : ShowOutcome::unshown);
        });
}

bool ShowingSession::showMovie(const std::string& path, std::shared_ptr<Movie> movie) {
    if (!movie)
        return false;
    m_animation.stop();
    m_movie.set(std::move(movie));
    PictureView& view = m_ports.view;
    view.setControllerVisible(false);
    try {
        view.setMovie(m_movie.get());
        m_ports.window.setMenuBarVisible(false);
        m_placement.scale();
        view.setEditable(true);
        view.setShowsResizeIndicator(false);
        view.play();
        m_recent.noteNewRecentDocumentURL(path);
    } catch (const std::exception&) {
        m_ports.modals.showWarning("Error!", "Couldn't show file ...", "OK");
        return false;
    }
    return true;
}

bool ShowingSession::isPicturePath(const std::string& path) const {
    return containsType(m_pictureTypes, paths::lowercaseAscii(paths::pathExtension(path)));
}

Size ShowingSession::pictureSizeNeeded() const {
    return pictureSizeForScreen(m_ports.window.screenSize());
}

// Movies are never decoded ahead: opening one is costly and holds a player.
std::vector<std::string> ShowingSession::neighbourPictures() const {
    const FileList& list = m_list.fileList();
    const auto current = currentEntryIndex();
    std::vector<std::string> neighbours;
    if (!current || list.size() < 2)
        return neighbours;
    for (const std::size_t offset : {std::size_t{1}, list.size() - 1}) {
        const std::string& path = list[(*current + offset) % list.size()].path;
        if (isPicturePath(path) && std::find(neighbours.begin(), neighbours.end(), path) == neighbours.end())
            neighbours.push_back(path);
    }
    return neighbours;
}

} // namespace vistrel
