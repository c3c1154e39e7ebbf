#pragma once

#include "core/events/Signal.h"
#include "core/geometry/Geometry.h"
#include "core/session/SlideShow.h"
#include "core/show/PictureAnimation.h"
#include "core/show/ItemLoader.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vistrel {

class BackgroundWork;
class MainWindow;
class ModalGuard;
class Movie;
class MovieService;
class PictureService;
class PictureView;
class Placement;
class PlaylistStore;
class RecentDocuments;
class ShownMovie;
class StatusOverlay;

// The services the showing session reaches the world through.
struct ShowingPorts {
    Scheduler& scheduler;
    BackgroundWork& work;
    PictureService& pictures;
    MovieService& movies;
    MainWindow& window;
    PictureView& view;
    StatusOverlay& overlay;
    // Alerts, and the hold on slide-show advances and movie ends while one is up.
    ModalGuard& modals;
};

// Which entry of the list is on screen and how it gets there: the current index and
// the mark, the item's loading and showing, stepping to the neighbours, the slide
// show and the end of a movie.
class ShowingSession {
  public:
    ShowingSession(ShowingPorts ports, PlaylistStore& list, RecentDocuments& recent, Placement& placement,
                   ShownMovie& movie);
    ~ShowingSession();
    ShowingSession(const ShowingSession&) = delete;
    ShowingSession& operator=(const ShowingSession&) = delete;

    // The index back at the start and the slide show off, as the viewer starts.
    void reset();
    // The types the media services show, kept as they deliver them; filled once.
    void learnItemTypes();
    const std::vector<std::string>& movieTypes() const { return m_movieTypes; }
    const std::vector<std::string>& pictureTypes() const { return m_pictureTypes; }
    // From now on a movie's end counts as the end of the item on screen.
    void followMovieEnds();

    std::int32_t index() const { return m_index; }
    // The current entry's path (the mark wins over the index), or nullopt; makes it the index.
    std::optional<std::string> currentPath();
    // Shows the current entry; the item follows from a worker, unless a newer request came first.
    void playIt();
    void playNext() { stepMark(+1); }
    void playPrevious() { stepMark(-1); }
    // The marked entry of a freshly loaded list (or its first, which then gets the mark),
    // when nothing is on screen yet.
    void showLoadedListIfIdle();
    // The name, place in the list and facts of the item on screen, on the overlay.
    void showInfo();

    SlideShow& slideShow() { return m_slideShow; }
    const SlideShow& slideShow() const { return m_slideShow; }
    // Where the view asks for more pixels of the picture on screen.
    PictureResolution& pictureResolution() { return m_itemLoader; }
    // The frames of the animated picture on screen.
    PictureAnimation& animation() { return m_animation; }
    // Where a capture gets a picture at its full size.
    FullSizePictures& fullSizePictures() { return m_itemLoader; }

  private:
    // The entry at the index when it is marked, else the first marked entry.
    std::optional<std::size_t> currentEntryIndex() const;
    void stepMark(int direction);
    void requestItem(const std::string& path);
    void showLoaded(const std::string& path, const LoadedItem& item);
    // Whether an item is on screen now, could not be shown, or (a movie) is still opening.
    enum class ShowOutcome { shown, unshown, pending };
    ShowOutcome showItem(const std::string& path, const LoadedItem& item);
    void noteShowOutcome(ShowOutcome outcome);
    bool showPicture(const std::string& path, const DecodedPicture& decoded);
    // Asks for the movie; it is shown once open, unless another item was asked for since.
    void requestMovie(const std::string& path);
    bool showMovie(const std::string& path, std::shared_ptr<Movie> movie);
    bool isPicturePath(const std::string& path) const;
    // The screen's longer side squared: the decoder works in stored orientation,
    // which is only known once the file is read, and this fits either turn.
    Size pictureSizeNeeded() const;
    // The pictures next to the current entry, the next one first (a slide show's way).
    std::vector<std::string> neighbourPictures() const;

    ShowingPorts m_ports;
    // Work finishing after the session has gone finds this expired.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    PlaylistStore& m_list;
    RecentDocuments& m_recent;
    Placement& m_placement;
    ShownMovie& m_movie;
    ItemLoader m_itemLoader;
    PictureAnimation m_animation;
    Connection m_listChangeDropsPreloads;
    SlideShow m_slideShow;
    std::int32_t m_index = 0;
    std::vector<std::string> m_movieTypes;
    std::vector<std::string> m_pictureTypes;
};

} // namespace vistrel
