#pragma once

#include "core/events/Signal.h"
#include "core/settings/UserDefaults.h"

#include <functional>
#include <string>
#include <vector>

namespace vistrel {

// The recently shown items, newest first, at most maximumRecentDocumentCount,
// kept in the settings store so that they survive a restart. A path shown again
// moves to the front instead of appearing twice.
class RecentDocuments {
public:
    static constexpr unsigned maximumRecentDocumentCount = 10;

    explicit RecentDocuments(UserDefaults& defaults) : m_defaults(defaults) {}

    void noteNewRecentDocumentURL(const std::string& path);
    std::vector<std::string> recentDocumentPaths() const;
    void clear();

    // Emitted after every change of the list.
    Signal<> changed;

private:
    void store(const std::vector<std::string>& paths);

    UserDefaults& m_defaults;
};

} // namespace vistrel
