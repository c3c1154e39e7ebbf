#pragma once

#include "media/pictures/PictureDecoder.h"
#include "codec/work/Parallelism.h"

#include <QSize>
#include <optional>

namespace vistrel {

// Decodes a PNG larger than it is to be shown straight into the smaller image: rows
// are inflated one at a time and folded into `target` at once, so the full-size
// picture is never held, and folding runs beside inflating on a thread the
// parallelism finds idle. Every bit
// depth and colour type comes back as 32-bit pixels (premultiplied when the file has
// alpha), tagged with the file's ICC profile. The result's transformation is left
// empty: the caller knows it from the file's header.
class PngScaledDecoder {
  public:
    // nullopt when the file is one Qt's general reader should read instead: an
    // interlaced PNG (its rows do not arrive in order), or colour described by gamma
    // and chromaticities rather than a profile. `target` must not be larger than the
    // picture. `descriptor` is read from its start, without moving its offset.
    static std::optional<PictureDecoder::Result> decode(int descriptor, QSize target, const Parallelism& parallelism);
};

} // namespace vistrel
