#include "codec/jpeg/JpegSplitDecoder.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>
#include <utility>

namespace vistrel {

namespace {

constexpr int blockSide = 8;
constexpr int blockSize = blockSide * blockSide;
constexpr int maxComponents = 3;
constexpr int bytesPerPixel = 4;
// Samples are kept eight times their value, as whole numbers modulo 2^16: a DC
// prediction then moves every sample of its block by an exact whole amount, and a
// correction added later wraps back to the true value, however far off the
// prediction was.
constexpr int sampleScale = 8;
constexpr float largestSample = 30000.0F;

constexpr std::array<std::uint8_t, blockSize> naturalOfZigzag = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

using Predictions = std::array<std::uint32_t, maxComponents>;

// How one component's blocks lie in an MCU's samples. Each block is transformed at
// the size that puts its samples on the luma grid.
struct Part {
    int blocksAcross = 1;
    int blocksDown = 1;
    int sizeX = 1; // samples of one block
    int sizeY = 1;
    std::size_t offset = 0;   // of the component's samples within the MCU's
    int width = 0;            // samples in one of its rows
    int lastNeededZigzag = 0; // the highest coefficient the transform uses, in zigzag order
    std::uint64_t corner = 0; // the coefficients it uses, a bit each in zigzag order
};

// The n-point inverse transform's basis, for every n: [n - 1][u][x].
using Bases = std::array<std::array<float, blockSize>, blockSide>;

Bases makeBases() {
    Bases bases{};
    for (int size = 1; size <= blockSide; ++size)
        for (int x = 0; x < size; ++x)
            for (int u = 0; u < size; ++u)
                bases[std::size_t(size - 1)][std::size_t(u * blockSide + x)] =
                    float((u == 0 ? std::numbers::sqrt2 / 2 : 1.0) *
                          std::cos(double((2 * x + 1) * u) * std::numbers::pi / double(2 * size)));
    return bases;
}

struct Layout {
    Layout(const JpegScan& scan, int eighths);

