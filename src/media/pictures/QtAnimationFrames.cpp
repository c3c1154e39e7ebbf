#include "media/pictures/QtAnimationFrames.h"

#include "media/pictures/PictureDecoder.h"
#include "media/pictures/QtPicture.h"
#include "media/support/LogCategories.h"

namespace vistrel {

namespace {

// Qt counts the repeats after the first play, -1 for ever. A GIF without a loop
// extension reads as 0; it loops for ever, as a browser would play it.
std::optional<int> playsOf(const QImageReader& reader) {
    const int repeats = reader.loopCount();
    if (repeats < 0 || (repeats == 0 && reader.format() == "gif"))
        return std::nullopt;
    return repeats + 1;
}

} // namespace

std::unique_ptr<QtAnimationFrames> QtAnimationFrames::open(const std::string& path, QSize bound) {
    std::unique_ptr<QtAnimationFrames> frames(new QtAnimationFrames(path, bound));
    if (!frames->openReader())
        return nullptr;
    return frames;
}

bool QtAnimationFrames::openReader() {
    m_reader.reset();
    m_file = DescriptorDevice::openRegular(m_path);
    if (!m_file)
        return false;
    m_reader = std::make_unique<QImageReader>(m_file.get());
    m_reader->setAutoTransform(false);
    m_storedSize = m_reader->size();
    if (!m_reader->supportsAnimation() || !m_storedSize.isValid() ||
        !PictureDecoder::fitsAllocationLimit(m_storedSize))
        return false;
    m_frameCount = m_reader->imageCount();
    m_plays = playsOf(*m_reader);
    const QSize fitted = PictureDecoder::fittedSize(m_storedSize, m_bound);
    if (fitted != m_storedSize)
        m_reader->setScaledSize(fitted);
    m_nextFrame = 0;
    return true;
}

AnimationStep QtAnimationFrames::next() {
    if (!m_reader || m_nextFrame >= m_frameCount)
        return {};
    QImage image = m_reader->read();
    if (image.isNull()) {
        qCInfo(lcPicture) << "frame" << m_nextFrame << "of" << QFile::decodeName(QByteArray::fromStdString(m_path)) << "is damaged -"
                          << m_reader->errorString();
        return {AnimationStep::Kind::damaged, nullptr, 0};
    }
    ++m_nextFrame;
    const int delay = m_reader->nextImageDelay();
    PictureDecoder::convertToSrgb(image);
    return {AnimationStep::Kind::frame, std::make_shared<QtPicture>(std::move(image), m_storedSize), delay};
}

// The readers cannot go back reliably: the file is read again from its start.
bool QtAnimationFrames::rewind() {
    return openReader();
}

} // namespace vistrel
