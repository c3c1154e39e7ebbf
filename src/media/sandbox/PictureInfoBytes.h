#pragma once

#include "core/media/PictureInfo.h"

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

namespace vistrel {

// A PictureInfo as bytes, to cross from the decoder helper to the viewer. Strings go
// as they are (metadata is not always UTF-8), each with its length.
std::vector<std::byte> bytesOfInfo(const PictureInfo& info);
// The info those bytes hold; nullopt when they are not what bytesOfInfo writes.
std::optional<PictureInfo> infoOfBytes(std::span<const std::byte> bytes);

} // namespace vistrel
