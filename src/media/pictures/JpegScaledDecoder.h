#pragma once

#include "media/pictures/PictureDecoder.h"
#include "codec/work/Parallelism.h"

#include <QSize>
#include <optional>

namespace vistrel {

// Decodes a JPEG larger than it is to be shown straight into the smaller image: the
// library decodes at the smallest eighth of the stored size that still covers
// `target`, and its rows are folded into `target` as they come, on a thread the
// parallelism finds idle. Gray and colour pictures come back as 32-bit opaque pixels,
// tagged with the file's ICC profile. The result's transformation is left empty: the
// caller knows it from the file's header.
class JpegScaledDecoder {
  public:
    // nullopt when the file is one Qt's general reader should read instead: CMYK and
    // YCCK pictures, and any layout other than one or three 8-bit components.
    // `target` must not be larger than the picture. `descriptor` is read from its
    // start, without moving its offset.
    //
    // A large baseline picture is decoded in segments that the parallelism runs (see
    // JpegSplitDecoder), as many as it is wide, up to four. Where that fails (no
    // memory for the segments, a segment that threw) the library decodes it instead.
    static std::optional<PictureDecoder::Result> decode(int descriptor, QSize target, const Parallelism& parallelism);
    // As decode(), in `segments` segments for any baseline picture JpegSplitDecoder
    // handles, whatever its size.
    static std::optional<PictureDecoder::Result> decodeInSegments(int descriptor, QSize target,
                                                                  const Parallelism& parallelism, int segments);
};

} // namespace vistrel
