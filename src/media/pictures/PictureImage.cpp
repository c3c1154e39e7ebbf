#include "media/pictures/PictureImage.h"

#include <utility>

namespace vistrel {

PictureImage::PictureImage(QImage image, QSize storedSize, std::string path)
    : m_image(std::move(image)), m_storedSize(storedSize), m_path(std::move(path)) {}

bool PictureImage::isFullResolution() const {
    return m_image.width() >= m_storedSize.width() && m_image.height() >= m_storedSize.height();
}

bool PictureImage::isLargerDecodeOfSame(const PictureImage& more) const {
    return more.m_storedSize == m_storedSize && !more.m_image.isNull() &&
           (more.m_image.width() > m_image.width() || more.m_image.height() > m_image.height());
}

} // namespace vistrel
