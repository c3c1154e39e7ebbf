#pragma once

#include "core/geometry/Geometry.h"

#include <memory>

namespace vistrel {

class Movie;
class Picture;

// The one view of the main window as the controller sees it. It holds a picture
// or a movie, never both.
class PictureView {
public:
    virtual ~PictureView() = default;

    // Same object again: nothing happens. Otherwise keeps the picture and drops any movie.
    virtual void setCiImage(std::shared_ptr<Picture> picture) = 0;
    virtual std::shared_ptr<Picture> ciImage() const = 0;
    // Shows the movie (nullptr: none) and drops any picture. Throws std::exception
    // when the movie cannot be attached to the view.
    virtual void setMovie(std::shared_ptr<Movie> movie) = 0;

    // TIFF/Exif orientation 1..8 of the held picture; survives new pictures and movies.
    virtual void setOrientation(int orientation) = 0;
    virtual int orientation() const = 0;

    // Frame in the main window's content coordinates (origin lower left).
    virtual void setFrame(Rect frame) = 0;
    virtual Rect frame() const = 0;

    // The movie's own control bar in the bottom strip of the view.
    virtual void setControllerVisible(bool visible) = 0;
    virtual bool isControllerVisible() const = 0;
    virtual void setEditable(bool editable) = 0;
    virtual void setShowsResizeIndicator(bool shows) = 0;
    // Starts the movie shown.
    virtual void play() = 0;

    virtual void setFirstResponder(bool flag) = 0;
    virtual bool firstResponder() const = 0;
};

} // namespace vistrel
