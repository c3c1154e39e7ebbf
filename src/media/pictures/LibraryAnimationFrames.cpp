#include "media/pictures/LibraryAnimationFrames.h"

#include "media/pictures/PictureDecoder.h"
#include "media/pictures/QtPicture.h"


namespace vistrel {

std::unique_ptr<LibraryAnimationFrames> LibraryAnimationFrames::open(const std::string& path, QSize bound) {
    std::unique_ptr<LibraryImageReader> reader = LibraryImageReader::forFile(path);
    if (!reader)
        return nullptr;
    const std::optional<LibraryImageReader::Header> header = reader->header();
    if (!header || !header->animated || !PictureDecoder::fitsAllocationLimit(header->size))
        return nullptr;
    return std::unique_ptr<LibraryAnimationFrames>(
        new LibraryAnimationFrames(std::move(reader), header->size, bound, header->plays));
}

AnimationStep LibraryAnimationFrames::next() {
    std::optional<LibraryImageReader::Frame> frame = m_reader->readFrame();
    if (!frame)
        return {};
    if (frame->image.isNull())
        return {AnimationStep::Kind::damaged, nullptr, 0};
    const QSize fitted = PictureDecoder::fittedSize(m_storedSize, m_bound);
    QImage image = fitted == frame->image.size()
                       ? std::move(frame->image)
                       : frame->image.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    PictureDecoder::convertToSrgb(image);
    return {AnimationStep::Kind::frame, std::make_shared<QtPicture>(std::move(image), m_storedSize),
            frame->delayMilliseconds};
}

} // namespace vistrel
