#include "media/pictures/PngScaledDecoder.h"

#include "codec/rows/AreaDownscaler.h"
#include "codec/io/DescriptorReader.h"
#include "codec/rows/PixelRows.h"
#include "codec/rows/RowPipeline.h"

#include <QByteArray>
#include <QColorSpace>
#include <csetjmp>
#include <cstdio>
#include <exception>
#include <png.h>

namespace vistrel {

namespace {

// One libpng reading. libpng reports errors by a long jump: the functions below that
// call into it set the jump target and hold nothing that needs destroying, so that
// jumping out of them skips no destructor.
struct PngSession {
    explicit PngSession(DescriptorReader& reader);
    ~PngSession() { png_destroy_read_struct(&png, &info, nullptr); }
    PngSession(const PngSession&) = delete;
    PngSession& operator=(const PngSession&) = delete;

    png_structp png = nullptr;
    png_infop info = nullptr;
    char error[160] = "libpng failed";
};

[[noreturn]] void stopReading(png_structp png, png_const_charp message) {
    auto* session = static_cast<PngSession*>(png_get_error_ptr(png));
    std::snprintf(session->error, sizeof session->error, "%s", message);
    png_longjmp(png, 1);
}

// Warnings concern ancillary data the picture shows fine without.
void ignoreWarning(png_structp, png_const_charp) {}

void readFromFile(png_structp png, png_bytep data, std::size_t length) {
    if (!static_cast<DescriptorReader*>(png_get_io_ptr(png))->read(data, length))
        png_error(png, "the file ends before the picture does");
}

PngSession::PngSession(DescriptorReader& reader) {
    png = png_create_read_struct(PNG_LIBPNG_VER_STRING, this, stopReading, ignoreWarning);
    if (!png)
        return;
    info = png_create_info_struct(png);
    png_set_read_fn(png, &reader, readFromFile);
    // Every chunk's CRC already guards the compressed bytes; checking the stream's
    // own checksum as well would cost the decoding thread a pass over every row.
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
}

bool readInfo(PngSession& session) {
    if (setjmp(png_jmpbuf(session.png)))
        return false;
    png_read_info(session.png, session.info);
    return true;
}

// 8-bit RGB, the common layout of large pictures, is read as it is stored: the
// downscaler reorders it on the folding thread, sparing the decoding thread a pass.
// Every other colour type and depth becomes 8-bit blue, green, red, alpha in memory
// order, which is how 32-bit images lie on a little-endian machine; alpha is 255 when
// the file has none.
bool prepareRows(PngSession& session, AreaDownscaler::SourceLayout layout) {
    if (setjmp(png_jmpbuf(session.png)))
        return false;
    png_structp png = session.png;
    if (layout == AreaDownscaler::SourceLayout::fourChannels) {
        png_set_expand(png); // palette to RGB, tRNS to alpha, low-depth gray to 8 bits
        png_set_scale_16(png);
        png_set_gray_to_rgb(png);
        png_set_bgr(png);
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    }
    png_read_update_info(png, session.info);
    return true;
}

bool readRows(PngSession& session, std::uint8_t* rows, std::size_t rowBytes, int count) {
    if (setjmp(png_jmpbuf(session.png)))
        return false;
    for (int i = 0; i < count; ++i)
        png_read_row(session.png, rows + rowBytes * std::size_t(i), nullptr);
    return true;
}

struct Header {
    QSize size;
    int colourType = 0;
    int bitDepth = 8;
    bool interlaced = false;
    bool alpha = false;

