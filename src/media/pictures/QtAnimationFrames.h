#pragma once

#include "core/media/AnimationFrames.h"

#include "media/support/DescriptorDevice.h"

#include <QFile>
#include <QImageReader>
#include <QSize>
#include <memory>
#include <optional>
#include <string>

namespace vistrel {

// The frames of an animation Qt's readers play (GIF, animated WebP), each a new
// QtPicture of the whole canvas in sRGB, scaled down to the bound when the canvas is
// larger. The reader keeps one canvas, never the frames it gave.
class QtAnimationFrames final : public AnimationFrames {
  public:
    // nullptr when `path` is no readable animation.
    static std::unique_ptr<QtAnimationFrames> open(const std::string& path, QSize bound);

    std::optional<int> plays() const override { return m_plays; }
    AnimationStep next() override;
    bool rewind() override;

  private:
    QtAnimationFrames(std::string path, QSize bound) : m_path(std::move(path)), m_bound(bound) {}
    bool openReader();

    const std::string m_path;
    const QSize m_bound;
    std::unique_ptr<DescriptorDevice> m_file;
    std::unique_ptr<QImageReader> m_reader;
    QSize m_storedSize;
    int m_frameCount = 0;
    int m_nextFrame = 0;
    std::optional<int> m_plays;
};

} // namespace vistrel
