#pragma once

#include "core/media/Attributes.h"

#include <string>

namespace vistrel {

// The printed form of a dictionary of facts, the same for every kind the information
// text shows: a brace block with one `key = value;` line per entry, in order.
//
//     {
//         ColorModel = RGB;
//         "Exif.Image.Make" = "Fixture Camera";
//         PixelWidth = 300;
//     }
//
// Words and numbers stand bare; anything else is quoted, with quotes, backslashes and
// line breaks escaped, so every entry stays on its own line whatever its text.
class DictionaryDescription {
  public:
    static std::string of(const Attributes& dictionary);
};

} // namespace vistrel
