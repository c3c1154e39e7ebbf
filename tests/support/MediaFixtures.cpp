#include "MediaFixtures.h"

#include <QBuffer>
#include <QColorSpace>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>
#include <algorithm>
#include <optional>
#include <cstdint>
#include <exiv2/exiv2.hpp>
#include <jxl/encode.h>
#include <jxl/encode_cxx.h>
#include <libheif/heif.h>
#include <map>
#include <memory>
#include <vector>
#include <zlib.h>

namespace vistrel::test {

namespace {

using Maker = std::function<void(const QString& path)>;

QImage testPattern(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(image.rect(), Qt::darkBlue);
    painter.fillRect(QRect(0, 0, size.width() / 2, size.height() / 3), Qt::yellow);
    painter.setPen(Qt::white);
    painter.drawEllipse(image.rect().adjusted(10, 10, -10, -10));
    return image;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeExif(const QString& path, const std::function<void(Exiv2::ExifData&)>& edit) {
    auto image = Exiv2::ImageFactory::open(path.toStdString());
    image->readMetadata();
    Exiv2::ExifData exif = image->exifData();
    edit(exif);
    image->setExifData(exif);
    image->writeMetadata();
}

// A photo stored on its side (orientation 6), with a camera name and a 4 KB byte blob
// that would print as thousands of numbers.
void makeTurnedPhoto(const QString& path) {
    testPattern({300, 200}).save(path, "jpg", 90);
    writeExif(path, [](Exiv2::ExifData& exif) {
        exif["Exif.Image.Orientation"] = std::uint16_t(6);
        exif["Exif.Image.Make"] = "Fixture Camera";
        Exiv2::DataValue blob(Exiv2::undefined);
        const std::vector<Exiv2::byte> bytes(4096, 7);
        blob.read(bytes.data(), static_cast<long>(bytes.size()));
        exif.add(Exiv2::ExifKey("Exif.Photo.MakerNote"), &blob);
    });
}

// A photo carrying Exif, IPTC and XMP keys: a long comment stored as bytes, which
// reads as text, and a transfer table of 768 numbers, which does not.
void makeTaggedPhoto(const QString& path) {
    testPattern({50, 40}).save(path, "jpg");
    auto image = Exiv2::ImageFactory::open(path.toStdString());
    image->readMetadata();
    Exiv2::ExifData exif;
    exif["Exif.Photo.UserComment"] = "charset=Ascii A comment long enough to be stored as more than sixty-four bytes";
    Exiv2::UShortValue table;
    for (int i = 0; i < 768; ++i)
        table.value_.push_back(static_cast<std::uint16_t>(i));
    exif.add(Exiv2::ExifKey("Exif.Image.TransferFunction"), &table);
    Exiv2::IptcData iptc;
    iptc["Iptc.Application2.Caption"] = "Harbour at dusk";
    Exiv2::XmpData xmp;
    xmp["Xmp.dc.creator"] = "Fixture Photographer";
    image->setExifData(exif);
    image->setIptcData(iptc);
    image->setXmpData(xmp);
    image->writeMetadata();
}

// A small picture in `format` tagged with Exif orientation `orientation`.
Maker orientedPicture(std::uint16_t orientation, const char* format) {
    return [orientation, format](const QString& path) {
        testPattern({30, 20}).save(path, format);
        writeExif(path,
                  [orientation](Exiv2::ExifData& exif) { exif["Exif.Image.Orientation"] = orientation; });
    };
}

void makePrintedPhoto(const QString& path) {
    QImage printed = testPattern({60, 40});
    constexpr double metresPerInch = 0.0254;
    printed.setDotsPerMeterX(qRound(300 / metresPerInch));
    printed.setDotsPerMeterY(qRound(150 / metresPerInch));
    printed.save(path, "jpg");
}

// A 16 x 16 JPEG with four colour components (CMYK), which Qt cannot write: every
// block holds a zero DC difference and an end-of-block, coded by one-symbol tables.
// clang-format off
QByteArray cmykJpeg() {
    QByteArray jpeg = QByteArray::fromHex("FFD8"       // start of image
                                          "FFDB004300"); // quantisation table 0
    jpeg.append(64, '\x01');
    jpeg.append(QByteArray::fromHex(
        "FFC00014" "08" "0010" "0010" "04" // 8 bit, 16 x 16, 4 components
        "011100" "021100" "031100" "041100"
        "FFC40014" "00" "01000000000000000000000000000000" "00" // DC table 0
        "FFC40014" "10" "01000000000000000000000000000000" "00" // AC table 0
        "FFDA000E" "04" "0100" "0200" "0300" "0400" "00" "3F" "00"
        "00000000" // 16 blocks of two zero bits
        "FFD9"));
    return jpeg;
}
// clang-format on

// `jpeg` with an Exif block holding `tiff` (the TIFF structure after "Exif\0\0") put
// right after its start marker.
QByteArray withExif(const QByteArray& jpeg, const QByteArray& tiff) {
    const QByteArray payload = QByteArray("Exif", 4).append(2, '\0') + tiff;
    const qsizetype length = payload.size() + 2;
    QByteArray segment = QByteArray::fromHex("FFE1");
    segment.append(static_cast<char>(length >> 8)).append(static_cast<char>(length & 0xff));
    return jpeg.left(2) + segment + payload + jpeg.mid(2);
}

Maker photoWithExif(const QByteArray& tiffHex) {
    return [tiffHex](const QString& path) {
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        testPattern({64, 48}).save(&buffer, "jpg");
        writeFile(path, withExif(jpeg, QByteArray::fromHex(tiffHex)));
    };
}

// What a HEIF or JPEG XL fixture carries beside its pixels.
struct Extras {
    int orientation = 1; // the turn the file asks for when shown (Exif numbering)
    QByteArray iccProfile;
    QByteArray exifTiff; // a TIFF structure with Exif tags
    int thumbnailSide = 0; // a HEIF's thumbnail, as phones store one, when not 0
};

// An animation's frames after the first, and how long each frame stays.
struct LaterFrames {
    std::vector<QImage> frames;
    std::uint32_t milliseconds = 0;
};

QByteArray exifTiffWith(const std::function<void(Exiv2::ExifData&)>& edit) {
    Exiv2::ExifData exif;
    edit(exif);
    Exiv2::Blob blob;
    Exiv2::ExifParser::encode(blob, Exiv2::littleEndian, exif);
    return QByteArray(reinterpret_cast<const char*>(blob.data()), static_cast<qsizetype>(blob.size()));
}

// `upright` stored turned back by `extras.orientation` (6: a quarter turn
// anticlockwise), so that a viewer applying the file's orientation shows it upright.
QImage storedFor(const QImage& upright, int orientation) {
    if (orientation == 6)
        return upright.transformed(QTransform().rotate(-90));
    return upright;
}

// `upright` encoded by libheif as HEIC (HEVC) or AVIF (AV1), with irot/imir boxes for
// the orientation.
void writeHeif(const QString& path, const QImage& upright, heif_compression_format compression,
               const Extras& extras) {
    const QImage rgb = storedFor(upright, extras.orientation).convertToFormat(QImage::Format_RGB888);
    heif_init(nullptr);
    const std::unique_ptr<heif_context, void (*)(heif_context*)> context(heif_context_alloc(),
                                                                         heif_context_free);
    heif_encoder* encoder = nullptr;
    heif_image* image = nullptr;
    if (heif_context_get_encoder_for_format(context.get(), compression, &encoder).code != heif_error_Ok)
        return;
    heif_encoder_set_lossy_quality(encoder, 95);
    heif_image_create(rgb.width(), rgb.height(), heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image);
    heif_image_add_plane(image, heif_channel_interleaved, rgb.width(), rgb.height(), 8);
    int stride = 0;
    uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < rgb.height(); ++y)
        std::copy_n(rgb.constScanLine(y), rgb.width() * 3, plane + qsizetype(y) * stride);
    if (!extras.iccProfile.isEmpty())
        heif_image_set_raw_color_profile(image, "prof", extras.iccProfile.constData(),
                                         static_cast<size_t>(extras.iccProfile.size()));
    heif_encoding_options* options = heif_encoding_options_alloc();
    options->image_orientation = static_cast<heif_orientation>(extras.orientation);
    heif_image_handle* handle = nullptr;
    if (heif_context_encode_image(context.get(), image, encoder, options, &handle).code == heif_error_Ok) {
        heif_image_handle* thumbnail = nullptr;
        if (extras.thumbnailSide > 0 &&
            heif_context_encode_thumbnail(context.get(), image, handle, encoder, options, extras.thumbnailSide,
                                          &thumbnail).code == heif_error_Ok)
            heif_image_handle_release(thumbnail);
        if (!extras.exifTiff.isEmpty())
            heif_context_add_exif_metadata(context.get(), handle, extras.exifTiff.constData(),
                                           static_cast<int>(extras.exifTiff.size()));
        heif_context_write_to_file(context.get(), QFile::encodeName(path).constData());
        heif_image_handle_release(handle);
    }
    heif_encoding_options_free(options);
    heif_image_release(image);
    heif_encoder_release(encoder);
}

Maker heif(QImage upright, heif_compression_format compression, Extras extras = {}) {
    return [=](const QString& path) { writeHeif(path, upright, compression, extras); };
}

QByteArray encodedJxl(const QImage& upright, const Extras& extras, const LaterFrames& later) {
    const QImage rgb = storedFor(upright, extras.orientation).convertToFormat(QImage::Format_RGB888);
    const JxlEncoderPtr encoder = JxlEncoderMake(nullptr);
    JxlBasicInfo info;
    JxlEncoderInitBasicInfo(&info);
    info.xsize = static_cast<uint32_t>(rgb.width());
    info.ysize = static_cast<uint32_t>(rgb.height());
    info.bits_per_sample = 8;
    info.uses_original_profile = JXL_TRUE; // needed for lossless
    info.orientation = static_cast<JxlOrientation>(extras.orientation);
    info.have_animation = later.frames.empty() ? JXL_FALSE : JXL_TRUE;
    info.animation.tps_numerator = 1000;
    info.animation.tps_denominator = 1;
    JxlEncoderSetBasicInfo(encoder.get(), &info);
    if (extras.iccProfile.isEmpty()) {
        JxlColorEncoding srgb;
        JxlColorEncodingSetToSRGB(&srgb, JXL_FALSE);
        JxlEncoderSetColorEncoding(encoder.get(), &srgb);
    } else {
        JxlEncoderSetICCProfile(encoder.get(),
                                reinterpret_cast<const uint8_t*>(extras.iccProfile.constData()),
                                static_cast<size_t>(extras.iccProfile.size()));
    }
    JxlEncoderFrameSettings* settings = JxlEncoderFrameSettingsCreate(encoder.get(), nullptr);
    JxlEncoderSetFrameLossless(settings, JXL_TRUE);
    std::vector<QImage> frames{rgb};
    for (const QImage& frame : later.frames)
        frames.push_back(frame.convertToFormat(QImage::Format_RGB888));
    for (const QImage& frame : frames) {
        JxlFrameHeader header;
        JxlEncoderInitFrameHeader(&header);
        header.duration = later.milliseconds;
        JxlEncoderSetFrameHeader(settings, &header);
        const JxlPixelFormat format{3, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN,
                                    static_cast<size_t>(frame.bytesPerLine())};
        JxlEncoderAddImageFrame(settings, &format, frame.constBits(), static_cast<size_t>(frame.sizeInBytes()));
    }
    JxlEncoderCloseInput(encoder.get());
    QByteArray bytes(4096, '\0');
    uint8_t* next = reinterpret_cast<uint8_t*>(bytes.data());
    size_t available = static_cast<size_t>(bytes.size());
    while (JxlEncoderProcessOutput(encoder.get(), &next, &available) == JXL_ENC_NEED_MORE_OUTPUT) {
        const qsizetype written = reinterpret_cast<char*>(next) - bytes.data();
        bytes.resize(bytes.size() * 2);
        next = reinterpret_cast<uint8_t*>(bytes.data()) + written;
        available = static_cast<size_t>(bytes.size() - written);
    }
    bytes.resize(reinterpret_cast<char*>(next) - bytes.data());
    return bytes;
}

Maker jxl(QImage upright, Extras extras = {}, LaterFrames later = {}) {
    return [=](const QString& path) { writeFile(path, encodedJxl(upright, extras, later)); };
}

QImage filled(QSize size, Qt::GlobalColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// A uniform colour whose values a Display P3 profile visibly moves when converted to
// sRGB (a pure primary would only be clipped back to itself).
QImage sage() {
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(QColor(100, 180, 100));
    return image;
}

QByteArray displayP3Profile() {
    return QColorSpace(QColorSpace::DisplayP3).iccProfile();
}

QImage tagged(QImage image, const QColorSpace& colourSpace) {
    image.setColorSpace(colourSpace);
    return image;
}

// The first half of fixture `name`.
Maker firstHalfOf(const QString& name) {
    return [name](const QString& path) {
        const QByteArray whole = readFile(MediaFixtures::get().path(name));
        writeFile(path, whole.left(whole.size() / 2));
    };
}

// A GIF of `frames` frames of `size`, each `delayCs` hundredths of a second, the
// frames cycling through `colours`; `repeats` after the first play (nullopt: no loop
// extension). The pixels are stored as 8-bit LZW codes with a clear code every 100, so
// the codes never widen and need no packing.
QByteArray animatedGif(QSize size, int frames, int delayCs, const std::vector<QRgb>& colours,
                       std::optional<int> repeats = 0) {
    QByteArray gif("GIF89a");
    const auto put16 = [&gif](int value) { gif.append(char(value & 0xFF)).append(char(value >> 8)); };
    put16(size.width());
    put16(size.height());
    gif.append(char(0xF6)).append('\0').append('\0'); // a global table of 128 colours
    for (int entry = 0; entry < 128; ++entry) {
        const QRgb colour = colours[std::size_t(entry) % colours.size()];
        gif.append(char(qRed(colour))).append(char(qGreen(colour))).append(char(qBlue(colour)));
    }
    if (repeats) {
        gif.append("\x21\xFF\x0BNETSCAPE2.0\x03\x01", 16);
        put16(*repeats);
        gif.append('\0');
    }
    for (int frame = 0; frame < frames; ++frame) {
        gif.append("\x21\xF9\x04\x00", 4);
        put16(delayCs);
        gif.append('\0').append('\0').append(char(0x2C));
        for (const int field : {0, 0, size.width(), size.height()})
            put16(field);
        gif.append('\0').append(char(7)); // no local table; 7-bit literals
        QByteArray codes;
        for (int pixel = 0; pixel < size.width() * size.height(); ++pixel) {
            if (pixel % 100 == 0)
                codes.append(char(0x80));
            codes.append(char(frame % int(colours.size())));
        }
        codes.append(char(0x81));
        for (qsizetype at = 0; at < codes.size(); at += 255)
            gif.append(char(std::min<qsizetype>(255, codes.size() - at))).append(codes.mid(at, 255));
        gif.append('\0');
    }
    return gif.append(';');
}

QByteArray bigEndian32(std::uint32_t value) {
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray pngChunk(const QByteArray& type, const QByteArray& data) {
    const QByteArray body = type + data;
    return bigEndian32(std::uint32_t(data.size())) + body +
           bigEndian32(std::uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.constData()), uInt(body.size()))));
}

// An animated PNG: a red canvas, then a blue square drawn into its middle, each shown
// for `delayMs`, played for ever; its control chunk announces `claimedFrames`.
QByteArray animatedPng(std::uint32_t claimedFrames, int delayMs) {
    const auto chunksOf = [](const QImage& image) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "png");
        std::map<QByteArray, QByteArray> chunks; // each Qt writes once, data in one IDAT
        for (qsizetype at = 8; at + 12 <= png.size();) {
            const qsizetype length = qFromBigEndian<quint32>(png.constData() + at);
            chunks[png.mid(at + 4, 4)] += png.mid(at + 8, length);
            at += length + 12;
        }
        return chunks;
    };
    QImage red(64, 48, QImage::Format_RGB32);
    red.fill(Qt::red);
    QImage blue(32, 24, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    const auto control = [delayMs](std::uint32_t sequence, QRect area) {
        QByteArray data;
        for (const std::uint32_t field : {sequence, std::uint32_t(area.width()), std::uint32_t(area.height()),
                                          std::uint32_t(area.x()), std::uint32_t(area.y())})
            data.append(bigEndian32(field));
        data.append(bigEndian32(std::uint32_t(delayMs) << 16 | 1000)); // in thousandths
        data.append(2, '\0');                                          // kept, drawn as is
        return pngChunk("fcTL", data);
    };
    const auto first = chunksOf(red);
    QByteArray apng = QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", first.at("IHDR"));
    apng += pngChunk("acTL", bigEndian32(claimedFrames) + bigEndian32(0));
    apng += control(0, {0, 0, 64, 48}) + pngChunk("IDAT", first.at("IDAT"));
    apng += control(1, {16, 12, 32, 24}) + pngChunk("fdAT", bigEndian32(2) + chunksOf(blue).at("IDAT"));
    return apng + pngChunk("IEND", {});
}

