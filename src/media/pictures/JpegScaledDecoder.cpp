#include "media/pictures/JpegScaledDecoder.h"

#include "codec/rows/AreaDownscaler.h"
#include "codec/io/DescriptorReader.h"
#include "codec/jpeg/JpegSplitDecoder.h"
#include "media/support/LogCategories.h"
#include "codec/rows/PixelRows.h"

#include <QByteArray>
#include <QColorSpace>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <system_error>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
// jpeglib.h needs size_t and FILE declared before it.
#include <jerror.h>
#include <jpeglib.h>

namespace vistrel {

namespace {

constexpr int bytesPerPixel = 4;
constexpr int eighths = 8;
constexpr JOCTET endOfImage[] = {0xFF, JPEG_EOI};
constexpr int mostSegments = 4;
// Less data than this decodes about as fast on one core as the segments take to start.
constexpr std::uint64_t leastDataForSegments = std::uint64_t(1) << 20;
constexpr std::uint64_t leastSegmentBytes = std::uint64_t(256) << 10;

// One libjpeg reading. libjpeg reports errors through error_exit, which must not
// return: ours jumps back into the function below that called the library. Those
// functions hold nothing that needs destroying, so the jump skips no destructor.
struct JpegSession {
    explicit JpegSession(DescriptorReader& reader);
    ~JpegSession() { jpeg_destroy_decompress(&info); }
    JpegSession(const JpegSession&) = delete;
    JpegSession& operator=(const JpegSession&) = delete;

