// The streaming PNG path against the general image reader's full read of the same
// bytes, scaled: every colour type and depth, colour profiles, and damaged or lying files.

#include "ScaledDecodingChecks.h"
#include "TemporaryFolder.h"
#include "media/pictures/PictureDecoder.h"
#include "media/pictures/PngScaledDecoder.h"

#include <QByteArray>
#include <QColorSpace>
#include <QElapsedTimer>
#include <QtEndian>
#include <array>
#include <gtest/gtest.h>

namespace vistrel {
namespace {

using test::TemporaryFolder;

constexpr QSize pictureSize{240, 160};
constexpr QSize bound{100, 100};

std::uint32_t crcOf(const QByteArray& bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= std::uint8_t(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray bigEndian(std::uint32_t value) {
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray chunk(const char* type, const QByteArray& data) {
    const QByteArray typed = QByteArray(type) + data;
    return bigEndian(std::uint32_t(data.size())) + typed + bigEndian(crcOf(typed));
}

QByteArray zlibStream(const QByteArray& data) {
    return qCompress(data).mid(4); // qCompress puts the length first
}

// A PNG written byte by byte, so that every colour type and depth can be made; rows
// carry all five filter types, which both decoders must undo alike.
struct PngFile {
    int colourType = 2;
    int depth = 8;
    QSize size = pictureSize;
    QByteArray extraChunks; // between the header and the pixels
    QByteArray idat;        // instead of the pattern's pixels
    bool interlaced = false; // the header's word only: `idat` must then hold the passes

    int samplesPerPixel() const {
        switch (colourType) {
        case 0:
        case 3:
            return 1;
        case 4:
            return 2;
        case 6:
            return 4;
        default:
            return 3;
        }
    }

    // A smooth pattern with a little texture: each sample a different mix of x and y.
    QByteArray rows() const {
        const int bitsPerPixel = samplesPerPixel() * depth;
        const int rowBytes = (size.width() * bitsPerPixel + 7) / 8;
        QByteArray data;
        for (int y = 0; y < size.height(); ++y) {
            data.append(char(y % 5));
            for (int i = 0; i < rowBytes; ++i)
                data.append(char((i * 3 + y * 2 + (i % 7) * 5) & 0xFF));
        }
        return data;
    }

    QByteArray bytes() const {
        QByteArray header = bigEndian(std::uint32_t(size.width())) + bigEndian(std::uint32_t(size.height()));
        header.append(char(depth)).append(char(colourType)).append(2, '\0').append(char(interlaced ? 1 : 0));
        return QByteArray("\x89PNG\r\n\x1A\n", 8) + chunk("IHDR", header) + extraChunks +
               chunk("IDAT", idat.isNull() ? zlibStream(rows()) : idat) + chunk("IEND", {});
    }
};

QByteArray palette(int entries) {
    QByteArray colours;
    for (int i = 0; i < entries; ++i)
        colours.append(char(i * 7)).append(char(255 - i)).append(char(i * 13));
    return chunk("PLTE", colours);
}

QByteArray transparency(int entries) {
    QByteArray alphas;
    for (int i = 0; i < entries; ++i)
        alphas.append(char(i * 37));
    return chunk("tRNS", alphas);
}

QByteArray iccChunk(const QColorSpace& space) {
    return chunk("iCCP", QByteArray("profile", 8).append('\0') + zlibStream(space.iccProfile()));
}

QByteArray gammaChunk(std::uint32_t gammaTimes100000) {
    return chunk("gAMA", bigEndian(gammaTimes100000));
}

class PngScaledDecoding : public ::testing::Test {
  protected:
    std::string write(const PngFile& png, const char* name = "picture.png") {
        folder.write(name, png.bytes().toStdString());
        return folder.file(name);
    }

    static std::optional<PictureDecoder::Result> streamed(const std::string& path, const Parallelism& parallelism) {
        return test::decodeFile(PngScaledDecoder::decode, path, test::fitted(pictureSize, bound), parallelism);
    }

    TemporaryFolder folder;
};

struct Layout {
    const char* name;
    int colourType;
    int depth;
    QByteArray extraChunks;
};

void PrintTo(const Layout& layout, std::ostream* out) {
    *out << layout.name;
}

class PngLayout : public PngScaledDecoding, public ::testing::WithParamInterface<Layout> {};

TEST_P(PngLayout, MatchesTheGeneralReaderOnOneThreadAndTwo) {
    const std::string path = write({GetParam().colourType, GetParam().depth, pictureSize, GetParam().extraChunks, {}});
    const QImage expected = test::smoothlyScaledFullRead(path, bound);
    ASSERT_FALSE(expected.isNull());
    for (const Parallelism& parallelism : {Parallelism{}, test::onTwoThreads()}) {
        const std::optional<PictureDecoder::Result> result = streamed(path, parallelism);
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(result->storedSize, pictureSize);
        QImage image = result->image;
        PictureDecoder::convertToSrgb(image);
        // Exact area averages both; the profile is applied before averaging by one and
        // after by the other.
        test::expectClose(image, expected, 10, 0.6);
        EXPECT_EQ(image.hasAlphaChannel(), expected.hasAlphaChannel());
    }
}

INSTANTIATE_TEST_SUITE_P(
    ColourTypes, PngLayout,
    ::testing::Values(Layout{"rgb8", 2, 8, {}}, Layout{"rgba8", 6, 8, {}}, Layout{"gray8", 0, 8, {}},
                      Layout{"grayAlpha8", 4, 8, {}}, Layout{"gray1", 0, 1, {}}, Layout{"gray4", 0, 4, {}},
                      Layout{"rgb16", 2, 16, {}}, Layout{"rgba16", 6, 16, {}}, Layout{"gray16", 0, 16, {}},
                      Layout{"grayAlpha16", 4, 16, {}}, Layout{"palette8", 3, 8, palette(256)},
                      Layout{"palette4Transparent", 3, 4, palette(16) + transparency(16)},
                      Layout{"grayTransparent", 0, 8, chunk("tRNS", QByteArray::fromHex("0010"))},
                      Layout{"rgbProfile", 2, 8, iccChunk(QColorSpace::DisplayP3)},
                      Layout{"rgbSrgbChunk", 2, 8, chunk("sRGB", QByteArray(1, '\0'))}));

// Every pixel the same sample: one 8- or 16-bit value per channel, and opaque alpha
// where the colour type has alpha.
QByteArray uniformRows(const PngFile& png, int sample) {
    const bool alpha = png.colourType == 4 || png.colourType == 6;
    QByteArray pixel;
    for (int channel = 0; channel < png.samplesPerPixel(); ++channel) {
        const int value = alpha && channel == png.samplesPerPixel() - 1 ? 0xFFFF : sample * 257;
        if (png.depth == 16)
            pixel.append(char(value >> 8));
        pixel.append(char(value & 0xFF));
    }
    QByteArray data;
    for (int y = 0; y < png.size.height(); ++y)
        data.append('\0').append(pixel.repeated(png.size.width()));
    return zlibStream(data);
}

// A gamma chunk of 1.0 says the samples are linear: 128 is shown brighter, whatever
// the colour type, depth and transparency that carry it.
TEST_F(PngScaledDecoding, GraySamplesWithGammaShowAsTheSameRgbSamples) {
    const auto shownValue = [this](int colourType, int depth, const QByteArray& extra) {
        PngFile png{colourType, depth, QSize(6, 4), gammaChunk(100000) + extra, {}};
        png.idat = uniformRows(png, 128);
        const PictureDecoder::Result decoded = PictureDecoder::decode(write(png, "uniform.png"), QSize());
        const QRgb pixel = decoded.image.pixel(3, 2);
        EXPECT_EQ(qAlpha(pixel), 255);
        EXPECT_EQ(qRed(pixel), qBlue(pixel));
        return qGreen(pixel);
    };
    const int rgb = shownValue(2, 8, {});
    EXPECT_NEAR(rgb, 187, 2);
    EXPECT_EQ(shownValue(2, 16, {}), rgb);
    for (const int depth : {8, 16}) {
        EXPECT_EQ(shownValue(0, depth, {}), rgb) << depth;
        EXPECT_EQ(shownValue(0, depth, chunk("tRNS", QByteArray::fromHex("0010"))), rgb) << depth;
        EXPECT_EQ(shownValue(4, depth, {}), rgb) << depth;
    }
}

// Gray images from any reader: each level converted as the same level of gray in RGB.
TEST_F(PngScaledDecoding, ConvertsGrayImagesToSrgbByLevel) {
    const QColorSpace linear(QColorSpace::Primaries::SRgb, QColorSpace::TransferFunction::Linear);
    QImage rgb(2, 1, QImage::Format_RGB32);
    rgb.setPixel(0, 0, qRgb(128, 128, 128));
    rgb.setPixel(1, 0, qRgb(20, 20, 20));
    rgb.setColorSpace(linear);
    for (const QImage::Format format : {QImage::Format_Grayscale8, QImage::Format_Grayscale16}) {
        QImage gray = rgb.convertToFormat(format);
        gray.setColorSpace(linear);
        PictureDecoder::convertToSrgb(gray);
        EXPECT_EQ(gray.format(), format);
        EXPECT_EQ(gray.colorSpace(), QColorSpace(QColorSpace::SRgb));
        QImage expected = rgb;
        PictureDecoder::convertToSrgb(expected);
        for (int x = 0; x < 2; ++x)
            EXPECT_NEAR(qGray(gray.pixel(x, 0)), qGreen(expected.pixel(x, 0)), 1) << format << " " << x;
    }
}

// The same rows in Adam7's seven passes: each pass's pixels, row by row, every row
// unfiltered. 8-bit RGB only.
QByteArray interlacedIdat(const PngFile& png) {
    constexpr std::array<std::array<int, 4>, 7> passes = {
        {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}}};
    const int rowBytes = png.size.width() * 3;
    const QByteArray rows = png.rows();
    QByteArray data;
    for (const auto& [x0, y0, dx, dy] : passes)
        for (int y = y0; y < png.size.height(); y += dy) {
            if (x0 >= png.size.width())
                break;
            data.append('\0');
            // The pattern's bytes taken as pixels, past each row's filter byte.
            const char* row = rows.constData() + std::size_t(y) * std::size_t(rowBytes + 1) + 1;
            for (int x = x0; x < png.size.width(); x += dx)
                data.append(row + x * 3, 3);
        }
    return zlibStream(data);
}

// Interlaced rows, at full size and scaled, come out as the general reader reads them.
TEST_F(PngScaledDecoding, DecodesInterlacedPictures) {
    PngFile png;
    png.idat = interlacedIdat(png);
    png.interlaced = true;
    const std::string path = write(png, "interlaced.png");

    QImage whole = test::readerScaledRead(path, pictureSize);
    ASSERT_FALSE(whole.isNull());
    test::expectClose(PictureDecoder::decode(path, QSize()).image, whole, 0, 0.0);
    const std::optional<PictureDecoder::Result> scaled = streamed(path, Parallelism{});
    ASSERT_TRUE(scaled.has_value());
    test::expectClose(scaled->image, test::smoothlyScaledFullRead(path, bound), 10, 0.6);
}

// A 16-bit colour marked transparent by tRNS: each sample at 8 bits as libpng scales
// it, and the marked colour, only that, transparent.
TEST_F(PngScaledDecoding, DecodesSixteenBitRgbWithATransparentColour) {
    PngFile png{2, 16, QSize(6, 4), chunk("tRNS", QByteArray::fromHex("1F4A8000C0FF")), {}};
    const auto sample = [](int x, int y, int channel) {
        return ((x * 40 + y * 9 + channel * 70) % 256) * 257 + 100;
    };
    QByteArray data;
    for (int y = 0; y < png.size.height(); ++y) {
        data.append('\0');
        for (int x = 0; x < png.size.width(); ++x)
            for (int channel = 0; channel < 3; ++channel) {
                const int value = x == 2 && y == 1 ? std::array{0x1F4A, 0x8000, 0xC0FF}[std::size_t(channel)]
                                                   : sample(x, y, channel);
                data.append(char(value >> 8)).append(char(value & 0xFF));
            }
    }
    png.idat = zlibStream(data);
    const QImage image = PictureDecoder::decode(write(png, "rgb16trns.png"), QSize()).image;
    ASSERT_EQ(image.size(), png.size);
    for (int y = 0; y < png.size.height(); ++y)
        for (int x = 0; x < png.size.width(); ++x) {
            const QRgb expected =
                x == 2 && y == 1 ? qRgba(0, 0, 0, 0)
                                 : qRgb(sample(x, y, 0) / 257, sample(x, y, 1) / 257, sample(x, y, 2) / 257);
            EXPECT_EQ(image.pixel(x, y), expected) << x << "," << y;
        }
}

TEST_F(PngScaledDecoding, GoesThroughThePictureDecoderForALargePicture) {
    const std::string path = write({6, 8, pictureSize, {}, {}}, "large.png");
    const PictureDecoder::Result decoded = PictureDecoder::decode(path, bound);
    EXPECT_EQ(decoded.storedSize, pictureSize);
    EXPECT_EQ(decoded.image.size(), test::fitted(pictureSize, bound));
    EXPECT_EQ(decoded.image.format(), QImage::Format_ARGB32_Premultiplied);
}

// The program's first picture decodes before the application object exists, by the own
// decoder alone: at full size or scaled, gamma applied, it gives what the picture
// decoder gives, and it stands aside for every file it cannot vouch for.
TEST_F(PngScaledDecoding, OwnDecoderAloneGivesThePictureDecodersPictureOrStandsAside) {
    const std::string plain = write({2, 8, pictureSize, {}, {}}, "plain.png");
    const std::string gamma = write({0, 16, pictureSize, gammaChunk(100000), {}}, "gamma.png");
    for (const auto& [path, wanted] : {std::pair{plain, QSize()}, {plain, bound}, {gamma, bound}}) {
        const std::optional<PictureDecoder::Result> own = PictureDecoder::decodeWithOwnDecoder(path, wanted);
        ASSERT_TRUE(own.has_value());
        const PictureDecoder::Result general = PictureDecoder::decode(path, wanted);
        EXPECT_EQ(own->storedSize, pictureSize);
        EXPECT_EQ(own->transformation, QImageIOHandler::TransformationNone);
        test::expectClose(own->image, general.image, 0, 0.0);
    }

    QImage bmpPixels(pictureSize, QImage::Format_RGB32);
    bmpPixels.fill(Qt::darkCyan);
    bmpPixels.save(QString::fromStdString(folder.file("bmp-named.png")), "BMP");
    const QByteArray whole = PngFile().bytes();
    folder.write("cut.png", whole.left(whole.size() / 2).toStdString());
    const std::vector<std::string> standAside = {
        write({2, 8, pictureSize, iccChunk(QColorSpace::DisplayP3), {}}, "profile.png"),
        write({2, 8, pictureSize, chunk("eXIf", QByteArray("MM\0\x2a", 4)), {}}, "exif.png"),
        folder.file("bmp-named.png"),
        folder.file("cut.png"),
        folder.file("missing.png"),
        folder.path()};
    for (const std::string& path : standAside)
        EXPECT_FALSE(PictureDecoder::decodeWithOwnDecoder(path, bound).has_value()) << path;
}

// A cut file, damaged compressed data and a wrong checksum fail with a reason, as
// the general reader fails on them.
TEST_F(PngScaledDecoding, FailsCleanlyOnDamagedFiles) {
    const QByteArray whole = PngFile().bytes();
    PngFile garbled;
    garbled.idat = QByteArray(4000, '\x5A');
    QByteArray badChecksum = whole;
    badChecksum[badChecksum.size() - 20] = char(badChecksum[badChecksum.size() - 20] ^ 0x01);
    const std::vector<std::pair<const char*, QByteArray>> files = {
        {"cut.png", whole.left(whole.size() / 2)}, {"garbled.png", garbled.bytes()}, {"checksum.png", badChecksum}};
    for (const auto& [name, bytes] : files) {
        folder.write(name, bytes.toStdString());
        const PictureDecoder::Result decoded = PictureDecoder::decode(folder.file(name), bound);
        EXPECT_TRUE(decoded.image.isNull()) << name;
        EXPECT_FALSE(decoded.failure.isEmpty()) << name;
        EXPECT_TRUE(test::readerScaledRead(folder.file(name), bound).isNull()) << name;
    }
}

// A header may claim any size: beyond what could be held the picture is refused at
// once; within it, the missing rows end the decode as soon as the data ends.
TEST_F(PngScaledDecoding, RefusesOrQuicklyFailsPicturesLargerThanTheirData) {
    for (const QSize claimed : {QSize(100000, 100000), QSize(20000, 20000)}) {
        PngFile liar;
        liar.size = claimed;
        liar.idat = zlibStream(QByteArray(100000, '\0'));
        const std::string path = write(liar, "liar.png");
        QElapsedTimer timer;
        timer.start();
        const PictureDecoder::Result decoded = PictureDecoder::decode(path, QSize(1920, 1920));
        EXPECT_LT(timer.elapsed(), 2000) << claimed.width();
        EXPECT_TRUE(decoded.image.isNull()) << claimed.width();
        EXPECT_FALSE(decoded.failure.isEmpty()) << claimed.width();
        // Interlaced rows are kept whole: refused beyond the limit even when asked for
        // directly, not allocated.
        liar.interlaced = true;
        const std::optional<PictureDecoder::Result> direct = test::decodeFile(
            PngScaledDecoder::decode, write(liar, "liar.png"), QSize(1920, 1920), Parallelism{});
        ASSERT_TRUE(direct.has_value());
        EXPECT_TRUE(direct->image.isNull()) << claimed.width();
    }
}

} // namespace
} // namespace vistrel
