#pragma once

#include "media/pictures/PictureDecoder.h"
#include "codec/work/Parallelism.h"

#include <QSize>
#include <optional>

namespace vistrel {

// Decodes a PNG at its stored size or smaller. Scaled down, rows are inflated one at a
// time and folded into `target` at once, so the full-size picture is never held (but
// for an interlaced one, whose rows are whole only after the last pass), and folding
// runs beside inflating on a thread the parallelism finds idle. Every bit depth, colour
// type and interlacing comes back as 32-bit pixels (premultiplied when the file has
// alpha, a transparent colour included). A file gamma is applied by libpng, so that the
// pixels come at the display's gamma; an ICC profile, or chromaticities other than
// sRGB's, tag the image with their colour space for the caller to convert. The
// result's transformation is left empty: the caller knows it from the file's header.
class PngScaledDecoder {
  public:
    // nullopt when libpng refuses the file's header or the sizes are beyond what the
    // downscaler folds: the general reader may try. `target` must not be larger than
    // the picture. `descriptor` is read from its start, without moving its offset.
    static std::optional<PictureDecoder::Result> decode(int descriptor, QSize target, const Parallelism& parallelism);
};

} // namespace vistrel