    jpeg_error_mgr errors{}; // first: libjpeg hands it back as the whole session
    jpeg_source_mgr source{};
    jpeg_decompress_struct info{};
    DescriptorReader* reader;
    const JOCTET* chunk = nullptr; // the one the library is reading, and its file offset
    std::uint64_t chunkOffset = 0;
    std::uint64_t handedOut = 0;
    std::jmp_buf failed{};
    char error[JMSG_LENGTH_MAX] = "libjpeg failed";
};

JpegSession& sessionOf(j_common_ptr common) {
    return *reinterpret_cast<JpegSession*>(common->err);
}

[[noreturn]] void stopReading(j_common_ptr common) {
    JpegSession& session = sessionOf(common);
    (*common->err->format_message)(common, session.error);
    std::longjmp(session.failed, 1);
}

// Warnings (damaged data the library decodes past) go to the log, not to stderr.
void logMessage(j_common_ptr common) {
    char message[JMSG_LENGTH_MAX];
    (*common->err->format_message)(common, message);
    qCDebug(lcPicture) << "libjpeg:" << message;
}

void startSource(j_decompress_ptr) {}
void endSource(j_decompress_ptr) {}

// A file that ends early ends as a picture would: the rest decodes as flat gray,
// as the general reader shows it.
boolean fillSource(j_decompress_ptr info) {
    JpegSession& session = sessionOf(reinterpret_cast<j_common_ptr>(info));
    const std::span<const std::uint8_t> chunk = session.reader->nextChunk();
    if (chunk.empty()) {
        WARNMS(info, JWRN_JPEG_EOF);
        info->src->next_input_byte = endOfImage;
        info->src->bytes_in_buffer = sizeof endOfImage;
    } else {
        info->src->next_input_byte = chunk.data();
        info->src->bytes_in_buffer = chunk.size();
        session.chunk = chunk.data();
        session.chunkOffset = session.handedOut;
        session.handedOut += chunk.size();
    }
    return TRUE;
}

bool atEnd(const JpegSession& session) {
    return session.source.next_input_byte == endOfImage;
}

// Skipping past the end leaves the inserted end marker to be read.
void skipSource(j_decompress_ptr info, long count) {
    if (count <= 0)
        return;
    auto remaining = std::size_t(count);
    while (remaining > info->src->bytes_in_buffer) {
        remaining -= info->src->bytes_in_buffer;
        fillSource(info);
        if (atEnd(sessionOf(reinterpret_cast<j_common_ptr>(info))))
            return;
    }
    info->src->next_input_byte += remaining;
    info->src->bytes_in_buffer -= remaining;
}

JpegSession::JpegSession(DescriptorReader& fileReader) : reader(&fileReader) {
    info.err = jpeg_std_error(&errors);
    errors.error_exit = stopReading;
    errors.output_message = logMessage;
    jpeg_create_decompress(&info);
    source.init_source = startSource;
    source.fill_input_buffer = fillSource;
    source.skip_input_data = skipSource;
    source.resync_to_restart = jpeg_resync_to_restart;
    source.term_source = endSource;
    info.src = &source;
}

// The ICC profile travels in APP2 segments.
bool readHeader(JpegSession& session) {
    if (setjmp(session.failed))
        return false;
    jpeg_save_markers(&session.info, JPEG_APP0 + 2, 0xFFFF);
    return jpeg_read_header(&session.info, TRUE) == JPEG_HEADER_OK;
}

bool decodable(const jpeg_decompress_struct& info) {
    return info.data_precision == 8 &&
           ((info.num_components == 1 && info.jpeg_color_space == JCS_GRAYSCALE) ||
            (info.num_components == 3 && (info.jpeg_color_space == JCS_YCbCr || info.jpeg_color_space == JCS_RGB)));
}

QColorSpace colourSpaceOf(JpegSession& session) {
    if (session.info.num_components != 3)
        return {}; // an RGB profile says nothing about gray pixels
    JOCTET* profile = nullptr;
    unsigned length = 0;
    if (!jpeg_read_icc_profile(&session.info, &profile, &length))
        return {};
    QColorSpace space = QColorSpace::fromIccProfile(QByteArray(reinterpret_cast<const char*>(profile), qsizetype(length)));
    std::free(profile);
    return space;
}

// The smallest eighth of the stored size whose decode still covers `target`.
int eighthsFor(QSize stored, QSize target) {
    int scale = 1;
    while (scale < eighths && (JpegSplitDecoder::scaledSide(stored.width(), scale) < target.width() ||
                               JpegSplitDecoder::scaledSide(stored.height(), scale) < target.height()))
        ++scale;
    return scale;
}

bool startScaled(JpegSession& session, QSize target) {
    if (setjmp(session.failed))
        return false;
    jpeg_decompress_struct& info = session.info;
    info.out_color_space = JCS_EXT_BGRA; // alpha 255: the layout of an opaque 32-bit image
    info.scale_denom = eighths;
    info.scale_num = unsigned(eighthsFor(QSize(int(info.image_width), int(info.image_height)), target));
    jpeg_start_decompress(&info);
    return true;
}

// The header's account of a baseline picture's one scan, when it has no restart
// markers and every table it names; nullopt for anything else.
std::optional<JpegScan> scanOf(const JpegSession& session, std::uint64_t fileSize) {
    const jpeg_decompress_struct& info = session.info;
    if (info.progressive_mode || info.arith_code || info.restart_interval != 0 ||
        info.comps_in_scan != info.num_components || atEnd(session) ||
        !(info.jpeg_color_space == JCS_YCbCr || info.jpeg_color_space == JCS_GRAYSCALE))
        return std::nullopt;
    JpegScan scan;
    scan.width = int(info.image_width);
    scan.height = int(info.image_height);
    scan.fileSize = fileSize;
    scan.dataStart = session.chunkOffset + std::uint64_t(info.src->next_input_byte - session.chunk);
    for (int index = 0; index < info.comps_in_scan; ++index) {
        const jpeg_component_info* component = info.cur_comp_info[index];
        // The header's table numbers are checked only once decoding starts.
        if (component != info.comp_info + index || component->quant_tbl_no < 0 ||
            component->quant_tbl_no >= NUM_QUANT_TBLS || component->dc_tbl_no < 0 ||
            component->dc_tbl_no >= NUM_HUFF_TBLS || component->ac_tbl_no < 0 || component->ac_tbl_no >= NUM_HUFF_TBLS)
            return std::nullopt;
        const JQUANT_TBL* quantisation = info.quant_tbl_ptrs[component->quant_tbl_no];
        const JHUFF_TBL* dc = info.dc_huff_tbl_ptrs[component->dc_tbl_no];
        const JHUFF_TBL* ac = info.ac_huff_tbl_ptrs[component->ac_tbl_no];
        if (!quantisation || !dc || !ac)
            return std::nullopt;
        constexpr int largestDcSymbol = 15;
        auto dcTable = JpegHuffmanTable::build(std::span<const std::uint8_t, 17>(dc->bits), dc->huffval,
                                               largestDcSymbol);
        auto acTable = JpegHuffmanTable::build(std::span<const std::uint8_t, 17>(ac->bits), ac->huffval);
        if (!dcTable || !acTable)
            return std::nullopt;
        JpegScan::Component part;
        part.horizontal = component->h_samp_factor;
        part.vertical = component->v_samp_factor;
        std::copy(std::begin(quantisation->quantval), std::end(quantisation->quantval), part.quantisation.begin());
        part.dcTable = int(scan.tables.size());
        scan.tables.push_back(*dcTable);
        part.acTable = int(scan.tables.size());
        scan.tables.push_back(*acTable);
        scan.components.push_back(part);
    }
    return scan;
}

std::size_t readAt(int descriptor, std::uint64_t offset, std::uint8_t* into, std::size_t count) {
    for (;;) {
        const ssize_t read = ::pread(descriptor, into, count, off_t(offset));
        if (read >= 0)
            return std::size_t(read);
        if (errno != EINTR)
            return 0;
    }
}

std::uint64_t sizeOf(int descriptor) {
    struct stat status {};
    return ::fstat(descriptor, &status) == 0 && status.st_size > 0 ? std::uint64_t(status.st_size) : 0;
}

// How many decoders to split the scan's data among: none when it is too small for
// splitting to pay, unless the caller asked for a number.
int segmentsFor(const JpegScan& scan, int asked) {
    if (asked > 0)
        return asked;
    const std::uint64_t data = scan.fileSize > scan.dataStart ? scan.fileSize - scan.dataStart : 0;
    const int cores = int(std::thread::hardware_concurrency());
    if (cores < 2 || data < leastDataForSegments)
        return 0;
    return int(std::min<std::uint64_t>({std::uint64_t(std::min(cores, mostSegments)), data / leastSegmentBytes}));
}

bool readRows(JpegSession& session, std::uint8_t* rows, std::size_t rowBytes, int count) {
    if (setjmp(session.failed))
        return false;
    for (int done = 0; done < count;) {
        JSAMPROW row = rows + rowBytes * std::size_t(done);
        done += int(jpeg_read_scanlines(&session.info, &row, 1));
    }
    return true;
}

// Decoded rows of `width` x `height` pixels, handed to `pipeline`, folded into `image`.
struct Folder {
    Folder(int width, int height, QImage& image, RowPipeline::Folding folding)
        : downscaler(width, height, image.width(), image.height(), image.bits(), image.bytesPerLine()),
          pipeline(std::size_t(width) * bytesPerPixel, PixelRows::rowsPerBatch(std::size_t(width) * bytesPerPixel),
                   [this](std::uint8_t* row) { downscaler.addRow(row); }, folding) {}

