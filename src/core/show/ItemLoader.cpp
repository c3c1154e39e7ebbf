#include "core/show/ItemLoader.h"

#include "core/platform/BackgroundWork.h"

#include <exception>
#include <optional>
#include <utility>

namespace vistrel {

ItemLoader::ItemLoader(BackgroundWork& work, PictureService& pictures) : m_work(work), m_pictures(pictures) {}

void ItemLoader::request(const std::string& path, bool asPicture, Size neededSize, Loaded done) {
    Job job{path, asPicture, false, neededSize, m_requests.begin(), nullptr, nullptr};
    const bool tookOver = asPicture && takeOverAhead(job, done);
    supersedePreloads();
    m_zooms.supersedeAll();
    forgetOtherSizes(neededSize);
    m_firstLook.reset();
    if (tookOver || (asPicture && finishWithPictureDecodedAhead(job, done)))
        return;
    if (asPicture && !m_cache.find(path, neededSize) && m_pictures.mayHaveFirstLook(path))
        lookFirst(job, done);
    run(std::move(job), std::move(done));
}

// The first look decodes beside the picture itself, on a worker of its own, and is
// shown only if it comes first.
void ItemLoader::lookFirst(Job& job, const Loaded& done) {
    job.firstLook = std::make_shared<FirstLook>();
    job.firstLook->path = job.path;
    job.firstLook->neededSize = job.neededSize;
    m_firstLook = job.firstLook;
    m_work.run(
        [this, ticket = job.ticket, look = job.firstLook, done, path = job.path, neededSize = job.neededSize,
         &pictures = m_pictures]() -> BackgroundWork::Finish {
            if (!ticket.isCurrent())
                return {};
            LoadedItem item{FileStamp::of(path), pictures.decodeFirstLook(path, neededSize)};
            return [this, ticket, look, item = std::move(item), done] {
                if (ticket.isCurrent())
                    showFirstLook(*look, item, done);
            };
        },
        WorkPriority::onScreen);
}

// Not kept in the cache: stepping back to the picture should find the picture itself.
void ItemLoader::showFirstLook(FirstLook& look, const LoadedItem& item, const Loaded& done) {
    if (look.settled || !item.decoded.picture)
        return;
    look.shown = true;
    done(item);
}

// Only a decode a worker has begun: one still queued would wait at a preload's priority.
bool ItemLoader::takeOverAhead(const Job& job, const Loaded& done) {
    AheadUnderWay* ahead = m_aheadUnderWay.get();
    if (!ahead || ahead->path != job.path || !(ahead->neededSize == job.neededSize) || !ahead->started.load())
        return false;
    ahead->takerTicket = job.ticket;
    ahead->takerDone = done;
    ahead->taken.store(true);
    return true;
}

void ItemLoader::supersedePreloads() {
    m_preloads.supersedeAll();
    m_aheadUnderWay.reset();
}

// The first picture, decoded while the program started, is shown at once when it is
// ready: a round trip through a worker would let the window's first paint go first.
bool ItemLoader::finishWithPictureDecodedAhead(const Job& job, const Loaded& done) {
    std::optional<PictureDecodedAhead> ahead = m_pictures.takeFinishedDecode(job.path, job.neededSize);
    if (!ahead)
        return false;
    const LoadedItem item{ahead->stamp, std::move(ahead->decoded)};
    keepInCache(job, item);
    done(item);
    return true;
}

void ItemLoader::preload(std::vector<std::string> paths, Size neededSize) {
    forgetOtherSizes(neededSize);
    m_aheadUnderWay.reset();
    preloadNext(std::deque<std::string>(paths.begin(), paths.end()), neededSize, m_preloads.begin());
}

// Chained rather than queued at once: a request made meanwhile waits behind at most
// the one preload already decoding.
void ItemLoader::preloadNext(std::deque<std::string> paths, Size neededSize, ShowRequests::Ticket round) {
    if (paths.empty() || !round.isCurrent())
        return;
    std::string path = std::move(paths.front());
    paths.pop_front();
    run(Job{std::move(path), true, true, neededSize, round, nullptr, nullptr},
        [this, paths = std::move(paths), neededSize, round](const LoadedItem&) mutable {
            preloadNext(std::move(paths), neededSize, round);
        });
}

void ItemLoader::run(Job job, Loaded done) {
    std::optional<FileStamp> cachedStamp;
    DecodedPicture cached;
    if (job.asPicture) {
        if (const PictureCache::Entry* entry = m_cache.find(job.path, job.neededSize)) {
            cachedStamp = entry->stamp;
            cached = entry->decoded;
        }
    }
    if (job.ahead) {
        job.underWay = std::make_shared<AheadUnderWay>();
        job.underWay->path = job.path;
        job.underWay->neededSize = job.neededSize;
        m_aheadUnderWay = job.underWay;
    }
    const WorkPriority priority = job.ahead ? WorkPriority::preload : WorkPriority::onScreen;
    m_work.run(
        [this, job = std::move(job), cachedStamp, cached = std::move(cached), done = std::move(done),
         &pictures = m_pictures]() mutable -> BackgroundWork::Finish {
            if (job.underWay)
                job.underWay->started.store(true);
            // Superseded while it waited in the queue: not worth a stat, let alone a decode.
            if (!job.wanted())
                return {};
            bool fromCache = false;
            LoadedItem item = load(pictures, job, cachedStamp, fromCache);
            if (fromCache)
                item.decoded = std::move(cached);
            // The cached picture is only carried through the worker, never looked at there.
            return [this, job = std::move(job), item = std::move(item), done = std::move(done)] {
                if (job.reachesTheLoader())
                    finish(job, item, done);
            };
        },
        priority);
}

// On the GUI thread.
void ItemLoader::finish(const Job& job, const LoadedItem& item, const Loaded& done) {
    if (job.ticket.isCurrent()) {
        if (m_aheadUnderWay == job.underWay)
            m_aheadUnderWay.reset();
        keepInCache(job, item);
        if (job.firstLook && job.firstLook->shown)
            return sharpen(*job.firstLook, item.decoded.picture);
        if (job.firstLook)
            job.firstLook->settled = true;
        done(item);
        return;
    }
    if (job.underWay && job.underWay->taken.load()) {
        keepInCache(job, item);
        job.underWay->takerDone(item);
    }
}

void ItemLoader::sharpen(FirstLook& look, std::shared_ptr<Picture> picture) {
    if (!look.waiting) {
        look.picture = std::move(picture);
        return;
    }
    PictureResolution::Done waiting = std::exchange(look.waiting, nullptr);
    const ShowRequests::Ticket zoom = look.zoomTicket;
    look.settled = true;
    if (m_firstLook.get() == &look)
        m_firstLook.reset(); // which may have been the last to hold `look`
    if (zoom.isCurrent())
        waiting(std::move(picture));
}

// The view, showing a first look, asks for more resolution: the picture itself,
// decoding already (or come), answers it when the view asks for about the screen's
// worth. A view rounds its ask up to a decoding step, which is less than twice what it
// needs; a view zoomed in further meanwhile gets a decode of its own.
bool ItemLoader::takeFromFirstLook(const std::string& path, Size decodeSize, PictureResolution::Done& done) {
    FirstLook* look = m_firstLook.get();
    if (!look || !look->shown || look->settled || look->path != path ||
        decodeSize.width > 2 * look->neededSize.width || decodeSize.height > 2 * look->neededSize.height)
        return false;
    look->zoomTicket = m_zooms.begin();
    look->waiting = std::move(done);
    if (look->picture)
        sharpen(*look, *std::exchange(look->picture, std::nullopt));
    return true;
}

void ItemLoader::decodeMore(const std::string& path, Size decodeSize, PictureResolution::Done done) {
    if (takeFromFirstLook(path, decodeSize, done))
        return;
    m_work.run(
        [ticket = m_zooms.begin(), path, decodeSize, done = std::move(done),
         &pictures = m_pictures]() mutable -> BackgroundWork::Finish {
            if (!ticket.isCurrent())
                return {};
            std::shared_ptr<Picture> more =
                pictures.decodeWhileWanted(path, decodeSize, [&ticket] { return ticket.isCurrent(); })
                    .picture;
            return [ticket, more = std::move(more), done = std::move(done)] {
                if (ticket.isCurrent())
                    done(more);
            };
        },
        WorkPriority::zoom);
}

// On a worker. A path that is gone is still handed to the decoder when it is to be
// shown, so that the service reports it unreadable; a FIFO or a device never is:
// opening one could block for ever. Only a regular file's stamp vouches for a cached
// picture, and only a regular file is worth decoding ahead.
LoadedItem ItemLoader::load(PictureService& pictures, const Job& job,
                            const std::optional<FileStamp>& cachedStamp, bool& fromCache) {
    LoadedItem item;
    item.stamp = FileStamp::of(job.path);
    const bool regular = item.stamp.kind == FileKind::regular;
    const bool decodable = regular || (item.stamp.kind == FileKind::missing && !job.ahead);
    if (!job.asPicture || !decodable)
        return item;
    fromCache = regular && cachedStamp && *cachedStamp == item.stamp;
    if (!fromCache)
        item.decoded = pictures.decodeWhileWanted(job.path, job.neededSize, [&job] { return job.wanted(); });
    return item;
}

// The shown picture stays cached too, so that stepping back to it is as quick.
void ItemLoader::keepInCache(const Job& job, const LoadedItem& item) {
    if (!job.asPicture || job.neededSize != m_cachedSize)
        return;
    if (item.decoded.picture && item.stamp.kind == FileKind::regular)
        m_cache.put({job.path, job.neededSize, item.stamp, item.decoded});
    else
        m_cache.remove(job.path);
}

// A decoder's exception is that capture's failure, with its reason.
void ItemLoader::decodeFullSize(const std::string& path, FullSizePictures::Done done) {
    m_work.run(
        [alive = m_captures.newest(), path, done = std::move(done),
         &pictures = m_pictures]() mutable -> BackgroundWork::Finish {
            std::shared_ptr<Picture> picture;
            std::string failure;
            try {
                picture = pictures.decodeFirstImage(path, std::nullopt).picture;
                if (!picture)
                    failure = "cannot decode " + path + " at full size";
            } catch (const std::exception& error) {
                failure = "decoding " + path + " failed: " + error.what();
            }
            return
                [alive, picture = std::move(picture), failure = std::move(failure), done = std::move(done)] {
                    if (alive.isCurrent())
                        done(picture, failure);
                };
        },
        WorkPriority::capture);
}

void ItemLoader::invalidate() {
    supersedePreloads();
    m_cache.clear();
}

void ItemLoader::forgetOtherSizes(Size neededSize) {
    if (neededSize == m_cachedSize)
        return;
    m_cache.clear();
    m_cachedSize = neededSize;
}

} // namespace vistrel
