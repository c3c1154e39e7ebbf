#include "media/pictures/QtPicture.h"

#include <utility>

namespace vistrel {

QtPicture::QtPicture(QImage image, QSize storedSize, std::string path)
    : m_pixels(std::move(image), storedSize, std::move(path)) {}

QtPicture::QtPicture(QImage image) : QtPicture(image, image.size()) {}

Size QtPicture::extent() const {
    const QSize stored = m_pixels.storedSize();
    return {static_cast<float>(stored.width()), static_cast<float>(stored.height())};
}

} // namespace vistrel
