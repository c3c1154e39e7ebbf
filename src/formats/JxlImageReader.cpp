#include "formats/JxlImageReader.h"

#include "media/support/LogCategories.h"

#include <QColorSpace>
#include <jxl/decode.h>
#include <jxl/decode_cxx.h>

#include <algorithm>
#include <cstdint>

namespace vistrel {

namespace {

const uint8_t* bytesOf(const QByteArray& data) {
    return reinterpret_cast<const uint8_t*>(data.constData());
}

QImageIOHandler::Transformations transformationOf(JxlOrientation orientation) {
    switch (orientation) {
    case JXL_ORIENT_FLIP_HORIZONTAL:
        return QImageIOHandler::TransformationMirror;
    case JXL_ORIENT_ROTATE_180:
        return QImageIOHandler::TransformationRotate180;
    case JXL_ORIENT_FLIP_VERTICAL:
        return QImageIOHandler::TransformationFlip;
    case JXL_ORIENT_TRANSPOSE:
        return QImageIOHandler::TransformationFlipAndRotate90;
    case JXL_ORIENT_ROTATE_90_CW:
        return QImageIOHandler::TransformationRotate90;
    case JXL_ORIENT_ANTI_TRANSPOSE:
        return QImageIOHandler::TransformationMirrorAndRotate90;
    case JXL_ORIENT_ROTATE_90_CCW:
        return QImageIOHandler::TransformationRotate270;
    default:
        return QImageIOHandler::TransformationNone;
    }
}

// The colour space of the pixels the decoder hands out.
QColorSpace colourSpaceOf(const JxlDecoder* decoder) {
    size_t size = 0;
    if (JxlDecoderGetICCProfileSize(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &size) !=
            JXL_DEC_SUCCESS ||
        size == 0)
        return {};
    QByteArray icc(static_cast<qsizetype>(size), '\0');
    if (JxlDecoderGetColorAsICCProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA,
                                       reinterpret_cast<uint8_t*>(icc.data()), size) != JXL_DEC_SUCCESS)
        return {};
    return QColorSpace::fromIccProfile(icc);
}

// 8-bit RGBA, rows without padding, as QImage lays out its 32-bit formats.
const JxlPixelFormat outputFormat{4, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};

// An image for the decoder to write the picture into; null when there is no room.
QImage outputImageFor(JxlDecoder* decoder, const JxlBasicInfo& info) {
    const QImage::Format pixels = info.alpha_bits == 0       ? QImage::Format_RGBX8888
                                  : info.alpha_premultiplied ? QImage::Format_RGBA8888_Premultiplied
                                                             : QImage::Format_RGBA8888;
    QImage image(static_cast<int>(info.xsize), static_cast<int>(info.ysize), pixels);
    size_t needed = 0;
    if (image.isNull() || JxlDecoderImageOutBufferSize(decoder, &outputFormat, &needed) != JXL_DEC_SUCCESS ||
        needed > static_cast<size_t>(image.sizeInBytes()) ||
        JxlDecoderSetImageOutBuffer(decoder, &outputFormat, image.bits(), needed) != JXL_DEC_SUCCESS)
        return {};
    return image;
}

JxlDecoderPtr decoderFor(const QByteArray& bytes, int events) {
    JxlDecoderPtr decoder = JxlDecoderMake(nullptr);
    if (!decoder || JxlDecoderSubscribeEvents(decoder.get(), events) != JXL_DEC_SUCCESS ||
        JxlDecoderSetKeepOrientation(decoder.get(), JXL_TRUE) != JXL_DEC_SUCCESS ||
        JxlDecoderSetInput(decoder.get(), bytesOf(bytes), static_cast<size_t>(bytes.size())) !=
            JXL_DEC_SUCCESS)
        return nullptr;
    JxlDecoderCloseInput(decoder.get());
    return decoder;
}

// A frame's duration in ticks of the animation's clock, in milliseconds.
int millisecondsOf(std::uint32_t ticks, const JxlAnimationHeader& animation) {
    if (animation.tps_numerator == 0)
        return 0;
    const std::uint64_t milliseconds =
        std::uint64_t(ticks) * 1000u * animation.tps_denominator / animation.tps_numerator;
    return static_cast<int>(std::min<std::uint64_t>(milliseconds, std::uint64_t(INT32_MAX)));
}

} // namespace

JxlImageReader::JxlImageReader(QString path, OwnedDescriptor file) : m_path(std::move(path)), m_file(std::move(file)) {}

