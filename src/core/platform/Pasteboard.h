#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vistrel {

// The desktop's clipboard, by type name ("image/tiff", "image/png", ...).
class Pasteboard {
public:
    virtual ~Pasteboard() = default;
    // Announces the types about to be offered; clears what was there.
    virtual void declareTypes(const std::vector<std::string>& types) = 0;
    virtual void setData(const std::string& type, const std::vector<std::uint8_t>& bytes) = 0;
};

} // namespace vistrel
