#include "formats/HeifImageReader.h"

#include "media/support/LogCategories.h"

#include <QColorSpace>
#include <QPointF>
#include <libheif/heif.h>
#include <mutex>

namespace vistrel {

namespace {

void initialiseLibraryOnce() {
    // Loads the decoder plugins; kept for the life of the process, so never undone.
    static std::once_flag once;
    std::call_once(once, [] { heif_init(nullptr); });
}

struct Transfer {
    QColorSpace::TransferFunction function;
    float gamma = 0.0f;
};

// The curve an nclx transfer code stands for. The BT.709 family is drawn with the sRGB
// curve, as browsers and players show such pictures; the curves a plain RGB colour
// space cannot express (PQ, HLG) give nothing, and those pictures are shown as they are
// rather than wrongly converted.
std::optional<Transfer> transferOf(int code) {
    switch (code) {
    case heif_transfer_characteristic_ITU_R_BT_709_5:
    case heif_transfer_characteristic_unspecified:
    case heif_transfer_characteristic_ITU_R_BT_601_6:
    case heif_transfer_characteristic_IEC_61966_2_1:
    case heif_transfer_characteristic_ITU_R_BT_2020_2_10bit:
    case heif_transfer_characteristic_ITU_R_BT_2020_2_12bit:
        return Transfer{QColorSpace::TransferFunction::SRgb};
    case heif_transfer_characteristic_linear:
        return Transfer{QColorSpace::TransferFunction::Linear};
    case heif_transfer_characteristic_ITU_R_BT_470_6_System_M:
        return Transfer{QColorSpace::TransferFunction::Gamma, 2.2f};
    case heif_transfer_characteristic_ITU_R_BT_470_6_System_B_G:
        return Transfer{QColorSpace::TransferFunction::Gamma, 2.8f};
    default:
        return std::nullopt;
    }
}

// The colour space an nclx box describes; invalid for sRGB itself, which needs no
// conversion, and for what cannot be expressed.
QColorSpace colourSpaceOf(const heif_color_profile_nclx& nclx) {
    const std::optional<Transfer> transfer = transferOf(nclx.transfer_characteristics);
    if (!transfer)
        return {};
    const bool srgbPrimaries = nclx.color_primaries == heif_color_primaries_ITU_R_BT_709_5 ||
                               nclx.color_primaries == heif_color_primaries_unspecified;
    if (srgbPrimaries && transfer->function == QColorSpace::TransferFunction::SRgb)
        return {};
    if (nclx.color_primary_red_x <= 0.0f || nclx.color_primary_white_x <= 0.0f)
        return {};
    return QColorSpace(QPointF(nclx.color_primary_white_x, nclx.color_primary_white_y),
                       QPointF(nclx.color_primary_red_x, nclx.color_primary_red_y),
                       QPointF(nclx.color_primary_green_x, nclx.color_primary_green_y),
                       QPointF(nclx.color_primary_blue_x, nclx.color_primary_blue_y), transfer->function,
                       transfer->gamma);
}

QColorSpace iccColourSpaceOf(const heif_image_handle* handle) {
    QByteArray icc(static_cast<qsizetype>(heif_image_handle_get_raw_color_profile_size(handle)), '\0');
    if (icc.isEmpty() || heif_image_handle_get_raw_color_profile(handle, icc.data()).code != heif_error_Ok)
        return {};
    return QColorSpace::fromIccProfile(icc);
}

QColorSpace nclxColourSpaceOf(const heif_image_handle* handle) {
    heif_color_profile_nclx* nclx = nullptr;
    if (heif_image_handle_get_nclx_color_profile(handle, &nclx).code != heif_error_Ok || nclx == nullptr)
        return {};
    QColorSpace space = colourSpaceOf(*nclx);
    heif_nclx_color_profile_free(nclx);
    return space;
}

// An ICC profile wins over an nclx box when a file has both, as libheif reports it.
QColorSpace colourSpaceOf(const heif_image_handle* handle) {
    switch (heif_image_handle_get_color_profile_type(handle)) {
    case heif_color_profile_type_prof:
    case heif_color_profile_type_rICC:
        return iccColourSpaceOf(handle);
    case heif_color_profile_type_nclx:
        return nclxColourSpaceOf(handle);
    default:
        return {};
    }
}

void releaseImage(void* image) {
    heif_image_release(static_cast<heif_image*>(image));
}

} // namespace

HeifImageReader::HeifImageReader(QString path, QByteArray format, OwnedDescriptor file)
    : m_path(std::move(path)), m_format(std::move(format)), m_file(std::move(file)),
      m_context(nullptr, heif_context_free), m_handle(nullptr, heif_image_handle_release) {
    initialiseLibraryOnce();
}

HeifImageReader::~HeifImageReader() = default;

// A grid with a tile cut off is refused here already; its other tiles still show.
bool HeifImageReader::open() {
    if (m_handle || m_grid)
        return true;
    std::optional<QByteArray> bytes = wholeFileOf(m_file.get());
    if (!bytes) {
        qCInfo(lcPicture) << "HEIF picture" << m_path << "cannot be read";
        return false;
    }
    m_bytes = std::move(*bytes);
    if (const heif_error error = openPrimary(m_bytes, m_context, m_handle); error.code != heif_error_Ok) {
        qCInfo(lcPicture) << "HEIF picture" << m_path << "unreadable:" << error.message;
        m_grid = HeifGrid::read(m_bytes);
        return m_grid.has_value();
    }
    return true;
}

heif_error HeifImageReader::openPrimary(const QByteArray& bytes, Context& context, Handle& handle) {
    context.reset(heif_context_alloc());
    heif_error error = heif_context_read_from_memory_without_copy(context.get(), bytes.constData(),
                                                                  std::size_t(bytes.size()), nullptr);
    heif_image_handle* primary = nullptr;
    if (error.code == heif_error_Ok)
        error = heif_context_get_primary_image_handle(context.get(), &primary);
    handle.reset(primary);
    return error;
}

std::optional<LibraryImageReader::Header> HeifImageReader::header() {
    if (!open())
        return std::nullopt;
    Header header;
    header.format = m_format;
    if (!m_handle) {
        header.size = m_grid->shownSize();
        return header;
    }
    // The size after the file's own turn and crop, as read() returns the pixels.
    header.size =
        QSize(heif_image_handle_get_width(m_handle.get()), heif_image_handle_get_height(m_handle.get()));
    if (header.size.isEmpty())
        return std::nullopt;
    const int bits = heif_image_handle_get_luma_bits_per_pixel(m_handle.get());
    header.bitsPerSample = bits > 0 ? bits : 8;
    header.alpha = heif_image_handle_has_alpha_channel(m_handle.get()) != 0;
    return header;
}

QImage HeifImageReader::read() {
    if (!open())
        return {};
    QImage image = m_handle ? decoded(m_handle.get()) : QImage();
    return image.isNull() ? salvaged() : image;
}

QImage HeifImageReader::salvaged() {
    if (!m_grid)
        m_grid = HeifGrid::read(m_bytes);
    if (!m_grid)
        return {};
    return salvagedGrid(*m_grid, m_path, [this](const QByteArray& tileFile) {
        Context context(nullptr, heif_context_free);
        Handle handle(nullptr, heif_image_handle_release);
        // The image outlives its context: it holds its own pixels.
        return openPrimary(tileFile, context, handle).code == heif_error_Ok ? decoded(handle.get()) : QImage();
    });
}

QImage HeifImageReader::readFirstLook() {
    heif_item_id id = 0;
    if (!open() || !m_handle || heif_image_handle_get_list_of_thumbnail_IDs(m_handle.get(), &id, 1) < 1)
        return {};
    heif_image_handle* thumbnail = nullptr;
    const heif_error error = heif_image_handle_get_thumbnail(m_handle.get(), id, &thumbnail);
    if (error.code != heif_error_Ok) {
        qCInfo(lcPicture) << "HEIF picture" << m_path << "has a thumbnail that does not read:" << error.message;
        return {};
    }
    const Handle owned(thumbnail, heif_image_handle_release);
    return decoded(thumbnail);
}

// 8-bit RGB(A) whatever the stored depth: the display shows no more.
QImage HeifImageReader::decoded(const heif_image_handle* handle) {
    const bool alpha = heif_image_handle_has_alpha_channel(handle) != 0;
    heif_decoding_options* options = heif_decoding_options_alloc();
    options->convert_hdr_to_8bit = 1;
    heif_image* raw = nullptr;
    const heif_error error =
        heif_decode_image(handle, &raw, heif_colorspace_RGB,
                          alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options);
    heif_decoding_options_free(options);
    std::unique_ptr<heif_image, void (*)(void*)> image(raw, releaseImage);
    if (error.code != heif_error_Ok || !image) {
        qCInfo(lcPicture) << "HEIF picture" << m_path << "cannot be decoded:" << error.message;
        return {};
    }
    int stride = 0;
    const uint8_t* pixels = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
    if (pixels == nullptr || width <= 0 || height <= 0) {
        qCInfo(lcPicture) << "HEIF picture" << m_path << "decoded to no pixels";
        return {};
    }
    // Over the library's buffer, which goes with the last copy of the image: a phone
    // photo's 36 MB are not copied once more before being scaled down.
    QImage over(pixels, width, height, stride, alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888,
                releaseImage, image.release());
    over.setColorSpace(colourSpaceOf(handle));
    return over;
}

} // namespace vistrel
