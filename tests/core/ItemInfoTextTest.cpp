#include "FakeMovieService.h"
#include "FakePictureService.h"
#include "core/info/DictionaryDescription.h"
#include "core/info/ItemInfoText.h"

#include <gmock/gmock.h>

namespace vistrel::test {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

class ItemInfoText : public ::testing::Test {
  protected:
    void addPicture(const std::string& path, Attributes properties,
                    PictureStatus status = PictureStatus::ok) {
        PictureInfo info;
        info.status = status;
        info.properties = std::move(properties);
        pictures.infos[path] = info;
    }

    static MovieFacts movieOf(std::int32_t duration, std::int32_t timeScale) {
        MovieFacts facts;
        facts.duration = duration;
        facts.timeScale = timeScale;
        facts.naturalBounds = {0, 0, 240, 320};
        facts.displayName = "Clip";
        facts.movieAttributes = {{"Format", "mov"}};
        return facts;
    }

    std::optional<std::string> infoOf(const std::string& path) { return getInfoString(path, pictures, movies); }

    FakePictureService pictures;
    FakeMovieService movies;
};

TEST_F(ItemInfoText, DescribesAPictureByNameAndEveryProperty) {
    addPicture("/p/Holiday 1.jpg", {{"PixelWidth", "300"}, {"Exif.Image.Make", "Fixture Camera"}});
    EXPECT_EQ(infoOf("/p/Holiday 1.jpg"), " Name: Holiday 1.jpg\n"
                                          "{\n"
                                          "    PixelWidth = 300;\n"
                                          "    \"Exif.Image.Make\" = \"Fixture Camera\";\n"
                                          "}");
}

TEST_F(ItemInfoText, DescribesAMovieFromItsDurationToTheLastTracksMedia) {
    MovieFacts facts = movieOf(100, 10);
    facts.naturalBounds = {10, 20, 250, 660};
    facts.tracks = {{{{"Type", "video"}}, {{"Codec", "h264"}}}};
    movies.facts["/m/clip.mov"] = facts;
    EXPECT_EQ(infoOf("/m/clip.mov"), " Duration: 0.17 Minutes\n"
                                     " Name: Clip\n"
                                     " Width: 640 Pixels\n"
                                     " Height 240 Pixels\n"
                                     "\n Raw Data: \n"
                                     "{\n    Format = mov;\n}"
                                     "\n\n Track Raw Data Nr. 0:\n"
                                     "{\n    Type = video;\n}"
                                     "\n Media Raw Data:\n"
                                     "{\n    Codec = h264;\n}");
}

TEST_F(ItemInfoText, PutsTheMoviePartAfterThePicturePartAndOneEmptyLine) {
    addPicture("/p/anim.gif", {{"PixelWidth", "16"}});
    movies.facts["/p/anim.gif"] = movieOf(0, 100);
    const auto text = infoOf("/p/anim.gif");
    ASSERT_TRUE(text);
    EXPECT_THAT(*text, StartsWith(" Name: anim.gif\n{\n    PixelWidth = 16;\n}\n\n Duration: 0.00 Minutes\n"));
}

TEST_F(ItemInfoText, NumbersTracksFromZeroAndPrintsAMissingMediaAsAnEmptyDictionary) {
    MovieFacts facts = movieOf(6000, 600);
    facts.tracks = {{{{"Type", "video"}}, {{"Codec", "h264"}}},
                    {{{"Type", "audio"}}, {{"Codec", "aac"}}},
                    {{{"Type", "data"}}, {}}};
    movies.facts["/m/three.mp4"] = facts;
    const std::string text = infoOf("/m/three.mp4").value_or("");
    const auto first = text.find("\n\n Track Raw Data Nr. 0:\n");
    const auto second = text.find("\n\n Track Raw Data Nr. 1:\n");
    const auto third = text.find("\n\n Track Raw Data Nr. 2:\n");
    EXPECT_LT(first, second);
    EXPECT_LT(second, third);
    EXPECT_NE(third, std::string::npos);
    EXPECT_EQ(text.find("Nr. 3"), std::string::npos);
    EXPECT_THAT(text, testing::EndsWith("{\n    Type = data;\n}\n Media Raw Data:\n{\n}"));
}

// A time scale of 0 would divide by zero; the guard makes it a huge but finite count.
struct DurationCase {
    std::int32_t duration;
    std::int32_t timeScale;
    const char* minutes;
};

class MovieDuration : public ItemInfoText, public ::testing::WithParamInterface<DurationCase> {};

TEST_P(MovieDuration, IsPrintedInMinutesWithTwoDecimals) {
    movies.facts["/m/clip.mov"] = movieOf(GetParam().duration, GetParam().timeScale);
    EXPECT_THAT(infoOf("/m/clip.mov").value_or(""),
                StartsWith(std::string(" Duration: ") + GetParam().minutes + " Minutes\n"));
}

INSTANTIATE_TEST_SUITE_P(Times, MovieDuration,
                         ::testing::Values(DurationCase{100, 10, "0.17"}, DurationCase{90000, 600, "2.50"},
                                           DurationCase{0, 1000, "0.00"}, DurationCase{0, 0, "0.00"},
                                           DurationCase{3, 0, "3000000000000.00"},
                                           DurationCase{2147483647, 1, "35791394.12"}));

TEST_F(ItemInfoText, SaysHeightWithoutAColonAndZeroForASoundOnlyMovie) {
    MovieFacts facts = movieOf(1000, 1000);
    facts.naturalBounds = {};
    movies.facts["/m/tone.wav"] = facts;
    const std::string text = infoOf("/m/tone.wav").value_or("");
    EXPECT_THAT(text, HasSubstr("\n Width: 0 Pixels\n Height 0 Pixels\n"));
}

TEST_F(ItemInfoText, NamesARecognisedPictureThatReportsNoProperties) {
    addPicture("/p/broken.jpg", {}, PictureStatus::unreadable);
    EXPECT_EQ(infoOf("/p/broken.jpg"), " Name: broken.jpg\n{\n}");
}

TEST_F(ItemInfoText, IsNothingForAFileThatIsNeitherPictureNorMovie) {
    EXPECT_EQ(infoOf("/p/notes.txt"), std::nullopt);
    EXPECT_EQ(movies.probed, std::vector<std::string>{"/p/notes.txt"});
    EXPECT_TRUE(movies.opened.empty()) << "no player started for facts";
}

TEST(DictionaryDescription, QuotesAndEscapesWhatIsNotAWordOrANumber) {
    EXPECT_EQ(DictionaryDescription::of({{"Duration", "2.000"},
                                         {"Offset", "-0.5"},
                                         {"Tag title", "Say \"hi\"\\bye"},
                                         {"Lines", "one\ntwo\x01"},
                                         {"Empty", ""},
                                         {"Version", "1.2.3"}}),
              "{\n"
              "    Duration = 2.000;\n"
              "    Offset = -0.5;\n"
              "    \"Tag title\" = \"Say \\\"hi\\\"\\\\bye\";\n"
              "    Lines = \"one\\ntwo\\x01\";\n"
              "    Empty = \"\";\n"
              "    Version = \"1.2.3\";\n"
              "}");
    EXPECT_EQ(DictionaryDescription::of({}), "{\n}");
}

// A text view also breaks lines at these; a camera's text field may hold any bytes.
TEST(DictionaryDescription, EscapesUnicodeLineBreaksSoEachEntryKeepsItsLine) {
    EXPECT_EQ(DictionaryDescription::of({{"Exif.Image.Make", "a\xE2\x80\xA8" "b\xE2\x80\xA9" "c\xC2\x85" "d\xC3\xA9"}}),
              "{\n    \"Exif.Image.Make\" = \"a\\u2028b\\u2029c\\u0085d\xC3\xA9\";\n}");
}

} // namespace
} // namespace vistrel::test