    AreaDownscaler downscaler;
    RowPipeline pipeline; // last: finishes before the downscaler goes
};

// The decoder's rows folded into `image` as they come; false when the library failed.
bool foldRows(JpegSession& session, QImage& image, RowPipeline::Folding folding) {
    const int width = int(session.info.output_width);
    const int height = int(session.info.output_height);
    Folder folder(width, height, image, folding);
    RowPipeline& pipeline = folder.pipeline;
    for (int y = 0; y < height; y += pipeline.rowsPerBatch()) {
        const int rows = std::min(pipeline.rowsPerBatch(), height - y);
        if (!readRows(session, pipeline.batch(), pipeline.rowBytes(), rows))
            return false;
        pipeline.submit(rows);
    }
    pipeline.finish();
    return true;
}

PictureDecoder::Result decoded(QSize storedSize, QImage image) {
    PictureDecoder::Result result;
    result.storedSize = storedSize;
    result.image = std::move(image);
    return result;
}

// Decodes `scan` by JpegSplitDecoder straight into `image`; why it could not, when it
// could not.
std::optional<QString> decodeSplit(int descriptor, const JpegScan& scan, int segments, QImage& image,
                                   RowPipeline::Folding folding) {
    const int scale = eighthsFor(QSize(scan.width, scan.height), image.size());
    const int width = JpegSplitDecoder::scaledSide(scan.width, scale);
    const int height = JpegSplitDecoder::scaledSide(scan.height, scale);
    if (!AreaDownscaler::supports(width, height, image.width(), image.height()))
        return QStringLiteral("unexpected decoded layout");
    qCDebug(lcPicture) << "decoding the JPEG data in" << segments << "segments at" << scale << "eighths";
    try {
        Folder folder(width, height, image, folding);
        const JpegBitReader::FileRead read = [descriptor](std::uint64_t offset, std::uint8_t* into,
                                                          std::size_t count) {
            return readAt(descriptor, offset, into, count);
        };
        JpegSplitDecoder::decode(scan, scale, read, segments, folder.pipeline);
        return std::nullopt;
    } catch (const std::bad_alloc&) {
        return QStringLiteral("not enough memory for the segments");
    } catch (const std::system_error& error) { // no thread to be had
        return QString::fromUtf8(error.what());
    }
}

} // namespace

std::optional<PictureDecoder::Result> JpegScaledDecoder::decode(int descriptor, QSize target,
                                                                RowPipeline::Folding folding) {
    return decodeInSegments(descriptor, target, folding, 0);
}

std::optional<PictureDecoder::Result> JpegScaledDecoder::decodeInSegments(int descriptor, QSize target,
                                                                          RowPipeline::Folding folding, int segments) {
    DescriptorReader reader(descriptor);
    JpegSession session(reader);
    if (!readHeader(session))
        return PictureDecoder::Result::failed({}, QString::fromUtf8(session.error));
    const QSize storedSize(int(session.info.image_width), int(session.info.image_height));
    if (!decodable(session.info))
        return std::nullopt;
    const QColorSpace colourSpace = colourSpaceOf(session);
    if (const std::optional<JpegScan> scan = scanOf(session, sizeOf(descriptor))) {
        const int split = segmentsFor(*scan, segments);
        if (split > 0 && JpegSplitDecoder::supports(*scan, eighthsFor(storedSize, target))) {
            QImage image(target, QImage::Format_RGB32);
            if (image.isNull())
                return PictureDecoder::Result::failed(storedSize,
                                                      QStringLiteral("not enough memory for the scaled picture"));
            if (const std::optional<QString> failure = decodeSplit(descriptor, *scan, split, image, folding))
                return PictureDecoder::Result::failed(storedSize, *failure);
            image.setColorSpace(colourSpace);
            return decoded(storedSize, std::move(image));
        }
    }
    if (!startScaled(session, target))
        return PictureDecoder::Result::failed(storedSize, QString::fromUtf8(session.error));
    const int width = int(session.info.output_width);
    const int height = int(session.info.output_height);
    if (session.info.output_components != bytesPerPixel ||
        !AreaDownscaler::supports(width, height, target.width(), target.height()))
        return PictureDecoder::Result::failed(storedSize, QStringLiteral("unexpected decoded layout"));

    QImage image(target, QImage::Format_RGB32);
    if (image.isNull())
        return PictureDecoder::Result::failed(storedSize, QStringLiteral("not enough memory for the scaled picture"));
    image.setColorSpace(colourSpace);
    // At an exact eighth of the stored size the decoder's rows are the image's rows.
    const bool decodedInPlace = QSize(width, height) == target;
    if (decodedInPlace ? !readRows(session, image.bits(), std::size_t(image.bytesPerLine()), height)
                       : !foldRows(session, image, folding))
        return PictureDecoder::Result::failed(storedSize, QString::fromUtf8(session.error));

    return decoded(storedSize, std::move(image));
}

} // namespace vistrel
