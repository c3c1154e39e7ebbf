#include "media/sandbox/HelperPictureService.h"

#include "media/pictures/QtPicture.h"
#include "media/sandbox/AnswerBytes.h"
#include "media/support/LogCategories.h"

#include <QColorSpace>
#include <QFile>
#include <cmath>

namespace vistrel {

namespace {

using namespace decoderprotocol;

QSize boundFor(std::optional<Size> neededSize) {
    if (!neededSize)
        return {};
    return {static_cast<int>(std::ceil(neededSize->width)), static_cast<int>(std::ceil(neededSize->height))};
}

// The helper's pixels, read where they lie: the image keeps the mapping while it lives.
QImage imageOver(const DecoderHelper::Answer& answer) {
    const ReplyHeader& header = answer.header;
    auto* kept = new std::shared_ptr<const SealedMapping>(answer.payload);
    QImage image(
        reinterpret_cast<const uchar*>(answer.payload->data()), header.width, header.height,
        qsizetype(header.bytesPerLine), QImage::Format(header.pixelFormat),
        [](void* mapping) { delete static_cast<std::shared_ptr<const SealedMapping>*>(mapping); }, kept);
    if ((header.flags & srgbFlag) != 0)
        image.setColorSpace(QColorSpace::SRgb);
    return image;
}

} // namespace

HelperPictureService::HelperPictureService(std::unique_ptr<DecoderHelper> helper,
                                           std::unique_ptr<QtPictureService> local)
    : m_helper(std::move(helper)), m_local(std::move(local)) {}

void HelperPictureService::decodeAhead(const std::string& path,
                                       std::function<std::optional<Size>()> guessNeededSize, Executor& executor) {
    if (!m_helper) {
        m_local->decodeAhead(path, std::move(guessNeededSize), executor);
        return;
    }
    auto findSize = [guess = std::move(guessNeededSize), ready = m_local->readySize()]() -> std::optional<Size> {
        if (std::optional<Size> guessed = guess())
            return guessed;
        return ready.get();
    };
    m_headStart.start(
        path, std::move(findSize),
        [this](const std::string& file, Size size) { return decodeInHelper(file, size, [] { return true; }); },
        executor);
}

std::optional<PictureDecodedAhead> HelperPictureService::takeFinishedDecode(const std::string& path,
                                                                            Size neededSize) {
    if (!m_helper)
        return m_local->takeFinishedDecode(path, neededSize);
    return m_headStart.takeIfDone(path, neededSize);
}

DecodedPicture HelperPictureService::decodeFirstImage(const std::string& path, std::optional<Size> neededSize) {
    return decodeWhileWanted(path, neededSize, [] { return true; });
}

DecodedPicture HelperPictureService::decodeWhileWanted(const std::string& path, std::optional<Size> neededSize,
                                                       const StillWanted& stillWanted) {
    if (!m_helper)
        return m_local->decodeWhileWanted(path, neededSize, stillWanted);
    if (std::optional<DecodedPicture> ahead = m_headStart.take(path, neededSize))
        return std::move(*ahead);
    return decodeInHelper(path, neededSize, stillWanted);
}

DecodedPicture HelperPictureService::decodeInHelper(const std::string& path, std::optional<Size> neededSize,
                                                    const StillWanted& stillWanted) {
    const std::optional<DecoderHelper::Answer> answer =
        m_helper->ask(Kind::decode, path, boundFor(neededSize), stillWanted);
    if (!answer || answer->header.status != Status::decoded)
        return {};
    const ReplyHeader& header = answer->header;
    DecodedPicture decoded;
    if (header.orientation != 0)
        decoded.orientation = header.orientation;
    decoded.animated = (header.flags & animatedFlag) != 0;
    decoded.picture = std::make_shared<QtPicture>(
        imageOver(*answer), QSize(header.storedWidth, header.storedHeight), path);
    return decoded;
}

PictureInfo HelperPictureService::inspect(const std::string& path) {
    if (!m_helper)
        return m_local->inspect(path);
    const std::optional<DecoderHelper::Answer> answer = m_helper->ask(Kind::inspect, path, {}, [] { return true; });
    if (!answer || answer->header.status != Status::inspected)
        return {};
    std::optional<PictureInfo> info = infoOfBytes(std::span(answer->payload->data(), answer->payload->size()));
    if (!info) {
        qCWarning(lcDecoder) << "the decoder helper's facts of" << QFile::decodeName(QByteArray::fromStdString(path))
                             << "do not read";
        return {};
    }
    return std::move(*info);
}

} // namespace vistrel
