#pragma once

#include "core/geometry/Geometry.h"

#include <string>

namespace vistrel {

// The pixels of a picture in the form the platform draws and encodes them. Opaque to the
// core; the media layer defines it.
class PictureImage;

// A decoded still picture (or a captured movie frame), never changed once made: more
// resolution is a new picture. The core only measures it and asks where it came from.
class Picture {
  public:
    virtual ~Picture() = default;

    // The stored (unturned) size in pixels, whatever resolution was decoded for display.
    virtual Size extent() const = 0;
    // What a display draws and an encoder writes; nullptr for a picture without pixels.
    virtual const PictureImage* pixels() const { return nullptr; }
    // The file it was decoded from; empty for a movie frame or a generated picture.
    virtual std::string sourcePath() const { return {}; }
    // False for a decode made smaller to fit the screen.
    virtual bool holdsEveryStoredPixel() const { return true; }
};

} // namespace vistrel
