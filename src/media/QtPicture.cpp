#include "media/QtPicture.h"

#include "media/PictureDecoder.h"

#include <utility>

namespace vistrel {

QtPicture::QtPicture(QImage image, QSize storedSize, QString path)
    : m_image(std::move(image)), m_storedSize(storedSize), m_path(std::move(path)) {}

QtPicture::QtPicture(QImage image) : QtPicture(image, image.size()) {}

Size QtPicture::extent() const {
    return {static_cast<float>(m_storedSize.width()), static_cast<float>(m_storedSize.height())};
}

bool QtPicture::isFullResolution() const {
    return m_image.width() >= m_storedSize.width() && m_image.height() >= m_storedSize.height();
}

bool QtPicture::ensureResolution(QSize needed) {
    const QSize target = needed.boundedTo(m_storedSize);
    // One pixel of slack: a scaled decode rounds its sides.
    if (m_image.width() + 1 >= target.width() && m_image.height() + 1 >= target.height())
        return true;
    if (m_path.isEmpty())
        return false;
    // Decoding into the bound `target` scaled up to the stored aspect keeps the
    // requested extent on both axes.
    const QSize bound = m_storedSize.scaled(target, Qt::KeepAspectRatioByExpanding).boundedTo(m_storedSize);
    PictureDecoder::Result decoded = PictureDecoder::decode(m_path, bound);
    if (decoded.image.isNull() || decoded.storedSize != m_storedSize)
        return false;
    m_image = std::move(decoded.image);
    return true;
}

} // namespace vistrel