    bool valid = true; // false when a component's blocks cannot reach the luma grid
    int mcusAcross = 0;
    int mcusDown = 0;
    std::size_t mcus = 0;
    int mcuWidth = 0; // in output pixels
    int mcuHeight = 0;
    std::vector<Part> parts;
    std::size_t mcuSamples = 0;
    Bases bases = makeBases();
    int outputWidth = 0;
    int outputHeight = 0;
};

Layout::Layout(const JpegScan& scan, int eighths) {
    const bool single = scan.components.size() == 1;
    int maxH = 1;
    int maxV = 1;
    for (const JpegScan::Component& component : scan.components) {
        maxH = std::max(maxH, single ? 1 : component.horizontal);
        maxV = std::max(maxV, single ? 1 : component.vertical);
    }
    mcusAcross = (scan.width + blockSide * maxH - 1) / (blockSide * maxH);
    mcusDown = (scan.height + blockSide * maxV - 1) / (blockSide * maxV);
    mcus = std::size_t(mcusAcross) * std::size_t(mcusDown);
    mcuWidth = maxH * eighths;
    mcuHeight = maxV * eighths;
    for (const JpegScan::Component& component : scan.components) {
        Part part;
        part.blocksAcross = single ? 1 : component.horizontal;
        part.blocksDown = single ? 1 : component.vertical;
        const bool whole = maxH % part.blocksAcross == 0 && maxV % part.blocksDown == 0;
        part.sizeX = eighths * (maxH / part.blocksAcross);
        part.sizeY = eighths * (maxV / part.blocksDown);
        valid = valid && whole && part.sizeX <= blockSide && part.sizeY <= blockSide;
        part.sizeX = std::min(part.sizeX, blockSide);
        part.sizeY = std::min(part.sizeY, blockSide);
        part.offset = mcuSamples;
        part.width = part.blocksAcross * part.sizeX;
        mcuSamples += std::size_t(part.width) * std::size_t(part.blocksDown * part.sizeY);
        for (int k = 0; k < blockSize; ++k) {
            const int natural = naturalOfZigzag[std::size_t(k)];
            if (natural % blockSide < part.sizeX && natural / blockSide < part.sizeY) {
                part.lastNeededZigzag = k;
                part.corner |= std::uint64_t(1) << k;
            }
        }
        parts.push_back(part);
    }
    outputWidth = JpegSplitDecoder::scaledSide(scan.width, eighths);
    outputHeight = JpegSplitDecoder::scaledSide(scan.height, eighths);
}

// Rounds to the nearest whole number: adding 1.5 * 2^23 leaves it in the low bits of
// the float's mantissa. Quicker than a conversion with rounding for |value| < 2^22.
std::int32_t rounded(float value) {
    constexpr float shifter = 12582912.0F;
    const float shifted = value + shifter;
    std::int32_t bits = 0;
    std::memcpy(&bits, &shifted, sizeof bits);
    return bits - 0x4B400000;
}

// The corner's AC coefficients (its DC left at zero) at sizeX x sizeY samples, plus
// the DC's whole part. A template per size, so that each unrolls into vector steps.
// Only the corner's first `used.columns` x `used.rows` coefficients can be nonzero:
// leaving the others out of the sums changes nothing, and most blocks of a photograph
// have few.
struct Used {
    int columns = 0;
    int rows = 0;
};

template <int sizeX, int sizeY>
void transformAt(const std::array<float, blockSize>& corner, Used used, const Bases& bases,
                 std::uint32_t dcPart, std::uint16_t* out, std::size_t stride) {
    const std::array<float, blockSize>& basisX = bases[sizeX - 1]; // [u][x]
    const std::array<float, blockSize>& basisY = bases[sizeY - 1]; // [v][y]
    // Each step adds one coefficient's basis function to a whole row of samples,
    // which the compiler turns into vector steps.
    std::array<std::array<float, sizeX>, sizeY> rows{}; // [v][x]: each coefficient row along x
    for (int v = 0; v < used.rows; ++v)
        for (int u = 0; u < used.columns; ++u) {
            const float coefficient = corner[std::size_t(v * blockSide + u)];
            for (int x = 0; x < sizeX; ++x)
                rows[std::size_t(v)][std::size_t(x)] += coefficient * basisX[std::size_t(u * blockSide + x)];
        }
    for (int y = 0; y < sizeY; ++y) {
        std::array<float, sizeX> sums{};
        for (int v = 0; v < used.rows; ++v) {
            const float weight = basisY[std::size_t(v * blockSide + y)];
            for (int x = 0; x < sizeX; ++x)
                sums[std::size_t(x)] += weight * rows[std::size_t(v)][std::size_t(x)];
        }
        for (int x = 0; x < sizeX; ++x) {
            // Eight times (1/4 * the sum); damaged data may go far out of range.
            const float scaled = std::clamp(2.0F * sums[std::size_t(x)], -largestSample, largestSample);
            out[std::size_t(y) * stride + std::size_t(x)] =
                std::uint16_t(std::uint32_t(rounded(scaled)) + dcPart);
        }
    }
}

using Transform = void (*)(const std::array<float, blockSize>&, Used, const Bases&, std::uint32_t,
                           std::uint16_t*, std::size_t);

template <std::size_t... index>
constexpr std::array<Transform, sizeof...(index)> transformsFor(std::index_sequence<index...>) {
    return {&transformAt<int(index % blockSide) + 1, int(index / blockSide) + 1>...};
}

// Every size's transform, by (sizeY - 1) * 8 + sizeX - 1.
const std::array<Transform, blockSize>& transforms() {
    static constexpr std::array<Transform, blockSize> all =
        transformsFor(std::make_index_sequence<blockSize>());
    return all;
}

// Decodes blocks from one reader into MCUs of samples.
class BlockDecoder {
    using Bits = JpegBitReader::Bits;

    struct Tables {
        const JpegHuffmanTable& dc;
        const JpegHuffmanTable& ac;
        const std::array<std::uint16_t, blockSize>& quantisation;
    };

  public:
    BlockDecoder(const JpegScan& scan, const Layout& layout, JpegBitReader& reader)
        : m_scan(scan), m_layout(layout), m_reader(reader) {}

    std::uint64_t position() const { return m_reader.position(m_bits); }
    bool exhausted() const { return m_reader.exhausted(m_bits); }

