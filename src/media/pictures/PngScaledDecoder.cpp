#include "media/pictures/PngScaledDecoder.h"

#include "codec/io/DescriptorReader.h"
#include "codec/rows/AreaDownscaler.h"
#include "codec/rows/PixelRows.h"
#include "codec/rows/RowPipeline.h"
#include "media/pictures/PixelMemory.h"

#include <QByteArray>
#include <QColorSpace>
#include <algorithm>
#include <array>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <exception>
#include <png.h>
#include <vector>

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
    // Files with a too small window in their zlib header, which other readers accept.
    png_set_option(png, PNG_MAXIMUM_INFLATE_WINDOW, PNG_OPTION_ON);
}

bool readInfo(PngSession& session) {
    if (setjmp(png_jmpbuf(session.png)))
        return false;
    png_read_info(session.png, session.info);
    return true;
}

// 8-bit RGB, the common layout of large pictures, is read as it is stored when it is
// folded: the downscaler reorders it on the folding thread, sparing the decoding thread
// a pass. Every other colour type and depth becomes 8-bit blue, green, red, alpha in
// memory order, which is how 32-bit images lie on a little-endian machine; alpha is 255
// when the file has none. A file gamma (> 0) has libpng bring the samples to the
// display's gamma first, from 16 bits where the file has them; interlaced rows come
// whole once every pass has been read.
bool prepareRows(PngSession& session, AreaDownscaler::SourceLayout layout, double fileGamma) {
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
    if (fileGamma > 0)
        png_set_gamma(png, PNG_DEFAULT_sRGB, fileGamma);
    png_set_interlace_handling(png);
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

// Every pass of the picture into `rows`, one pointer per row.
bool readImage(PngSession& session, png_bytepp rows) {
    if (setjmp(png_jmpbuf(session.png)))
        return false;
    png_read_image(session.png, rows);
    return true;
}

struct Header {
    QSize size;
    int colourType = 0;
    int bitDepth = 8;
    bool interlaced = false;
    bool alpha = false;

    // How rows come when they are folded as they are read.
    AreaDownscaler::SourceLayout streamedLayout() const {
        return colourType == PNG_COLOR_TYPE_RGB && bitDepth == 8 && !alpha ? AreaDownscaler::SourceLayout::redGreenBlue
                                                                          : AreaDownscaler::SourceLayout::fourChannels;
    }
};

int bytesPerPixel(AreaDownscaler::SourceLayout layout) {
    return layout == AreaDownscaler::SourceLayout::redGreenBlue ? 3 : 4;
}

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

// What the file says of its colours, taken in the order the general reader takes it:
// an ICC profile (of RGB or gray pixels) it can read, the sRGB chunk, then gamma, with
// chromaticities or without.
struct Colour {
    QColorSpace space;    // of the decoded pixels; untagged pixels are shown as sRGB
    double fileGamma = 0; // > 0: libpng corrects the samples from it to the display's gamma
};

Colour colourOf(const PngSession& session) {
    png_structp png = session.png;
    png_infop info = session.info;
    Colour colour;
    png_charp name = nullptr;
    int compression = 0;
    png_bytep profile = nullptr;
    png_uint_32 length = 0;
    if (png_get_valid(png, info, PNG_INFO_iCCP) &&
        png_get_iCCP(png, info, &name, &compression, &profile, &length)) {
        colour.space = QColorSpace::fromIccProfile(
            QByteArray(reinterpret_cast<const char*>(profile), qsizetype(length)));
        if (colour.space.isValid())
            return colour;
    }
    if (png_get_valid(png, info, PNG_INFO_sRGB)) {
        colour.space = QColorSpace::SRgb;
        return colour;
    }
    double gamma = 0;
    if (!png_get_valid(png, info, PNG_INFO_gAMA) || !png_get_gAMA(png, info, &gamma) || !(gamma > 0))
        return {};
    colour.fileGamma = gamma;
    double white[2], red[2], green[2], blue[2];
    if (png_get_valid(png, info, PNG_INFO_cHRM) &&
        png_get_cHRM(png, info, &white[0], &white[1], &red[0], &red[1], &green[0], &green[1], &blue[0],
                     &blue[1])) {
        // The samples come at the display's gamma, in the file's primaries; sRGB's
        // (as most writers give them) need no conversion.
        static constexpr std::array<double, 8> srgb = {0.3127, 0.329, 0.64, 0.33, 0.3, 0.6, 0.15, 0.06};
        const std::array<double, 8> given = {white[0], white[1], red[0],  red[1],
                                             green[0], green[1], blue[0], blue[1]};
        const bool srgbPrimaries = std::equal(given.begin(), given.end(), srgb.begin(),
                                              [](double a, double b) { return std::abs(a - b) < 0.001; });
        const QColorSpace primaries(QPointF(white[0], white[1]), QPointF(red[0], red[1]),
                                    QPointF(green[0], green[1]), QPointF(blue[0], blue[1]),
                                    QColorSpace::TransferFunction::Gamma, 2.2f);
        if (!srgbPrimaries && primaries.isValid())
            colour.space = primaries;
    }
    return colour;
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
                                  image.bytesPerLine(), header.streamedLayout());
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

// The whole picture read into `whole` (32-bit rows of the stored size), every pass of
// an interlaced one included, and premultiplied where it has alpha.
std::optional<QString> readWhole(PngSession& session, const Header& header, QImage& whole) {
    std::vector<png_bytep> rows;
    try {
        rows.resize(std::size_t(whole.height()));
    } catch (const std::exception& error) {
        return QString::fromUtf8(error.what());
    }
    for (int y = 0; y < whole.height(); ++y)
        rows[std::size_t(y)] = whole.scanLine(y);
    if (!readImage(session, rows.data()))
        return QString::fromUtf8(session.error);
    if (header.alpha)
        for (png_bytep row : rows)
            PixelRows::premultiply(row, whole.width());
    return std::nullopt;
}

// The whole picture read, then folded into the smaller `image`: the way of an
// interlaced picture, whose rows are complete only after the last pass.
std::optional<QString> readWholeAndFold(PngSession& session, const Header& header, QImage& image) {
    QImage whole(header.size, QImage::Format_ARGB32_Premultiplied);
    if (whole.isNull())
        return QStringLiteral("not enough memory for the interlaced picture");
    if (std::optional<QString> failure = readWhole(session, header, whole))
        return failure;
    try {
        AreaDownscaler downscaler(whole.width(), whole.height(), image.width(), image.height(), image.bits(),
                                  image.bytesPerLine());
        for (int y = 0; y < whole.height(); ++y)
            downscaler.addRow(whole.constScanLine(y));
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
        return std::nullopt; // what libpng refuses, the general reader may still read
    const Header header = headerOf(session);
    const bool wholeSize = target == header.size;
    if (!wholeSize &&
        !AreaDownscaler::supports(header.size.width(), header.size.height(), target.width(), target.height()))
        return std::nullopt;
    const Colour colour = colourOf(session);
    // Rows are folded as they come, unless they are kept whole: all of them at the
    // stored size, or only after the last pass of an interlaced picture.
    const bool streamed = !wholeSize && !header.interlaced;
    if (!streamed && !PictureDecoder::fitsAllocationLimit(header.size))
        return PictureDecoder::Result::failed(
            header.size, QStringLiteral("too large to decode within the allocation limit"));
    const AreaDownscaler::SourceLayout layout =
        streamed ? header.streamedLayout() : AreaDownscaler::SourceLayout::fourChannels;
    if (!prepareRows(session, layout, colour.fileGamma))
        return PictureDecoder::Result::failed(header.size, QString::fromUtf8(session.error));
    const std::size_t rowBytes = png_get_rowbytes(session.png, session.info);
    if (rowBytes != std::size_t(header.size.width()) * std::size_t(bytesPerPixel(layout)))
        return PictureDecoder::Result::failed(header.size, QStringLiteral("unexpected row layout"));

    QImage image =
        PixelMemory::imageFor(target, header.alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (image.isNull())
        return PictureDecoder::Result::failed(header.size,
                                              QStringLiteral("not enough memory for the picture"));
    image.setColorSpace(colour.space);
    const std::optional<QString> failure = wholeSize  ? readWhole(session, header, image)
                                           : streamed ? foldRows(session, header, image, parallelism)
                                                      : readWholeAndFold(session, header, image);
    if (failure)
        return PictureDecoder::Result::failed(header.size, *failure);

    PictureDecoder::Result result;
    result.storedSize = header.size;
    result.image = std::move(image);
    return result;
}

} // namespace vistrel
