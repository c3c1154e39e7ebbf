#pragma once

#include "core/geometry/Geometry.h"
#include "core/intake/FileStamp.h"
#include "core/media/PictureService.h"

#include <cstddef>
#include <list>
#include <optional>
#include <string>

namespace vistrel {

// Pictures decoded ahead of being shown, at the size the screen needs. Bounded by a
// count of screen-sized images: the oldest used goes first. An entry is only good for
// the file as it was stamped when decoded; the caller compares stamps off the GUI
// thread, since taking one may block. GUI thread only.
class PictureCache {
  public:
    static constexpr std::size_t defaultCapacity = 4;

    explicit PictureCache(std::size_t capacity = defaultCapacity) : m_capacity(capacity) {}

    struct Entry {
        std::string path;
        Size neededSize;
        FileStamp stamp;
        DecodedPicture decoded;
    };

    // The entry for `path` decoded for `neededSize`, marked as the most recently used.
    const Entry* find(const std::string& path, Size neededSize);
    void put(Entry entry);
    void remove(const std::string& path);
    void clear() { m_entries.clear(); }
    std::size_t size() const { return m_entries.size(); }
    std::size_t capacity() const { return m_capacity; }

  private:
    std::size_t m_capacity;
    std::list<Entry> m_entries; // most recently used first
};

} // namespace vistrel
