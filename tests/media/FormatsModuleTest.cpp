// The formats module: which files it is loaded for, and the viewer without it.

#include "MediaFixtures.h"
#include "media/pictures/LibraryFormat.h"
#include "media/pictures/QtPictureService.h"

#include <QList>
#include <QtEndian>
#include <algorithm>
#include <gtest/gtest.h>

namespace vistrel {
namespace {

using test::MediaFixtures;

// An ISO media type box with these brands, followed by the start of the next box; its
// header states its true size unless told otherwise.
QByteArray typeBox(const QByteArray& major, const QList<QByteArray>& compatible, int statedSize = -1) {
    QByteArray box(4, '\0');
    box += "ftyp" + major + QByteArray(4, '\0');
    for (const QByteArray& brand : compatible)
        box += brand;
    qToBigEndian<quint32>(static_cast<quint32>(statedSize >= 0 ? statedSize : box.size()), box.data());
    return box + QByteArray(8, '\0') + "mdat";
}

TEST(LibraryFormat, IsoMediaFilesCountOnlyWithAnImageBrand) {
    EXPECT_EQ(libraryFormatOf(typeBox("heic", {"mif1", "heic"})), LibraryFormat::heif);
    EXPECT_EQ(libraryFormatOf(typeBox("mif1", {"mif1", "miaf"})), LibraryFormat::heif);
    EXPECT_EQ(libraryFormatOf(typeBox("avif", {"mif1", "avif"})), LibraryFormat::avif);
    EXPECT_EQ(libraryFormatOf(typeBox("avis", {"msf1"})), LibraryFormat::avif);
    // A movie container that also declares an image brand is read as a picture.
    EXPECT_EQ(libraryFormatOf(typeBox("isom", {"isom", "mif1"})), LibraryFormat::heif);
    // Movies stay movies.
    EXPECT_EQ(libraryFormatOf(typeBox("mp42", {"isom", "mp42"})), LibraryFormat::none);
    EXPECT_EQ(libraryFormatOf(typeBox("qt  ", {"qt  "})), LibraryFormat::none);
    // A brand after the end of the box belongs to the next box, not to the list.
    EXPECT_EQ(libraryFormatOf(typeBox("mp42", {"isom", "mif1"}, 20)), LibraryFormat::none);
    // Size 0 stands for "to the end of the file"; a cut-off box is no box.
    EXPECT_EQ(libraryFormatOf(typeBox("mp42", {"mif1"}, 0)), LibraryFormat::heif);
    EXPECT_EQ(libraryFormatOf(typeBox("heic", {}).left(11)), LibraryFormat::none);
}

TEST(LibraryFormat, MovieContainersAreToldFromPictures) {
    EXPECT_TRUE(isMovieContainer(typeBox("mp42", {"isom", "mp42"})));
    EXPECT_FALSE(isMovieContainer(typeBox("heic", {"mif1", "heic"})));
    EXPECT_TRUE(isMovieContainer(QByteArray::fromHex("1a45dfa3 9f4286")));
    EXPECT_TRUE(isMovieContainer(QByteArray("RIFF\0\0\0\0AVI LIST", 16)));
    EXPECT_FALSE(isMovieContainer(QByteArray("RIFF\0\0\0\0WEBPVP8 ", 16)));
    QByteArray transport(376, '\0');
    transport[0] = transport[188] = '\x47';
    EXPECT_TRUE(isMovieContainer(transport));
    EXPECT_FALSE(isMovieContainer(transport.left(188)));
    for (const char* picture : {"89504e470d0a1a0a", "ffd8ffe0", "474946383961"})
        EXPECT_FALSE(isMovieContainer(QByteArray::fromHex(picture))) << picture;

    // What the command `vistrel` starts a helper of every reader for, before the viewer.
    const auto needsEveryReaderFor = [](const QByteArray& head) {
        return needsEveryReader(std::string_view(head.constData(), std::size_t(head.size())));
    };
    for (const QByteArray& picture : {typeBox("heic", {"mif1"}), QByteArray::fromHex("474946383961"),
                                      QByteArray("RIFF\0\0\0\0WEBPVP8 ", 16), QByteArray::fromHex("49492a00")})
        EXPECT_TRUE(needsEveryReaderFor(picture)) << picture.toHex().toStdString();
    for (const QByteArray& other : {QByteArray::fromHex("89504e470d0a1a0a"), QByteArray::fromHex("ffd8ffe0"),
                                    typeBox("mp42", {"isom"}), QByteArray("RIFF\0\0\0\0AVI LIST", 16),
                                    QByteArray("#EXTM3U\n")})
        EXPECT_FALSE(needsEveryReaderFor(other)) << other.toHex().toStdString();
}

TEST(LibraryFormat, JpegXlByEitherSignatureAndNothingElse) {
    EXPECT_EQ(libraryFormatOf(QByteArray::fromHex("ff0a fa7f")), LibraryFormat::jxl);
    EXPECT_EQ(libraryFormatOf(QByteArray::fromHex("0000000c 4a584c20 0d0a870a 00000014")),
              LibraryFormat::jxl);
    EXPECT_EQ(libraryFormatOf(QByteArray::fromHex("0000000c 4a584c20 0d0a87")), LibraryFormat::none);
    EXPECT_EQ(libraryFormatOf(QByteArray::fromHex("ff")), LibraryFormat::none);
    EXPECT_EQ(libraryFormatOf(QByteArray::fromHex("ffd8ffe0 00104a46 4946")), LibraryFormat::none);
    EXPECT_EQ(libraryFormatOf(QByteArray::fromHex("89504e47 0d0a1a0a 0000000d 49484452")),
              LibraryFormat::none);
    EXPECT_EQ(libraryFormatOf(QByteArray()), LibraryFormat::none);
}

// Run by its own test entry with the module pointed at a file that does not exist: the
// module loads once per process, so this cannot share a process with the other tests.
TEST(MissingFormatsModule, ItsFormatsAreUnreadableAndPicturesLoseOnlyTheirMetadata) {
    if (qEnvironmentVariableIsEmpty("VISTREL_TEST_WITHOUT_FORMATS_MODULE"))
        GTEST_SKIP() << "runs only as media.MissingFormatsModule";
    const auto file = [](const char* name) { return MediaFixtures::get().file(name); };
    QtPictureService service;
    const auto types = service.pictureFileTypes();
    EXPECT_NE(std::find(types.begin(), types.end(), "heic"), types.end());
    for (const char* name : {"rotated.heic", "plain.avif", "rotated.jxl"}) {
        EXPECT_EQ(service.decodeFirstImage(file(name), {}).picture, nullptr) << name;
        EXPECT_EQ(service.inspect(file(name)).status, PictureStatus::unreadable) << name;
    }

    // Qt's own reader still tells a JPEG's orientation.
    const DecodedPicture turned = service.decodeFirstImage(file("turned.jpg"), {});
    ASSERT_NE(turned.picture, nullptr);
    EXPECT_EQ(turned.orientation, 6);
    const PictureInfo info = service.inspect(file("turned.jpg"));
    ASSERT_EQ(info.status, PictureStatus::ok);
    EXPECT_EQ(info.pixelWidth, 300);
    EXPECT_TRUE(std::none_of(info.properties.begin(), info.properties.end(),
                             [](const auto& property) { return property.first.starts_with("Exif."); }));
    EXPECT_NE(service.decodeFirstImage(file("plain.png"), {}).picture, nullptr);
}

} // namespace
} // namespace vistrel
