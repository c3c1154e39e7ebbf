#pragma once

#include "FakeAnimationFrames.h"
#include "FakePicture.h"
#include "core/media/PictureService.h"

#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <stdexcept>

namespace vistrel::test {

// Pictures by path: `decodable` ones decode to their stored size and orientation,
// `infos` answer inspect (a path in neither is no picture).
class FakePictureService : public PictureService {
  public:
    struct Stored {
        Size size;
        std::optional<int> orientation;
    };

    std::vector<std::string> pictureFileTypes() const override { return types; }
    // May run on a worker (the real background work in the app tests): `beforeDecode`
    // lets a test hold it there.
    DecodedPicture decodeFirstImage(const std::string& path, std::optional<Size> neededSize) override {
        return decodeWhileWanted(path, neededSize, [] { return true; });
    }
    // A decode no longer wanted once `beforeDecode` ran gives up, noted in `abandoned`.
    DecodedPicture decodeWhileWanted(const std::string& path, std::optional<Size> neededSize,
                                     const StillWanted& stillWanted) override {
        if (beforeDecode)
            beforeDecode(path);
        const std::lock_guard lock(m_decodeMutex);
        if (!stillWanted()) {
            abandoned.push_back(path);
            return {};
        }
        decoded.push_back(path);
        lastNeededSize = neededSize;
        const auto found = decodable.find(path);
        if (found == decodable.end())
            return {};
        // A decode for the screen holds fewer pixels than the file.
        return {std::make_shared<FakePicture>(found->second.size, path, !neededSize),
                found->second.orientation, animations.count(path) > 0};
    }
    bool mayHaveFirstLook(const std::string& path) const override { return firstLooks.count(path) > 0; }
    // A first look is a decode of the picture that holds few of its pixels.
    DecodedPicture decodeFirstLook(const std::string& path, Size) override {
        const auto found = decodable.find(path);
        if (!firstLooks.count(path) || found == decodable.end())
            return {};
        looksGiven.push_back(std::make_shared<FakePicture>(found->second.size, path, false));
        return {looksGiven.back(), found->second.orientation};
    }
    std::unique_ptr<AnimationFrames> openAnimation(const std::string& path, std::optional<Size>) override {
        const auto found = animations.find(path);
        if (found == animations.end())
            return nullptr;
        return std::make_unique<FakeAnimationFrames>(found->second, framesDecoded);
    }
    PictureInfo inspect(const std::string& path) override {
        const auto info = infos.find(path);
        if (info != infos.end())
            return info->second;
        const auto found = decodable.find(path);
        if (found == decodable.end())
            return {};
        PictureInfo known;
        known.status = PictureStatus::ok;
        known.orientation = found->second.orientation;
        return known;
    }
    std::optional<PictureDecodedAhead> takeFinishedDecode(const std::string& path, Size neededSize) override {
        if (!decodedAhead || decodedAhead->first != path || !(neededSize == decodedAheadSize))
            return std::nullopt;
        return std::exchange(decodedAhead, std::nullopt)->second;
    }
    // Encoders answer their `...Bytes` and note what they were given.
    std::vector<std::uint8_t> jpegData(const Picture& picture, float factor, int orientation) override {
        encodedJpegs.push_back({picture.extent(), factor, orientation, picture.holdsEveryStoredPixel()});
        if (jpegEncoderFails)
            throw std::runtime_error("the encoder gave up");
        return jpegBytes;
    }
    std::vector<std::uint8_t> tiffData(const Picture&) override { return tiffBytes; }
    std::vector<std::uint8_t> pngData(const Picture&) override { return pngBytes; }

    std::vector<std::string> types{"jpg", "jpeg", "png", "tiff"};
    std::map<std::string, Stored> decodable;
    std::map<std::string, PictureInfo> infos;
    std::set<std::string> firstLooks; // decodable pictures whose files carry a first look
    std::vector<std::shared_ptr<Picture>> looksGiven;
    // Decodable pictures that move, and how many of their frames were decoded.
    std::map<std::string, AnimationScript> animations;
    std::shared_ptr<std::size_t> framesDecoded = std::make_shared<std::size_t>(0);
    std::vector<std::string> decoded;
    std::vector<std::string> abandoned;
    std::optional<Size> lastNeededSize;
    std::function<void(const std::string&)> beforeDecode;
    // What takeFinishedDecode hands out once: a path's picture at `decodedAheadSize`.
    std::optional<std::pair<std::string, PictureDecodedAhead>> decodedAhead;
    Size decodedAheadSize;

    struct EncodedJpeg {
        Size size;
        float compressionFactor;
        int orientation;
        bool whole;
    };
    bool jpegEncoderFails = false;
    std::vector<std::uint8_t> jpegBytes{0xFF, 0xD8, 'j', 'p', 'g', 0xFF, 0xD9};
    std::vector<std::uint8_t> tiffBytes{'M', 'M', 0, 42};
    std::vector<std::uint8_t> pngBytes{0x89, 'P', 'N', 'G'};
    std::vector<EncodedJpeg> encodedJpegs;

  private:
    std::mutex m_decodeMutex;
};

} // namespace vistrel::test