    AreaDownscaler::SourceLayout layout() const {
        return colourType == PNG_COLOR_TYPE_RGB && bitDepth == 8 && !alpha ? AreaDownscaler::SourceLayout::redGreenBlue
                                                                          : AreaDownscaler::SourceLayout::fourChannels;
    }
    int bytesPerPixel() const { return layout() == AreaDownscaler::SourceLayout::redGreenBlue ? 3 : 4; }
};

Header headerOf(const PngSession& session) {
    Header header;
    header.size = QSize(int(png_get_image_width(session.png, session.info)),
                        int(png_get_image_height(session.png, session.info)));
    header.colourType = png_get_color_type(session.png, session.info);
    header.bitDepth = png_get_bit_depth(session.png, session.info);
    header.interlaced = png_get_interlace_type(session.png, session.info) != PNG_INTERLACE_NONE;
    header.alpha = (header.colourType & PNG_COLOR_MASK_ALPHA) != 0 ||
                   png_get_valid(session.png, session.info, PNG_INFO_tRNS) != 0;
    return header;
}

// The colour space the file describes by a chunk this decoder understands: sRGB, or an
// RGB profile. nullopt when it describes it in a way only the general reader handles:
// gamma and chromaticities alone, a profile of gray pixels, or a damaged profile.
std::optional<QColorSpace> colourSpaceOf(const PngSession& session, const Header& header) {
    if (png_get_valid(session.png, session.info, PNG_INFO_sRGB))
        return QColorSpace(QColorSpace::SRgb);
    if (png_get_valid(session.png, session.info, PNG_INFO_iCCP)) {
        png_charp name = nullptr;
        int compression = 0;
        png_bytep profile = nullptr;
        png_uint_32 length = 0;
        if ((header.colourType & PNG_COLOR_MASK_COLOR) == 0 ||
            !png_get_iCCP(session.png, session.info, &name, &compression, &profile, &length))
            return std::nullopt;
        const QColorSpace space = QColorSpace::fromIccProfile(
            QByteArray(reinterpret_cast<const char*>(profile), qsizetype(length)));
        return space.isValid() ? std::optional(space) : std::nullopt;
    }
    if (png_get_valid(session.png, session.info, PNG_INFO_gAMA | PNG_INFO_cHRM))
        return std::nullopt;
    return QColorSpace();
}

// The file's rows folded into `image` as they come; why not, when libpng failed or
// folding threw (no memory for its sums, a fold that failed on its thread).
std::optional<QString> foldRows(PngSession& session, const Header& header, QImage& image,
                                const Parallelism& parallelism) {
    const std::size_t rowBytes = png_get_rowbytes(session.png, session.info);
    const int width = header.size.width();
    const bool premultiply = header.alpha;
    try {
        AreaDownscaler downscaler(width, header.size.height(), image.width(), image.height(), image.bits(),
                                  image.bytesPerLine(), header.layout());
        RowPipeline pipeline(rowBytes, PixelRows::rowsPerBatch(rowBytes),
                             [&downscaler, width, premultiply](std::uint8_t* row) {
                                 if (premultiply)
                                     PixelRows::premultiply(row, width);
                                 downscaler.addRow(row);
                             },
                             parallelism);
        for (int y = 0; y < header.size.height(); y += pipeline.rowsPerBatch()) {
            const int rows = std::min(pipeline.rowsPerBatch(), header.size.height() - y);
            if (!readRows(session, pipeline.batch(), rowBytes, rows))
                return QString::fromUtf8(session.error);
            pipeline.submit(rows);
        }
        pipeline.finish();
    } catch (const std::exception& error) {
        return QString::fromUtf8(error.what());
    }
    return std::nullopt;
}

} // namespace

std::optional<PictureDecoder::Result> PngScaledDecoder::decode(int descriptor, QSize target,
                                                               const Parallelism& parallelism) {
    DescriptorReader reader(descriptor);
    PngSession session(reader);
    if (!session.png || !session.info)
        return PictureDecoder::Result::failed({}, QStringLiteral("libpng could not start"));
    if (!readInfo(session))
        return PictureDecoder::Result::failed({}, QString::fromUtf8(session.error));
    const Header header = headerOf(session);
    const std::optional<QColorSpace> colourSpace = colourSpaceOf(session, header);
    if (header.interlaced || !colourSpace ||
        !AreaDownscaler::supports(header.size.width(), header.size.height(), target.width(), target.height()))
        return std::nullopt;
    if (!prepareRows(session, header.layout()))
        return PictureDecoder::Result::failed(header.size, QString::fromUtf8(session.error));
    const std::size_t rowBytes = png_get_rowbytes(session.png, session.info);
    if (rowBytes != std::size_t(header.size.width()) * std::size_t(header.bytesPerPixel()))
        return PictureDecoder::Result::failed(header.size, QStringLiteral("unexpected row layout"));

    QImage image(target, header.alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (image.isNull())
        return PictureDecoder::Result::failed(header.size, QStringLiteral("not enough memory for the scaled picture"));
    image.setColorSpace(*colourSpace);
    if (const std::optional<QString> failure = foldRows(session, header, image, parallelism))
        return PictureDecoder::Result::failed(header.size, *failure);

    PictureDecoder::Result result;
    result.storedSize = header.size;
    result.image = std::move(image);
    return result;
}

} // namespace vistrel
