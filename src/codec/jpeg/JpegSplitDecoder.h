#pragma once

#include "codec/jpeg/JpegBitReader.h"
#include "codec/jpeg/JpegHuffmanTable.h"
#include "codec/rows/RowPipeline.h"
#include "codec/work/Parallelism.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace vistrel {

// What decoding a baseline JPEG's only scan takes, as its header gives it.
struct JpegScan {
    struct Component {
        int horizontal = 1; // sampling factors
        int vertical = 1;
        std::array<std::uint16_t, 64> quantisation{}; // in natural (row by row) order
        int dcTable = 0;                              // into `tables`
        int acTable = 0;
    };

    int width = 0;
    int height = 0;
    // Gray, or Y, Cb and Cr, in the order the scan interleaves them.
    std::vector<Component> components;
    std::vector<JpegHuffmanTable> tables;
    std::uint64_t dataStart = 0; // file offset of the entropy-coded data
    std::uint64_t fileSize = 0;
};

// Decodes a large baseline JPEG at a reduced size on several threads at once, though
// its entropy-coded data is one stream without restart markers. The data is cut into
// segments, each decoded from its first byte on as if a block began there. A Huffman
// code resynchronises within a few blocks: once a segment's decoder, running on past
// its end, meets the next segment's decoder at the start of a block with the same
// bit position, the next decoder has been decoding the true blocks from there on,
// only counting them from its own start and carrying its own DC predictions. Both
// offsets are known at the meeting point and are settled when the rows are put
// together, so the result is exactly that of decoding the stream from the start.
//
// Each 8x8 luma block becomes `eighths` x `eighths` samples: the block's low-frequency
// corner of that many coefficients, transformed at that size. The reference decoder's
// scaled decoding does the same at 1/8 (the DC alone), 3/8, 5/8, 6/8 and 7/8, and at
// 8/8 transforms the whole block; there the two agree but for rounding. At 2/8 and 4/8
// it uses reduced transforms of its own that also weigh higher frequencies from
// outside the corner, so blocks with fine detail differ: there the result is close to
// its output, not the same. Chroma blocks are transformed at the size that puts their
// samples on the luma grid, which spares widening them afterwards. Every sample is
// limited to 0..255 before colours are converted, as the reference decoder does.
class JpegSplitDecoder {
  public:
    // Whether the scan's layout is one this decoder handles at `eighths` (1 to 8):
    // one component, or three whose sampling factors divide the largest, where every
    // chroma block reaches the luma grid in at most 8 x 8 samples. The reference
    // decoder interpolates chroma more smoothly than repeating it would.
    static bool supports(const JpegScan& scan, int eighths);
    // The decoded size at `eighths`: that of the reference decoder's scaled output.
    static int scaledSide(int side, int eighths) { return (side * eighths + 7) / 8; }

    // Decodes `scan`, reading the file through `read`, cut into up to `segments`
    // segments that `parallelism` runs, and hands the scaled rows to `rows` as blue,
    // green, red and 255, of scaledSide(width) pixels. Requires supports().
    // Blocks a stream that ends early does not reach are left flat gray; damaged data
    // decodes to whatever its codes say, the same however many segments there are and
    // in whatever order they run. Throws std::bad_alloc when the segments' memory
    // cannot be had, DecodeAbandoned once `parallelism` says nobody wants the picture,
    // and whatever a segment or `rows` threw; nothing is handed to `rows` when a
    // segment failed.
    static void decode(const JpegScan& scan, int eighths, const JpegBitReader::FileRead& read, int segments,
                       const Parallelism& parallelism, RowPipeline& rows);
};

} // namespace vistrel
