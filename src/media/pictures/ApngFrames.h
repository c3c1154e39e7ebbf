#pragma once

#include "core/media/AnimationFrames.h"

#include <QByteArray>
#include "media/support/DescriptorDevice.h"

#include <QFile>
#include <QImage>
#include <QRect>
#include <QSize>
#include <memory>
#include <optional>
#include <string>

namespace vistrel {

// The frames of an animated PNG, which Qt's reader and libpng here show as a still:
// each frame's data is put into a PNG of its own, decoded, and drawn onto the canvas
// as its control chunk says. The file is read chunk by chunk as the frames are asked
// for; the frame count the file announces is never trusted, the chunks that follow are.
class ApngFrames final : public AnimationFrames {
  public:
    // nullptr when `path` is no readable animated PNG.
    static std::unique_ptr<ApngFrames> open(const std::string& path, QSize bound);

    std::optional<int> plays() const override { return m_plays; }
    AnimationStep next() override;
    bool rewind() override;

  private:
    struct Chunk {
        QByteArray type;
        QByteArray data;
    };
    struct FrameControl {
        QRect area;
        int delayMilliseconds = 0;
        int dispose = 0; // 0 leave, 1 clear to transparent, 2 back to what was before
        int blend = 0;   // 0 replace, 1 draw over
    };

    ApngFrames(std::string path, QSize bound) : m_path(std::move(path)), m_bound(bound) {}
    bool readHeader();
    std::optional<Chunk> readChunk();
    static std::optional<FrameControl> frameControlOf(const QByteArray& data, QSize canvas);
    std::optional<QImage> decodeFrame(const FrameControl& control, const QByteArray& data) const;
    void compose(const FrameControl& control, const QImage& frame);

    const std::string m_path;
    const QSize m_bound;
    std::unique_ptr<DescriptorDevice> m_file;
    QByteArray m_header;       // IHDR's data
    QByteArray m_sharedChunks; // palette, transparency and colour chunks, as stored
    QSize m_canvasSize;
    std::optional<int> m_plays;
    std::optional<Chunk> m_pending; // read ahead while looking for the end of a frame
    QImage m_canvas;
    std::optional<FrameControl> m_shown; // the last frame drawn, disposed of before the next
    QImage m_beforeShown;
};

} // namespace vistrel
