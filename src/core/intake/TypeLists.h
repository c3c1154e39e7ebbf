#pragma once

#include <algorithm>
#include <string>
#include <vector>

namespace vistrel {

// Whether `extension` (already lower-cased by the caller) is one of `types`. The
// lists are kept as the media services delivered them, so this is an exact comparison.
inline bool containsType(const std::vector<std::string>& types, const std::string& extension) {
    return std::find(types.begin(), types.end(), extension) != types.end();
}

} // namespace vistrel
