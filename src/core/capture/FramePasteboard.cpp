#include "core/capture/FramePasteboard.h"

#include "core/media/Movie.h"
#include "core/media/PictureService.h"
#include "core/platform/BackgroundWork.h"
#include "core/platform/Pasteboard.h"

#include <algorithm>
#include <utility>

namespace vistrel {

namespace {

bool contains(const std::vector<std::string>& types, const std::string& type) {
    return std::find(types.begin(), types.end(), type) != types.end();
}

bool noneOr(const std::string& type, const std::string& accepted) {
    return type.empty() || type == accepted;
}

} // namespace

// The encoded frame, by type, in the order it is put.
struct FramePasteboard::Offer {
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> data;
};

FramePasteboard::FramePasteboard(Pasteboard& pasteboard, PictureService& pictures, BackgroundWork& work)
    : m_pasteboard(pasteboard), m_pictures(pictures), m_work(work),
      m_self(std::make_shared<FramePasteboard*>(this)) {}

FramePasteboard::~FramePasteboard() = default;

bool FramePasteboard::servesTypes(const std::string& sendType, const std::string& returnType) {
    return noneOr(sendType, tiffType) && noneOr(returnType, tiffType);
}

bool FramePasteboard::writeSelection(const std::vector<std::string>& types,
                                     const std::shared_ptr<Movie>& movie) {
    if (!contains(types, tiffType))
        return false;
    m_pasteboard.declareTypes(types);
    const std::uint64_t offer = ++m_offersMade;
    std::shared_ptr<Picture> frame = movie ? movie->currentFrameImage() : nullptr;
    if (!frame)
        return true;
    const bool withPng = contains(types, pngType);
    std::weak_ptr<FramePasteboard*> self = m_self;
    PictureService& pictures = m_pictures;
    m_work.run([self, &pictures, frame = std::move(frame), withPng, offer]() -> BackgroundWork::Finish {
        Offer encoded;
        encoded.data.emplace_back(tiffType, pictures.tiffData(*frame));
        if (withPng)
            encoded.data.emplace_back(pngType, pictures.pngData(*frame));
        return [self, offer, encoded = std::move(encoded)] {
            const auto alive = self.lock();
            if (!alive || (*alive)->m_offersMade != offer)
                return;
            for (const auto& [type, bytes] : encoded.data)
                if (!bytes.empty())
                    (*alive)->m_pasteboard.setData(type, bytes);
        };
    });
    return true;
}

} // namespace vistrel
