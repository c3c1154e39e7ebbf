#include "media/pictures/ApngFrames.h"

#include "media/pictures/PictureDecoder.h"
#include "media/pictures/PngMetadataChunks.h"
#include "media/pictures/QtPicture.h"
#include "media/support/LogCategories.h"

#include <QColorSpace>
#include <QPainter>
#include <array>
#include <cstdint>
#include <zlib.h>

namespace vistrel {

namespace {

constexpr qint64 longestChunk = 0x7FFFFFFF;
constexpr int headerLength = 13;
constexpr int frameControlLength = 26;
constexpr int sequenceNumberLength = 4;
// What a frame's PNG needs besides its data: the palette, transparency and colour.
constexpr std::array<const char*, 7> sharedTypes = {"PLTE", "tRNS", "gAMA", "cHRM", "sRGB", "iCCP", "sBIT"};

std::uint32_t bigEndian32(const QByteArray& bytes, int at) {
    const auto byte = [&bytes](int index) { return std::uint32_t(static_cast<unsigned char>(bytes[index])); };
    return byte(at) << 24 | byte(at + 1) << 16 | byte(at + 2) << 8 | byte(at + 3);
}

int bigEndian16(const QByteArray& bytes, int at) {
    return int(static_cast<unsigned char>(bytes[at])) << 8 | int(static_cast<unsigned char>(bytes[at + 1]));
}

void appendBigEndian32(QByteArray& bytes, std::uint32_t value) {
    for (const int shift : {24, 16, 8, 0})
        bytes.append(char((value >> shift) & 0xFF));
}

QByteArray serialised(const QByteArray& type, const QByteArray& data) {
    QByteArray chunk;
    appendBigEndian32(chunk, std::uint32_t(data.size()));
    const QByteArray body = type + data;
    chunk.append(body);
    appendBigEndian32(chunk, std::uint32_t(::crc32(0, reinterpret_cast<const Bytef*>(body.constData()), uInt(body.size()))));
    return chunk;
}

bool isShared(const QByteArray& type) {
    for (const char* shared : sharedTypes)
        if (type == shared)
            return true;
    return false;
}

} // namespace

std::unique_ptr<ApngFrames> ApngFrames::open(const std::string& path, QSize bound) {
    std::unique_ptr<ApngFrames> frames(new ApngFrames(path, bound));
    frames->m_file = DescriptorDevice::openRegular(path);
    if (!frames->m_file || !pngIsAnimated(frames->m_file->descriptor()) ||
        !frames->readHeader())
        return nullptr;
    return frames;
}

// Up to the first frame control or image data, which next() takes from there.
bool ApngFrames::readHeader() {
    m_header.clear();
    m_sharedChunks.clear();
    m_pending.reset();
    m_shown.reset();
    if (!m_file->seek(qint64(pngSignature.size())))
        return false;
    while (std::optional<Chunk> chunk = readChunk()) {
        if (chunk->type == "IHDR" && chunk->data.size() == headerLength) {
            m_header = chunk->data;
            m_canvasSize = QSize(int(bigEndian32(m_header, 0)), int(bigEndian32(m_header, 4)));
        } else if (chunk->type == "acTL" && chunk->data.size() == 8) {
            const std::uint32_t plays = bigEndian32(chunk->data, 4);
            m_plays = plays == 0 || plays > std::uint32_t(INT32_MAX) ? std::nullopt : std::optional<int>(int(plays));
        } else if (isShared(chunk->type)) {
            m_sharedChunks.append(serialised(chunk->type, chunk->data));
        } else if (chunk->type == "fcTL" || chunk->type == "IDAT") {
            m_pending = std::move(chunk);
            break;
        }
    }
    if (!m_pending || m_header.isEmpty() || m_canvasSize.isEmpty() ||
        !PictureDecoder::fitsAllocationLimit(m_canvasSize))
        return false;
    m_canvas = QImage(m_canvasSize, QImage::Format_ARGB32_Premultiplied);
    m_canvas.fill(Qt::transparent);
    return true;
}

// A length beyond what is left of the file is damage, not a reason to allocate.
std::optional<ApngFrames::Chunk> ApngFrames::readChunk() {
    const QByteArray head = m_file->read(8);
    if (head.size() != 8)
        return std::nullopt;
    const qint64 length = bigEndian32(head, 0);
    if (length > longestChunk || length + 4 > m_file->size() - m_file->pos())
        return std::nullopt;
    Chunk chunk{head.mid(4, 4), m_file->read(length)};
    if (chunk.data.size() != length || m_file->read(4).size() != 4)
        return std::nullopt;
    return chunk;
}

std::optional<ApngFrames::FrameControl> ApngFrames::frameControlOf(const QByteArray& data, QSize canvas) {
    if (data.size() != frameControlLength)
        return std::nullopt;
    const qint64 width = bigEndian32(data, 4);
    const qint64 height = bigEndian32(data, 8);
    const qint64 x = bigEndian32(data, 12);
    const qint64 y = bigEndian32(data, 16);
    FrameControl control;
    control.dispose = static_cast<unsigned char>(data[24]);
    control.blend = static_cast<unsigned char>(data[25]);
    if (width == 0 || height == 0 || x + width > canvas.width() || y + height > canvas.height() ||
        control.dispose > 2 || control.blend > 1)
        return std::nullopt; // a frame beyond its canvas
    control.area = QRect(int(x), int(y), int(width), int(height));
    const int numerator = bigEndian16(data, 20);
    const int denominator = bigEndian16(data, 22);
    control.delayMilliseconds = numerator * 1000 / (denominator == 0 ? 100 : denominator);
    return control;
}

AnimationStep ApngFrames::next() {
    const AnimationStep damaged{AnimationStep::Kind::damaged, nullptr, 0};
    std::optional<FrameControl> control;
    while (!control) {
        std::optional<Chunk> chunk = m_pending ? std::exchange(m_pending, std::nullopt) : readChunk();
        if (!chunk)
            return damaged;
        if (chunk->type == "IEND")
            return {};
        if (chunk->type == "fcTL" && !(control = frameControlOf(chunk->data, m_canvasSize)))
            return damaged;
        // Image data before any frame control is a default image outside the animation.
    }
    QByteArray data;
    while (!m_pending) {
        std::optional<Chunk> chunk = readChunk();
        if (!chunk)
            return damaged; // cut off in its data
        if (chunk->type == "IDAT")
            data.append(chunk->data);
        else if (chunk->type == "fdAT" && chunk->data.size() > sequenceNumberLength)
            data.append(chunk->data.mid(sequenceNumberLength));
        else
            m_pending = std::move(chunk);
    }
    const std::optional<QImage> frame = decodeFrame(*control, data);
    if (!frame) {
        qCInfo(lcPicture) << "an animated PNG frame of" << QString::fromStdString(m_path) << "is damaged";
        return damaged;
    }
    compose(*control, *frame);
    QImage shown = m_canvas.copy();
    const QSize fitted = PictureDecoder::fittedSize(m_canvasSize, m_bound);
    if (fitted != m_canvasSize)
        shown = shown.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    PictureDecoder::convertToSrgb(shown);
    return {AnimationStep::Kind::frame, std::make_shared<QtPicture>(std::move(shown), m_canvasSize),
            control->delayMilliseconds};
}

// A PNG of its own: the file's header with the frame's size, its shared chunks, its data.
std::optional<QImage> ApngFrames::decodeFrame(const FrameControl& control, const QByteArray& data) const {
    if (data.isEmpty())
        return std::nullopt;
    QByteArray header = m_header;
    QByteArray size;
    appendBigEndian32(size, std::uint32_t(control.area.width()));
    appendBigEndian32(size, std::uint32_t(control.area.height()));
    header.replace(0, 8, size);
    QByteArray png(reinterpret_cast<const char*>(pngSignature.data()), qsizetype(pngSignature.size()));
    png.append(serialised("IHDR", header)).append(m_sharedChunks);
    png.append(serialised("IDAT", data)).append(serialised("IEND", {}));
    QImage frame = QImage::fromData(png, "png");
    if (frame.size() != control.area.size())
        return std::nullopt;
    return frame.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// The frame shown before is disposed of as its control said, then this one drawn.
void ApngFrames::compose(const FrameControl& control, const QImage& frame) {
    if (frame.colorSpace().isValid())
        m_canvas.setColorSpace(frame.colorSpace());
    QPainter painter(&m_canvas);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    if (m_shown && m_shown->dispose == 1)
        painter.fillRect(m_shown->area, Qt::transparent);
    else if (m_shown && m_shown->dispose == 2)
        painter.drawImage(m_shown->area.topLeft(), m_beforeShown);
    if (control.dispose == 2)
        m_beforeShown = m_canvas.copy(control.area);
    painter.setCompositionMode(control.blend == 1 ? QPainter::CompositionMode_SourceOver
                                                  : QPainter::CompositionMode_Source);
    painter.drawImage(control.area.topLeft(), frame);
    m_shown = control;
}

// The canvas starts empty again with the first frame.
bool ApngFrames::rewind() {
    return readHeader();
}

} // namespace vistrel
