#pragma once

#include "core/media/MovieFacts.h"
#include "core/media/PictureInfo.h"

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

namespace vistrel {

// The decoder helper's longer answers as bytes, to cross from it to the viewer. Strings
// go as they are (metadata is not always UTF-8), each with its length. Reading them back
// gives nullopt for bytes that are not what the writer wrote.
std::vector<std::byte> bytesOfInfo(const PictureInfo& info);
std::optional<PictureInfo> infoOfBytes(std::span<const std::byte> bytes);
std::vector<std::byte> bytesOfMovieFacts(const MovieFacts& facts);
std::optional<MovieFacts> movieFactsOfBytes(std::span<const std::byte> bytes);

} // namespace vistrel
