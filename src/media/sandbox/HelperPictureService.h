#pragma once

#include "core/media/PictureService.h"
#include "media/sandbox/DecoderHelper.h"
#include "media/pictures/QtPictureService.h"
#include "core/show/DecodeHeadStart.h"

#include <memory>

namespace vistrel {

class Executor;

// Pictures decoded and inspected behind a wall: every parse of a file's bytes happens
// in the decoder helper process, and its pixels are mapped here as they came, without
// a copy; an animation's frames come one by one from a conversation with the helper.
// What parses no file (the list of picture types, encoding pixels this process holds) is
// left to the in-process service, which also decodes everything when no helper could be
// started: pictures still show.
class HelperPictureService final : public PictureService {
  public:
    // `helper` may be null.
    HelperPictureService(std::unique_ptr<DecoderHelper> helper, std::unique_ptr<QtPictureService> local);

    // As QtPictureService::decodeAhead, decoded in the helper, which needs no
    // application object: the first picture decodes as soon as its size is known.
    void decodeAhead(const std::string& path, std::function<std::optional<Size>()> guessNeededSize,
                     Executor& executor);
    void applicationReady(std::optional<Size> neededSize) { m_local->applicationReady(neededSize); }

    std::vector<std::string> pictureFileTypes() const override { return m_local->pictureFileTypes(); }
    DecodedPicture decodeFirstImage(const std::string& path, std::optional<Size> neededSize) override;
    DecodedPicture decodeWhileWanted(const std::string& path, std::optional<Size> neededSize,
                                     const StillWanted& stillWanted) override;
    bool mayHaveFirstLook(const std::string& path) const override { return m_local->mayHaveFirstLook(path); }
    DecodedPicture decodeFirstLook(const std::string& path, Size neededSize) override;
    std::unique_ptr<AnimationFrames> openAnimation(const std::string& path,
                                                   std::optional<Size> neededSize) override;
    PictureInfo inspect(const std::string& path) override;
    std::optional<PictureDecodedAhead> takeFinishedDecode(const std::string& path, Size neededSize) override;
    std::vector<std::uint8_t> jpegData(const Picture& picture, float compressionFactor, int orientation) override {
        return m_local->jpegData(picture, compressionFactor, orientation);
    }
    std::vector<std::uint8_t> tiffData(const Picture& picture) override { return m_local->tiffData(picture); }
    std::vector<std::uint8_t> pngData(const Picture& picture) override { return m_local->pngData(picture); }

  private:
    // `kind` is decode or firstLook.
    DecodedPicture decodeInHelper(const std::string& path, std::optional<Size> neededSize,
                                  const StillWanted& stillWanted,
                                  decoderprotocol::Kind kind = decoderprotocol::Kind::decode);

    std::unique_ptr<DecoderHelper> m_helper;
    std::unique_ptr<QtPictureService> m_local;
    DecodeHeadStart m_headStart; // ended before the helper and the local service
};

} // namespace vistrel
