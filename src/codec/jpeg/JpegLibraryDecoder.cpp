#include "codec/jpeg/JpegLibraryDecoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <span>
// jpeglib.h needs size_t and FILE declared before it.
#include <jerror.h>
#include <jpeglib.h>

namespace vistrel {

namespace {

constexpr int eighthsOfWhole = 8;
constexpr JOCTET endOfImage[] = {0xFF, JPEG_EOI};

} // namespace

// libjpeg reports errors through error_exit, which must not return: ours jumps back
// into the member function that called the library. Those functions hold nothing that
// needs destroying, so the jump skips no destructor.
struct JpegLibraryDecoder::Session {
    Session(DescriptorReader& fileReader, Warn warnings);
    ~Session() { jpeg_destroy_decompress(&info); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    jpeg_error_mgr errors{}; // first: libjpeg hands it back as the whole session
    jpeg_source_mgr source{};
    jpeg_decompress_struct info{};
    DescriptorReader* reader;
    Warn warn;
    const JOCTET* chunk = nullptr; // the one the library is reading, and its file offset
    std::uint64_t chunkOffset = 0;
    std::uint64_t handedOut = 0;
    bool ended = false; // the file ended, and the library was handed an end marker of ours
    std::jmp_buf failed{};
    char error[JMSG_LENGTH_MAX] = "libjpeg failed";

    static Session& of(j_common_ptr common) { return *reinterpret_cast<Session*>(common->err); }
    static Session& of(j_decompress_ptr info) { return of(reinterpret_cast<j_common_ptr>(info)); }

    bool atEnd() const { return source.next_input_byte == endOfImage; }

    [[noreturn]] static void stopReading(j_common_ptr common) {
        Session& session = of(common);
        (*common->err->format_message)(common, session.error);
        std::longjmp(session.failed, 1);
    }

    static void passOnWarning(j_common_ptr common) {
        Session& session = of(common);
        if (!session.warn)
            return;
        char message[JMSG_LENGTH_MAX];
        (*common->err->format_message)(common, message);
        session.warn(message);
    }

    static void startSource(j_decompress_ptr) {}
    static void endSource(j_decompress_ptr) {}

    // A file that ends early ends as a picture would: the rest decodes as flat gray.
    static boolean fillSource(j_decompress_ptr info) {
        Session& session = of(info);
        const std::span<const std::uint8_t> chunk = session.reader->nextChunk();
        if (chunk.empty()) {
            session.ended = true;
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

    // Skipping past the end leaves the inserted end marker to be read.
    static void skipSource(j_decompress_ptr info, long count) {
        if (count <= 0)
            return;
        auto remaining = std::size_t(count);
        while (remaining > info->src->bytes_in_buffer) {
            remaining -= info->src->bytes_in_buffer;
            fillSource(info);
            if (of(info).atEnd())
                return;
        }
        info->src->next_input_byte += remaining;
        info->src->bytes_in_buffer -= remaining;
    }
};

JpegLibraryDecoder::Session::Session(DescriptorReader& fileReader, Warn warnings)
    : reader(&fileReader), warn(std::move(warnings)) {
    info.err = jpeg_std_error(&errors);
    errors.error_exit = stopReading;
    errors.output_message = passOnWarning;
    jpeg_create_decompress(&info);
    source.init_source = startSource;
    source.fill_input_buffer = fillSource;
    source.skip_input_data = skipSource;
    source.resync_to_restart = jpeg_resync_to_restart;
    source.term_source = endSource;
    info.src = &source;
}

JpegLibraryDecoder::JpegLibraryDecoder(DescriptorReader& reader, Warn warn)
    : m_session(std::make_unique<Session>(reader, std::move(warn))) {}

JpegLibraryDecoder::~JpegLibraryDecoder() = default;

// The ICC profile travels in APP2 segments.
bool JpegLibraryDecoder::readHeader() {
    Session& session = *m_session;
    if (setjmp(session.failed))
        return false;
    jpeg_save_markers(&session.info, JPEG_APP0 + 2, 0xFFFF);
    return jpeg_read_header(&session.info, TRUE) == JPEG_HEADER_OK;
}

int JpegLibraryDecoder::width() const {
    return int(m_session->info.image_width);
}

int JpegLibraryDecoder::height() const {
    return int(m_session->info.image_height);
}

bool JpegLibraryDecoder::decodable() const {
    const jpeg_decompress_struct& info = m_session->info;
    return info.data_precision == 8 &&
           ((info.num_components == 1 && info.jpeg_color_space == JCS_GRAYSCALE) ||
            (info.num_components == 3 &&
             (info.jpeg_color_space == JCS_YCbCr || info.jpeg_color_space == JCS_RGB)));
}

std::vector<std::uint8_t> JpegLibraryDecoder::colourProfile() {
    jpeg_decompress_struct& info = m_session->info;
    if (info.num_components != 3)
        return {}; // an RGB profile says nothing about gray pixels
    JOCTET* profile = nullptr;
    unsigned length = 0;
    if (!jpeg_read_icc_profile(&info, &profile, &length))
        return {};
    std::vector<std::uint8_t> bytes(profile, profile + length);
    std::free(profile);
    return bytes;
}

std::optional<JpegScan> JpegLibraryDecoder::scan(std::uint64_t fileSize) const {
    const Session& session = *m_session;
    const jpeg_decompress_struct& info = session.info;
    // A header that ran into the end of the file was finished from our end marker: its
    // data has no place in the file.
    if (info.progressive_mode || info.arith_code || info.restart_interval != 0 ||
        info.comps_in_scan != info.num_components || session.ended ||
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
            component->dc_tbl_no >= NUM_HUFF_TBLS || component->ac_tbl_no < 0 ||
            component->ac_tbl_no >= NUM_HUFF_TBLS)
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
        std::copy(std::begin(quantisation->quantval), std::end(quantisation->quantval),
                  part.quantisation.begin());
        part.dcTable = int(scan.tables.size());
        scan.tables.push_back(*dcTable);
        part.acTable = int(scan.tables.size());
        scan.tables.push_back(*acTable);
        scan.components.push_back(part);
    }
    return scan;
}

bool JpegLibraryDecoder::start(int eighths) {
    Session& session = *m_session;
    if (setjmp(session.failed))
        return false;
    jpeg_decompress_struct& info = session.info;
    info.out_color_space = JCS_EXT_BGRA; // alpha 255: the layout of an opaque 32-bit image
    info.scale_denom = eighthsOfWhole;
    info.scale_num = unsigned(eighths);
    jpeg_start_decompress(&info);
    return true;
}

int JpegLibraryDecoder::outputWidth() const {
    return int(m_session->info.output_width);
}

int JpegLibraryDecoder::outputHeight() const {
    return int(m_session->info.output_height);
}

int JpegLibraryDecoder::outputComponents() const {
    return m_session->info.output_components;
}

bool JpegLibraryDecoder::readRows(std::uint8_t* rows, std::size_t rowBytes, int count) {
    Session& session = *m_session;
    if (setjmp(session.failed))
        return false;
    for (int done = 0; done < count;) {
        JSAMPROW row = rows + rowBytes * std::size_t(done);
        done += int(jpeg_read_scanlines(&session.info, &row, 1));
    }
    return true;
}

std::string JpegLibraryDecoder::error() const {
    return m_session->error;
}

} // namespace vistrel
