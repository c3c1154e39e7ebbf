#pragma once

#include "core/view/PictureView.h"

#include <stdexcept>

namespace vistrel::test {

// Holds a picture or a movie like the real view; `failOnSetMovie` makes attaching a movie throw.
class FakePictureView : public PictureView {
  public:
    void setCiImage(std::shared_ptr<Picture> newPicture) override {
        ++picturesSet;
        picture = std::move(newPicture);
        movie.reset();
    }
    std::shared_ptr<Picture> ciImage() const override { return picture; }
    void setMovie(std::shared_ptr<Movie> newMovie) override {
        if (failOnSetMovie)
            throw std::runtime_error("cannot attach movie");
        movie = std::move(newMovie);
        picture.reset();
    }
    void setOrientation(int value) override { orientationValue = value; }
    int orientation() const override { return orientationValue; }
    void setFrame(Rect value) override {
        frameValue = value;
        ++framesSet;
    }
    Rect frame() const override { return frameValue; }
    void setControllerVisible(bool visible) override { controllerVisible = visible; }
    bool isControllerVisible() const override { return controllerVisible; }
    void setEditable(bool value) override { editable = value; }
    void setShowsResizeIndicator(bool shows) override { showsResizeIndicator = shows; }
    void play() override { ++playCount; }
    void setFirstResponder(bool flag) override { firstResponderFlag = flag; }
    bool firstResponder() const override { return firstResponderFlag; }

    std::shared_ptr<Picture> picture;
    std::shared_ptr<Movie> movie;
    bool failOnSetMovie = false;
    int orientationValue = 1;
    Rect frameValue;
    int framesSet = 0;
    int picturesSet = 0;
    bool controllerVisible = true;
    bool editable = false;
    bool showsResizeIndicator = true;
    int playCount = 0;
    bool firstResponderFlag = false;
};

} // namespace vistrel::test
