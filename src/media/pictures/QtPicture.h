#pragma once

#include "core/media/Picture.h"
#include "media/pictures/PictureDecoder.h"

#include <QImage>
#include <QSize>
#include <string>

namespace vistrel {

// A picture held as a QImage with its stored (unturned) pixels. The image may be a
// scaled-down decode of a large file; the file path lets it decode more when needed.
// A captured movie frame has no path and is always held at full size.
class QtPicture final : public Picture {
  public:
    // `storedSize` is the size of the picture as stored; `image` may be smaller.
    QtPicture(QImage image, QSize storedSize, std::string path = {});
    // A picture held at full size (a movie frame, a generated image).
    explicit QtPicture(QImage image);

    Size extent() const override;

    const QImage& image() const { return m_image; }
    QSize storedSize() const { return m_storedSize; }
    const std::string& path() const { return m_path; }
    // True when the held image has every stored pixel.
    bool isFullResolution() const;

    // Makes the held image at least `needed` (capped at the stored size, aspect kept),
    // decoding the file again when the held image is smaller: at a half, a quarter or an
    // eighth of the stored size, or at full size. False when that failed; the image held
    // before stays.
    bool ensureResolution(QSize needed);

    // ensureResolution in two halves, so that the decode can run on a worker: the size
    // to decode the file at for `needed` (invalid when the held image covers it or the
    // picture has no file), and the taking of that decode. adopt() refuses (false, the
    // held image stays) a failed decode, one of a file since changed, or a smaller one.
    QSize decodeSizeFor(QSize needed) const;
    bool adopt(PictureDecoder::Result decoded);

  private:
    bool covers(QSize needed) const;
    // The size to decode at so that the image covers `target`.
    QSize decodingStep(QSize target) const;

    QImage m_image;
    QSize m_storedSize;
    std::string m_path;
};

} // namespace vistrel
