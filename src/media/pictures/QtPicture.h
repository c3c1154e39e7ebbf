#pragma once

#include "core/media/Picture.h"
#include "media/pictures/PictureImage.h"

#include <QImage>
#include <QSize>
#include <string>

namespace vistrel {

// A picture held as a QImage with its stored (unturned) pixels; see PictureImage.
class QtPicture final : public Picture {
  public:
    // `storedSize` is the size of the picture as stored; `image` may be smaller.
    QtPicture(QImage image, QSize storedSize, std::string path = {});
    // A picture held at full size (a movie frame, a generated image).
    explicit QtPicture(QImage image);

    Size extent() const override;
    const PictureImage* pixels() const override { return &m_pixels; }
    std::string sourcePath() const override { return m_pixels.path(); }
    bool holdsEveryStoredPixel() const override { return m_pixels.isFullResolution(); }

    const QImage& image() const { return m_pixels.image(); }
    QSize storedSize() const { return m_pixels.storedSize(); }
    const std::string& path() const { return m_pixels.path(); }
    bool isFullResolution() const { return m_pixels.isFullResolution(); }

  private:
    const PictureImage m_pixels;
};

} // namespace vistrel
