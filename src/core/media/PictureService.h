#pragma once

#include "core/geometry/Geometry.h"
#include "core/intake/FileStamp.h"
#include "core/media/AnimationFrames.h"
#include "core/media/PictureInfo.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vistrel {

class Picture;

// The first image of a file with the orientation it was stored with.
struct DecodedPicture {
    std::shared_ptr<Picture> picture; // nullptr when the file cannot be decoded
    std::optional<int> orientation;
    // The file holds more frames, which openAnimation() reads.
    bool animated = false;
};

// A picture decoded before anyone asked for it, with the stamp its file had then.
struct PictureDecodedAhead {
    FileStamp stamp;
    DecodedPicture decoded;
};

class PictureService {
  public:
    virtual ~PictureService() = default;

    // Lower-case extensions of every readable picture type.
    virtual std::vector<std::string> pictureFileTypes() const = 0;

    // Decodes the first image with its stored (unturned) pixels. `neededSize` is the
    // most the display needs (in stored orientation); larger pictures may be decoded
    // scaled down to it. Picture::extent() still reports the stored size.
    virtual DecodedPicture decodeFirstImage(const std::string& path, std::optional<Size> neededSize) = 0;
    // Asked from the decoding thread; false once the one who asked has moved on.
    using StillWanted = std::function<bool()>;
    // As decodeFirstImage, but a decode gives up early, with no picture, once
    // `stillWanted` answers false: a superseded request frees its worker.
    virtual DecodedPicture decodeWhileWanted(const std::string& path, std::optional<Size> neededSize,
                                             const StillWanted& stillWanted) {
        (void)stillWanted;
        return decodeFirstImage(path, neededSize);
    }

    // Whether files named like `path` may carry a first look (decodeFirstLook). Reads
    // nothing, so the GUI thread may ask.
    virtual bool mayHaveFirstLook(const std::string& path) const {
        (void)path;
        return false;
    }
    // The small picture some files carry for a quick first look (a HEIF photo's
    // thumbnail), to show while the picture itself decodes: its extent and orientation
    // are the picture's, its pixels few. No picture when the file carries none or
    // decodes quickly whole anyway. On a worker.
    virtual DecodedPicture decodeFirstLook(const std::string& path, Size neededSize) {
        (void)path;
        (void)neededSize;
        return {};
    }

    // The frames of an animated picture at `neededSize` (as decodeFirstImage), from the
    // first; nullptr when the file is no animation or cannot be read. On a worker.
    virtual std::unique_ptr<AnimationFrames> openAnimation(const std::string& path, std::optional<Size> neededSize) {
        (void)path;
        (void)neededSize;
        return nullptr;
    }

    virtual PictureInfo inspect(const std::string& path) = 0;
    // The picture of `path` at `neededSize` when one was decoded ahead (the first
    // picture, while the program starts) and is done; it is handed out once. Never
    // waits, so the GUI thread may ask.
    virtual std::optional<PictureDecodedAhead> takeFinishedDecode(const std::string& path, Size neededSize) {
        (void)path;
        (void)neededSize;
        return std::nullopt;
    }

    // JPEG bytes of every stored pixel at quality `compressionFactor` (0..1, 1 best);
    // empty on failure. The pixels are kept as stored; an `orientation` of 2..8 (Exif)
    // goes into the file's Exif orientation tag, so that viewers turn it as shown here.
    // Safe to call from a worker thread.
    virtual std::vector<std::uint8_t> jpegData(const Picture& picture, float compressionFactor,
                                               int orientation) = 0;
    // TIFF bytes; empty on failure. Safe to call from a worker thread.
    virtual std::vector<std::uint8_t> tiffData(const Picture& picture) = 0;
    // PNG bytes; empty on failure. Safe to call from a worker thread.
    virtual std::vector<std::uint8_t> pngData(const Picture& picture) = 0;
};

} // namespace vistrel
