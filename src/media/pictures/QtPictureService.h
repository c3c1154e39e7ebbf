#pragma once

#include "codec/work/Parallelism.h"
#include "core/media/PictureService.h"
#include "core/show/DecodeHeadStart.h"
#include "media/pictures/PictureDecoder.h"

#include <functional>
#include <future>
#include <optional>

namespace vistrel {

class Executor;

// The bounds a decode for `neededSize` asks of a decoder: whole pixels, rounded up;
// empty (the whole picture) without a size.
QSize pictureBoundFor(std::optional<Size> neededSize);

// Pictures through Qt's image readers and writers (with the image-format plugins) and
// exiv2 for their metadata. Decoded pictures are QtPicture objects.
class QtPictureService final : public PictureService {
  public:
    // Decodes spread their work over `parallelism`; by default each runs on the
    // thread that asked for it.
    explicit QtPictureService(Parallelism parallelism = {});
    ~QtPictureService() override;

    // Begins decoding the first picture, `path`, at once on `executor`, even
    // before the application object exists; the first decodeFirstImage asking for the
    // same path and size takes the result. The size is what `guessNeededSize` answers on
    // that thread, or else what applicationReady() brings. A PNG, or a JPEG larger
    // than needed, decodes at once; the rest waits for applicationReady(), as only then
    // may the general reader run.
    void decodeAhead(const std::string& path, std::function<std::optional<Size>()> guessNeededSize,
                     Executor& executor);

    // The application object exists, and pictures are needed at `neededSize` (nothing
    // when there is no screen to tell it).
    void applicationReady(std::optional<Size> neededSize);
    // What applicationReady() brings, once it has.
    std::shared_future<std::optional<Size>> readySize() const { return m_readySize; }

    // The picture through this program's own decoders alone (a PNG, or a JPEG larger than
    // needed), which need no image plugin and no metadata library; nullopt when it needs
    // the general readers. An empty picture when it fails or is no longer wanted.
    std::optional<DecodedPicture> decodeWithOwnDecoders(const std::string& path, std::optional<Size> neededSize,
                                                        const StillWanted& stillWanted) const;

    std::vector<std::string> pictureFileTypes() const override;
    DecodedPicture decodeFirstImage(const std::string& path, std::optional<Size> neededSize) override;
    DecodedPicture decodeWhileWanted(const std::string& path, std::optional<Size> neededSize,
                                     const StillWanted& stillWanted) override;
    bool mayHaveFirstLook(const std::string& path) const override;
    DecodedPicture decodeFirstLook(const std::string& path, Size neededSize) override;
    std::unique_ptr<AnimationFrames> openAnimation(const std::string& path,
                                                   std::optional<Size> neededSize) override;
    PictureInfo inspect(const std::string& path) override;
    std::optional<PictureDecodedAhead> takeFinishedDecode(const std::string& path, Size neededSize) override;
    std::vector<std::uint8_t> jpegData(const Picture& picture, float compressionFactor,
                                       int orientation) override;
    std::vector<std::uint8_t> tiffData(const Picture& picture) override;
    std::vector<std::uint8_t> pngData(const Picture& picture) override;

  private:
    static DecodedPicture decodeNow(const std::string& path, std::optional<Size> neededSize,
                                    const Parallelism& parallelism);
    static DecodedPicture decodedPicture(PictureDecoder::Result decoded, const std::string& path);

    Parallelism m_parallelism;
    DecodeHeadStart m_headStart;
    std::promise<std::optional<Size>> m_applicationReady;
    std::shared_future<std::optional<Size>> m_readySize = m_applicationReady.get_future().share();
    bool m_ready = false;
};

} // namespace vistrel
