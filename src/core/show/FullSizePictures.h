#pragma once

#include <functional>
#include <memory>
#include <string>

namespace vistrel {

class Picture;

// Where a frame capture gets every stored pixel of the picture it writes.
class FullSizePictures {
  public:
    // The picture, or nullptr and why not.
    using Done = std::function<void(std::shared_ptr<Picture> picture, std::string failure)>;
    virtual ~FullSizePictures() = default;

    // Decodes `path` at its stored size on a worker; `done` runs on the GUI thread. Never
    // superseded: every capture asked for gets its answer.
    virtual void decodeFullSize(const std::string& path, Done done) = 0;
};

} // namespace vistrel
