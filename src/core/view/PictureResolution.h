#pragma once

#include "core/geometry/Geometry.h"

#include <functional>
#include <memory>
#include <string>

namespace vistrel {

class Picture;

// Where a view asks for more pixels of the picture it shows, once it is shown larger than
// it was decoded for. The answer is a new picture; the one shown is never changed.
class PictureResolution {
  public:
    using Done = std::function<void(std::shared_ptr<Picture> more)>;
    virtual ~PictureResolution() = default;

    // Decodes `path` again at `decodeSize` (stored orientation). `done` runs on the GUI
    // thread with the new picture, or nullptr when the decode failed, unless a newer
    // request came first; a request waiting behind it is then not decoded at all.
    virtual void decodeMore(const std::string& path, Size decodeSize, Done done) = 0;
};

} // namespace vistrel
