// Decodes arbitrary bytes that the header walk takes for a baseline JPEG with the split
// decoder and with the library at the same scale, and holds the two to the tolerance
// the split-decoding tests hold them to: no channel of a pixel more than 12 levels
// apart, and 0.6 on average.
//
// Only where both compute the same: every component transformed at the same size,
// whole or by the low-frequency corner of its blocks, and neither decoder widening
// chroma afterwards. The library's 2- and 4-point transforms also weigh coefficients
// beyond the corner, and where it widens chroma it interpolates; those scales and
// layouts are only decoded. And only where the library's arithmetic holds: where a
// block's samples could leave the range its sample tables cover, it wraps them around
// while the split decoder clamps. A conservative bound on every block's samples, from
// its coefficients, tells which pictures stay inside.

#include "FuzzFault.h"
#include "FuzzInputFile.h"
#include "JpegFuzzDecoding.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string_view>
#include <unistd.h>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace {

using namespace vistrel;

// The library's sample tables cover samples 512 either side of the middle gray.
constexpr double widestSample = 500.0;
// How much one coefficient moves a sample, at most, along one axis in the transforms
// compared: half of 1/sqrt(2) for the DC, half of 1 for the others, with room to spare.
constexpr double dcWeight = 0.36;
constexpr double acWeight = 0.55;
constexpr int largestDifference = 12;
constexpr double meanDifferenceAllowed = 0.6;

struct Quiet {
    jpeg_error_mgr errors{};
    std::jmp_buf failed{};
};

[[noreturn]] void stop(j_common_ptr common) {
    std::longjmp(reinterpret_cast<Quiet*>(common->err)->failed, 1);
}

void ignore(j_common_ptr) {}

// Whether every sample of every block stays where the library's tables hold it.
bool withinLibraryRange(const std::uint8_t* data, std::size_t size) {
    Quiet quiet;
    jpeg_decompress_struct info{};
    info.err = jpeg_std_error(&quiet.errors);
    quiet.errors.error_exit = stop;
    quiet.errors.output_message = ignore;
    jpeg_create_decompress(&info);
    if (setjmp(quiet.failed)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    jvirt_barray_ptr* coefficients = jpeg_read_coefficients(&info);
    bool within = true;
    for (int c = 0; c < info.num_components && within; ++c) {
        const jpeg_component_info& component = info.comp_info[c];
        const JQUANT_TBL* quantisation = component.quant_table;
        if (!quantisation) {
            within = false;
            break;
        }
        for (JDIMENSION row = 0; row < component.height_in_blocks && within; ++row) {
            JBLOCKARRAY blocks = (*info.mem->access_virt_barray)(reinterpret_cast<j_common_ptr>(&info),
                                                                 coefficients[c], row, 1, FALSE);
            for (JDIMENSION column = 0; column < component.width_in_blocks && within; ++column) {
                double bound = 0.0;
                for (int k = 0; k < DCTSIZE2; ++k) {
                    const double weight =
                        (k % DCTSIZE == 0 ? dcWeight : acWeight) * (k / DCTSIZE == 0 ? dcWeight : acWeight);
                    bound += std::abs(double(blocks[0][column][k]) * quantisation->quantval[k]) * weight;
                }
                within = bound <= widestSample;
            }
        }
    }
    jpeg_destroy_decompress(&info);
    return within;
}

// The size the library transforms a component's blocks at, at `eighths`: it widens
// chroma by transforming at up to twice the size, by powers of two, while that keeps
// the output an MCU's whole width and height (as its master control chooses).
int librarySize(const JpegScan& scan, const JpegScan::Component& component, int eighths) {
    int largestH = 1;
    int largestV = 1;
    for (const JpegScan::Component& each : scan.components) {
        largestH = std::max(largestH, each.horizontal);
        largestV = std::max(largestV, each.vertical);
    }
    int size = eighths;
    while (size < 8 && (largestH * eighths) % (component.horizontal * size * 2) == 0 &&
           (largestV * eighths) % (component.vertical * size * 2) == 0)
        size *= 2;
    return size;
}

// Whether both decoders transform every component at the same size, by the corner
// (or whole) of its blocks, with no widening after.
bool sameTransforms(const JpegScan& scan, int eighths) {
    const bool single = scan.components.size() == 1;
    int largestH = 1;
    int largestV = 1;
    for (const JpegScan::Component& each : scan.components) {
        largestH = std::max(largestH, single ? 1 : each.horizontal);
        largestV = std::max(largestV, single ? 1 : each.vertical);
    }
    for (const JpegScan::Component& component : scan.components) {
        const int horizontal = single ? 1 : component.horizontal;
        const int vertical = single ? 1 : component.vertical;
        const int size = single ? eighths : librarySize(scan, component, eighths);
        if (size == 2 || size == 4 || size * horizontal != eighths * largestH ||
            size * vertical != eighths * largestV)
            return false;
    }
    return true;
}

// Whether the two decodes differ by more than the tolerance, as the tests measure it:
// over blue, green and red.
bool tooFarApart(const fuzz::Rows& a, const fuzz::Rows& b) {
    double total = 0.0;
    int largest = 0;
    for (std::size_t i = 0; i < a.bytes.size(); ++i) {
        if (i % fuzz::bytesPerPixel == 3)
            continue;
        const int difference = std::abs(int(a.bytes[i]) - int(b.bytes[i]));
        largest = std::max(largest, difference);
        total += difference;
    }
    const double mean = total / (3.0 * double(a.width) * double(a.height));
    if (largest <= largestDifference && mean <= meanDifferenceAllowed)
        return false;
    std::fprintf(stderr, "%d x %d: largest difference %d, mean %.3f\n", a.width, a.height, largest, mean);
    return true;
}

// How many pictures were compared, of those the split decoder took: told now and
// then, so that a run shows how much of it checked anything.
void count(bool compared) {
    static std::size_t taken = 0;
    static std::size_t checked = 0;
    ++taken;
    checked += compared ? 1 : 0;
    if ((taken & (taken - 1)) == 0 && taken >= 1024)
        std::fprintf(stderr, "jpeg_libjpeg_fuzz: %zu of %zu pictures compared\n", checked, taken);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::FuzzInputFile file;
    const std::string path = file.write(data, size);
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return 0;
    const std::optional<JpegScan> scan = fuzz::scanOf(descriptor, size);
    const bool comparable = scan && withinLibraryRange(data, size);
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const JpegBitReader::FileRead read = fuzz::readFrom(data, size);
    bool compared = false;
    for (int eighths = 1; scan && eighths <= 8; ++eighths) {
        if (!JpegSplitDecoder::supports(*scan, eighths))
            continue;
        const fuzz::Rows split = fuzz::splitRows(*scan, eighths, read, 3, fuzz::lastFirst());
        if (!comparable || !sameTransforms(*scan, eighths))
            continue;
        const std::optional<fuzz::Rows> library = fuzz::libraryRows(descriptor, eighths);
        if (!library)
            continue;
        if (library->width != split.width || library->height != split.height)
            fuzz::fault("the split decoder and the library decode to different sizes", input);
        if (tooFarApart(split, *library))
            fuzz::fault("the split decoder and the library decode differently", input);
        compared = true;
    }
    ::close(descriptor);
    if (scan)
        count(compared);
    return 0;
}