    void decodeMcu(std::uint16_t* samples, Predictions& predictions) {
        Bits bits = m_bits;
        for (std::size_t c = 0; c < m_layout.parts.size(); ++c) {
            const Part& part = m_layout.parts[c];
            const JpegScan::Component& component = m_scan.components[c];
            const Tables tables{m_scan.tables[std::size_t(component.dcTable)],
                                m_scan.tables[std::size_t(component.acTable)], component.quantisation};
            for (int by = 0; by < part.blocksDown; ++by)
                for (int bx = 0; bx < part.blocksAcross; ++bx)
                    decodeBlock(bits, tables, part, predictions[c],
                                samples + part.offset +
                                    std::size_t(by * part.sizeY) * std::size_t(part.width) +
                                    std::size_t(bx * part.sizeX));
        }
        m_bits = bits;
    }

  private:
    int symbol(Bits& bits, const JpegHuffmanTable& table) {
        bits = m_reader.filled(bits);
        JpegHuffmanTable::Entry entry =
            table.lookahead(JpegBitReader::peek(bits, JpegHuffmanTable::lookaheadBits));
        if (entry.length == 0)
            entry = table.decodeLong(bits.word);
        JpegBitReader::skip(bits, entry.length);
        return entry.symbol;
    }

    std::int32_t value(Bits& bits, int size) {
        bits = m_reader.filled(bits);
        return JpegHuffmanTable::extendedValue(JpegBitReader::take(bits, size), size);
    }

    // Past the corner the coefficients are only stepped over: code and value bits at
    // once. Most of the data is read here; kept apart, its few values stay in
    // registers.
    [[gnu::noinline]] static Bits skipToBlockEnd(JpegBitReader& reader, Bits bits, const JpegHuffmanTable& ac,
                                                 int k) {
        while (k < blockSize) {
            bits = reader.filled(bits);
            JpegHuffmanTable::Step step = ac.step(JpegBitReader::peek(bits, JpegHuffmanTable::lookaheadBits));
            if (step.bits == 0)
                step = JpegHuffmanTable::stepOf(ac.decodeLong(bits.word));
            JpegBitReader::skip(bits, step.bits);
            k += step.advance;
        }
        return bits;
    }

    void decodeBlock(Bits& bits, const Tables& tables, const Part& part, std::uint32_t& prediction,
                     std::uint16_t* out) {
        const int dcSize = symbol(bits, tables.dc);
        prediction += std::uint32_t(value(bits, dcSize));
        std::array<float, blockSize> corner; // [v][u], blockSide apart; zeroed at the first AC
        bool anyAc = false;
        Used used;
        int k = 1;
        while (k <= part.lastNeededZigzag) {
            bits = m_reader.filled(bits);
            const JpegHuffmanTable::Coefficient quick =
                tables.ac.coefficient(JpegBitReader::peek(bits, JpegHuffmanTable::lookaheadBits));
            std::int32_t coefficient = quick.value;
            if (quick.bits != 0) {
                JpegBitReader::skip(bits, quick.bits);
                k += quick.run;
            } else {
                const int rs = symbol(bits, tables.ac);
                const int run = rs >> 4;
                const int size = rs & 15;
                if (size == 0) {
                    if (run != 15) {
                        k = blockSize;
                        break;
                    }
                    k += 16;
                    continue;
                }
                k += run;
                coefficient = value(bits, size);
            }
            // A run past the block's end leaves its value in the last coefficient, as
            // the reference decoder reads it; the block ends there.
            k = std::min(k, blockSize - 1);
            if ((part.corner >> k) & 1) {
                if (!anyAc)
                    for (int v = 0; v < part.sizeY; ++v)
                        std::fill_n(corner.begin() + v * blockSide, part.sizeX, 0.0F);
                anyAc = true;
                const int natural = naturalOfZigzag[std::size_t(k)];
                used.columns = std::max(used.columns, natural % blockSide + 1);
                used.rows = std::max(used.rows, natural / blockSide + 1);
                corner[std::size_t(natural)] =
                    float(coefficient) * float(tables.quantisation[std::size_t(natural)]);
            }
            ++k;
        }
        if (k < blockSize)
            bits = skipToBlockEnd(m_reader, bits, tables.ac, k);
        const auto dcPart = std::uint32_t(prediction * tables.quantisation[0]);
        if (!anyAc) {
            for (int y = 0; y < part.sizeY; ++y)
                std::fill_n(out + std::size_t(y) * std::size_t(part.width), part.sizeX,
                            std::uint16_t(dcPart));
            return;
        }
        transform(corner, used, part, dcPart, out);
    }

