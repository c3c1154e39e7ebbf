#pragma once

#include "core/geometry/Geometry.h"
#include "core/intake/FileStamp.h"
#include "core/media/PictureService.h"
#include "core/show/FullSizePictures.h"
#include "core/show/PictureCache.h"
#include "core/show/ShowRequests.h"
#include "core/view/PictureResolution.h"

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vistrel {

class BackgroundWork;

// What a worker found at a path asked to be shown.
struct LoadedItem {
    FileStamp stamp;
    // The picture, when the path was asked for as one and it decodes (or was cached).
    DecodedPicture decoded;
};

// The one road from a picture file to the screen: every decode for showing, for
// decoding ahead, for more resolution after a zoom and at full size for a capture goes
// through here, on the executor, so the GUI thread never waits on a file system or a
// decoder. Each kind of request is a lane with its own tickets and priority (on screen,
// capture, zoom, ahead): the newest request of a lane wins (captures are never
// superseded), an older one's result is dropped, its work does nothing if it had not
// started yet and its decode gives up midway if it had. A request to show also drops
// the decodes ahead, except one already decoding the picture asked for, which it takes
// over. While an item is shown, the neighbours it is given are decoded ahead, one at a
// time, into a cache. The first picture's head start, decoded before the windows
// existed, is taken here too. A picture whose file carries a first look (a HEIF photo's
// thumbnail) is shown by it while the picture itself decodes; the view's ask for more
// resolution then takes that decode. Pictures are immutable: more resolution is a new
// picture, and the cache keeps the screen-sized one. Lives on the GUI thread.
class ItemLoader final : public PictureResolution, public FullSizePictures {
  public:
    using Loaded = std::function<void(const LoadedItem&)>;

    ItemLoader(BackgroundWork& work, PictureService& pictures);
    ItemLoader(const ItemLoader&) = delete;
    ItemLoader& operator=(const ItemLoader&) = delete;

    // Supersedes every earlier request and the preloads under way. Stats `path` and,
    // `asPicture`, decodes it at `neededSize` (stored orientation) or takes it from the
    // cache when the file is unchanged. `done` runs on the GUI thread, and only while
    // this is still the newest request; a picture the service finished decoding ahead
    // is taken at once, `done` running before this returns.
    void request(const std::string& path, bool asPicture, Size neededSize, Loaded done);

    // Decodes `paths` in order, one after another, into the cache; paths cached from an
    // unchanged file are not decoded again. A later request or preload drops the rest.
    void preload(std::vector<std::string> paths, Size neededSize);

    // Drops the cached pictures and the preloads not yet done; a request under way stays.
    void invalidate();

    void decodeMore(const std::string& path, Size decodeSize, PictureResolution::Done done) override;
    void decodeFullSize(const std::string& path, FullSizePictures::Done done) override;

    // The ticket of the newest request, for work finishing it later (opening its movie):
    // that work must check it before touching the screen.
    ShowRequests::Ticket newestRequest() const { return m_requests.newest(); }
    const PictureCache& cache() const { return m_cache; }

  private:
    // A decode ahead that a worker has started. A request to show that picture takes it
    // over instead of decoding the file a second time, and the worker goes on with it
    // although the preloads it belonged to were superseded.
    struct AheadUnderWay {
        std::string path;
        Size neededSize;
        std::atomic<bool> started{false}; // set by the worker before it looks at the file
        std::atomic<bool> taken{false};   // set before the preloads are superseded
        // The request that took it over; GUI thread only.
        ShowRequests::Ticket takerTicket;
        Loaded takerDone;
    };
    // The race of a request's first look against the picture itself; GUI thread only.
    struct FirstLook {
        std::string path;
        Size neededSize;
        bool shown = false;    // the first look reached the screen
        bool settled = false;  // the picture itself came first, or the look was handed on
        // The picture itself, come after the first look, until the view asks for it.
        std::optional<std::shared_ptr<Picture>> picture;
        // The view's ask for more resolution, made while the picture itself decoded.
        ShowRequests::Ticket zoomTicket;
        PictureResolution::Done waiting;
    };
    struct Job {
        std::string path;
        bool asPicture = true;
        bool ahead = false; // a preload rather than a request
        Size neededSize;
        ShowRequests::Ticket ticket;
        std::shared_ptr<AheadUnderWay> underWay; // a preload's, once run
        std::shared_ptr<FirstLook> firstLook;    // a request's, when its file may carry one

        // Safe from any thread: a decode that is no longer wanted gives up midway.
        bool wanted() const { return ticket.isCurrent() || (underWay && underWay->taken.load()); }
        // GUI thread: whether its finishing step may reach the loader. A current ticket,
        // its own or that of the request that took it over, vouches that the loader exists.
        bool reachesTheLoader() const {
            return ticket.isCurrent() ||
                   (underWay && underWay->taken.load() && underWay->takerTicket.isCurrent());
        }
    };
    // Runs `job` on a worker; `done` gets what it found on the GUI thread, after the
    // cache took it, while the job's ticket is current.
    void run(Job job, Loaded done);
    bool finishWithPictureDecodedAhead(const Job& job, const Loaded& done);
    bool takeOverAhead(const Job& job, const Loaded& done);
    void lookFirst(Job& job, const Loaded& done);
    void showFirstLook(FirstLook& look, const LoadedItem& item, const Loaded& done);
    // Hands the picture itself, come after its first look, to the view's ask for more.
    void sharpen(FirstLook& look, std::shared_ptr<Picture> picture);
    bool takeFromFirstLook(const std::string& path, Size decodeSize, PictureResolution::Done& done);
    void supersedePreloads();
    void finish(const Job& job, const LoadedItem& item, const Loaded& done);
    static LoadedItem load(PictureService& pictures, const Job& job,
                           const std::optional<FileStamp>& cachedStamp, bool& fromCache);
    void keepInCache(const Job& job, const LoadedItem& item);
    void preloadNext(std::deque<std::string> paths, Size neededSize, ShowRequests::Ticket round);
    // A picture decoded for another screen is no use on this one.
    void forgetOtherSizes(Size neededSize);

    BackgroundWork& m_work;
    PictureService& m_pictures;
    PictureCache m_cache;
    Size m_cachedSize;
    std::shared_ptr<AheadUnderWay> m_aheadUnderWay; // while its preloads are current
    std::shared_ptr<FirstLook> m_firstLook;         // the newest request's, while it races
    // Declared last: destroyed first, so every finishing step still out sees its ticket
    // void before it could reach the members above.
    ShowRequests m_preloads;
    ShowRequests m_zooms;
    ShowRequests m_captures; // only ever ended by the loader's end
    ShowRequests m_requests;
};

} // namespace vistrel
