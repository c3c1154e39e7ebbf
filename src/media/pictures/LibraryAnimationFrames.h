#pragma once

#include "core/media/AnimationFrames.h"
#include "media/pictures/LibraryImageReader.h"

#include <QSize>
#include <memory>
#include <optional>
#include <string>

namespace vistrel {

// The frames of an animation in a format read through its own library (JPEG XL), each
// a new QtPicture in sRGB, scaled down to the bound when the canvas is larger.
class LibraryAnimationFrames final : public AnimationFrames {
  public:
    // nullptr when `path` is no animation such a library reads.
    static std::unique_ptr<LibraryAnimationFrames> open(const std::string& path, QSize bound);

    std::optional<int> plays() const override { return m_plays; }
    AnimationStep next() override;
    bool rewind() override { return m_reader->rewindFrames(); }

  private:
    LibraryAnimationFrames(std::unique_ptr<LibraryImageReader> reader, QSize storedSize, QSize bound,
                           std::optional<int> plays)
        : m_reader(std::move(reader)), m_storedSize(storedSize), m_bound(bound), m_plays(plays) {}

    const std::unique_ptr<LibraryImageReader> m_reader;
    const QSize m_storedSize;
    const QSize m_bound;
    const std::optional<int> m_plays;
};

} // namespace vistrel
