#include "core/show/ItemLoader.h"

#include "core/platform/BackgroundWork.h"

#include <exception>
#include <optional>
#include <utility>

namespace vistrel {

ItemLoader::ItemLoader(BackgroundWork& work, PictureService& pictures) : m_work(work), m_pictures(pictures) {}

void ItemLoader::request(const std::string& path, bool asPicture, Size neededSize, Loaded done) {
    m_preloads.supersedeAll();
    m_zooms.supersedeAll();
    forgetOtherSizes(neededSize);
    Job job{path, asPicture, false, neededSize, m_requests.begin()};
    if (asPicture && finishWithPictureDecodedAhead(job, done))
        return;
    run(std::move(job), std::move(done));
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
    preloadNext(std::deque<std::string>(paths.begin(), paths.end()), neededSize, m_preloads.begin());
}

// Chained rather than queued at once: a request made meanwhile waits behind at most
// the one preload already decoding.
void ItemLoader::preloadNext(std::deque<std::string> paths, Size neededSize, ShowRequests::Ticket round) {
    if (paths.empty() || !round.isCurrent())
        return;
    std::string path = std::move(paths.front());
    paths.pop_front();
    run(Job{std::move(path), true, true, neededSize, round},
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
    const WorkPriority priority = job.ahead ? WorkPriority::preload : WorkPriority::onScreen;
    m_work.run(
        [this, job = std::move(job), cachedStamp, cached = std::move(cached), done = std::move(done),
         &pictures = m_pictures]() mutable -> BackgroundWork::Finish {
            // Superseded while it waited in the queue: not worth a stat, let alone a decode.
            if (!job.ticket.isCurrent())
                return {};
            bool fromCache = false;
            LoadedItem item = load(pictures, job, cachedStamp, fromCache);
            if (fromCache)
                item.decoded = std::move(cached);
            // The cached picture is only carried through the worker, never looked at there.
            return [this, job = std::move(job), item = std::move(item), done = std::move(done)]() mutable {
                if (!job.ticket.isCurrent())
                    return;
                keepInCache(job, item);
                done(item);
            };
        },
        priority);
}

void ItemLoader::decodeMore(const std::string& path, Size decodeSize, PictureResolution::Done done) {
    m_work.run(
        [ticket = m_zooms.begin(), path, decodeSize, done = std::move(done),
         &pictures = m_pictures]() mutable -> BackgroundWork::Finish {
            if (!ticket.isCurrent())
                return {};
            std::shared_ptr<Picture> more = pictures.decodeFirstImage(path, decodeSize).picture;
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
        item.decoded = pictures.decodeFirstImage(job.path, job.neededSize);
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
    m_preloads.supersedeAll();
    m_cache.clear();
}

void ItemLoader::forgetOtherSizes(Size neededSize) {
    if (neededSize == m_cachedSize)
        return;
    m_cache.clear();
    m_cachedSize = neededSize;
}

} // namespace vistrel