bool JxlImageReader::load() {
    if (!m_bytes.isEmpty())
        return true;
    std::optional<QByteArray> bytes = wholeFileOf(m_file.get());
    if (!bytes) {
        qCInfo(lcPicture) << "JPEG XL picture" << m_path << "cannot be read";
        return false;
    }
    m_bytes = std::move(*bytes);
    return !m_bytes.isEmpty();
}

std::optional<LibraryImageReader::Header> JxlImageReader::header() {
    if (!load())
        return std::nullopt;
    const JxlDecoderPtr decoder = decoderFor(m_bytes, JXL_DEC_BASIC_INFO);
    JxlBasicInfo info;
    if (!decoder || JxlDecoderProcessInput(decoder.get()) != JXL_DEC_BASIC_INFO ||
        JxlDecoderGetBasicInfo(decoder.get(), &info) != JXL_DEC_SUCCESS) {
        qCInfo(lcPicture) << "JPEG XL picture" << m_path << "has no readable header";
        return std::nullopt;
    }
    Header header;
    header.format = "jxl";
    // The stored size: the decoder keeps the pixels unturned.
    header.size = QSize(static_cast<int>(info.xsize), static_cast<int>(info.ysize));
    header.bitsPerSample = static_cast<int>(info.bits_per_sample);
    header.gray = info.num_color_channels == 1;
    header.alpha = info.alpha_bits > 0;
    header.transformation = transformationOf(info.orientation);
    header.animated = info.have_animation == JXL_TRUE;
    if (info.animation.num_loops > 0 && info.animation.num_loops <= std::uint32_t(INT32_MAX))
        header.plays = static_cast<int>(info.animation.num_loops);
    return header;
}

// 8-bit RGBA whatever the stored depth; the first frame of an animation.
QImage JxlImageReader::read() {
    if (!load())
        return {};
    const JxlDecoderPtr decoder =
        decoderFor(m_bytes, JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING | JXL_DEC_FULL_IMAGE);
    if (!decoder)
        return {};
    JxlBasicInfo info{};
    QColorSpace colourSpace;
    QImage image;
    for (;;) {
        switch (JxlDecoderProcessInput(decoder.get())) {
        case JXL_DEC_BASIC_INFO:
            JxlDecoderGetBasicInfo(decoder.get(), &info);
            break;
        case JXL_DEC_COLOR_ENCODING:
            colourSpace = colourSpaceOf(decoder.get());
            break;
        case JXL_DEC_NEED_IMAGE_OUT_BUFFER:
            image = outputImageFor(decoder.get(), info);
            if (image.isNull()) {
                qCInfo(lcPicture) << "JPEG XL picture" << m_path << "has no room to decode into";
                return {};
            }
            break;
        case JXL_DEC_FULL_IMAGE:
            image.setColorSpace(colourSpace);
            return image;
        default:
            // An error, a file cut short, or the end without an image.
            qCInfo(lcPicture) << "JPEG XL picture" << m_path << "cannot be decoded";
            return {};
        }
    }
}

// Each frame comes whole, drawn onto the canvas by the decoder, into an image of its own.
std::optional<LibraryImageReader::Frame> JxlImageReader::readFrame() {
    if (!m_frames && load())
        m_frames = decoderFor(m_bytes, JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING | JXL_DEC_FRAME |
                                           JXL_DEC_FULL_IMAGE);
    if (!m_frames)
        return Frame{};
    QImage image;
    for (;;) {
        switch (JxlDecoderProcessInput(m_frames.get())) {
        case JXL_DEC_BASIC_INFO:
            JxlDecoderGetBasicInfo(m_frames.get(), &m_info);
            break;
        case JXL_DEC_COLOR_ENCODING:
            m_colourSpace = colourSpaceOf(m_frames.get());
            break;
        case JXL_DEC_FRAME: {
            JxlFrameHeader frame{};
            JxlDecoderGetFrameHeader(m_frames.get(), &frame);
            m_frameDelay = millisecondsOf(frame.duration, m_info.animation);
            break;
        }
        case JXL_DEC_NEED_IMAGE_OUT_BUFFER:
            image = outputImageFor(m_frames.get(), m_info);
            if (image.isNull())
                return Frame{};
            break;
        case JXL_DEC_FULL_IMAGE:
            image.setColorSpace(m_colourSpace);
            return Frame{std::move(image), m_frameDelay};
        case JXL_DEC_SUCCESS:
            return std::nullopt;
        default:
            qCInfo(lcPicture) << "a frame of JPEG XL animation" << m_path << "cannot be decoded";
            return Frame{};
        }
    }
}

bool JxlImageReader::rewindFrames() {
    m_frames.reset();
    return load();
}

} // namespace vistrel
