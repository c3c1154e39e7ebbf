#include "StoredOrientation.h"

#include <QImage>
#include <cstdint>
#include <QTemporaryDir>
#include <exiv2/exiv2.hpp>
#include <gtest/gtest.h>

namespace vistrel {
namespace {

struct OrientationCase {
    const char* name;
    std::uint32_t stored; // written as a 32-bit number, wider than the tag's own type
    std::optional<int> read;
};

class ExifOrientationTag : public ::testing::TestWithParam<OrientationCase> {};

// A damaged tag may hold any number: only 1..8 is an orientation, and numbers far
// outside int's range must be refused before any conversion to int.
TEST_P(ExifOrientationTag, IsReadOnlyWhenItNamesATurn) {
    QTemporaryDir folder;
    const std::string path = folder.filePath(QStringLiteral("tagged.jpg")).toStdString();
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::gray);
    ASSERT_TRUE(picture.save(QString::fromStdString(path), "jpg"));
    auto image = Exiv2::ImageFactory::open(path);
    Exiv2::ExifData exif;
    Exiv2::ULongValue stored;
    stored.value_.push_back(GetParam().stored);
    exif.add(Exiv2::ExifKey("Exif.Image.Orientation"), &stored);
    image->setExifData(exif);
    image->writeMetadata();

    EXPECT_EQ(test::storedOrientation(path), GetParam().read);
}

INSTANTIATE_TEST_SUITE_P(Tags, ExifOrientationTag,
                         ::testing::Values(OrientationCase{"turned", 6, 6}, OrientationCase{"zero", 0, {}},
                                           OrientationCase{"nine", 9, {}},
                                           OrientationCase{"beyondInt", 4294967295u, {}}),
                         [](const auto& tested) { return std::string(tested.param.name); });

} // namespace
} // namespace vistrel
