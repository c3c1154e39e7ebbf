#include "media/pictures/QtPicture.h"

#include <utility>

namespace vistrel {

QtPicture::QtPicture(QImage image, QSize storedSize, std::string path)
    : m_image(std::move(image)), m_storedSize(storedSize), m_path(std::move(path)) {}

QtPicture::QtPicture(QImage image) : QtPicture(image, image.size()) {}

Size QtPicture::extent() const {
    return {static_cast<float>(m_storedSize.width()), static_cast<float>(m_storedSize.height())};
}

bool QtPicture::isFullResolution() const {
    return m_image.width() >= m_storedSize.width() && m_image.height() >= m_storedSize.height();
}

} // namespace vistrel
