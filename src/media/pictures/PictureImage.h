#pragma once

#include <QImage>
#include <QSize>
#include <string>

namespace vistrel {

// A picture's pixels as Qt draws them, with its stored (unturned) size: the image may be
// a scaled-down decode of a large file, whose path then tells where more comes from. A
// captured movie frame has no path and is always held at full size. Immutable.
class PictureImage {
  public:
    // `storedSize` is the size of the picture as stored; `image` may be smaller.
    PictureImage(QImage image, QSize storedSize, std::string path);

    const QImage& image() const { return m_image; }
    QSize storedSize() const { return m_storedSize; }
    const std::string& path() const { return m_path; }
    // True when the image has every stored pixel.
    bool isFullResolution() const;

    // The size to decode the file at so that the picture covers `needed` (capped at the
    // stored size): a half, a quarter or an eighth of the stored size, or the full size.
    // Invalid when the image already covers it or the picture has no file.
    QSize decodeSizeFor(QSize needed) const;
    // Whether `more` is this picture with more pixels: the same stored size, larger.
    bool isLargerDecodeOfSame(const PictureImage& more) const;

  private:
    bool covers(QSize needed) const;
    QSize decodingStep(QSize target) const;

    const QImage m_image;
    const QSize m_storedSize;
    const std::string m_path;
};

} // namespace vistrel
