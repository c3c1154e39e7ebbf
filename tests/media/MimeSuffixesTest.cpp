#include "media/pictures/LibraryImageReader.h"
#include "media/types/MimeSuffixes.h"

#include "TemporaryFolder.h"
#include "media/types/MovieFileTypes.h"
#include "media/pictures/QtPictureService.h"

#include <QImageReader>
#include <QMimeDatabase>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>

namespace vistrel {
namespace {

using Suffixes = std::set<std::string>;

Suffixes asSet(const std::vector<std::string>& list) {
    return {list.begin(), list.end()};
}

// What the lists were built from before: Qt's MIME database, one XML file per type.
Suffixes qtSuffixes(const QList<QMimeType>& types) {
    Suffixes suffixes;
    for (const QMimeType& type : types)
        for (const QString& suffix : type.suffixes())
            if (!suffix.contains(QLatin1Char('[')))
                suffixes.insert(suffix.toLower().toStdString());
    return suffixes;
}

TEST(MimeSuffixes, AgreeWithQtsMimeDatabaseOnEveryType) {
    const MimeSuffixes& database = MimeSuffixes::installed();
    const Suffixes known = asSet(database.typeNames());
    for (const QMimeType& type : QMimeDatabase().allMimeTypes()) {
        const std::string name = type.name().toStdString();
        EXPECT_EQ(asSet(database.of({name})), qtSuffixes({type})) << name;
        EXPECT_EQ(database.inherits(name, "text/plain"), type.inherits(QStringLiteral("text/plain"))) << name;
        if (!type.suffixes().isEmpty()) {
            EXPECT_TRUE(known.contains(name)) << name;
        }
    }
    for (const QByteArray& alias : QImageReader::supportedMimeTypes()) {
        const QMimeType type = QMimeDatabase().mimeTypeForName(QString::fromLatin1(alias));
        if (type.isValid())
            EXPECT_EQ(database.canonicalName(alias.toStdString()), type.name().toStdString());
        else
            EXPECT_TRUE(database.of({alias.toStdString()}).empty()) << alias.toStdString();
    }
}

TEST(MimeSuffixes, MovieAndPictureListsHoldWhatQtsMimeDatabaseGave) {
    QList<QMimeType> movieTypes = QMimeDatabase().allMimeTypes();
    movieTypes.removeIf([](const QMimeType& type) {
        return !MovieFileTypes::isMovieType(type.name().toStdString(), type.inherits(QStringLiteral("text/plain")));
    });
    Suffixes movies = qtSuffixes(movieTypes);
    std::erase_if(movies, [](const std::string& suffix) { return !MovieFileTypes::isMovieSuffix(suffix); });
    EXPECT_EQ(asSet(MovieFileTypes::installed()), movies);

    QList<QMimeType> pictureTypes;
    for (const QByteArray& name : QImageReader::supportedMimeTypes())
        pictureTypes.append(QMimeDatabase().mimeTypeForName(QString::fromLatin1(name)));
    // Plus the formats read through their own libraries rather than Qt's readers.
    Suffixes pictures = qtSuffixes(pictureTypes);
    for (const std::string& suffix : LibraryImageReader::suffixes())
        pictures.insert(suffix);
    EXPECT_EQ(asSet(QtPictureService().pictureFileTypes()), pictures);
}

class MimeFolders : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(user.path() + "/mime");
        std::filesystem::create_directories(system.path() + "/mime");
    }
    MimeSuffixes database() const {
        return MimeSuffixes::fromFolders({user.path() + "/mime", system.path() + "/mime", "/nonexistent/mime"});
    }
    test::TemporaryFolder user;
    test::TemporaryFolder system;
};

TEST_F(MimeFolders, TheFirstFolderListingATypeDecidesItsSuffixes) {
    system.write("mime/globs2", "# comment\n"
                                "50:video/x-a:*.aaa\n"
                                "50:video/x-a:*.AAB:cs\n"
                                "50:video/x-b:*.bbb\n"
                                "50:video/x-c:*.ccc\n"
                                "garbage line\n"
                                "50::*.empty\n"
                                "50:video/x-d:*.d[0-9]\n"
                                "50:video/x-d:README\n"
                                "50:video/x-d:*.*\n");
    user.write("mime/globs2", "50:video/x-b:*.user\n"
                              "0:video/x-c:__NOGLOBS__\n");
    system.write("mime/aliases", "video/old-a video/x-a\n");
    const MimeSuffixes folders = database();
    EXPECT_EQ(folders.of({"video/old-a"}), (std::vector<std::string>{"aaa", "aab"}));
    EXPECT_EQ(folders.of({"video/x-b"}), std::vector<std::string>{"user"});
    EXPECT_TRUE(folders.of({"video/x-c", "video/x-d", "video/unknown"}).empty());
}

TEST_F(MimeFolders, InheritanceFollowsParentsAndAliasesAndEndsOnCycles) {
    system.write("mime/subclasses", "audio/x-list text/x-list-old\n"
                                    "audio/x-loop audio/x-loop2\n"
                                    "audio/x-loop2 audio/x-loop\n");
    system.write("mime/aliases", "text/x-list-old text/x-list\n");
    const MimeSuffixes folders = database();
    // text/x-list has no parent of its own: as any text type, it is plain text.
    EXPECT_TRUE(folders.inherits("audio/x-list", "text/plain"));
    EXPECT_FALSE(folders.inherits("audio/x-loop", "text/plain"));
    EXPECT_FALSE(folders.inherits("audio/x-none", "text/plain"));
}

} // namespace
} // namespace vistrel
