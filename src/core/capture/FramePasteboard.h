#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vistrel {

class BackgroundWork;
class Movie;
class Pasteboard;
class PictureService;

// Offers the movie frame on screen to other programs through the pasteboard, as TIFF
// (and PNG where asked for). Pictures are not offered. The frame is taken at once;
// it is encoded in the background and put when ready, unless a newer offer came first.
class FramePasteboard {
public:
    static constexpr const char* tiffType = "image/tiff";
    static constexpr const char* pngType = "image/png";

    FramePasteboard(Pasteboard& pasteboard, PictureService& pictures, BackgroundWork& work);
    ~FramePasteboard();
    FramePasteboard(const FramePasteboard&) = delete;
    FramePasteboard& operator=(const FramePasteboard&) = delete;

    // True when a request for these types (empty: none) can be served.
    static bool servesTypes(const std::string& sendType, const std::string& returnType);

    // False, touching nothing, when `types` lack TIFF. Otherwise declares the types,
    // offers the frame of `movie` when there is one, and answers true.
    bool writeSelection(const std::vector<std::string>& types, const std::shared_ptr<Movie>& movie);

private:
    struct Offer;

    Pasteboard& m_pasteboard;
    PictureService& m_pictures;
    BackgroundWork& m_work;
    std::uint64_t m_offersMade = 0;
    // Finishing steps of background work hold it weakly: an object that is gone ignores them.
    std::shared_ptr<FramePasteboard*> m_self;
};

} // namespace vistrel
