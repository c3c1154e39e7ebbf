#pragma once

#include <memory>
#include <optional>

namespace vistrel {

class Picture;

// One step through an animated picture's frames.
struct AnimationStep {
    enum class Kind { frame, end, damaged };
    Kind kind = Kind::end;
    std::shared_ptr<Picture> picture; // a frame's whole canvas, only for Kind::frame
    int delayMilliseconds = 0;        // as the file gives it; may be zero or negative
};

// The frames of one animated picture file, decoded one after another. Used by one
// worker at a time (never on the GUI thread); it holds no decoded frame it returned.
class AnimationFrames {
  public:
    virtual ~AnimationFrames() = default;

    // How many times the whole animation plays; nullopt for ever.
    virtual std::optional<int> plays() const = 0;
    // The next frame in file order, the end of the frames, or the damage that stops them.
    virtual AnimationStep next() = 0;
    // Back before the first frame for another play; false when the file cannot be read again.
    virtual bool rewind() = 0;
};

} // namespace vistrel