QByteArray noise() {
    QByteArray bytes(8192, '\0');
    QRandomGenerator random(42);
    for (char& byte : bytes)
        byte = static_cast<char>(random.bounded(256));
    return bytes;
}

void runFfmpeg(const QStringList& arguments) {
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", QStringList{"-hide_banner", "-loglevel", "error", "-y"} + arguments);
    ffmpeg.waitForFinished(120000);
}

const QStringList twoSecondsOfPicture{"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25:duration=2"};
const QStringList twoSecondsOfTone{"-f", "lavfi", "-i", "sine=frequency=440:duration=2"};

Maker saved(QImage image, const char* format = nullptr) {
    return [image, format](const QString& path) { image.save(path, format); };
}

Maker written(const QByteArray& bytes) {
    return [bytes](const QString& path) { writeFile(path, bytes); };
}

Maker ffmpeg(const QStringList& arguments) {
    return [arguments](const QString& path) { runFfmpeg(arguments + QStringList{path}); };
}

const std::map<QString, Maker>& makers() {
    static const std::map<QString, Maker> table{
        {"turned.jpg", makeTurnedPhoto},
        {"tagged.jpg", makeTaggedPhoto},
        {"plain.png", saved(testPattern({40, 30}))},
        {"plain.webp", saved(testPattern({40, 30}))},
        // Every Exif orientation, and orientation 6 in other containers.
        {"oriented1.jpg", orientedPicture(1, "jpg")},
        {"oriented2.jpg", orientedPicture(2, "jpg")},
        {"oriented3.jpg", orientedPicture(3, "jpg")},
        {"oriented4.jpg", orientedPicture(4, "jpg")},
        {"oriented5.jpg", orientedPicture(5, "jpg")},
        {"oriented6.jpg", orientedPicture(6, "jpg")},
        {"oriented7.jpg", orientedPicture(7, "jpg")},
        {"oriented8.jpg", orientedPicture(8, "jpg")},
        {"oriented6.tif", orientedPicture(6, "tif")},
        {"oriented6.webp", orientedPicture(6, "webp")},
        {"oriented6.png", orientedPicture(6, "png")},
        {"gray.jpg", saved(testPattern({40, 30}).convertToFormat(QImage::Format_Grayscale8))},
        {"gray16.png", saved(testPattern({40, 30}).convertToFormat(QImage::Format_Grayscale16))},
        {"palette.png", saved(testPattern({40, 30}).convertToFormat(QImage::Format_Indexed8))},
        {"cmyk.jpg", written(cmykJpeg())},
        {"printed.jpg", makePrintedPhoto},
        {"large.jpg",
         [](const QString& path) {
             testPattern({3000, 2000}).save(path, "jpg", 80);
         }},
        // Beyond the image reader's default allocation limit of 128 MB when decoded.
        {"huge.jpg",
         [](const QString& path) {
             QImage huge(7000, 5200, QImage::Format_RGB32);
             huge.fill(Qt::darkGreen);
             huge.save(path, "jpg", 50);
         }},
        {"truncated.jpg",
         [](const QString& path) {
             writeFile(path, readFile(MediaFixtures::get().path("turned.jpg")).left(120));
         }},
        {"noise.jpg", written(noise())},
        {"noise.mp4", written(noise())},
        {"noise.mp3", written(noise())},
        {"empty.mp4", written({})},
        {"notes.txt", written("Not a movie, not a picture.\n")},
        {"notes.png", written("Not a picture either.\n")},
        {"clip.mp4", ffmpeg(twoSecondsOfPicture + twoSecondsOfTone +
                            QStringList{"-c:v", "libx264", "-pix_fmt", "yuv420p", "-c:a", "aac"})},
        // Pixels twice as wide as high: shown at 640 x 240; titled; Matroska keeps the
        // length on the container only.
        {"wide.mkv", ffmpeg(twoSecondsOfPicture + QStringList{"-vf", "setsar=2", "-c:v", "mpeg4", "-metadata",
                                                              "title=Test Pattern"})},
        {"tone.wav", ffmpeg(twoSecondsOfTone + QStringList{"-c:a", "pcm_s16le"})},
        // A still-picture format that also holds an animation.
        // Red and blue, a quarter of a second each, for ever; the same played twice; a
        // thousand frames; cut off in its last frame.
        {"blink.gif", written(animatedGif({64, 48}, 2, 25, {qRgb(255, 0, 0), qRgb(0, 0, 255)}))},
        {"twice.gif", written(animatedGif({64, 48}, 2, 0, {qRgb(255, 0, 0), qRgb(0, 0, 255)}, 1))},
        {"thousand.gif", written(animatedGif({32, 24}, 1000, 4, {qRgb(255, 0, 0), qRgb(0, 255, 0)}))},
        {"cut.gif", written(animatedGif({64, 48}, 3, 10, {qRgb(255, 0, 0), qRgb(0, 0, 255)}).chopped(40))},
        // The same as an animated PNG, announcing its two frames truly and as a hundred thousand.
        {"blink.png", written(animatedPng(2, 250))},
        {"overclaimed.png", written(animatedPng(100000, 250))},
        {"blink.jxl", jxl(filled({64, 48}, Qt::red), {}, {{filled({64, 48}, Qt::blue)}, 250})},
        {"moving.gif", ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=64x48:rate=10:duration=1"})},
        // The first half of a movie whose index sits at its end, and of one whose index
        // comes first.
        {"truncated.mp4",
         [](const QString& path) {
             const QByteArray whole = readFile(MediaFixtures::get().path("clip.mp4"));
             writeFile(path, whole.left(whole.size() / 2));
         }},
        {"truncated-indexed.mp4",
         [](const QString& path) {
             const QString whole = path + ".whole.mp4";
             runFfmpeg(twoSecondsOfPicture + QStringList{"-c:v", "mpeg4", "-movflags", "+faststart", whole});
             const QByteArray bytes = readFile(whole);
             writeFile(path, bytes.left(bytes.size() / 2));
         }},
        // Damaged Exif blocks (little-endian TIFF structures): the first directory far
        // beyond the block; a camera name claiming 4 GB; a directory that is its own
        // successor; the Exif directory pointing back at the first one; a cut-off header.
        // clang-format off
        {"exif-far.jpg", photoWithExif("49492A00" "F0FFFF7F")},
        {"exif-huge-count.jpg", photoWithExif("49492A00" "08000000" "0100" "0F01" "0200" "F0FFFFFF" "1A000000" "00000000")},
        {"exif-loop.jpg", photoWithExif("49492A00" "08000000" "0100" "1201" "0300" "01000000" "0600" "0000" "08000000")},
        {"exif-cycle.jpg", photoWithExif("49492A00" "08000000" "0100" "6987" "0400" "01000000" "08000000" "00000000")},
        {"exif-cut.jpg", photoWithExif("4949")},
        // clang-format on
        // A phone photo stored on its side with irot telling the turn and an Exif
        // orientation repeating it; a web picture; a JPEG XL stored on its side.
        {"rotated.heic", heif(testPattern({300, 200}), heif_compression_HEVC,
                              {6, {}, exifTiffWith([](Exiv2::ExifData& exif) {
                                   exif["Exif.Image.Orientation"] = std::uint16_t(6);
                                   exif["Exif.Image.Make"] = "Fixture Phone";
                               })})},
        {"plain.avif", heif(testPattern({40, 30}), heif_compression_AV1)},
        // A photo large enough to be worth a first look, stored on its side with its thumbnail.
        {"thumbnailed.heic", heif(testPattern({2400, 1700}), heif_compression_HEVC, {6, {}, {}, 240})},
        {"rotated.jxl", jxl(testPattern({300, 200}), {6, {}, {}})},
        {"truncated.heic", firstHalfOf("rotated.heic")},
        {"truncated.avif", firstHalfOf("plain.avif")},
        {"truncated.jxl", firstHalfOf("rotated.jxl")},
        {"noise.heic", written(noise())},
        // One colour, untagged and tagged Display P3, in each container that embeds
        // a profile.
        {"sage.png", saved(sage())},
        {"sage-p3.png", saved(tagged(sage(), QColorSpace::DisplayP3))},
        {"sage.jpg", [](const QString& path) { sage().save(path, "jpg", 100); }},
        {"sage-p3.jpg",
         [](const QString& path) { tagged(sage(), QColorSpace::DisplayP3).save(path, "jpg", 100); }},
        {"sage.avif", heif(sage(), heif_compression_AV1)},
        {"sage-p3.avif", heif(sage(), heif_compression_AV1, {1, displayP3Profile(), {}})},
        {"sage.heic", heif(sage(), heif_compression_HEVC)},
        {"sage-p3.heic", heif(sage(), heif_compression_HEVC, {1, displayP3Profile(), {}})},
        {"sage.jxl", jxl(sage())},
        {"sage-p3.jxl", jxl(sage(), {1, displayP3Profile(), {}})},
    };
    return table;
}

} // namespace

const MediaFixtures& MediaFixtures::get() {
    static const MediaFixtures fixtures;
    return fixtures;
}

MediaFixtures::MediaFixtures() {
    static QTemporaryDir folder;
    m_folder = folder.path();
    m_canMakeMovies = !QStandardPaths::findExecutable("ffmpeg").isEmpty();
}

QString MediaFixtures::path(const QString& name) const {
    const QString path = QDir(m_folder).filePath(name);
    if (!QFile::exists(path))
        make(name, path);
    return path;
}

void MediaFixtures::make(const QString& name, const QString& path) const {
    const auto maker = makers().find(name);
    if (maker != makers().end())
        maker->second(path);
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const QDeadlineTimer deadline(limit);
    QTimer poll;
    poll.start(5);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

std::optional<std::string> valueOf(const Attributes& attributes, const std::string& key) {
    const auto it = std::find_if(attributes.begin(), attributes.end(),
                                 [&](const auto& entry) { return entry.first == key; });
    return it == attributes.end() ? std::nullopt : std::optional(it->second);
}

} // namespace vistrel::test
