#pragma once

// What the JPEG fuzz targets share: the input read as a baseline JPEG by the header
// walk the split decoder starts from, with the declared size capped, and the split
// decoder's or the library's rows at a scale, gathered whole.

#include "codec/io/DescriptorReader.h"
#include "codec/jpeg/JpegLibraryDecoder.h"
#include "codec/jpeg/JpegSplitDecoder.h"
#include "codec/rows/RowPipeline.h"
#include "codec/work/Parallelism.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace vistrel::fuzz {

// Larger declared pictures only cost time and memory, not coverage.
constexpr std::int64_t mostPixels = std::int64_t(512) * 512;
constexpr int bytesPerPixel = 4;

struct Rows {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bytes; // blue, green, red, 255

    bool operator==(const Rows&) const = default;
};

inline JpegBitReader::FileRead readFrom(const std::uint8_t* data, std::size_t size) {
    return [data, size](std::uint64_t offset, std::uint8_t* into, std::size_t count) -> std::size_t {
        if (offset >= size)
            return 0;
        const std::size_t copied = std::min<std::size_t>(count, size - std::size_t(offset));
        std::memcpy(into, data + offset, copied);
        return copied;
    };
}

// The scan of a picture the split decoder may take, from the file open at `descriptor`.
inline std::optional<JpegScan> scanOf(int descriptor, std::size_t size) {
    DescriptorReader reader(descriptor);
    JpegLibraryDecoder library(reader, {});
    if (!library.readHeader() || !library.decodable())
        return std::nullopt;
    std::optional<JpegScan> scan = library.scan(size);
    if (scan && std::int64_t(scan->width) * scan->height > mostPixels)
        return std::nullopt;
    return scan;
}

// Runs the segments one after another on the calling thread, the last first: each
// then meets the next one's marks, where running them in turn lets the first decode
// everything.
inline Parallelism lastFirst() {
    Parallelism parallelism;
    parallelism.forEach = [](std::size_t count, const std::function<void(std::size_t)>& body) {
        for (std::size_t index = count; index-- > 0;)
            body(index);
    };
    return parallelism;
}

inline Rows splitRows(const JpegScan& scan, int eighths, const JpegBitReader::FileRead& read, int segments,
                      const Parallelism& parallelism) {
    Rows rows{JpegSplitDecoder::scaledSide(scan.width, eighths),
              JpegSplitDecoder::scaledSide(scan.height, eighths),
              {}};
    const std::size_t rowBytes = std::size_t(rows.width) * bytesPerPixel;
    RowPipeline pipeline(
        rowBytes, 16,
        [&rows, rowBytes](std::uint8_t* row) { rows.bytes.insert(rows.bytes.end(), row, row + rowBytes); },
        Parallelism{});
    JpegSplitDecoder::decode(scan, eighths, read, segments, parallelism, pipeline);
    return rows;
}

// The library's decode at `eighths`; nullopt when it fails.
inline std::optional<Rows> libraryRows(int descriptor, int eighths) {
    DescriptorReader reader(descriptor);
    JpegLibraryDecoder library(reader, {});
    if (!library.readHeader() || !library.decodable() || !library.start(eighths) ||
        library.outputComponents() != bytesPerPixel)
        return std::nullopt;
    Rows rows{library.outputWidth(), library.outputHeight(), {}};
    rows.bytes.resize(std::size_t(rows.width) * std::size_t(rows.height) * bytesPerPixel);
    if (!library.readRows(rows.bytes.data(), std::size_t(rows.width) * bytesPerPixel, rows.height))
        return std::nullopt;
    return rows;
}

} // namespace vistrel::fuzz
