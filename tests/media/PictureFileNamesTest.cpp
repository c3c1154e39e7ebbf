#include "media/pictures/QtPictureService.h"

#include "TemporaryFolder.h"
#include "media/pictures/QtPicture.h"
#include "MoreResolution.h"

#include <QImage>
#include <chrono>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace vistrel {
namespace {

std::string savedPicture(const test::TemporaryFolder& folder, const std::string& name) {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::green);
    const std::string path = folder.file(name);
    EXPECT_TRUE(image.save(QStringLiteral("%1/saved.png").arg(QString::fromStdString(folder.path()))));
    EXPECT_EQ(std::rename(folder.file("saved.png").c_str(), path.c_str()), 0);
    return path;
}

// File names are bytes: one that is no valid UTF-8 still names a picture to show and
// to decode again at another size.
TEST(PictureFileNames, ANameThatIsNoUtf8DecodesAndDecodesAgain) {
    const test::TemporaryFolder folder;
    const std::string path = savedPicture(folder, "latin-\xe9t\xe9\xff.png");
    QtPictureService service;
    const DecodedPicture decoded = service.decodeFirstImage(path, Size{10, 10});
    ASSERT_NE(decoded.picture, nullptr);
    auto& picture = dynamic_cast<QtPicture&>(*decoded.picture);
    EXPECT_EQ(picture.storedSize(), QSize(40, 30));
    const std::shared_ptr<Picture> more = test::withResolution(service, decoded.picture, QSize(40, 30));
    ASSERT_NE(more, nullptr);
    EXPECT_EQ(more->pixels()->image().size(), QSize(40, 30));
}

// A pipe named like a picture is no picture: nothing waits on a writer that never comes.
TEST(PictureFileNames, APipeIsRefusedWithoutWaiting) {
    const test::TemporaryFolder folder;
    const std::string pipe = folder.file("pipe.jpg");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(QtPictureService().decodeFirstImage(pipe, {}).picture, nullptr);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

} // namespace
} // namespace vistrel
