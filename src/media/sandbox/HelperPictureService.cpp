#include "media/sandbox/HelperPictureService.h"

#include "codec/io/OwnedDescriptor.h"
#include "core/media/AnimationFrames.h"
#include "media/pictures/QtPicture.h"
#include "media/sandbox/AnswerBytes.h"
#include "media/support/LogCategories.h"

#include <QColorSpace>
#include <QFile>


namespace vistrel {

namespace {

using namespace decoderprotocol;

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

// An animation's frames decoded in the helper, one per request on the animation's own
// socket; a helper that goes away or answers wrongly ends it on the last good frame.
class HelperAnimationFrames final : public AnimationFrames {
  public:
    // Closing `session` with these frames stops the helper's side.
    HelperAnimationFrames(OwnedDescriptor session, std::optional<int> plays)
        : m_session(std::move(session)), m_plays(plays) {}

    std::optional<int> plays() const override { return m_plays; }

    AnimationStep next() override {
        const std::optional<DecoderHelper::Answer> answer = ask(SessionCommand::next);
        AnimationStep step;
        if (!answer || answer->header.status == Status::failed || answer->header.status == Status::rewound) {
            step.kind = AnimationStep::Kind::damaged;
        } else if (answer->header.status == Status::decoded) {
            step.kind = AnimationStep::Kind::frame;
            step.picture = std::make_shared<QtPicture>(imageOver(*answer));
            step.delayMilliseconds = answer->header.delayMilliseconds;
        }
        return step;
    }

    bool rewind() override {
        const std::optional<DecoderHelper::Answer> answer = ask(SessionCommand::rewind);
        return answer && answer->header.status == Status::rewound;
    }

  private:
    std::optional<DecoderHelper::Answer> ask(SessionCommand command) {
        if (!sendDatagram(m_session.get(), bytesOf(command)))
            return std::nullopt;
        std::optional<DecoderHelper::Answer> answer = DecoderHelper::receiveAnswer(m_session.get(), Kind::animate);
        if (answer && answer->header.status == Status::failed)
            qCInfo(lcDecoder) << "an animation ends:" << answer->header.reason;
        return answer;
    }

    OwnedDescriptor m_session;
    std::optional<int> m_plays;
};

} // namespace

std::unique_ptr<AnimationFrames> HelperPictureService::openAnimation(const std::string& path,
                                                                     std::optional<Size> neededSize) {
    if (!m_helper)
        return m_local->openAnimation(path, neededSize);
    int handedOver = -1;
    const std::optional<DecoderHelper::Answer> opened =
        m_helper->ask(Kind::animate, path, pictureBoundFor(neededSize), [] { return true; }, &handedOver);
    OwnedDescriptor session(handedOver);
    if (!opened || opened->header.status != Status::animating)
        return nullptr;
    const std::optional<int> plays =
        opened->header.plays < 0 ? std::nullopt : std::optional<int>(opened->header.plays);
    return std::make_unique<HelperAnimationFrames>(std::move(session), plays);
}

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

DecodedPicture HelperPictureService::decodeFirstLook(const std::string& path, Size neededSize) {
    if (!m_helper)
        return m_local->decodeFirstLook(path, neededSize);
    return decodeInHelper(path, neededSize, [] { return true; }, Kind::firstLook);
}

DecodedPicture HelperPictureService::decodeInHelper(const std::string& path, std::optional<Size> neededSize,
                                                    const StillWanted& stillWanted, Kind kind) {
    const std::optional<DecoderHelper::Answer> answer =
        m_helper->ask(kind, path, pictureBoundFor(neededSize), stillWanted);
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
