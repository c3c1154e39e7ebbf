#include "media/pictures/PngMetadataChunks.h"

#include "TemporaryFolder.h"
#include "media/pictures/PictureDecoder.h"

#include <QBuffer>
#include <QImage>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace vistrel::test {
namespace {

std::string plainPng() {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

// A chunk with a CRC of zeros: the walk never checks it.
std::string chunk(const std::string& type, const std::string& data) {
    const auto length = static_cast<std::uint32_t>(data.size());
    std::string out{char(length >> 24), char(length >> 16), char(length >> 8), char(length)};
    return out + type + data + std::string(4, '\0');
}

std::string insertedBefore(const std::string& png, const std::string& beforeType, const std::string& inserted) {
    const std::size_t at = png.find(beforeType);
    return png.substr(0, at - 4) + inserted + png.substr(at - 4);
}

class PngMetadataChunks : public ::testing::Test {
  protected:
    bool mayCarryExif(const std::string& bytes) {
        folder.write("picture.png", bytes);
        const int descriptor = ::open(folder.file("picture.png").c_str(), O_RDONLY | O_CLOEXEC);
        const bool answer = pngMayCarryExif(descriptor);
        EXPECT_EQ(::lseek(descriptor, 0, SEEK_CUR), 0) << "the descriptor's offset is left alone";
        ::close(descriptor);
        return answer;
    }
    TemporaryFolder folder;
};

TEST_F(PngMetadataChunks, OnlyACleanListWithoutExifOrTextAnswersNo) {
    const std::string png = plainPng();
    EXPECT_FALSE(mayCarryExif(png));
    EXPECT_TRUE(mayCarryExif(insertedBefore(png, "IDAT", chunk("eXIf", "MM\0*"))));
    // Text may follow the pixels; some writers keep Exif there as a raw profile.
    EXPECT_TRUE(mayCarryExif(insertedBefore(png, "IEND", chunk("zTXt", "Raw profile type exif"))));
    EXPECT_TRUE(mayCarryExif(insertedBefore(png, "IDAT", chunk("iTXt", "XML:com.adobe.xmp"))));
    EXPECT_TRUE(mayCarryExif(insertedBefore(png, "IDAT", chunk("tEXt", "Comment"))));
}

TEST_F(PngMetadataChunks, AnythingMalformedIsLeftToACloserReader) {
    const std::string png = plainPng();
    EXPECT_TRUE(mayCarryExif(png.substr(0, png.size() - 12))) << "no IEND";
    EXPECT_TRUE(mayCarryExif(png.substr(0, 20)));
    EXPECT_TRUE(mayCarryExif("GIF89a, not a PNG"));
    EXPECT_TRUE(mayCarryExif(""));
    std::string huge = png;
    huge[33] = char(0xFF); // the first chunk after IHDR claims a length past 2^31
    EXPECT_TRUE(mayCarryExif(huge));
    EXPECT_TRUE(pngMayCarryExif(-1)) << "an unreadable descriptor";
}

// The decoder tells "no orientation" itself for such a PNG, so the metadata library is
// not needed to show it.
TEST_F(PngMetadataChunks, ThePictureDecoderTellsAPlainPngHasNoTurn) {
    folder.write("plain.png", plainPng());
    const PictureDecoder::Result decoded = PictureDecoder::decode(folder.file("plain.png"), QSize());
    ASSERT_FALSE(decoded.image.isNull());
    ASSERT_TRUE(decoded.transformation.has_value());
    EXPECT_EQ(*decoded.transformation, QImageIOHandler::TransformationNone);
}

} // namespace
} // namespace vistrel::test