    void transform(const std::array<float, blockSize>& corner, Used used, const Part& part,
                   std::uint32_t dcPart, std::uint16_t* out) const {
        transforms()[std::size_t((part.sizeY - 1) * blockSide + part.sizeX - 1)](
            corner, used, m_layout.bases, dcPart, out, std::size_t(part.width));
    }

    const JpegScan& m_scan;
    const Layout& m_layout;
    JpegBitReader& m_reader;
    Bits m_bits;
};

// Left without initialisers, so that an array of them takes memory only as it fills.
struct Mark {
    std::uint64_t position;
    Predictions predictions;
};

// One segment's decoder and what it found. Its MCUs are counted from its own start.
struct Segment {
    std::uint64_t start = 0;
    std::uint64_t end = 0; // where the next segment starts; 0 for the last
    std::unique_ptr<std::uint16_t[]> samples;
    std::unique_ptr<Mark[]> marks;         // every MCU's start, for the decoder before
    std::atomic<std::size_t> published{0}; // marks that may be read
    std::atomic<bool> unneeded{false};     // an earlier decoder reached the end itself
    std::size_t decoded = 0;
    // Where this decoder met the next one: its own MCU, the next one's, and the
    // predictions it carried there.
    bool met = false;
    std::size_t metAt = 0;
    std::size_t metMark = 0;
    Predictions metPredictions{};
};

// Reading chunks no larger than the data from the segment on, within bounds.
std::size_t chunkSizeFor(const JpegScan& scan, const Segment& segment) {
    constexpr std::uint64_t smallest = std::uint64_t(4) << 10;
    constexpr std::uint64_t largest = std::uint64_t(256) << 10;
    const std::uint64_t rest = scan.fileSize > segment.start ? scan.fileSize - segment.start : 0;
    return std::size_t(std::clamp(rest, smallest, largest));
}

// Decodes segment `index` until it meets the next one, reaches the end of the data,
// or has decoded as many MCUs as the picture has.
// How many MCUs a segment decodes between asking whether the picture is still wanted.
constexpr std::size_t mcusBetweenChecks = 256;

void decodeSegment(const JpegScan& scan, const Layout& layout, const JpegBitReader::FileRead& read,
                   std::vector<std::unique_ptr<Segment>>& segments, std::size_t index,
                   const Parallelism& parallelism) {
    Segment& segment = *segments[index];
    Segment* next = index + 1 < segments.size() ? segments[index + 1].get() : nullptr;
    JpegBitReader reader(read, segment.start, segment.end, chunkSizeFor(scan, segment));
    BlockDecoder blocks(scan, layout, reader);
    Predictions predictions{};
    std::size_t looked = 0; // the next segment's marks already passed
    std::size_t mcu = 0;
    for (; mcu < layout.mcus && !blocks.exhausted() && !segment.unneeded.load(std::memory_order_relaxed);
         ++mcu) {
        if (mcu % mcusBetweenChecks == 0)
            parallelism.throwIfAbandoned();
        const std::uint64_t position = blocks.position();
        if (segment.marks) {
            segment.marks[mcu] = {position, predictions};
            segment.published.store(mcu + 1, std::memory_order_release);
        }
        if (next && reader.passedWatch() && position >= reader.positionAtWatch()) {
            const std::uint64_t there = position - reader.positionAtWatch();
            const std::size_t available = next->published.load(std::memory_order_acquire);
            while (looked < available && next->marks[looked].position < there)
                ++looked;
            if (looked < available && next->marks[looked].position == there) {
                segment.met = true;
                segment.metAt = mcu;
                segment.metMark = looked;
                segment.metPredictions = predictions;
                break;
            }
        }
        blocks.decodeMcu(segment.samples.get() + mcu * layout.mcuSamples, predictions);
    }
    segment.decoded = mcu;
    if (!segment.met)
        for (std::size_t later = index + 1; later < segments.size(); ++later)
            segments[later]->unneeded.store(true, std::memory_order_relaxed);
}

// Where the segments' MCUs lie in the picture: the MCUs [from, to) of a segment are
// the picture's [from + shift, to + shift), and its samples are off by `corrections`.
struct Placement {
    const Segment* segment = nullptr;
    std::size_t from = 0;
    std::size_t to = 0;
    std::int64_t shift = 0;
    std::array<std::uint16_t, maxComponents> corrections{};
};

std::vector<Placement> placementsOf(const JpegScan& scan,
                                    const std::vector<std::unique_ptr<Segment>>& segments) {
    std::vector<Placement> placements;
    std::int64_t shift = 0;
    Predictions offsets{}; // the true predictions less the segment's own
    std::size_t from = 0;
    for (std::size_t index = 0; index < segments.size(); ++index) {
        const Segment& segment = *segments[index];
        Placement placement{&segment, from, segment.met ? segment.metAt : segment.decoded, shift, {}};
        for (std::size_t c = 0; c < scan.components.size(); ++c)
            placement.corrections[c] = std::uint16_t(offsets[c] * scan.components[c].quantisation[0]);
        placements.push_back(placement);
        if (!segment.met)
            break;
        const Mark& mark = segments[index + 1]->marks[segment.metMark];
        shift += std::int64_t(segment.metAt) - std::int64_t(segment.metMark);
        for (std::size_t c = 0; c < scan.components.size(); ++c)
            offsets[c] += segment.metPredictions[c] - mark.predictions[c];
        from = segment.metMark;
    }
    return placements;
}

// Where each of the data's segments starts: evenly spread, each moved on past any
// 0xFF byte before it, which would make its first byte a stuffed zero.
std::vector<std::uint64_t> segmentStarts(const JpegScan& scan, const JpegBitReader::FileRead& read,
                                         int segments) {
    std::vector<std::uint64_t> starts{scan.dataStart};
    const std::uint64_t length = scan.fileSize > scan.dataStart ? scan.fileSize - scan.dataStart : 0;
    for (int index = 1; index < segments; ++index) {
        std::uint64_t start = scan.dataStart + length * std::uint64_t(index) / std::uint64_t(segments);
        std::uint8_t before = 0xFF;
        while (start < scan.fileSize && read(start - 1, &before, 1) == 1 && before == 0xFF)
            ++start;
        if (start <= starts.back() || start >= scan.fileSize || before == 0xFF)
            break;
        starts.push_back(start);
    }
    return starts;
}

std::uint8_t clamped(int value) {
    return std::uint8_t(std::clamp(value, 0, 255));
}

// A sample as stored, corrected, back at its value with the level shift undone, and
// limited to the range of samples before any colour is converted, as the standard
// decodes it: a chroma sample past it would shift the other channels of its pixel.
int valueOf(std::uint16_t sample, std::uint16_t correction) {
    const auto scaled = std::int16_t(std::uint16_t(sample + correction));
    return std::clamp(((scaled + sampleScale / 2) >> 3) + 128, 0, 255);
}

void writePixel(std::uint8_t* pixel, int luma, int blue, int red) {
    const int cb = blue - 128;
    const int cr = red - 128;
    // JFIF's conversion, in 16-bit fixed point.
    pixel[0] = clamped(luma + ((116130 * cb + 32768) >> 16));
    pixel[1] = clamped(luma + ((-22554 * cb - 46802 * cr + 32768) >> 16));
    pixel[2] = clamped(luma + ((91881 * cr + 32768) >> 16));
    pixel[3] = 255;
}

// The MCU at `index` in the picture, with the corrections its samples need; no
// samples when no decoder reached it.
struct Source {
    const std::uint16_t* samples = nullptr;
    std::array<std::uint16_t, maxComponents> corrections{};
};

Source sourceOf(const Layout& layout, const std::vector<Placement>& placements, std::size_t index) {
    for (const Placement& placement : placements) {
        const std::int64_t own = std::int64_t(index) - placement.shift;
        if (own >= std::int64_t(placement.from) && own < std::int64_t(placement.to))
            return {placement.segment->samples.get() + std::size_t(own) * layout.mcuSamples,
                    placement.corrections};
    }
    return {};
}

// One row of output pixels from a row of MCUs.
void writeRow(const Layout& layout, const std::vector<Source>& sources, int rowInMcu, std::uint8_t* row) {
    const bool gray = layout.parts.size() == 1;
    int x = 0;
    for (const Source& source : sources) {
        const int width = std::min(layout.mcuWidth, layout.outputWidth - x);
        std::uint8_t* pixel = row + std::size_t(x) * bytesPerPixel;
        x += width;
        if (!source.samples) {
            std::fill_n(pixel, std::size_t(width) * bytesPerPixel, std::uint8_t(128));
            for (int i = 0; i < width; ++i)
                pixel[i * bytesPerPixel + 3] = 255;
            continue;
        }
        const auto rowOf = [&](std::size_t c) {
            const Part& part = layout.parts[c];
            return source.samples + part.offset + std::size_t(rowInMcu) * std::size_t(part.width);
        };
        const std::uint16_t* luma = rowOf(0);
        if (gray) {
            for (int i = 0; i < width; ++i, pixel += bytesPerPixel) {
                pixel[0] = pixel[1] = pixel[2] = std::uint8_t(valueOf(luma[i], source.corrections[0]));
                pixel[3] = 255;
            }
            continue;
        }
        const std::uint16_t* blue = rowOf(1);
        const std::uint16_t* red = rowOf(2);
        for (int i = 0; i < width; ++i, pixel += bytesPerPixel)
            writePixel(pixel, valueOf(luma[i], source.corrections[0]),
                       valueOf(blue[i], source.corrections[1]), valueOf(red[i], source.corrections[2]));
    }
}

void writeRows(const Layout& layout, const std::vector<Placement>& placements, RowPipeline& rows) {
    std::vector<Source> sources(std::size_t(layout.mcusAcross));
    std::uint8_t* batch = nullptr;
    int inBatch = 0;
    for (int mcuRow = 0; mcuRow < layout.mcusDown; ++mcuRow) {
        for (int across = 0; across < layout.mcusAcross; ++across)
            sources[std::size_t(across)] =
                sourceOf(layout, placements,
                         std::size_t(mcuRow) * std::size_t(layout.mcusAcross) + std::size_t(across));
        for (int rowInMcu = 0; rowInMcu < layout.mcuHeight; ++rowInMcu) {
            if (mcuRow * layout.mcuHeight + rowInMcu >= layout.outputHeight)
                break;
            if (inBatch == 0)
                batch = rows.batch();
            writeRow(layout, sources, rowInMcu, batch + std::size_t(inBatch) * rows.rowBytes());
            if (++inBatch == rows.rowsPerBatch()) {
                rows.submit(inBatch);
                inBatch = 0;
            }
        }
    }
    if (inBatch > 0)
        rows.submit(inBatch);
}

} // namespace

bool JpegSplitDecoder::supports(const JpegScan& scan, int eighths) {
    if (eighths < 1 || eighths > blockSide || scan.width <= 0 || scan.height <= 0 ||
        (scan.components.size() != 1 && scan.components.size() != std::size_t(maxComponents)))
        return false;
    for (const JpegScan::Component& component : scan.components)
        if (component.dcTable < 0 || std::size_t(component.dcTable) >= scan.tables.size() ||
            component.acTable < 0 || std::size_t(component.acTable) >= scan.tables.size() ||
            component.horizontal < 1 || component.vertical < 1)
            return false;
    return Layout(scan, eighths).valid;
}

void JpegSplitDecoder::decode(const JpegScan& scan, int eighths, const JpegBitReader::FileRead& read,
                              int segments, const Parallelism& parallelism, RowPipeline& rows) {
    const Layout layout(scan, eighths);
    std::vector<std::unique_ptr<Segment>> decoders;
    const std::vector<std::uint64_t> starts = segmentStarts(scan, read, std::max(segments, 1));
    for (std::size_t index = 0; index < starts.size(); ++index) {
        auto segment = std::make_unique<Segment>();
        segment->start = starts[index];
        segment->end = index + 1 < starts.size() ? starts[index + 1] : 0;
        // Left untouched where no MCU is decoded, so mostly never given memory.
        segment->samples.reset(new std::uint16_t[layout.mcus * layout.mcuSamples]);
        if (index > 0)
            segment->marks.reset(new Mark[layout.mcus]);
        decoders.push_back(std::move(segment));
    }
    // Segments may run in any order, at once or one after another on one thread: a
    // segment that finds none of the next one's marks published decodes on past its
    // end and marks every later segment unneeded, so the result is the same however
    // the bodies are spread. An exception (no memory for a reader) reaches the caller
    // once every started segment has ended.
    parallelism.forEach(decoders.size(), [&](std::size_t index) {
        decodeSegment(scan, layout, read, decoders, index, parallelism);
    });
    writeRows(layout, placementsOf(scan, decoders), rows);
    rows.finish();
}

} // namespace vistrel
