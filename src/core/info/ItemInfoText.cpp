#include "info/ItemInfoText.h"

namespace vistrel {

std::optional<std::string> getInfoString(const std::string&, PictureService&, MovieService&) {
    return std::nullopt;
}

} // namespace vistrel
